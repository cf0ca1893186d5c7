#include "canvas/graphicspathitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

GraphicsPathItem::GraphicsPathItem(SVGView *view, const QPainterPath &path, QGraphicsItem *parent)
    : QObject(), QGraphicsPathItem(path, parent), view(view)
{
}

QPainterPath GraphicsPathItem::shape() const
{
    if (noFill == 1)
        return ItemSupport::outlineHitShape(path(), pixelSize);
    return path();
}

void GraphicsPathItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pixelSize = ItemSupport::pixelSize(painter, pixelSize);
    QPen cosmetic = pen();
    cosmetic.setWidth(0);
    painter->setPen(cosmetic);
    painter->setBrush(brush());
    painter->drawPath(path());
}

void GraphicsPathItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    // While a drawing tool is active a right click belongs to that tool (it
    // ends a line, for instance), not to a menu.
    if (ItemHost::doodleTool(view) != 0 || !ItemHost::execContextMenu(view, event->screenPos()))
        event->ignore();
}

void GraphicsPathItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    ItemHost::dispatchPress(this, event);
}

void GraphicsPathItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsPathItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
