#include "canvas/designview.h"

#include "canvas/qtcornerbox.h"
#include "canvas/scene.h"
#include "document/svgview.h"
#include "canvas/qtrulebar.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Room the rulers take at the top and left; the rulers themselves are one
// pixel thicker and overlap the canvas's first row and column.
constexpr int rulerMargin = 15;
constexpr int rulerThickness = QtRuleBar::thickness;

} // namespace

DesignView::DesignView(QWidget *parent)
    : QGraphicsView(parent)
{
}

void DesignView::initDesignView(SVGView *view)
{
    this->view = view;
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setAlignment(Qt::AlignCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAttribute(Qt::WA_MouseTracking);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setResizeAnchor(QGraphicsView::AnchorUnderMouse);
    setRenderHint(QPainter::Antialiasing);
    // The canvas can be scrolled far beyond the work area.
    setSceneRect(-100000, -100000, 200000, 200000);
    // The rulers sit right against the canvas.
    setFrameShape(QFrame::NoFrame);

    contextMenu = new QMenu(this);
    deleteAction = new QAction(tr("Delete"), this);
    contextMenu->addAction(deleteAction);
    connect(deleteAction, &QAction::triggered, this, &DesignView::deleteRequested);

    horizontalRuler = new QtRuleBar(Qt::Horizontal, this, this);
    verticalRuler = new QtRuleBar(Qt::Vertical, this, this);
    cornerBox = new QtCornerBox(this);

    setViewport(new QWidget);
    // The new viewport stacks above the rulers; their edge lines stay visible.
    horizontalRuler->raise();
    verticalRuler->raise();
    cornerBox->raise();
    setAcceptDrops(true);
}

void DesignView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    setViewportMargins(rulerMargin, rulerMargin, 0, 0);
    if (!horizontalRuler)
        return;
    const int w = width();
    const int h = height();
    horizontalRuler->setGeometry(rulerThickness, 0, w - rulerThickness - 1, rulerThickness);
    verticalRuler->setGeometry(0, rulerThickness, rulerThickness, h - rulerThickness - 1);
    cornerBox->setGeometry(0, 0, rulerThickness, rulerThickness);
    updateRuler();
}

QPoint DesignView::rulerOrigin() const
{
    return QPoint(rulerThickness, rulerThickness) - viewport()->geometry().topLeft();
}

void DesignView::updateRuler()
{
    if (!scene() || !horizontalRuler)
        return;
    // The work-area origin in viewport pixels, and design units per pixel.
    const QPointF origin = viewportTransform().map(scene()->sceneRect().topLeft());
    const double unitsPerPixel = 1.0 / transform().m11();
    const QPoint first = rulerOrigin();

    // Each range runs from the ruler's first pixel to just past its last one,
    // so that a tick drawn at a value lies on the canvas pixel of that value.
    const double left = (first.x() - origin.x()) * unitsPerPixel;
    const double right = left + horizontalRuler->width() * unitsPerPixel;
    horizontalRuler->setRange(left, right, right - left);

    const double top = (first.y() - origin.y()) * -unitsPerPixel;
    const double bottom = top - verticalRuler->height() * unitsPerPixel;
    verticalRuler->setRange(top, bottom, bottom - top);

    horizontalRuler->update();
    verticalRuler->update();
}

void DesignView::fitWorkArea(double sceneWidth, double sceneHeight)
{
    const double ratio = std::max((sceneWidth + fitMargin) / width(),
                                  (sceneHeight + fitMargin) / height());
    // A view without size or an empty area gives no usable scale.
    if (!std::isfinite(ratio) || ratio <= 0)
        return;
    scrollAllowed = true;
    scale(1.0 / ratio, 1.0 / ratio);
    updateRuler();
    viewport()->update();
    scrollAllowed = false;
}

