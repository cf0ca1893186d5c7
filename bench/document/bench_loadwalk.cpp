// Loading and walking a design of many paths, against QSvgRenderer loading
// and rendering the same file once. Run with --peak-memory=<case> to load one
// case once and print the peak resident size instead.
#include "canvas/domtreeview.h"
#include "document/svgview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

QTemporaryDir *workDir = nullptr;

// A file of `count` closed paths of five segments each, in one layer.
QString designFile(int count)
{
    const QString path = workDir->path() + QStringLiteral("/paths-%1.svg").arg(count);
    if (QFile::exists(path))
        return path;
    QByteArray text = "<svg xmlns='http://www.w3.org/2000/svg' width='2000' height='2000'><g>\n";
    for (int i = 0; i < count; ++i) {
        const int x = i % 100 * 20;
        const int y = i / 100 % 100 * 20;
        text += "<path d='M " + QByteArray::number(x) + ' ' + QByteArray::number(y) + " l 10 0 l 5 5 l -5 5 l -10 0 "
                "c -3 -3 -3 -7 0 -10 z' style='fill:none;stroke:#000000;stroke-width:0.5'/>\n";
    }
    text += "</g></svg>\n";
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

void loadAndWalk(const QString &path)
{
    SVGView view(nullptr);
    DomTreeView tree(nullptr, QSize(256, 256));
    view.load(path);
    tree.setView(&view);
    tree.expandAll();
}

void renderWithQt(const QString &path)
{
    QSvgRenderer renderer(path);
    QImage image(1000, 1000, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
}

void BM_LoadAndWalk(benchmark::State &state)
{
    const QString path = designFile(int(state.range(0)));
    for (auto _ : state)
        loadAndWalk(path);
}
BENCHMARK(BM_LoadAndWalk)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_QSvgRendererLoadAndRender(benchmark::State &state)
{
    const QString path = designFile(int(state.range(0)));
    for (auto _ : state)
        renderWithQt(path);
}
BENCHMARK(BM_QSvgRendererLoadAndRender)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    workDir = &dir;
    // Diagnostics of the document code would dominate the timing.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--peak-memory=", 14) == 0) {
            const QString which = QString::fromLatin1(argv[i] + 14);
            const int count = which.section(':', 1).toInt();
            const QString path = designFile(count > 0 ? count : 10000);
            const long before = peakResidentKb();
            if (which.startsWith(QLatin1String("qt")))
                renderWithQt(path);
            else
                loadAndWalk(path);
            std::printf("%s: VmHWM before %ld kB, after %ld kB\n", argv[i] + 14, before, peakResidentKb());
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
