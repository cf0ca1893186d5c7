#include "canvas/graphicsrectitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

GraphicsRectItem::GraphicsRectItem(SVGView *view, QGraphicsItem *parent, qreal x, qreal y,
                                   qreal width, qreal height)
    : QObject(), QGraphicsRectItem(x, y, width, height, parent), view(view)
{
}

void GraphicsRectItem::setRadii(qreal radiusX, qreal radiusY)
{
    rx = qMax<qreal>(0.0, radiusX);
    ry = qMax<qreal>(0.0, radiusY);
    update();
}

QPainterPath GraphicsRectItem::shape() const
{
    QPainterPath outline;
    outline.addRect(boundingRect());
    if (noFill == 1)
        return ItemSupport::outlineHitShape(outline, pixelSize);
    return outline;
}

QPainterPath GraphicsRectItem::roundedOutline() const
{
    const QRectF r = rect();
    const qreal x = r.x(), y = r.y(), w = r.width(), h = r.height();
    const qreal radiusX = 2 * rx > w ? w / 2 : rx;
    const qreal radiusY = 2 * ry > h ? h / 2 : ry;

    QPainterPath path;
    path.moveTo(x, y + radiusY);
    path.lineTo(x, y + h - radiusY);
    path.arcTo(QRectF(x, y + h - 2 * radiusY, 2 * radiusX, 2 * radiusY), 180, 90);
    path.lineTo(x + w - radiusX, y + h);
    path.arcTo(QRectF(x + w - 2 * radiusX, y + h - 2 * radiusY, 2 * radiusX, 2 * radiusY), 270, 90);
    path.lineTo(x + w, y + radiusY);
    path.arcTo(QRectF(x + w - 2 * radiusX, y, 2 * radiusX, 2 * radiusY), 0, 90);
    path.lineTo(x + radiusX, y);
    path.arcTo(QRectF(x, y, 2 * radiusX, 2 * radiusY), 90, 90);
    return path;
}

void GraphicsRectItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pixelSize = ItemSupport::pixelSize(painter, pixelSize);
    // A cosmetic line whatever the element's stroke width: the outline stays
    // one screen pixel wide at every zoom. Selection is shown by the frame.
    QPen cosmetic = pen();
    cosmetic.setWidth(0);
    painter->setPen(cosmetic);
    painter->setBrush(brush());
    painter->drawPath(roundedOutline());
}

void GraphicsRectItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (layerPlaceholder) {
        QGraphicsRectItem::contextMenuEvent(event);
        return;
    }
    ItemHost::showContextMenu(this, event);
}

void GraphicsRectItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (layerPlaceholder) {
        QGraphicsRectItem::mousePressEvent(event);
        return;
    }
    ItemHost::dispatchPress(this, event);
}

// The scene moves selected items; items never move themselves.
void GraphicsRectItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsRectItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
