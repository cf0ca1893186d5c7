#pragma once

#include <QPoint>

class QObject;
class SVGView;

// What the canvas items need from the document façade: the scene that
// interprets their presses, the design view's context menu and the current
// drawing tool. Items only ever go through these, so they stay usable (and
// testable) without a façade: a null view means no receiver, no menu and the
// select tool.
namespace ItemHost {

// Connects the item's rightSelected / leftSelected / leftCtlSelected signals to
// the slots of the same names of the view's scene (default connection type).
void connectPressSignals(QObject *item, SVGView *view);

// Shows the design view's context menu at `screenPos` and waits for the
// choice. Returns false when there is no menu to show.
bool execContextMenu(SVGView *view, const QPoint &screenPos);

// The view's current drawing tool (0 is the select tool).
int doodleTool(SVGView *view);

} // namespace ItemHost