void DesignView::scrollContentsBy(int dx, int dy)
{
    // Before the user has zoomed, Qt's automatic scrolls would shift the canvas
    // under the pointer; they are ignored. The scroll bars are put back as well:
    // the view keeps its own copy of the scroll position and would otherwise
    // jump by every ignored step at the next allowed scroll.
    if (!scrollAllowed) {
        if (revertingScroll)
            return;
        revertingScroll = true;
        if (dx)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
        if (dy)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
        revertingScroll = false;
        return;
    }
    QGraphicsView::scrollContentsBy(dx, dy);
    updateRuler();
}

void DesignView::wheelEvent(QWheelEvent *event)
{
    scrollAllowed = true;
    const double factor = event->angleDelta().y() > 0 ? zoomStep : 1.0 / zoomStep;
    scale(factor, factor);
    updateRuler();
    event->accept();
}

void DesignView::mousePressEvent(QMouseEvent *event)
{
    // The scene sees the press first: it decides whether an item was hit.
    QGraphicsView::mousePressEvent(event);
    if (!pressLandedOnItem(event) && event->button() == Qt::RightButton && isSelectToolActive())
        middleMouseButtonPress(event);
}

void DesignView::middleMouseButtonPress(QMouseEvent *event)
{
    // End whatever the scene started with the press before hand scrolling begins.
    QMouseEvent releaseEvent(QEvent::MouseButtonRelease, event->localPos(), event->windowPos(),
                             event->screenPos(), Qt::LeftButton, Qt::NoButton, event->modifiers());
    QGraphicsView::mouseReleaseEvent(&releaseEvent);
    setDragMode(QGraphicsView::ScrollHandDrag);
    markScenePanning();
    scrollAllowed = true;
    // Qt scrolls by hand only with the left button: present the press as one.
    QMouseEvent dragEvent(event->type(), event->localPos(), event->windowPos(), event->screenPos(),
                          Qt::LeftButton, event->buttons() | Qt::LeftButton, event->modifiers());
    QGraphicsView::mousePressEvent(&dragEvent);
}

void DesignView::mouseReleaseEvent(QMouseEvent *event)
{
    QGraphicsView::mouseReleaseEvent(event);
    if (isSelectToolActive() && event->button() == Qt::RightButton)
        middleMouseButtonRelease(event);
    setDragMode(QGraphicsView::NoDrag);
}

void DesignView::middleMouseButtonRelease(QMouseEvent *event)
{
    QMouseEvent releaseEvent(QEvent::MouseButtonRelease, event->localPos(), event->windowPos(),
                             event->screenPos(), Qt::LeftButton, Qt::NoButton, event->modifiers());
    QGraphicsView::mouseReleaseEvent(&releaseEvent);
    scrollAllowed = false;
    QMouseEvent dragEvent(event->type(), event->localPos(), event->windowPos(), event->screenPos(),
                          Qt::LeftButton, event->buttons() | Qt::LeftButton, event->modifiers());
    QGraphicsView::mouseReleaseEvent(&dragEvent);
}

void DesignView::mouseMoveEvent(QMouseEvent *event)
{
    if (horizontalRuler) {
        const QPoint onRuler = event->pos() - rulerOrigin();
        horizontalRuler->updatePosition(onRuler);
        verticalRuler->updatePosition(onRuler);
    }
    QGraphicsView::mouseMoveEvent(event);
}

bool DesignView::isSelectToolActive() const
{
    // Until the document is attached every press behaves as with the select tool.
    return !view || view->doodleTool() == DoodleTool::Select;
}

bool DesignView::pressLandedOnItem(QMouseEvent *event) const
{
    auto *canvas = qobject_cast<Scene *>(scene());
    if (canvas)
        return canvas->getMouseState() == Scene::ItemPressed;
    return itemAt(event->pos()) != nullptr;
}

void DesignView::markScenePanning()
{
    if (auto *canvas = qobject_cast<Scene *>(scene()))
        canvas->setPanning(true);
}
