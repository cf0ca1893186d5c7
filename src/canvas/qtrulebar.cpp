#include "canvas/qtrulebar.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double millimetresPerUnit = 0.08;

// Major scales in millimetres, from the finest.
constexpr std::array<double, 16> majorScales{1,    2,    5,     10,    25,    50,    100,   250,
                                             500,  1000, 2500,  5000,  10000, 25000, 50000, 100000};
// Subdivisions of the major scale; index 0 is the labelled level.
constexpr std::array<double, 5> subdivisions{1, 5, 10, 50, 100};
// Finer levels are left out when their ticks would be this close (pixels).
constexpr double minimumTickGap = 5;

} // namespace

QtRuleBar::QtRuleBar(Qt::Orientation orientation, QGraphicsView *view, QWidget *parent)
    : QWidget(parent)
    , orientation(orientation)
    , cursorPos(0, 0)
    , background(Qt::white)
    , graphicsView(view)
{
    QFont rulerFont = parent ? parent->font() : font();
    rulerFont.setWeight(50);
    rulerFont.setPixelSize(10);
    setFont(rulerFont);
}

void QtRuleBar::setRange(double lower, double upper, double maxSize)
{
    this->lower = lower;
    this->upper = upper;
    this->maxSize = maxSize;
}

void QtRuleBar::updatePosition(const QPoint &pos)
{
    cursorPos = pos;
    update();
}

QString QtRuleBar::labelText(double millimetres)
{
    const double whole = std::trunc(millimetres);
    if (!std::isfinite(whole) || std::fabs(whole) > 2e9)
        return QString();
    const int value = static_cast<int>(whole);
    if (std::abs(value) >= 2000 && value % 1000 == 0)
        return QString::asprintf("%dk", value / 1000);
    return QString::asprintf("%d", value);
}

RulerGraduation QtRuleBar::computeGraduation(double lower, double upper, double maxSize, int length,
                                             int rulerThickness, int fontHeight,
                                             Qt::Orientation orientation)
{
    RulerGraduation result;
    const double lo = lower * millimetresPerUnit;
    const double hi = upper * millimetresPerUnit;
    if (hi - lo == 0 || length <= 0 || !std::isfinite(lo) || !std::isfinite(hi)
        || !std::isfinite(maxSize))
        return result;

    const double increment = length / (hi - lo);
    if (!std::isfinite(increment) || increment == 0)
        return result;
    result.pixelsPerMm = increment;

    // Room for a label: twice the digits of the span, each as wide as the font is high.
    const int digits = QString::number(std::ceil(maxSize), 'f', 0).size();
    result.textWidth = 2 * (digits * fontHeight + 1);

    result.scale = majorScales.back();
    for (double scale : majorScales) {
        if (scale * std::fabs(increment) > result.textWidth) {
            result.scale = scale;
            break;
        }
    }

    const double first = std::min(lo, hi);
    const double last = std::max(lo, hi);
    int previousLength = 0;
    for (int i = int(subdivisions.size()) - 1; i >= 0; --i) {
        // With a major scale of 2 the fifths would be 0.4 mm; whole millimetres read better.
        const double spacing = (result.scale == 2 && i == 1) ? 1.0 : result.scale / subdivisions[i];
        if (spacing * std::fabs(increment) <= minimumTickGap)
            continue;

        RulerLevel level;
        level.spacing = spacing;
        level.length = std::max(previousLength + 1, rulerThickness / (i + 1) - 1);
        previousLength = level.length;

        const double firstIndex = std::floor(first / spacing);
        const double lastIndex = std::ceil(last / spacing);
        // Bounded by the gap test above; the cap only guards against rounding at huge values.
        const int tickCount = int(std::min(lastIndex - firstIndex, double(length) / minimumTickGap + 2)) + 1;
        const double labelGap = std::fabs(result.scale * increment);
        for (int count = 0; count < tickCount; ++count) {
            RulerLevel::Tick tick;
            tick.value = (firstIndex + count) * spacing;
            tick.position = int(std::lround((tick.value - lo) * increment + 1e-12));
            if (i == 0) {
                bool labelled = true;
                if (labelGap <= 3 * fontHeight)
                    labelled = count % 4 == 0;
                else if (labelGap <= 6 * fontHeight)
                    labelled = count % 2 == 0;
                if (tick.value == 0)
                    labelled = true;
                if (labelled) {
                    // The vertical range grows upwards; its labels read downwards.
                    tick.label = labelText(orientation == Qt::Vertical ? -tick.value : tick.value);
                }
            }
            level.ticks << tick;
        }
        result.levels << level;
    }
    return result;
}

RulerGraduation QtRuleBar::graduation() const
{
    const bool horizontal = orientation == Qt::Horizontal;
    const int length = horizontal ? width() : height();
    const int rulerThickness = horizontal ? height() : width();
    return computeGraduation(lower, upper, maxSize, length, rulerThickness,
                             fontMetrics().height(), orientation);
}

void QtRuleBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), background);
    // The edge that borders the canvas.
    if (orientation == Qt::Horizontal)
        painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    else
        painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    drawTicker(&painter);
    drawPos(&painter);
}

void QtRuleBar::drawTicker(QPainter *painter)
{
    const RulerGraduation ruler = graduation();
    const bool horizontal = orientation == Qt::Horizontal;
    const int across = horizontal ? height() : width();
    const QFontMetrics metrics = fontMetrics();
    painter->setPen(Qt::black);

    for (const RulerLevel &level : ruler.levels) {
        for (const RulerLevel::Tick &tick : level.ticks) {
            if (horizontal)
                painter->drawLine(tick.position, across - level.length, tick.position, across - 1);
            else
                painter->drawLine(across - level.length, tick.position, across - 1, tick.position);
            if (tick.label.isEmpty())
                continue;
            const int labelWidth = metrics.horizontalAdvance(tick.label);
            if (horizontal) {
                painter->drawText(QRect(tick.position + 2, 0, labelWidth, thickness),
                                  Qt::AlignLeft | Qt::AlignTop, tick.label);
            } else {
                painter->save();
                painter->translate(4, tick.position + labelWidth / 2 + 2);
                painter->rotate(90);
                painter->drawText(QRect(-labelWidth / 2, -8, labelWidth, thickness), Qt::AlignRight,
                                  tick.label);
                painter->restore();
            }
        }
    }
}

void QtRuleBar::drawPos(QPainter *painter)
{
    painter->setPen(Qt::red);
    if (orientation == Qt::Horizontal)
        painter->drawLine(cursorPos.x(), 0, cursorPos.x(), height());
    else
        painter->drawLine(0, cursorPos.y(), width(), cursorPos.y());
}
