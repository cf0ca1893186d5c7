#include "canvas/itemhost.h"

#include "canvas/designview.h"
#include "canvas/scene.h"
#include "document/svgview.h"

#include <QMenu>

// The single place where the item family meets SVGView, its Scene and its
// DesignView.
namespace {

Scene *receiverOf(SVGView *view)
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

void reportPress(SVGView *view, QGraphicsItem *item, ItemSupport::PressKind kind)
{
    Scene *receiver = view ? receiverOf(view) : nullptr;
    if (!item || !receiver)
        return;
    switch (kind) {
    case ItemSupport::PressKind::Right: receiver->rightSelected(item); break;
    case ItemSupport::PressKind::LeftControl: receiver->leftCtlSelected(item); break;
    case ItemSupport::PressKind::Left: receiver->leftSelected(item); break;
    }
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
