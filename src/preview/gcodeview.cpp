#include "preview/gcodeview.h"

#include "gcode/gcodebuffer.h"

#include <QBrush>
#include <QDebug>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QPainterPath>
#include <QPen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Records carry millimetres; the picture is in design units.
constexpr double millimetresPerUnit = 0.08;

// G words the preview acts on.
constexpr int gRapid = 0;
constexpr int gLinear = 1;
constexpr int gAbsoluteMode = 90;
constexpr int gRelativeMode = 91;
constexpr int gEndMarker = -3;

// -1 marks an absent word in the job record.
bool isAbsent(double word)
{
    return word == -1;
}

bool hasUsableNumbers(const GCodeBuffer &record)
{
    return std::isfinite(record.g) && std::isfinite(record.x) && std::isfinite(record.y)
           && std::isfinite(record.s);
}

} // namespace

GcodeView::GcodeView(QWidget *parent, double fullScalePower)
    : QGraphicsView(parent)
    , mScene(new QGraphicsScene(this))
    , mFullScalePower(fullScalePower)
{
    // Large enough to scroll well around any job on a desktop machine.
    mScene->setSceneRect(-10000, -10000, 20000, 20000);
    mScene->setBackgroundBrush(QBrush(Qt::white, Qt::SolidPattern));
    setScene(mScene);

    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setResizeAnchor(QGraphicsView::AnchorUnderMouse);
    setMouseTracking(true);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
}

GcodeView::~GcodeView() = default;

int GcodeView::bucketForPower(double s, double fullScalePower, int defaultBucket)
{
    if (isAbsent(s))
        return defaultBucket;
    // Negative power cannot fire the laser: shown like a zero-power move.
    if (s <= 0)
        return redBucket;
    // Powers at or above full scale (and any power when no usable full scale
    // is known) are drawn black rather than fading back towards white.
    if (!(fullScalePower > 0) || !std::isfinite(fullScalePower) || s >= fullScalePower)
        return 0;
    const double level = std::fabs(255.0 - s * 255.0 / fullScalePower);
    return std::clamp(static_cast<int>(level), 0, greyBuckets - 1);
}

void GcodeView::gcodeBuffer2Path(const QList<GCodeBuffer *> &buffers)
{
    // A second call shows the new job, not both on top of each other.
    mScene->clear();

    std::array<QPainterPath, bucketCount> buckets;
    bool relative = false;
    QPointF previous(0, 0);
    QPointF current(0, 0);

    for (const GCodeBuffer *record : buffers) {
        if (!record)
            continue;
        if (!isAbsent(record->m) || isAbsent(record->g))
            continue;
        if (!hasUsableNumbers(*record)) {
            qWarning() << "G-code preview: record with unusable numbers skipped";
            continue;
        }

        int defaultBucket = 0;
        if (record->g == gRelativeMode) {
            relative = true;
            continue;
        } else if (record->g == gAbsoluteMode) {
            relative = false;
            continue;
        } else if (record->g == gEndMarker) {
            break;
        } else if (record->g == gRapid) {
            defaultBucket = redBucket;
        } else if (record->g == gLinear) {
            defaultBucket = 0;
        } else {
            continue;
        }

        if (relative) {
            // Relative records leave out axes that do not move, written as 0.
            if (record->x != 0)
                current.setX(record->x / millimetresPerUnit + previous.x());
            if (record->y != 0)
                current.setY(record->y / millimetresPerUnit + previous.y());
        } else {
            if (!isAbsent(record->x))
                current.setX(record->x / millimetresPerUnit);
            if (!isAbsent(record->y))
                current.setY(record->y / millimetresPerUnit);
        }

        QPainterPath &bucket = buckets[bucketForPower(record->s, mFullScalePower, defaultBucket)];
        bucket.moveTo(previous);
        bucket.lineTo(current);
        previous = current;
    }

    for (int i = 0; i < bucketCount; ++i) {
        if (buckets[i].isEmpty())
            continue;
        const QColor colour = i < greyBuckets ? QColor(i, i, i) : QColor(Qt::red);
        QPen pen(colour);
        pen.setWidth(0); // cosmetic: one pixel at any zoom
        auto *item = mScene->addPath(buckets[i], pen, QBrush(Qt::transparent));
        // Later buckets above earlier ones, so red travel stays visible.
        item->setZValue(i);
    }

    fitToItems();
}

void GcodeView::fitToItems()
{
    const QRectF bounds = mScene->itemsBoundingRect();
    const double ratio = std::max(bounds.width() / width(), bounds.height() / height());
    // Nothing drawn, or a single point: keep the current scale.
    if (mScene->items().isEmpty() || !(ratio > 0) || !std::isfinite(ratio))
        return;
    // The fit is absolute: a repeated call must not compound earlier zooms.
    resetTransform();
    scale(1.0 / ratio, 1.0 / ratio);
    ensureVisible(bounds, 50, 50);
}

void GcodeView::wheelEvent(QWheelEvent *event)
{
    const double factor = event->angleDelta().y() > 0 ? zoomStep : 1.0 / zoomStep;
    scale(factor, factor);
    event->accept();
}
