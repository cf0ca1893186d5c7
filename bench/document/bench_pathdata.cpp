// Path-data parsing throughput on real and synthetic path data.
#include "svgvalues.h"

#include <QDomDocument>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

// The longest "d" attribute of a checked-in real-world drawing.
QString longestRealPath()
{
    QFile file(QStringLiteral(SCRIBO_SOURCE_DIR "/tests/data/inkscape-tutorials__tutorial-shapes.svg"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QDomDocument document;
    if (!document.setContent(&file))
        return QString();
    QString longest;
    const QDomNodeList paths = document.elementsByTagName(QStringLiteral("path"));
    for (int i = 0; i < paths.count(); ++i) {
        const QString d = paths.at(i).toElement().attribute(QStringLiteral("d"));
        if (d.size() > longest.size())
            longest = d;
    }
    return longest;
}

void parseAndCount(benchmark::State &state, const QString &d)
{
    if (d.isEmpty()) {
        state.SkipWithError("no path data");
        return;
    }
    const QByteArray utf8 = d.toUtf8();
    for (auto _ : state) {
        bool ok = false;
        const QPainterPath path = getPathTraitFromString(d, &ok);
        benchmark::DoNotOptimize(path.elementCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * utf8.size());
    state.counters["chars"] = d.size();
}

void BM_ParseLongestRealPath(benchmark::State &state)
{
    static const QString d = longestRealPath();
    parseAndCount(state, d);
}
BENCHMARK(BM_ParseLongestRealPath);

// About 1 MB of mixed absolute and relative commands with curves.
void BM_ParseSyntheticMegabyte(benchmark::State &state)
{
    static const QString d = [] {
        QString text = QStringLiteral("M10.5,20.25");
        while (text.size() < 1024 * 1024)
            text += QStringLiteral(" c1.25,-2.5 3.75,4.125 5,0 l-.5e1,2.5 S12.5 7 14.25-3.5 h3 v-1.75 Q 4 5 6 7");
        return text;
    }();
    parseAndCount(state, d);
}
BENCHMARK(BM_ParseSyntheticMegabyte);

void BM_WritePathToD(benchmark::State &state)
{
    static const QPainterPath path = getPathTraitFromString(longestRealPath());
    for (auto _ : state)
        benchmark::DoNotOptimize(pathToD(path).size());
    state.counters["elements"] = path.elementCount();
}
BENCHMARK(BM_WritePathToD);

} // namespace

BENCHMARK_MAIN();
