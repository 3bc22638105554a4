#include "planner/allocation_run.h"

#include "net/address.h"
#include "plan/allocate.h"
#include "plan/segments.h"
#include "planner/planner_form.h"

namespace mq::planner {

namespace {

// The allocation as the plan's history keeps it. Its first apply swaps in the
// plan that the run already built (the same ids, as the copy was exact) and
// leaves the plan it replaces in the run, to be freed wherever the run is; a
// redo applies the engine's command again.
class BuiltAllocation : public plan::Command {
public:
    BuiltAllocation(std::unique_ptr<plan::Command> inner, std::shared_ptr<std::optional<plan::Plan>> built)
        : engine(std::move(inner)), slot(std::move(built))
    {
    }
    std::string apply(plan::Plan& p) override
    {
        if (!slot)
            return engine->apply(p);
        std::swap(p, **slot);
        slot.reset();
        return {};
    }
    void revert(plan::Plan& p) override { engine->revert(p); }
    std::string text() const override { return engine->text(); }

private:
    std::unique_ptr<plan::Command> engine;
    std::shared_ptr<std::optional<plan::Plan>> slot;
};

}  // namespace

AllocationRun::AllocationRun(const plan::Plan& from, std::vector<plan::BlockId> into, std::string segmentsText,
                             std::uint64_t revision)
    : source(from), targets(std::move(into)), text(std::move(segmentsText)), rev(revision)
{
}

bool AllocationRun::step(Stage next)
{
    at.store(next);
    return !cancelled();
}

std::string AllocationRun::stageText() const
{
    const std::size_t n = segmentCount.load();
    switch (stage()) {
    case Stage::Waiting: return "Waiting";
    case Stage::Copying: return "Copying the plan";
    case Stage::Reading: return "Reading the segment list";
    case Stage::Placing: return "Placing " + countText(n, "segment", "segments");
    case Stage::Building: return "Splitting blocks for " + countText(n, "segment", "segments");
    case Stage::Listing: return "Listing " + countText(n, "result", "results");
    case Stage::Done: return "Done";
    }
    return {};
}

void AllocationRun::run()
{
    work();
    ended.store(true);
}

void AllocationRun::work()
{
    if (!step(Stage::Copying))
        return;
    plan::Plan work = source;
    if (!step(Stage::Reading))
        return;
    std::vector<textio::Problem> errors;
    std::vector<plan::Segment> segments = plan::parseSegments(text, errors, plan::onlyFamily(work));
    segmentCount.store(segments.size());
    for (const auto& e : errors) {
        refusedAt.push_back(out.size());
        out.push_back("Line " + std::to_string(e.line) + ": " + e.message);  // the line quoted escaped already
    }
    if (segments.empty()) {
        if (errors.empty()) {
            refusedAt.push_back(out.size());
            out.push_back("No segments: give one a line as name, hosts, growth %");
        }
        at.store(Stage::Done);
        return;
    }
    if (!step(Stage::Placing))
        return;
    const std::vector<plan::Placement> placed = plan::allocate(work, targets, segments);
    bool any = false;
    for (const plan::Placement& p : placed)
        any = any || p.placed();
    if (any) {
        if (!step(Stage::Building))
            return;
        auto engine = plan::makeAllocate(targets, segments);
        const std::string refused = engine->apply(work);
        if (!refused.empty()) {
            refusedAt.push_back(out.size());
            out.push_back("Nothing was placed: " + refused);
        } else {
            for (const plan::Placement& p : placed)
                for (const plan::Place* at : {static_cast<const plan::Place*>(&p), p.second ? &*p.second : nullptr})
                    if (at && at->prefix)
                        if (const plan::BlockId b = work.blockOf(*at->prefix); b != plan::kNoBlock)
                            placedIds.push_back(b);
            *built = std::move(work);
            command = std::make_unique<BuiltAllocation>(std::move(engine), built);
        }
    }
    if (!step(Stage::Listing))
        return;
    for (const plan::Placement& p : placed) {
        std::string line = p.name + ": ";
        if (!p.placed()) {
            // The reason names the largest free block where that helps, and in a
            // dual-stack plan the family that has no room.
            refusedAt.push_back(out.size());
            out.push_back(line + "does not fit: " + plan::unplacedReason(p));
            continue;
        }
        for (const plan::Place* at : {static_cast<const plan::Place*>(&p), p.second ? &*p.second : nullptr}) {
            if (!at)
                continue;
            if (at != &p)
                line += "; ";
            line += prefixText(*at->prefix) + ", hosts " + net::format(at->first) + " - " + net::format(at->last);
            if (at->prefix->address.family == net::Family::V4)
                line += ", spare " + net::toDecimal(at->spare);
        }
        out.push_back(std::move(line));
    }
    at.store(Stage::Done);
}

}  // namespace mq::planner
