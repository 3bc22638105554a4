// One allocation from the Allocate panel, split so that its slow part can run
// away from the window: run() reads the segment list, places the segments and
// builds the result on a copy of the plan, touching nothing of the form, so a
// window may call it on a worker thread; PlannerForm::finishAllocation then
// takes the result in as one undoable change. The form calls both in a row
// when there is no thread.
#pragma once

#include "plan/commands.h"
#include "plan/plan.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

class AllocationRun {
public:
    // What run() is doing, for a progress bar.
    enum class Stage { Waiting, Copying, Reading, Placing, Building, Listing, Done };

    // `source` is read by run() until sourceReleased(): the window keeps the plan
    // as it is until then.
    // `targets`: the block chosen, and in a dual-stack plan a block of the
    // other family too (each segment goes into both).
    AllocationRun(const plan::Plan& source, std::vector<plan::BlockId> targets, std::string segmentsText,
                  std::uint64_t revision);

    void run();
    // Asks run() to stop at its next step; a cancelled run changes nothing.
    void cancel() { stop.store(true); }
    bool cancelled() const { return stop.load(); }
    Stage stage() const { return at.load(); }
    // run() reads the source plan no more: it has its copy, or it has ended.
    bool sourceReleased() const { return ended.load() || stage() > Stage::Copying; }
    bool finished() const { return stage() == Stage::Done; }
    // "Placing 1000000 segments"
    std::string stageText() const;

    // ---- the result, once finished()
    plan::BlockId within() const { return targets.front(); }
    std::uint64_t revision() const { return rev; }
    const std::vector<std::string>& lines() const { return out; }
    std::vector<std::string> takeLines() { return std::move(out); }
    // Which of the lines say what was not read or not placed, in order.
    std::vector<std::size_t> takeRefusedLines() { return std::move(refusedAt); }
    const std::vector<plan::BlockId>& blocks() const { return placedIds; }
    bool placedAny() const { return command != nullptr; }
    // The change that makes the plan what run() built; once only. The plan it
    // replaces is kept here, so the window can free it off its thread.
    std::unique_ptr<plan::Command> takeCommand() { return std::move(command); }

private:
    bool step(Stage next);
    void work();

    const plan::Plan& source;
    std::vector<plan::BlockId> targets;
    std::string text;
    std::uint64_t rev;
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    std::atomic<Stage> at{Stage::Waiting};
    std::atomic<std::size_t> segmentCount{0};
    std::vector<std::string> out;
    std::vector<std::size_t> refusedAt;
    std::vector<plan::BlockId> placedIds;
    std::unique_ptr<plan::Command> command;
    // The plan built, and once taken in, the plan it replaced.
    std::shared_ptr<std::optional<plan::Plan>> built = std::make_shared<std::optional<plan::Plan>>();
};

}  // namespace mq::planner
