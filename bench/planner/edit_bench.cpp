// One edit in a plan of 1,114,113 blocks (10.0.0.0/8 in 2^16 /24s, each in 16
// /28s, every third /28 of a /24 assigned): split, join, rename, free, assign,
// colour, undo and redo as the window does them, the form model's change and
// everything the window redraws from it (tree, allocations table, map index),
// which is the time the user waits between key press and picture; and a frame
// of the window's map. The baseline, in the same run: the map index and the
// allocations table's rows made afresh over every leaf, as every edit once did.
//   QT_QPA_PLATFORM=offscreen build/bench/planner/planner_bench --benchmark_filter='Edit|Frame'
#include "plan/allocations.h"
#include "plan/document.h"
#include "planner/map_index.h"
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/planner.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

using mq::plan::BlockId;

constexpr int kPartsLog = 16;

struct Window {
    mq::test::FakePlannerServices sv;
    mq::ui::Planner planner{nullptr, &sv};
    BlockId target = mq::plan::kNoBlock;
    Window()
    {
        planner.resize(1000, 640);
        planner.show();
        mq::plan::Plan plan({mq::net::Address::v4(0x0A000000u), 8});
        plan.split(plan.root(), 1 << kPartsLog);
        const auto parts = plan.block(plan.root()).children;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            plan.split(parts[i], 16);
            for (std::size_t k = 0; k < 16; k += 3) {
                const BlockId leaf = plan.block(parts[i]).children[k];
                plan.setName(leaf, "seg " + std::to_string(i * 16 + k));
                plan.setAssigned(leaf, true, 10);
            }
        }
        target = plan.block(parts[parts.size() / 2]).children[4];
        sv.files["big.mqplan"] = mq::plan::writeDocument(plan);
        planner.form().openFile("big.mqplan");
        planner.refresh();
        QApplication::processEvents();
    }
};

// Made once for every benchmark and left for the process to end with: a
// widget must not outlive the application object, as a static one would.
Window& window()
{
    static Window* w = new Window;
    return *w;
}

// Times `edit` and the window's refresh after it; `back`, untimed, puts the plan back.
template <typename Edit, typename Back> void timeEdit(benchmark::State& state, Edit edit, Back back)
{
    Window& w = window();
    for (auto _ : state) {
        edit(w);
        w.planner.refresh();
        state.PauseTiming();
        back(w);
        w.planner.refresh();
        state.ResumeTiming();
    }
    state.counters["blocks"] = static_cast<double>(w.planner.form().plan().blockCount());
}

void undo(Window& w)
{
    w.planner.form().undo();
}

void BM_EditSplit1M(benchmark::State& state)
{
    timeEdit(
        state, [](Window& w) { w.planner.form().split(w.target, 2); }, undo);
}

void BM_EditJoin1M(benchmark::State& state)
{
    Window& w = window();
    w.planner.form().split(w.target, 2);
    w.planner.refresh();
    timeEdit(
        state, [](Window& w) { w.planner.form().join(w.target); }, undo);
    undo(w);
    w.planner.refresh();
}

void BM_EditUndoRedo1M(benchmark::State& state)
{
    Window& w = window();
    w.planner.form().split(w.target, 2);
    w.planner.refresh();
    for (auto _ : state) {
        w.planner.form().undo();
        w.planner.refresh();
        w.planner.form().redo();
        w.planner.refresh();
    }
    state.SetLabel("two edits a round: undo a split, then redo it");
    undo(w);
    w.planner.refresh();
}

void BM_EditRename1M(benchmark::State& state)
{
    Window& w = window();
    int n = 0;
    for (auto _ : state) {
        w.planner.form().rename(w.target, "lab " + std::to_string(n++));
        w.planner.refresh();
    }
}

void BM_EditAssign1M(benchmark::State& state)
{
    timeEdit(
        state, [](Window& w) { w.planner.form().assign(w.target, "lab, 10"); }, undo);
}

void BM_EditFree1M(benchmark::State& state)
{
    Window& w = window();
    w.planner.form().assign(w.target, "lab, 10");
    w.planner.refresh();
    timeEdit(
        state, [](Window& w) { w.planner.form().freeBlock(w.target); }, undo);
    undo(w);
    w.planner.refresh();
}

void BM_EditColour1M(benchmark::State& state)
{
    Window& w = window();
    std::uint32_t c = 0x102030;
    for (auto _ : state) {
        w.sv.colours.push_back(c++);
        w.planner.form().chooseColour(w.target);
        w.planner.refresh();
    }
}

void BM_EditFullRebuildBaseline1M(benchmark::State& state)
{
    const mq::plan::Plan& plan = window().planner.form().plan();
    mq::planner::MapIndex index;
    for (auto _ : state) {
        index.rebuild(plan);
        benchmark::DoNotOptimize(mq::plan::allocationRows(plan).size());
    }
}

// One frame of the window's map: the whole space, and zoomed in on the target.
void frame(benchmark::State& state, int zoom)
{
    Window& w = window();
    mq::ui::AllocationMap* map = w.planner.map();
    map->setZoom(zoom);
    map->scrollToBlock(w.target);
    QImage image(map->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        map->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    map->setZoom(0);
    state.SetLabel(std::to_string(map->width()) + " x " + std::to_string(map->height()) + " pixels");
}

void BM_MapFrame1MWhole(benchmark::State& state)
{
    frame(state, 0);
}

void BM_MapFrame1MZoomed(benchmark::State& state)
{
    frame(state, 12);
}

BENCHMARK(BM_EditFullRebuildBaseline1M)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_EditSplit1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EditJoin1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EditUndoRedo1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EditRename1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EditAssign1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EditFree1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EditColour1M)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MapFrame1MWhole)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MapFrame1MZoomed)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
