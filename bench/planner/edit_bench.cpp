// One edit in a plan of 1,048,577 blocks (10.0.0.0/8 in 2^20 /28s): split,
// join, rename and undo as the window does them, the form model's change and
// everything the window redraws from it (tree, allocations table, map index),
// which is the time the user waits between key press and picture.
//   QT_QPA_PLATFORM=offscreen build/bench/planner/planner_bench --benchmark_filter=Edit
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/planner.h"

#include <QApplication>
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
        auto& form = planner.form();
        form.newPlan("10.0.0.0/8");
        form.split(form.plan().root(), 1 << kPartsLog);
        const auto parts = form.plan().block(form.plan().root()).children;
        for (std::size_t i = 0; i < parts.size(); ++i)
            form.split(parts[i], 16);
        target = form.plan().block(parts[parts.size() / 2]).children[3];
        planner.refresh();
        QApplication::processEvents();
    }
};

// Made once for both benchmarks and left for the process to end with: a
// widget must not outlive the application object, as a static one would.
Window& window()
{
    static Window* w = new Window;
    return *w;
}

void BM_EditSplitAndUndo1M(benchmark::State& state)
{
    Window& w = window();
    for (auto _ : state) {
        w.planner.form().split(w.target, 2);
        w.planner.refresh();
        w.planner.form().undo();
        w.planner.refresh();
    }
    state.counters["blocks"] = static_cast<double>(w.planner.form().plan().blockCount());
    state.SetLabel("two edits a round: split, then undo");
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

BENCHMARK(BM_EditSplitAndUndo1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_EditRename1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
