#include "canvas/graphicsellipseitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

GraphicsEllipseItem::GraphicsEllipseItem(SVGView *view, QGraphicsItem *parent, qreal x, qreal y,
                                         qreal width, qreal height)
    : QObject(), QGraphicsEllipseItem(x, y, width, height, parent), view(view)
{
}

QRectF GraphicsEllipseItem::boundingRect() const
{
    return rect();
}

QPainterPath GraphicsEllipseItem::shape() const
{
    QPainterPath outline;
    outline.addEllipse(boundingRect());
    if (noFill == 1)
        return ItemSupport::outlineHitShape(outline, pixelSize);
    return outline;
}

void GraphicsEllipseItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pixelSize = ItemSupport::pixelSize(painter, pixelSize);
    QPen cosmetic = pen();
    cosmetic.setWidth(0);
    painter->setPen(cosmetic);
    painter->setBrush(brush());
    painter->drawEllipse(rect());
}

void GraphicsEllipseItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    ItemHost::showContextMenu(this, event);
}

void GraphicsEllipseItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    ItemHost::dispatchPress(this, event);
}

void GraphicsEllipseItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsEllipseItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
