#include "canvas/itemhost.h"

#include <QObject>

// TODO(façade): this file is the single place where the item family meets
// SVGView, its Scene and its DesignView. Until those exist the three look-ups
// below answer "nothing there"; once they do, receiverOf() returns the view's
// scene, contextMenuOf() the design view's menu and doodleTool() the view's tool.
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
