#include "canvas/graphicslineitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPen>

GraphicsLineItem::GraphicsLineItem(SVGView *view, QGraphicsItem *parent, qreal x1, qreal y1,
                                   qreal x2, qreal y2)
    : QObject(), QGraphicsLineItem(x1, y1, x2, y2, parent), view(view)
{
}

QPainterPath GraphicsLineItem::shape() const
{
    // Qt derives a wide line's bounding rectangle from shape(); asking
    // boundingRect() here would recurse without end. Take the same rectangle
    // from Qt's own line shape instead.
    QRectF bounds;
    if (pen().widthF() == 0.0)
        bounds = QRectF(line().p1(), line().p2()).normalized();
    else
        bounds = QGraphicsLineItem::shape().controlPointRect();
    QPainterPath path;
    path.addRect(bounds);
    return path;
}

void GraphicsLineItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    ItemHost::showContextMenu(this, event);
}

void GraphicsLineItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    ItemHost::dispatchPress(this, event);
}

void GraphicsLineItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsLineItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
