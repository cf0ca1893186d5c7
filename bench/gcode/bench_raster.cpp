// Raster job generation: emission speed in pixels per second and memory per
// emitted record, plus the preparation steps that run before emission.

#include "gcode/bitmaptrace.h"
#include "gcode/rasteremit.h"
#include "gcode/rasterimage.h"
#include "gcode/rastermatrix.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

QImage fixture(const char *name)
{
    return QImage(QStringLiteral(SCRIBO_SOURCE_DIR "/tests/data/") + QLatin1String(name));
}

// A photo frame blown up smoothly: grey changes almost every pixel.
const QImage &photo()
{
    static const QImage image = fixture("go-image__video-001.gif")
                                    .convertToFormat(QImage::Format_RGB32)
                                    .scaled(2000, 2000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_Grayscale8);
    return image;
}

// Line art on white: long white and black runs.
const QImage &lineDrawing()
{
    static const QImage image = [] {
        QImage tux = fixture("x-image__tux.png").scaled(2000, 2000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage flat(tux.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        for (int y = 0; y < tux.height(); ++y) {
            for (int x = 0; x < tux.width(); ++x) {
                const QRgb c = tux.pixel(x, y);
                flat.setPixel(x, y, qAlpha(c) < 128 ? qRgb(255, 255, 255) : c);
            }
        }
        return flat.convertToFormat(QImage::Format_Grayscale8);
    }();
    return image;
}

void emitRaster(benchmark::State &state, const QImage &image, const char *type)
{
    const double angle = double(state.range(0));
    qint64 records = 0;
    double bytesPerRecord = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        QList<GCodeBuffer> result = image2GcodeBufferIncrement(image, 0.1f, 2.0, QString::fromLatin1(type), 3000,
                                                               1000, 0.05, angle, 1);
        const size_t after = mallinfo2().uordblks;
        records = result.size();
        bytesPerRecord = records ? double(after - before) / double(records) : 0;
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * qint64(image.width()) * image.height());
    state.counters["records"] = double(records);
    state.counters["bytes_per_record"] = bytesPerRecord;
}

void BM_EmitGreyPhoto(benchmark::State &state)
{
    emitRaster(state, photo(), "gray");
}
BENCHMARK(BM_EmitGreyPhoto)->Arg(0)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_EmitBlackWhiteLineDrawing(benchmark::State &state)
{
    emitRaster(state, lineDrawing(), "bw");
}
BENCHMARK(BM_EmitBlackWhiteLineDrawing)->Arg(0)->Arg(30)->Arg(90)->Unit(benchmark::kMillisecond);

QString photoDataUri()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo().scaled(1000, 1000).save(&buffer, "png");
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

template <QString (*prepare)(QString &, double, double)>
void BM_Prepare(benchmark::State &state)
{
    const QString uri = photoDataUri();
    for (auto _ : state) {
        QString text = uri;
        benchmark::DoNotOptimize(prepare(text, 1000, 1000));
    }
    state.SetItemsProcessed(state.iterations() * 1000 * 1000);
}
BENCHMARK_TEMPLATE(BM_Prepare, garyBase64)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Prepare, bwBase64)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Prepare, halftoneBase64)->Unit(benchmark::kMillisecond);

void BM_Rotate(benchmark::State &state)
{
    const cv::Mat grey = imageToGreyMatrix(photo());
    for (auto _ : state) {
        double dx = 0;
        double dy = 0;
        benchmark::DoNotOptimize(imageRotate(grey, 30, dx, dy));
    }
    state.SetItemsProcessed(state.iterations() * qint64(grey.total()));
}
BENCHMARK(BM_Rotate)->Unit(benchmark::kMillisecond);

void BM_TraceLineDrawing(benchmark::State &state)
{
    const QImage image = lineDrawing().scaled(1000, 1000);
    for (auto _ : state)
        benchmark::DoNotOptimize(garyMapToPath(image));
    state.SetItemsProcessed(state.iterations() * 1000 * 1000);
}
BENCHMARK(BM_TraceLineDrawing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
