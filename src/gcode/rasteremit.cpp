#include "gcode/rasteremit.h"
#include "gcode/rastermatrix.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

GCodeBuffer makeRecord(double g, double x, double y, double s, double f, bool absolute)
{
    GCodeBuffer record;
    record.g = g;
    record.x = x;
    record.y = y;
    record.s = s;
    record.f = f;
    record.m = -1;
    record.absolute = absolute;
    return record;
}

void appendImagePoint(QList<GCodeBuffer> &records, bool &first, double x, double y, double s, double &feed,
                      double &lastX, double &lastY, double extend, const QTransform &backTransform)
{
    qreal mappedX = 0;
    qreal mappedY = 0;
    if (first) {
        backTransform.map(x, y, &mappedX, &mappedY);
        records.append(makeRecord(90, -1, -1, -1, -1, true));
        records.append(makeRecord(0, mappedX, mappedY, -1, -1, true));
        records.append(makeRecord(91, 0, 0, -1, -1, true));
    } else {
        backTransform.map(x + extend, y, &mappedX, &mappedY);
        records.append(makeRecord(1, mappedX - lastX, mappedY - lastY, s, feed, false));
        feed = -1;
    }
    lastX = mappedX;
    lastY = mappedY;
    first = false;
}

// Emission state shared by all rows of one call.
class RowScanner
{
public:
    RowScanner(QList<GCodeBuffer> &records, double scale, double overscanPixels, double feed, double fullPower,
               double scanError, const QTransform &backTransform)
        : m_records(records)
        , m_scale(scale)
        , m_overscan(overscanPixels)
        , m_feed(feed)
        , m_fullPower(fullPower)
        , m_scanError(scanError)
        , m_backTransform(backTransform)
        // With an overscan the first row runs in like every other row.
        , m_leadInOwed(overscanPixels > 0)
    {
    }

    // Pixel column c is burned while the head travels between c - 1 and c (in
    // pixels, either direction), so a row of n pixels spans -1 .. n - 1.
    void scanRow(const uchar *pixels, int columns, int row)
    {
        if (std::all_of(pixels, pixels + columns, [](uchar p) { return p == 255; }))
            return;
        m_y = row * m_scale;
        if (m_forward)
            scanForward(pixels, columns);
        else
            scanBackward(pixels, columns);
        m_forward = !m_forward;
        m_leadInOwed = true;
    }

private:
    void scanForward(const uchar *pixels, int columns)
    {
        int value = pixels[0];
        if (value != 255)
            enterAt(-1, -1 - m_overscan, 0);
        for (int column = 1; column < columns; ++column) {
            if (pixels[column] == value)
                continue;
            if (m_leadInOwed)
                leadIn(column - 1 - m_overscan, 0);
            emitPoint(column - 1, power(value), 0);
            value = pixels[column];
        }
        if (value != 255)
            emitPoint(columns - 1, power(value), 0);
    }

    void scanBackward(const uchar *pixels, int columns)
    {
        int value = pixels[columns - 1];
        if (value != 255)
            enterAt(columns - 1, columns - 1 + m_overscan, m_scanError);
        for (int column = columns - 2; column >= 0; --column) {
            if (pixels[column] == value)
                continue;
            if (m_leadInOwed)
                leadIn(column + m_overscan, m_scanError);
            emitPoint(column, power(value), m_scanError);
            value = pixels[column];
        }
        if (value != 255)
            emitPoint(-1, power(value), m_scanError);
    }

    double power(int grey) const { return (255 - grey) / 255.0 * m_fullPower; }

    // A row whose first run is dark is entered at its true start, so the whole
    // run is burned (and the positioning move of a call never swallows it).
    void enterAt(double column, double leadInColumn, double extend)
    {
        if (m_leadInOwed)
            leadIn(leadInColumn, extend);
        emitPoint(column, 0, extend);
    }

    void leadIn(double column, double extend)
    {
        emitPoint(column, 0, extend);
        m_leadInOwed = false;
    }

    void emitPoint(double column, double s, double extend)
    {
        appendImagePoint(m_records, m_first, column * m_scale, m_y, s, m_feed, m_lastX, m_lastY, extend,
                         m_backTransform);
    }

