// The Allocate panel with 1,000,000 segments into 10.0.0.0/8: the worker's
// part (copy, read, place, build, list) and the part that stays on the
// window's thread (taking the built plan in, the tree, the map, the result
// list), which is what the user waits for.
//   QT_QPA_PLATFORM=offscreen build/bench/planner/planner_bench --benchmark_filter=Allocat
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/planner.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const std::string& millionSegments()
{
    static const std::string text = [] {
        std::string t;
        for (int i = 0; i < 1'000'000; ++i)
            t += "seg" + std::to_string(i) + ", " + std::to_string(1 + i % 13) + ", 10\n";
        return t;
    }();
    return text;
}

void BM_AllocationWorker1M(benchmark::State& state)
{
    mq::test::FakePlannerServices sv;
    mq::planner::PlannerForm form(sv);
    form.newPlan("10.0.0.0/8");
    for (auto _ : state) {
        auto run = form.startAllocation(form.plan().root(), millionSegments());
        run->run();
        benchmark::DoNotOptimize(run->lines().size());
    }
}

void BM_AllocationWindowThread1M(benchmark::State& state)
{
    mq::test::FakePlannerServices sv;
    mq::ui::Planner window(nullptr, &sv);
    window.resize(1000, 640);
    window.show();
    window.form().newPlan("10.0.0.0/8");
    window.refresh();
    std::unique_ptr<mq::planner::AllocationRun> run;
    for (auto _ : state) {
        state.PauseTiming();
        run.reset();  // the window frees it on a worker thread
        window.form().undo();
        window.refresh();
        run = window.form().startAllocation(window.form().plan().root(), millionSegments());
        run->run();
        QApplication::processEvents();
        state.ResumeTiming();
        window.form().finishAllocation(*run);
        window.refresh();
        QApplication::processEvents();
    }
    state.counters["blocks"] = static_cast<double>(window.form().plan().blockCount());
}

void BM_AllocationFinishOnly1M(benchmark::State& state)
{
    mq::test::FakePlannerServices sv;
    mq::planner::PlannerForm form(sv);
    form.newPlan("10.0.0.0/8");
    std::unique_ptr<mq::planner::AllocationRun> run;
    for (auto _ : state) {
        state.PauseTiming();
        run.reset();  // the window frees it on a worker thread
        form.undo();
        run = form.startAllocation(form.plan().root(), millionSegments());
        run->run();
        state.ResumeTiming();
        form.finishAllocation(*run);
    }
}

// Undo and redo of that allocation, each with the window's refresh: both put
// back the blocks the allocation changed from its journal, nothing is placed again.
void BM_AllocationUndoRedo1M(benchmark::State& state)
{
    mq::test::FakePlannerServices sv;
    mq::ui::Planner window(nullptr, &sv);
    window.resize(1000, 640);
    window.show();
    window.form().newPlan("10.0.0.0/8");
    window.refresh();
    auto run = window.form().startAllocation(window.form().plan().root(), millionSegments());
    run->run();
    window.form().finishAllocation(*run);
    window.refresh();
    QApplication::processEvents();
    double undoSeconds = 0, redoFormSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        window.form().undo();
        window.refresh();
        undoSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto redoStart = std::chrono::steady_clock::now();
        window.form().redo();
        redoFormSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - redoStart).count();
        window.refresh();
    }
    state.counters["undo_ms"] = undoSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["redo_form_ms"] = redoFormSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["blocks"] = static_cast<double>(window.form().plan().blockCount());
    state.SetLabel("a round: undo, then redo");
}

BENCHMARK(BM_AllocationFinishOnly1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_AllocationWorker1M)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AllocationWindowThread1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_AllocationUndoRedo1M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
