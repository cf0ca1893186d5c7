#include "canvas/itemhost.h"

#include <QObject>

// TODO(façade): this file is the single place where the item family meets
// SVGView, its Scene and its DesignView. Until those exist the three look-ups
// below answer "nothing there"; once they do, receiverOf() returns the view's
// scene, execMenuOf() runs the design view's menu, toolOf() gives the view's
// tool, defaultsOf() the scene's default parameters and claimLayerOf() sets the
// view's drawing layer when it has none.
namespace {

QObject *receiverOf(SVGView * /*view*/)
{
    return nullptr;
}

bool execMenuOf(SVGView * /*view*/, const QPoint & /*screenPos*/)
{
    return false;
}

int toolOf(SVGView * /*view*/)
{
    return 0;
}

DefaultParameters defaultsOf(SVGView * /*view*/)
{
    return DefaultParameters();
}

bool claimLayerOf(SVGView * /*view*/, Node * /*layer*/)
{
    return false;
}

} // namespace

namespace ItemHost {

void connectPressSignals(QObject *item, SVGView *view)
{
    QObject *receiver = view ? receiverOf(view) : nullptr;
    if (!item || !receiver)
        return;
    QObject::connect(item, SIGNAL(rightSelected(QGraphicsItem *)), receiver,
                     SLOT(rightSelected(QGraphicsItem *)));
    QObject::connect(item, SIGNAL(leftSelected(QGraphicsItem *)), receiver,
                     SLOT(leftSelected(QGraphicsItem *)));
    QObject::connect(item, SIGNAL(leftCtlSelected(QGraphicsItem *)), receiver,
                     SLOT(leftCtlSelected(QGraphicsItem *)));
}

bool execContextMenu(SVGView *view, const QPoint &screenPos)
{
    return view ? execMenuOf(view, screenPos) : false;
}

int doodleTool(SVGView *view)
{
    return view ? toolOf(view) : 0;
}

} // namespace ItemHost

namespace ItemHost {

DefaultParameters defaultParameters(SVGView *view)
{
    return view ? defaultsOf(view) : DefaultParameters();
}

bool claimDrawingLayer(SVGView *view, Node *layer)
{
    return view && layer ? claimLayerOf(view, layer) : false;
}

} // namespace ItemHost
