#pragma once

#include "gcode/gcodebuffer.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QTransform>

// Most records one raster call produces (all passes together). A picture that
// would need more is refused with a diagnostic line instead of exhausting memory.
constexpr int kMaxRasterRecords = 1 << 25;

// The records for one emitted point of a raster scan. (x, y) are millimetres in
// the scan frame. The first point of a call positions the head: G90, an
// absolute rapid move to the back-transformed point, G91. Every later point is
// a relative G1 from the last point to the back-transformed (x + extend, y),
// at power s, carrying the feed once (feed is then set to -1). first, feed and
// the last point are updated for the next call.
QList<GCodeBuffer> gcodeBufferIncrementImage(bool &first, double x, double y, double s, double &feed,
                                             double &lastX, double &lastY, double extend,
                                             const QTransform &backTransform);

// Engraving rows for a grey picture (255 = white, never burned): the picture is
// turned by the angle (degrees) so that rows run along the scan direction, every
// row is cut into runs of equal grey, each run becomes one relative G1 whose
// power is (255 - grey) / 255 x fullPower; rows alternate in direction, each row
// runs in at power 0 from the overscan distance (mm) before its first run,
// backward rows are shifted by scanError (mm). scale is millimetres per pixel (the line spacing).
// Unless imageType is "gray", grey is thresholded at 128 first. The whole list
// (starting with M9) is repeated for ceil(passes) passes.
//
// A null or empty picture, a scale that is not positive, any non-finite
// number, a negative feed or power, or no passes give an empty list.
QList<GCodeBuffer> image2GcodeBufferIncrement(const QImage &image, float scale, double overscan,
                                              const QString &imageType, double feed, double fullPower,
                                              double scanError, double angle, double passes);
