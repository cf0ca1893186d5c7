#pragma once

#include <QGraphicsView>
#include <QList>

class QGraphicsScene;
class QWheelEvent;
struct GCodeBuffer;

// Read-only picture of a job: every move of the G-code records becomes a line
// segment in design units (0.08 mm). Cutting moves are grey by laser power
// (darker is stronger), rapid and zero-power moves are red.
class GcodeView : public QGraphicsView
{
public:
    // Power at which a cutting move is drawn black.
    static constexpr double defaultFullScalePower = 1000.0;
    // Wheel zoom step; zooming out uses its inverse so in and out cancel.
    static constexpr double zoomStep = 1.3;

    explicit GcodeView(QWidget *parent = nullptr, double fullScalePower = defaultFullScalePower);
    ~GcodeView() override;

    // Replaces the picture by the given records and fits the view to it.
    // Null entries and records with unusable numbers are skipped.
    void gcodeBuffer2Path(const QList<GCodeBuffer *> &buffers);

    double fullScalePower() const { return mFullScalePower; }

    // Index of the path bucket a move with power `s` falls in, given the
    // bucket chosen by its G word: 0..255 grey level, redBucket for red.
    static int bucketForPower(double s, double fullScalePower, int defaultBucket);

    static constexpr int greyBuckets = 256;
    static constexpr int redBucket = greyBuckets;
    static constexpr int bucketCount = greyBuckets + 1;

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    void fitToItems();

    QGraphicsScene *mScene = nullptr;
    double mFullScalePower = defaultFullScalePower;
};
