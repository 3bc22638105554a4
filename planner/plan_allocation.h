// The Allocate panel's side of the plan: where segments go, a run's result taken in as one
// change, and the result lines that belong to each point of the undo history, so that Undo
// and Redo bring back the list of the plan shown.
#pragma once

#include "plan/plan.h"
#include "planner/allocation_run.h"
#include "planner/plan_session.h"

#include <memory>
#include <string>
#include <vector>

namespace mq::planner {

class PlanAllocation {
public:
    explicit PlanAllocation(PlanSession& session);

    // Places the typed segments into the free space of `within` as one change.
    // Lines that cannot be read are listed in allocationLines and the others
    // are still placed; false when nothing could be placed.
    bool allocate(plan::BlockId within, const std::string& segmentsText);
    // The same in two steps, for a window that runs the slow one elsewhere:
    // the run reads this plan until it has copied it, so nothing may change
    // the plan before run->sourceReleased().
    std::unique_ptr<AllocationRun> startAllocation(plan::BlockId selected, std::string segmentsText) const;
    // Takes a finished run's result in; a cancelled run, or one started on a
    // plan that has changed since, changes nothing and returns false.
    bool finishAllocation(AllocationRun& run);
    // Where segments go with this block selected: the block itself, or its
    // root when it is a leaf already assigned.
    plan::BlockId allocationTarget(plan::BlockId selected) const;
    // The target, and in a dual-stack plan the first root of the other family.
    std::vector<plan::BlockId> allocationTargets(plan::BlockId selected) const;
    // One line per segment placed, not placed, or not read; after Undo or
    // Redo, the lines of the allocation that made the plan shown (none when
    // the last change was not an allocation).
    const std::vector<std::string>& allocationLines() const { return allocLines; }
    // Line i says what was not read or not placed (shown as a warning).
    bool allocationLineRefuses(std::size_t i) const;
    // The blocks the last allocation made, for the window to select.
    const std::vector<plan::BlockId>& allocatedBlocks() const { return allocIds; }

private:
    void historyStep(PlanSession::Step step);
    void showLinesOf(std::size_t at);

    PlanSession& session;
    const plan::Plan& doc;
    std::vector<std::string> allocLines;
    std::vector<std::size_t> allocRefused;  // which of them, in order
    std::vector<plan::BlockId> allocIds;
    // The result lines shown at each point of the history.
    struct ShownLines {
        std::size_t at;
        std::vector<std::string> lines;
        std::vector<std::size_t> refused;
    };
    std::vector<ShownLines> linesAt;
};

}  // namespace mq::planner
