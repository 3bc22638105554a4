// Painting the planner's allocation map (offscreen, 800 x 400 pixels): a plan
// of 100,001 blocks at the whole-space zoom and zoomed in, against the empty
// map of a plan with only its root block, in the same run; and the window
// opening that plan.
//   build/bench/planner/planner_bench --benchmark_counters_tabular=true
#include "plan/document.h"
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/planner.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using mq::plan::Plan;

// 10.0.0.0/8 in 65,536 /24s, the first 17,232 of them halved: 100,001 blocks.
const Plan& bigPlan()
{
    static Plan p = [] {
        Plan plan({mq::net::Address::v4(0x0A000000u), 8});
        plan.split(plan.root(), 1 << 16);
        const auto parts = plan.block(plan.root()).children;
        for (std::size_t i = 0; i < 17232; ++i)
            plan.split(parts[i], 2);
        for (std::size_t i = 0; i < parts.size(); i += 3)
            if (plan.block(parts[i]).children.empty())
                plan.setAssigned(parts[i], true);
        return plan;
    }();
    return p;
}

void paintMap(benchmark::State& state, const Plan& plan, int zoom)
{
    mq::ui::AllocationMap map;
    map.resize(800, 400);
    map.setPlan(&plan);
    map.setZoom(zoom);
    map.scrollBar()->setValue(map.scrollBar()->maximum() / 3);
    QImage image(map.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        map.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["blocks"] = static_cast<double>(plan.blockCount());
}

void BM_EmptyMap(benchmark::State& state)
{
    static Plan empty({mq::net::Address::v4(0x0A000000u), 8});
    paintMap(state, empty, 0);
}
void BM_Map100kWhole(benchmark::State& state)
{
    paintMap(state, bigPlan(), 0);
}
void BM_Map100kZoom6(benchmark::State& state)
{
    paintMap(state, bigPlan(), 6);
}
void BM_Map100kZoom12(benchmark::State& state)
{
    paintMap(state, bigPlan(), 12);
}
void BM_IndexRebuild100k(benchmark::State& state)
{
    mq::planner::MapIndex index;
    for (auto _ : state)
        index.rebuild(bigPlan());
}

// Wall-clock time per frame: what the user waits for.
// The whole window taking a 100,001-block plan: read, tree rebuilt, map indexed.
void BM_WindowOpens100k(benchmark::State& state)
{
    mq::test::FakePlannerServices sv;
    sv.files["/big.mqplan"] = mq::plan::writeDocument(bigPlan());
    mq::ui::Planner window(nullptr, &sv);
    window.resize(1000, 640);
    window.show();
    for (auto _ : state) {
        window.form().openFile("/big.mqplan");
        window.refresh();
        QApplication::processEvents();
    }
}

BENCHMARK(BM_EmptyMap)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Map100kWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Map100kZoom6)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Map100kZoom12)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IndexRebuild100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowOpens100k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
