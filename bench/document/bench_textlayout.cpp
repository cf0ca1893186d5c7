// Text layout and text-to-outline cost against the length of the text.
#include "textlayout.h"
#include "textoutline.h"

#include <QDomDocument>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

// Lines of 80 characters from a small alphabet, as typed text would be.
QString typedText(int length)
{
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text.append(i % 80 == 79 ? QChar('\n') : QChar(i % 7 == 6 ? ' ' : 'a' + i % 26));
    return text;
}

void layout(benchmark::State &state)
{
    const QString text = typedText(int(state.range(0)));
    const QFont font = makeTextFont(QStringLiteral("DejaVu Sans"), 50, QFont::StyleNormal, QFont::Normal);
    TextLayoutSettings settings;
    settings.alignment = int(state.range(1));
    settings.direction = int(state.range(2));
    for (auto _ : state) {
        const TextLayout result = layoutText(text, font, settings);
        benchmark::DoNotOptimize(result.charPositions.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(layout)->ArgsProduct({{100, 2000, 5000, 10000, 20000}, {0, 2}, {1, 0}})->Unit(benchmark::kMillisecond);

void textToPaths(benchmark::State &state)
{
    const QString text = typedText(int(state.range(0)));
    for (auto _ : state) {
        QDomDocument document;
        document.setContent(QStringLiteral("<svg><g><text style='font-family:DejaVu Sans;font-size:50px'/></g></svg>"));
        QDomElement element = document.elementsByTagName(QStringLiteral("text")).at(0).toElement();
        element.appendChild(document.createTextNode(text));
        benchmark::DoNotOptimize(textToPathElements(element, DefaultParameters()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(textToPaths)->Arg(100)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Fonts need a GUI application; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
