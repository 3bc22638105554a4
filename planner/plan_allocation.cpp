// The Allocate panel's glue: where segments go, and a run's result taken in
// as one change.
#include "planner/plan_allocation.h"

#include <algorithm>

namespace mq::planner {

using plan::BlockId;

PlanAllocation::PlanAllocation(PlanSession& session) : session(session), doc(session.plan())
{
    session.watch([this](PlanSession::Step step) { historyStep(step); });
}

void PlanAllocation::historyStep(PlanSession::Step step)
{
    switch (step) {
    case PlanSession::Step::Replaced:
        linesAt.clear();
        allocLines.clear();
        allocRefused.clear();
        allocIds.clear();
        break;
    // What could have been redone is gone, and its lines with it.
    case PlanSession::Step::Applied:
        std::erase_if(linesAt, [this](const ShownLines& e) { return e.at >= session.position(); });
        break;
    case PlanSession::Step::Moved: showLinesOf(session.position()); break;
    }
}

void PlanAllocation::showLinesOf(std::size_t at)
{
    allocLines.clear();
    allocRefused.clear();
    allocIds.clear();
    for (const ShownLines& e : linesAt)
        if (e.at == at) {
            allocLines = e.lines;
            allocRefused = e.refused;
        }
}

bool PlanAllocation::allocationLineRefuses(std::size_t i) const
{
    return std::binary_search(allocRefused.begin(), allocRefused.end(), i);
}

BlockId PlanAllocation::allocationTarget(BlockId selected) const
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

std::vector<BlockId> PlanAllocation::allocationTargets(BlockId selected) const
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

std::unique_ptr<AllocationRun> PlanAllocation::startAllocation(BlockId selected, std::string segmentsText) const
{
    return std::make_unique<AllocationRun>(doc, allocationTargets(selected), std::move(segmentsText),
                                           session.revision());
}

bool PlanAllocation::finishAllocation(AllocationRun& r)
{
    if (!r.finished() || r.cancelled() || r.revision() != session.revision())
        return false;
    allocLines = r.takeLines();
    allocRefused = r.takeRefusedLines();
    allocIds.clear();
    bool any = false;
    if (r.placedAny()) {
        any = session.run(r.takeCommand());
        if (any) {
            allocIds = r.blocks();
            linesAt.push_back({session.position(), allocLines, allocRefused});
        }
    }
    session.touch();
    return any;
}

bool PlanAllocation::allocate(BlockId within, const std::string& segmentsText)
{
    auto r = startAllocation(within, segmentsText);
    r->run();
    return finishAllocation(*r);
}

}  // namespace mq::planner
