#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QVector>
#include <QWidget>

class QGraphicsView;
class QPainter;

// One graduation level of a ruler: ticks every `spacing` millimetres.
struct RulerLevel
{
    double spacing = 0;
    int length = 0;
    struct Tick
    {
        double value = 0;  // millimetres
        int position = 0;  // pixels along the ruler
        QString label;     // empty: no label
    };
    QVector<Tick> ticks;
};

// What a ruler shows for a range: the major scale and the drawn levels,
// finest first (the order they are painted in). Only the last (coarsest)
// level carries labels.
struct RulerGraduation
{
    double scale = 0;          // millimetres between labelled ticks
    double pixelsPerMm = 0;    // negative on the vertical ruler
    int textWidth = 0;         // room a label needs, in pixels
    QVector<RulerLevel> levels;
};

// A millimetre ruler along one edge of the design view. Its range is kept in
// design units (0.08 mm) relative to the work-area origin; the vertical ruler's
// range runs downwards from a larger to a smaller value.
class QtRuleBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int thickness = 16;

    QtRuleBar(Qt::Orientation orientation, QGraphicsView *view, QWidget *parent);

    // Stores the range; the caller repaints.
    void setRange(double lower, double upper, double maxSize);
    // Cursor position along the ruler, in the ruler's own pixels.
    void updatePosition(const QPoint &pos);

    Qt::Orientation rulerOrientation() const { return orientation; }
    double lowerBound() const { return lower; }
    double upperBound() const { return upper; }
    double span() const { return maxSize; }
    QPoint cursorPosition() const { return cursorPos; }

    // The graduation for the current range, length and font.
    RulerGraduation graduation() const;

    // The graduation of a ruler `length` pixels long and `rulerThickness` thick
    // showing [lower, upper] design units, with labels of font height `fontHeight`.
    static RulerGraduation computeGraduation(double lower, double upper, double maxSize,
                                             int length, int rulerThickness, int fontHeight,
                                             Qt::Orientation orientation);
    // Label of a tick at `millimetres`: whole numbers, "5k" for round thousands from 2000.
    static QString labelText(double millimetres);

protected:
    void paintEvent(QPaintEvent *event) override;
    void drawTicker(QPainter *painter);
    void drawPos(QPainter *painter);

private:
    Qt::Orientation orientation;
    QPoint cursorPos;
    QColor background;
    QGraphicsView *graphicsView;
    double lower = 0;
    double upper = 0;
    double maxSize = 0;
};
