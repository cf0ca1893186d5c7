#pragma once

#include <QSizeF>

class QPainter;
class QRectF;

// Paints the work area as a white sheet with a light grey grid and a black
// outline; the scene calls it from its background painting.
class GridTool
{
public:
    // Grid step when none usable is given: 125 design units, 10 mm.
    static constexpr double defaultStep = 125;

    GridTool(const QSizeF &size, const QSizeF &step);

    void paintGrid(QPainter *painter, const QRectF &rect);

    QSizeF gridSize() const { return size; }
    QSizeF gridStep() const { return step; }

private:
    QSizeF size;
    QSizeF step;
};
