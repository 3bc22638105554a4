// The Allocate panel's glue: where segments go, and a run's result taken in
// as one change.
#include "planner/planner_form.h"

namespace mq::planner {

using plan::BlockId;

BlockId PlannerForm::allocationTarget(BlockId selected) const
{
    if (!doc.exists(selected))
        return doc.root();
    const plan::Block& b = doc.block(selected);
    if (!(b.children.empty() && b.state != plan::BlockState::Free))
        return selected;
    BlockId up = selected;
    while (doc.block(up).parent != plan::kNoBlock)
        up = doc.block(up).parent;
    return up;
}

std::vector<BlockId> PlannerForm::allocationTargets(BlockId selected) const
{
    const BlockId first = allocationTarget(selected);
    std::vector<BlockId> targets{first};
    if (doc.isDualStack()) {
        const net::Family other =
            doc.block(first).prefix.address.family == net::Family::V4 ? net::Family::V6 : net::Family::V4;
        if (const BlockId root = doc.rootOf(other); root != plan::kNoBlock)
            targets.push_back(root);
    }
    return targets;
}

std::unique_ptr<AllocationRun> PlannerForm::startAllocation(BlockId selected, std::string segmentsText) const
{
    return std::make_unique<AllocationRun>(doc, allocationTargets(selected), std::move(segmentsText), rev);
}

bool PlannerForm::finishAllocation(AllocationRun& r)
{
    if (!r.finished() || r.cancelled() || r.revision() != rev)
        return false;
    allocLines = r.takeLines();
    allocRefused = r.takeRefusedLines();
    allocIds.clear();
    bool any = false;
    if (r.placedAny()) {
        any = run(r.takeCommand());
        if (any) {
            allocIds = r.blocks();
            linesAt.push_back({applied, allocLines, allocRefused});
        }
    }
    changed();
    return any;
}

bool PlannerForm::allocate(BlockId within, const std::string& segmentsText)
{
    auto r = startAllocation(within, segmentsText);
    r->run();
    return finishAllocation(*r);
}

}  // namespace mq::planner
