#include "canvas/gridtool.h"

#include <QPainter>
#include <QPen>
#include <QRectF>

#include <cmath>

namespace {

// A grid finer than this many lines across only turns the sheet grey and costs time.
constexpr double maximumLines = 20000;

double usableStep(double value)
{
    return (std::isfinite(value) && value > 0) ? value : GridTool::defaultStep;
}

} // namespace

GridTool::GridTool(const QSizeF &size, const QSizeF &step)
    : size(size)
    , step(usableStep(step.width()), usableStep(step.height()))
{
}

void GridTool::paintGrid(QPainter *painter, const QRectF &rect)
{
    if (!painter || !std::isfinite(rect.left()) || !std::isfinite(rect.top())
        || !std::isfinite(rect.right()) || !std::isfinite(rect.bottom()))
        return;

    QPen pen(Qt::lightGray);
    pen.setWidth(0);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(pen);
    painter->fillRect(rect, Qt::white);

    // Lines count from the rectangle's own corner, which is the work-area origin.
    const double columns = std::floor(rect.width() / step.width());
    const double rows = std::floor(rect.height() / step.height());
    if (columns <= maximumLines && rows <= maximumLines) {
        for (int i = 0; i <= columns; ++i) {
            const double x = rect.left() + i * step.width();
            painter->drawLine(QPointF(x, rect.top()), QPointF(x, rect.bottom()));
        }
        for (int i = 0; i <= rows; ++i) {
            const double y = rect.top() + i * step.height();
            painter->drawLine(QPointF(rect.left(), y), QPointF(rect.right(), y));
        }
    }

    pen.setColor(Qt::black);
    painter->setPen(pen);
    painter->drawRect(rect);
    painter->restore();
}
