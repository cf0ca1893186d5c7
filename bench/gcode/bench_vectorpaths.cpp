// Ordering, flattening and emission of vector outlines.
//
//   build/bin/bench_vectorpaths --benchmark_filter=Order
//
// Layouts: "scattered" places one outline per grid cell; "nested" places four
// concentric rings per cell. Outlines are shuffled so the ordering has work.

#include "gcode/pathgeometry.h"
#include "gcode/pathorder.h"
#include "gcode/vectoremit.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

enum Layout { Scattered = 0, Nested = 1 };

QPainterPath ring(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return pathSwitch(path, 15.0);
}

QList<QPainterPath> makeOutlines(int count, Layout layout)
{
    QRandomGenerator random(12345);
    const int perCell = layout == Nested ? 4 : 1;
    const int cells = (count + perCell - 1) / perCell;
    const int columns = int(std::ceil(std::sqrt(double(cells))));
    QList<QPainterPath> paths;
    for (int cell = 0; cell < cells; ++cell) {
        const QPointF centre((cell % columns) * 100.0 + random.bounded(5.0),
                             (cell / columns) * 100.0 + random.bounded(5.0));
        for (int k = 0; k < perCell && paths.size() < count; ++k)
            paths << ring(centre, 45.0 - 10.0 * k - random.bounded(3.0));
    }
    std::shuffle(paths.begin(), paths.end(), std::mt19937(7));
    return paths;
}

std::vector<std::unique_ptr<PathTreeNode>> makeNodes(const QList<QPainterPath> &paths,
                                                     QList<PathTreeNode *> &list)
{
    std::vector<std::unique_ptr<PathTreeNode>> owned;
    list.clear();
    for (const QPainterPath &path : paths) {
        owned.push_back(std::make_unique<PathTreeNode>());
        owned.back()->path = path;
        list.append(owned.back().get());
    }
    return owned;
}

// Containment tree, ordering of every level and reading order: what job
// generation runs on its stroked outlines.
void BM_OrderOutlines(benchmark::State &state)
{
    const int count = int(state.range(0));
    const auto layout = Layout(state.range(1));
    const auto check = state.range(2) == 0 ? ContainmentCheck::BoundingBoxFirst
                                           : ContainmentCheck::ExactOnly;
    const QList<QPainterPath> paths = makeOutlines(count, layout);
    for (auto _ : state) {
        state.PauseTiming();
        QList<PathTreeNode *> list;
        auto owned = makeNodes(paths, list);
        state.ResumeTiming();
        const QList<PathTreeNode *> roots = sortThePathContainmentRelationshipList(list, check);
        benchmark::DoNotOptimize(readPathTree(roots));
        state.PauseTiming();
        owned.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetLabel(std::string(layout == Nested ? "nested" : "scattered")
                   + (check == ContainmentCheck::BoundingBoxFirst ? ", box first" : ", exact only"));
}

void orderArguments(benchmark::internal::Benchmark *b)
{
    for (int count : {1000, 5000, 20000})
        for (int layout : {Scattered, Nested})
            for (int check : {0, 1})
                b->Args({count, layout, check});
}
BENCHMARK(BM_OrderOutlines)->Apply(orderArguments)->Unit(benchmark::kMillisecond);

// Plain nearest-start ordering (no containment).
void BM_SortThePath(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QList<QPainterPath> paths = makeOutlines(count, Scattered);
    for (auto _ : state)
        benchmark::DoNotOptimize(sortThePath(paths));
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SortThePath)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Flattening of outlines with curves: a circle and a rounded rectangle.
void BM_Flatten(benchmark::State &state)
{
    QList<QPainterPath> paths;
    for (int i = 0; i < 1000; ++i) {
        QPainterPath path;
        if (i % 2 == 0)
            path.addEllipse(QPointF(i, i), 40 + i % 50, 30);
        else
            path.addRoundedRect(QRectF(i, 0, 200, 120), 20, 20);
        paths << path;
    }
    for (auto _ : state) {
        for (const QPainterPath &path : paths)
            benchmark::DoNotOptimize(pathSwitch(path, 15.0));
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_Flatten)->Unit(benchmark::kMillisecond);

// Emission of flattened circles (about 40 points each) with backlash.
void BM_Emit(benchmark::State &state)
{
    const QList<QPainterPath> paths = makeOutlines(int(state.range(0)), Scattered);
    QList<double> percent, backlash;
    for (int i = 0; i < paths.size(); ++i) {
        percent << 50 + i % 50;
        backlash << 0.1;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(path2GcodeBufferIncrement(paths, 0.08f, 2400, 1000, percent,
                                                           percent, backlash, backlash));
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_Emit)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
