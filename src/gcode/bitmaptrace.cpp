#include "gcode/bitmaptrace.h"
#include "gcode/rastermatrix.h"

#include <QDebug>
#include <QSet>

#include <opencv2/imgproc.hpp>

#include <potracelib.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kWordBits = static_cast<int>(sizeof(potrace_word) * CHAR_BIT);

struct BitmapDeleter
{
    void operator()(potrace_bitmap_t *bitmap) const
    {
        if (bitmap)
            std::free(bitmap->map);
        std::free(bitmap);
    }
};
using Bitmap = std::unique_ptr<potrace_bitmap_t, BitmapDeleter>;

struct StateDeleter
{
    void operator()(potrace_state_t *state) const { potrace_state_free(state); }
};

struct ParamDeleter
{
    void operator()(potrace_param_t *param) const { potrace_param_free(param); }
};

enum class TraceResult { Traced, Empty, NoBitmap };

// Dark pixels (grey <= 128) become set bits, most significant bit first.
Bitmap makeBitmap(const cv::Mat &dark)
{
    Bitmap bitmap(static_cast<potrace_bitmap_t *>(std::calloc(1, sizeof(potrace_bitmap_t))));
    if (!bitmap)
        return {};
    bitmap->w = dark.cols;
    bitmap->h = dark.rows;
    bitmap->dy = dark.cols == 0 ? 0 : (dark.cols - 1) / kWordBits + 1;
    bitmap->map = static_cast<potrace_word *>(
        std::calloc(static_cast<size_t>(bitmap->dy) * static_cast<size_t>(dark.rows), sizeof(potrace_word)));
    if (!bitmap->map)
        return {};
    for (int row = 0; row < dark.rows; ++row) {
        const uchar *grey = dark.ptr<uchar>(row);
        potrace_word *words = bitmap->map + static_cast<size_t>(row) * bitmap->dy;
        for (int column = 0; column < dark.cols; ++column) {
            if (grey[column] <= 128)
                words[column / kWordBits] |= potrace_word(1) << (kWordBits - 1 - column % kWordBits);
        }
    }
    return bitmap;
}

class OutlineWriter
{
public:
    explicit OutlineWriter(char format, int precision)
        : m_format(format)
        , m_precision(precision)
    {
    }

    QList<QString> outlines;

    // Depth-first over the outline tree: an outline, its holes (and their
    // islands), then its next sibling. Iterative, so deep nesting cannot
    // exhaust the stack.
    void walk(const potrace_path_t *root)
    {
        QList<const potrace_path_t *> pending;
        if (root)
            pending.append(root);
        while (!pending.isEmpty()) {
            const potrace_path_t *path = pending.takeLast();
            if (path->sibling)
                pending.append(path->sibling);
            if (write(path) && path->childlist)
                pending.append(path->childlist);
        }
    }

private:
    QString number(double value) const { return QString::number(value, m_format, m_precision); }

    QString point(const potrace_dpoint_t &p) const { return number(p.x) + QLatin1Char(',') + number(p.y); }

    // Returns false when the outline repeats one already written; it is left
    // out together with its holes.
    bool write(const potrace_path_t *path)
    {
        const potrace_curve_t &curve = path->curve;
        if (curve.n <= 0)
            return true;
        QString text = QStringLiteral("M ") + point(curve.c[curve.n - 1][2]) + QLatin1Char(' ');
        for (int i = 0; i < curve.n; ++i) {
            const potrace_dpoint_t *c = curve.c[i];
            if (curve.tag[i] == POTRACE_CURVETO) {
                text += QStringLiteral("C ") + point(c[0]) + QLatin1Char(' ') + point(c[1]) + QLatin1Char(' ')
                    + point(c[2]) + QLatin1Char(' ');
            } else {
                text += QStringLiteral("L ") + point(c[1]) + QStringLiteral(" L ") + point(c[2])
                    + QLatin1Char(' ');
            }
        }
        text += QStringLiteral("z ");
        if (m_written.contains(text))
            return false;
        m_written.insert(text);
        outlines.append(text);
        return true;
    }

    const char m_format;
    const int m_precision;
    QSet<QString> m_written;
};

TraceResult trace(const QImage &image, OutlineWriter &writer)
{
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return TraceResult::Empty;
    if (qint64(image.width()) * image.height() > kMaxRasterPixels) {
        qWarning() << "picture of" << image.width() << "x" << image.height() << "pixels is too large to trace";
        return TraceResult::Empty;
    }
    const cv::Mat grey = imageToGreyMatrix(image);
    if (grey.empty())
        return TraceResult::Empty;

    Bitmap bitmap = makeBitmap(grey);
    if (!bitmap) {
        qWarning("no memory for the tracing bitmap");
        return TraceResult::NoBitmap;
    }
    std::unique_ptr<potrace_param_t, ParamDeleter> parameters(potrace_param_default());
    if (!parameters)
        return TraceResult::NoBitmap;
    std::unique_ptr<potrace_state_t, StateDeleter> state(potrace_trace(parameters.get(), bitmap.get()));
    bitmap.reset();
    if (!state || state->status != POTRACE_STATUS_OK) {
        qWarning("tracing the picture failed");
        return TraceResult::Empty;
    }
    writer.walk(state->plist);
    return TraceResult::Traced;
}

} // namespace

QString garyMapToPath(const QImage &image)
{
    OutlineWriter writer('f', 6);
    if (trace(image, writer) == TraceResult::NoBitmap)
        return QStringLiteral("err!!! no img");
    return writer.outlines.join(QString());
}

void garyMapToPathList(const QImage &image, QList<QString> &paths)
{
    OutlineWriter writer('g', 6);
    trace(image, writer);
    paths.append(writer.outlines);
}
