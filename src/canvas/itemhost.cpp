#include "canvas/itemhost.h"

#include "canvas/designview.h"
#include "canvas/scene.h"
#include "document/svgview.h"

#include <QMenu>
#include <QObject>

// The single place where the item family meets SVGView, its Scene and its
// DesignView.
namespace {

QObject *receiverOf(SVGView *view)
{
    return view->getScene();
}

bool execMenuOf(SVGView *view, const QPoint &screenPos)
{
    DesignView *designView = view->getDesignView();
    QMenu *menu = designView ? designView->itemContextMenu() : nullptr;
    if (!menu)
        return false;
    menu->exec(screenPos);
    return true;
}

int toolOf(SVGView *view)
{
    return view->doodleTool();
}

DefaultParameters defaultsOf(SVGView *view)
{
    return view->getScene() ? view->getScene()->defaultParameters : DefaultParameters();
}

bool claimLayerOf(SVGView *view, Node *layer)
{
    return view->claimDrawingLayer(layer);
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
