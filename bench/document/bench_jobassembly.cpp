// Job generation from whole designs: time, peak memory, size of the job and
// how it compares to the time the machine needs to receive it.
//
// Run one case per process for a meaningful peak memory, e.g.
//   build/bin/bench_jobassembly --benchmark_filter=VectorOutlines
#include "document/svgview.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>

namespace {

// Text form of the job travels at 115 200 baud: 11 520 characters a second.
constexpr double LinkBytesPerSecond = 11520;

QString head(double widthUnits, double heightUnits)
{
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                          "xmlns:lumacraft=\"http://www.lumacraft.net/scribo\" width=\"%1\" height=\"%2\">\n")
        .arg(widthUnits)
        .arg(heightUnits);
}

QString parameters(double spacing)
{
    return QStringLiteral("lumacraft:scanAccuracy=\"%1\" lumacraft:scanTimes=\"1\" lumacraft:scanAngle=\"0\" "
                          "lumacraft:scanBuffer=\"0\" lumacraft:scanError=\"0\" "
                          "lumacraft:XMotorMovementError=\"0\" lumacraft:YMotorMovementError=\"0\"")
        .arg(spacing);
}

// 2 000 outlines: 1 000 circles each holding a small square, on a 150 mm area.
QString vectorDesign()
{
    QString text = head(1875, 1875);
    for (int i = 0; i < 1000; ++i) {
        const double cx = 30 + (i % 40) * 45;
        const double cy = 30 + (i / 40) * 70;
        text += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"20\" style=\"fill:none\" %3/>\n"
                               "<rect x=\"%4\" y=\"%5\" width=\"16\" height=\"16\" style=\"fill:none\" %3/>\n")
                    .arg(cx)
                    .arg(cy)
                    .arg(parameters(0.1))
                    .arg(cx - 8)
                    .arg(cy - 8);
    }
    return text + QStringLiteral("</svg>\n");
}

// A filled square filling the whole work area.
QString filledDesign(double sideMm, double spacing)
{
    const double side = sideMm * 12.5;
    return head(side, side)
        + QStringLiteral("<rect x=\"0\" y=\"0\" width=\"%1\" height=\"%1\" style=\"fill:#000\" %2/>\n</svg>\n")
              .arg(side)
              .arg(parameters(spacing));
}

// A photograph-like picture: smooth shading with fine texture, 1000 x 1000 px,
// placed as 100 x 100 mm and engraved in grey at 0.1 mm.
QString photoDesign()
{
    QImage photo(1000, 1000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int v = int(127 + 80 * std::sin(x / 37.0) * std::cos(y / 53.0) + ((x * 7 + y * 13) % 31) - 15);
            const int g = qBound(0, v, 255);
            line[x] = qRgb(g, (g + x) % 256, (g + y) % 256);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "PNG");
    const double side = 100 * 12.5;
    return head(side, side)
        + QStringLiteral("<image x=\"0\" y=\"0\" width=\"%1\" height=\"%1\" lumacraft:image=\"gray\" %2 "
                         "xlink:href=\"data:image/png;base64,%3\"/>\n</svg>\n")
              .arg(side)
              .arg(parameters(0.1))
              .arg(QString::fromLatin1(png.toBase64()));
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void generate(benchmark::State &state, const QString &design)
{
    qint64 bytes = 0;
    int records = 0;
    for (auto _ : state) {
        SVGView view(nullptr);
        view.paintPower = 1000;
        view.paintSpeed = 12000;
        const QString failure = view.svg2Gcode(design);
        if (!failure.isEmpty()) {
            state.SkipWithError(qPrintable(failure));
            return;
        }
        state.PauseTiming();
        records = view.mGcode.size();
        bytes = 0;
        for (const GCodeBuffer &record : view.mGcode)
            bytes += gcodeBuffer2Str(record).size();
        state.ResumeTiming();
    }
    state.counters["records"] = records;
    state.counters["job_bytes"] = double(bytes);
    state.counters["peak_rss_MB"] = peakMegabytes();
    // Seconds on the link per second of generation.
    state.counters["link_to_generation"] =
        benchmark::Counter(double(bytes) / LinkBytesPerSecond * state.iterations(), benchmark::Counter::kIsRate);
}

void VectorOutlines2000(benchmark::State &state)
{
    static const QString design = vectorDesign();
    generate(state, design);
}

void Filled100mmAt005(benchmark::State &state)
{
    static const QString design = filledDesign(100, 0.05);
    generate(state, design);
}

void Photo1000pxGray(benchmark::State &state)
{
    static const QString design = photoDesign();
    generate(state, design);
}

void Filled300mmAt002(benchmark::State &state)
{
    static const QString design = filledDesign(300, 0.02);
    generate(state, design);
}

BENCHMARK(VectorOutlines2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Filled100mmAt005)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Photo1000pxGray)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Filled300mmAt002)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    // The intermediate file goes to the documents folder: never the user's.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DOCUMENTS_DIR", QFile::encodeName(home.path() + QStringLiteral("/Documents")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Job generation writes diagnostics and an intermediate file; keep both quiet.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
