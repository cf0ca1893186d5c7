#include "canvas/graphicstextitem.h"

#include "canvas/itemhost.h"
#include "canvas/itemsupport.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>

GraphicsTextItem::GraphicsTextItem(SVGView *view, const QString &text, QGraphicsItem *parent)
    : QGraphicsTextItem(text, parent), view(view)
{
    ItemHost::connectPressSignals(this, view);
}

void GraphicsTextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    if (!ItemHost::execContextMenu(view, event->screenPos()))
        event->ignore();
}

void GraphicsTextItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    switch (ItemSupport::classifyPress(event)) {
    case ItemSupport::PressKind::Right: emit rightSelected(this); break;
    case ItemSupport::PressKind::LeftControl: emit leftCtlSelected(this); break;
    case ItemSupport::PressKind::Left: emit leftSelected(this); break;
    }
}

void GraphicsTextItem::mouseMoveEvent(QGraphicsSceneMouseEvent *) {}
void GraphicsTextItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *) {}
