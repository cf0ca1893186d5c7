#pragma once

#include "document/nativeattributes.h"

#include <QPoint>

class Node;
class QObject;
class SVGView;

// What the canvas items and their element builders need from the document
// façade: the scene that interprets presses, the design view's context menu,
// the current drawing tool, the scene's default print parameters and the
// drawing layer. Items only ever go through these, so they stay usable (and
// testable) without a façade: a null view means no receiver, no menu, the
// select tool, zero defaults and no drawing layer.
namespace ItemHost {

// Connects the item's rightSelected / leftSelected / leftCtlSelected signals to
// the slots of the same names of the view's scene (default connection type).
void connectPressSignals(QObject *item, SVGView *view);

// Shows the design view's context menu at `screenPos` and waits for the
// choice. Returns false when there is no menu to show.
bool execContextMenu(SVGView *view, const QPoint &screenPos);

// The view's current drawing tool (0 is the select tool).
int doodleTool(SVGView *view);

// The scene's default print parameters for elements that lack them; all 0
// (the scene's starting values) without a view.
DefaultParameters defaultParameters(SVGView *view);

// Makes `layer` the view's drawing layer unless it already has one. Returns
// whether it did.
bool claimDrawingLayer(SVGView *view, Node *layer);

} // namespace ItemHost
