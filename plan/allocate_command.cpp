// The Allocate command: allocate()'s placements made blocks of the tree. Free space that
// a placement spans is joined (regrouping parts where it covers some of them), free leaves
// are halved down to it, and halves regrouped on the way that stay wholly free are joined
// again, so the tree grows no more than the placements need.
#include <algorithm>
#include <array>
#include <map>

#include "plan/journal_command.h"

namespace mq::plan {

namespace {

// Colours told apart at a glance on the allocation map, one per placed segment in turn.
constexpr std::array<std::uint32_t, 12> kPalette{0x4E79A7, 0xF28E2B, 0xE15759, 0x76B7B2, 0x59A14F, 0xEDC948,
                                                 0xB07AA1, 0xFF9DA7, 0x9C755F, 0xBAB0AC, 0x86BCB6, 0xD37295};

bool blankFreeLeaf(const Block& b)
{
    return b.children.empty() && b.state == BlockState::Free && b.name.empty() && b.note.empty() && b.colour == 0;
}

}  // namespace

std::string joinBlankHalves(Plan& plan, const std::vector<BlockId>& regrouped)
{
    for (auto it = regrouped.rbegin(); it != regrouped.rend(); ++it) {
        if (!plan.exists(*it) || plan.block(*it).children.empty())
            continue;
        const auto& kids = plan.block(*it).children;
        if (std::all_of(kids.begin(), kids.end(), [&](BlockId c) { return blankFreeLeaf(plan.block(c)); }))
            if (auto r = plan.join(*it); !r.empty())
                return r;
    }
    return {};
}

namespace {

class AllocateCommand : public JournalCommand {
public:
    AllocateCommand(std::vector<BlockId> targets, std::vector<Segment> segments)
        : targets_(std::move(targets)), segments_(std::move(segments))
    {
    }

    // The segment list goes in with the blocks and out with them, swapped with the one held.
    std::string apply(Plan& plan) override
    {
        if (!swapped_)
            held_ = segments_;
        if (auto r = JournalCommand::apply(plan); !r.empty())
            return r;
        plan.swapSegments(held_);
        swapped_ = true;
        return {};
    }
    void revert(Plan& plan) override
    {
        JournalCommand::revert(plan);
        plan.swapSegments(held_);
    }

private:
    std::string run(Plan& plan) override
    {
        label_ =
            "Allocate " + std::to_string(segments_.size()) + (segments_.size() == 1 ? " segment in " : " segments in ");
        for (std::size_t t = 0; t < targets_.size(); ++t)
            label_ += (t ? " and " : "") +
                      (plan.exists(targets_[t]) ? net::formatNetwork(plan.block(targets_[t]).prefix) : "?");
        const auto placements = allocate(plan, targets_, segments_);
        std::string firstReason = segments_.empty() ? "there are no segments" : "";
        std::size_t placed = 0;
        std::vector<BlockId> regrouped;
        for (std::size_t i = 0; i < placements.size(); ++i) {
            const Placement& p = placements[i];
            const Segment& s = segments_[i];
            if (!p.placed()) {  // in a dual-stack plan, in neither family
                if (firstReason.empty())
                    firstReason = p.name + ": " + unplacedReason(p);
                continue;
            }
            const std::uint32_t colour = kPalette[placed++ % kPalette.size()];
            for (std::size_t t = 0; t < targets_.size(); ++t) {
                const Place& where = t == 0 ? static_cast<const Place&>(p) : *p.second;
                BlockId leaf = kNoBlock;
                if (auto r = plan.carve(*where.prefix, &leaf, targets_[t], &regrouped); !r.empty())
                    return r;
                if (auto r = plan.collapse(leaf); !r.empty())
                    return r;
                for (auto r : {plan.setName(leaf, s.name), plan.setAssigned(leaf, true, s.hosts, s.growthPercent),
                               plan.setVlan(leaf, s.vlan), plan.setColour(leaf, colour)})
                    if (!r.empty())
                        return r;
            }
        }
        if (!placed)
            return "no segment fits: " + firstReason;
        return joinBlankHalves(plan, regrouped);
    }

    std::vector<BlockId> targets_;
    std::vector<Segment> segments_;
    std::vector<Segment> held_;  // the list the plan does not have now
    bool swapped_ = false;
};

}  // namespace

std::unique_ptr<Command> makeAllocate(std::vector<BlockId> targets, std::vector<Segment> segments)
{
    return std::make_unique<AllocateCommand>(std::move(targets), std::move(segments));
}

std::unique_ptr<Command> makeAllocate(BlockId within, std::vector<Segment> segments)
{
    return makeAllocate(std::vector<BlockId>{within}, std::move(segments));
}

}  // namespace mq::plan
