#include "canvas/itemsupport.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPainterPathStroker>
#include <QtMath>

namespace ItemSupport {

PressKind classifyPress(const QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return PressKind::Right;
    // Control alone: Control with Shift is an ordinary left press.
    if (event->modifiers() == Qt::ControlModifier)
        return PressKind::LeftControl;
    return PressKind::Left;
}

double pixelSize(const QPainter *painter, double previous)
{
    const QTransform matrix = painter->worldTransform();
    const double scale = qSqrt(matrix.m11() * matrix.m11() + matrix.m12() * matrix.m12());
    if (!(scale > 0.0) || !qIsFinite(scale))
        return previous;
    return 1.0 / scale;
}

double hitBandWidth(double pixelSize)
{
    return qMin(100.0, 20.0 * pixelSize);
}

QPainterPath outlineHitShape(const QPainterPath &outline, double pixelSize)
{
    QPainterPathStroker stroker;
    stroker.setWidth(hitBandWidth(pixelSize));
    return stroker.createStroke(outline);
}

} // namespace ItemSupport
