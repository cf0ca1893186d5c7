#include "canvas/graphicslineitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>

GraphicsLineItem::GraphicsLineItem(SVGView *view, QGraphicsItem *parent, qreal x1, qreal y1,
                                   qreal x2, qreal y2)
    : QObject(), QGraphicsLineItem(x1, y1, x2, y2, parent), view(view)
{
    ItemHost::connectPressSignals(this, view);
}

QPainterPath GraphicsLineItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void GraphicsLineItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (!ItemHost::execContextMenu(view, event->screenPos()))
        event->ignore();
}

void GraphicsLineItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    switch (ItemSupport::classifyPress(event)) {
    case ItemSupport::PressKind::Right: emit rightSelected(this); break;
    case ItemSupport::PressKind::LeftControl: emit leftCtlSelected(this); break;
    case ItemSupport::PressKind::Left: emit leftSelected(this); break;
    }
}

void GraphicsLineItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsLineItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
