#pragma once

#include "canvas/itemsupport.h"
#include "document/nativeattributes.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPoint>

class Node;
class QGraphicsItem;
class SVGView;

// What the canvas items and their element builders need from the document
// façade: the scene that interprets presses, the design view's context menu,
// the current drawing tool, the scene's default print parameters and the
// drawing layer. Items only ever go through these, so they stay usable (and
// testable) without a façade: a null view means no receiver, no menu, the
// select tool, zero defaults and no drawing layer.
namespace ItemHost {

// Hands a press on `item` to the slot of the view's scene that its kind
// stands for (rightSelected / leftSelected / leftCtlSelected). Items call it
// just before emitting their signal of the same name: one direct call instead
// of three connections per item, which dominated building large designs.
void reportPress(SVGView *view, QGraphicsItem *item, ItemSupport::PressKind kind);

// Shows the design view's context menu at `screenPos` and waits for the
// choice. Returns false when there is no menu to show.
bool execContextMenu(SVGView *view, const QPoint &screenPos);

// What every canvas item does on a mouse press: tell the scene, then emit the
// item's own signal of the same kind.
template <typename Item>
void dispatchPress(Item *item, QGraphicsSceneMouseEvent *event)
{
    const ItemSupport::PressKind kind = ItemSupport::classifyPress(event);
    reportPress(item->view, item, kind);
    switch (kind) {
    case ItemSupport::PressKind::Right: emit item->rightSelected(item); break;
    case ItemSupport::PressKind::LeftControl: emit item->leftCtlSelected(item); break;
    case ItemSupport::PressKind::Left: emit item->leftSelected(item); break;
    }
}

// What every canvas item does on a context-menu event.
template <typename Item>
void showContextMenu(Item *item, QGraphicsSceneContextMenuEvent *event)
{
    if (!execContextMenu(item->view, event->screenPos()))
        event->ignore();
}

// The view's current drawing tool (0 is the select tool).
int doodleTool(SVGView *view);

// The scene's default print parameters for elements that lack them; all 0
// (the scene's starting values) without a view.
DefaultParameters defaultParameters(SVGView *view);

// Makes `layer` the view's drawing layer unless it already has one. Returns
// whether it did.
bool claimDrawingLayer(SVGView *view, Node *layer);

} // namespace ItemHost