    QList<GCodeBuffer> &m_records;
    const double m_scale;
    const double m_overscan;
    double m_feed;
    const double m_fullPower;
    const double m_scanError;
    const QTransform m_backTransform;
    bool m_leadInOwed;
    bool m_first = true;
    bool m_forward = true;
    double m_lastX = 0;
    double m_lastY = 0;
    double m_y = 0;
};

bool allFinite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

} // namespace

QList<GCodeBuffer> gcodeBufferIncrementImage(bool &first, double x, double y, double s, double &feed,
                                             double &lastX, double &lastY, double extend,
                                             const QTransform &backTransform)
{
    QList<GCodeBuffer> records;
    appendImagePoint(records, first, x, y, s, feed, lastX, lastY, extend, backTransform);
    return records;
}

QList<GCodeBuffer> image2GcodeBufferIncrement(const QImage &image, float scale, double overscan,
                                              const QString &imageType, double feed, double fullPower,
                                              double scanError, double angle, double passes)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return {};
    if (!allFinite({double(scale), overscan, feed, fullPower, scanError, angle, passes})) {
        qWarning("raster parameters must be finite numbers; nothing emitted");
        return {};
    }
    if (!(scale > 0)) {
        qWarning() << "raster line spacing" << scale << "is not positive; nothing emitted";
        return {};
    }
    if (feed < 0 || fullPower < 0) {
        qWarning() << "raster feed" << feed << "and power" << fullPower << "must not be negative; nothing emitted";
        return {};
    }
    if (passes <= 0)
        return {};
    const double passCount = std::ceil(passes);

    // Only read below, and only while the caller's picture is alive: a grey
    // picture is scanned where it lies.
    const cv::Mat grey = greyMatrixView(image);
    if (grey.empty())
        return {};
    const float turn = normalizedAngle(angle);
    double dx = 0;
    double dy = 0;
    const cv::Mat scan = turn == 0.0f ? grey : imageRotate(grey, turn, dx, dy);
    if (scan.empty())
        return {};
    // Thresholded a row at a time into scratch space, as cv::threshold at 128
    // would: never into the picture, which may be the caller's.
    const bool blackWhite = imageType != QLatin1String("gray");
    std::vector<uchar> thresholdedRow(blackWhite ? size_t(scan.cols) : 0);

    const double pixel = scale;
    QTransform backTransform;
    if (turn != 0.0f) {
        // Turns scan-frame millimetres back about the centre of the pixel grid
        // and undoes the canvas growth, giving millimetres of the picture.
        const double centreX = (scan.cols - 1) * 0.5 * pixel;
        const double centreY = (scan.rows - 1) * 0.5 * pixel;
        backTransform.translate(-dx * pixel, -dy * pixel);
        backTransform.translate(centreX, centreY);
        backTransform.rotate(turn);
        backTransform.translate(-centreX, -centreY);
    }

    QList<GCodeBuffer> work;
    GCodeBuffer coolantOff = makeRecord(-1, 0, 0, -1, -1, false);
    coolantOff.m = 9;
    work.append(coolantOff);

    RowScanner scanner(work, pixel, std::max(0.0, overscan) / pixel, feed, fullPower, scanError, backTransform);
    for (int row = 0; row < scan.rows; ++row) {
        const uchar *pixels = scan.ptr<uchar>(row);
        if (blackWhite) {
            std::transform(pixels, pixels + scan.cols, thresholdedRow.begin(),
                           [](uchar p) { return p > 128 ? uchar(255) : uchar(0); });
            pixels = thresholdedRow.data();
        }
        scanner.scanRow(pixels, scan.cols, row);
        if (work.size() > kMaxRasterRecords) {
            qWarning() << "raster picture needs more than" << kMaxRasterRecords << "records; nothing emitted";
            return {};
        }
    }

    if (passCount * work.size() > kMaxRasterRecords) {
        qWarning() << passCount << "passes of" << work.size() << "records are too many; nothing emitted";
        return {};
    }
    if (passCount == 1)
        return work;
    QList<GCodeBuffer> result;
    const int total = static_cast<int>(passCount) * work.size();
    result.reserve(total);
    for (int pass = 0; pass < int(passCount); ++pass)
        result.append(work);
    return result;
}
