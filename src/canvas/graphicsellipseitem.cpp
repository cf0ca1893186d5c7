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
    if (!ItemHost::execContextMenu(view, event->screenPos()))
        event->ignore();
}

void GraphicsEllipseItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    const ItemSupport::PressKind kind = ItemSupport::classifyPress(event);
    ItemHost::reportPress(view, this, kind);
    switch (kind) {
    case ItemSupport::PressKind::Right: emit rightSelected(this); break;
    case ItemSupport::PressKind::LeftControl: emit leftCtlSelected(this); break;
    case ItemSupport::PressKind::Left: emit leftSelected(this); break;
    }
}

void GraphicsEllipseItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsEllipseItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
