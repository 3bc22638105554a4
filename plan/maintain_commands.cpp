// Keeping a plan up: assigning and freeing leaves by hand, tidying free space, settings.
#include <algorithm>

#include "plan/allocations.h"
#include "plan/journal_command.h"

namespace mq::plan {

namespace {

std::string title(const Plan& plan, BlockId id)
{
    return plan.exists(id) ? net::formatNetwork(plan.block(id).prefix) : "block " + std::to_string(id);
}

bool freeLeaf(const Plan& plan, BlockId id)
{
    const Block& b = plan.block(id);
    return b.children.empty() && b.state == BlockState::Free;
}

class AssignCommand : public JournalCommand {
public:
    AssignCommand(BlockId id, Assignment a) : id_(id), a_(std::move(a)) { }

private:
    std::string run(Plan& plan) override
    {
        label_ = "Assign " + title(plan, id_);
        if (!plan.exists(id_))
            return "block " + std::to_string(id_) + " does not exist";
        const Block& b = plan.block(id_);
        if (!b.children.empty())
            return title(plan, id_) + " is split: only its parts can be assigned";
        if (b.state != BlockState::Free)
            return title(plan, id_) + " is already assigned: free it first";
        for (auto r : {plan.setName(id_, a_.name), plan.setNote(id_, a_.note),
                       plan.setAssigned(id_, true, a_.hosts, a_.growthPercent), plan.setVlan(id_, a_.vlan)})
            if (!r.empty())
                return r;
        return placeOtherFamily(plan);
    }

    // In a dual-stack plan a named block is a segment's, and a segment has a block in each
    // family: the other one is placed as an allocation would place it (by hosts and growth;
    // an IPv6 LAN a /64), unless a block of that segment is there already without a partner
    // (as many blocks of its name and VLAN in the other family as in this one).
    std::string placeOtherFamily(Plan& plan)
    {
        if (a_.name.empty() || !plan.isDualStack())
            return {};
        const bool v4 = plan.block(id_).prefix.address.family == net::Family::V4;
        std::ptrdiff_t unpaired = 0;
        for (BlockId b : plan.leaves()) {
            const Block& blk = plan.block(b);
            if (blk.state != BlockState::Free && blk.name == a_.name && blk.vlan == a_.vlan)
                unpaired += (blk.prefix.address.family == net::Family::V4) == v4 ? 1 : -1;
        }
        if (unpaired <= 0)
            return {};
        const char* other = v4 ? "IPv6" : "IPv4";
        const BlockId root = plan.rootOf(v4 ? net::Family::V6 : net::Family::V4);
        if (!v4 && a_.hosts == 0)
            return std::string("the IPv4 block of ") + a_.name + " is sized by the hosts it asks for: give them";
        Segment seg{a_.name, a_.hosts, a_.growthPercent};
        seg.vlan = a_.vlan;
        if (v4 && a_.hosts == 0)
            seg.fixedLength6 = 64;
        const Placement p = allocate(plan, root, {seg}).front();
        if (!p.prefix)
            return std::string("the ") + other + " block of " + a_.name + " does not fit: " + p.reason;
        BlockId leaf = kNoBlock;
        std::vector<BlockId> regrouped;
        if (auto r = plan.carve(*p.prefix, &leaf, root, &regrouped); !r.empty())
            return r;
        if (auto r = plan.collapse(leaf); !r.empty())
            return r;
        for (auto r : {plan.setName(leaf, a_.name), plan.setAssigned(leaf, true, a_.hosts, a_.growthPercent),
                       plan.setVlan(leaf, a_.vlan), plan.setColour(leaf, plan.block(id_).colour)})
            if (!r.empty())
                return r;
        label_ += " and " + title(plan, leaf);
        return joinBlankHalves(plan, regrouped);
    }

    BlockId id_;
    Assignment a_;
};

class FreeCommand : public JournalCommand {
public:
    explicit FreeCommand(BlockId id) : id_(id) { }

private:
    std::string run(Plan& plan) override
    {
        label_ = "Free " + title(plan, id_);
        if (!plan.exists(id_))
            return "block " + std::to_string(id_) + " does not exist";
        if (plan.block(id_).state == BlockState::Free)
            return title(plan, id_) + " is not assigned";
        // Both blocks of a dual-stack segment: found by the name, so before it goes.
        const BlockId other = pairedBlock(plan, id_);
        if (other != kNoBlock)
            label_ += " and " + title(plan, other);
        for (BlockId b : {id_, other}) {
            if (b == kNoBlock)
                continue;
            for (auto r : {plan.setAssigned(b, false), plan.setName(b, ""), plan.setColour(b, 0)})
                if (!r.empty())
                    return r;
        }
        return {};
    }
    BlockId id_;
};

class TidyCommand : public JournalCommand {
public:
    explicit TidyCommand(std::vector<BlockId> under) : under_(std::move(under)) { }

private:
    std::string run(Plan& plan) override
    {
        label_ = under_.size() == 1 ? "Tidy " + title(plan, under_[0]) : "Tidy the plan";
        std::size_t joins = 0;
        for (BlockId b : under_) {
            if (!plan.exists(b))
                return "block " + std::to_string(b) + " does not exist";
            if (auto r = tidy(plan, b, joins); !r.empty())
                return r;
        }
        if (!joins)
            return "there are no free neighbours to join";
        return {};
    }

    // Parts first, then the block itself.
    static std::string tidy(Plan& plan, BlockId b, std::size_t& joins)
    {
        const std::vector<BlockId> kids = plan.block(b).children;
        for (BlockId c : kids)
            if (auto r = tidy(plan, c, joins); !r.empty())
                return r;
        return settle(plan, b, joins);
    }

    // A block whose parts are tidy: joined when every part is a free leaf; else, split into 4
    // or more with two free neighbours that make an aligned pair, regrouped into halves that
    // are settled in turn, so the pair ends up joined.
    static std::string settle(Plan& plan, BlockId b, std::size_t& joins)
    {
        const auto& kids = plan.block(b).children;
        if (kids.empty())
            return {};
        if (std::all_of(kids.begin(), kids.end(), [&](BlockId c) { return freeLeaf(plan, c); })) {
            ++joins;
            return plan.join(b);
        }
        bool pair = false;
        for (std::size_t i = 0; i + 1 < kids.size() && !pair; i += 2)
            pair = freeLeaf(plan, kids[i]) && freeLeaf(plan, kids[i + 1]);
        if (kids.size() < 4 || !pair)
            return {};
        if (auto r = plan.regroup(b); !r.empty())
            return r;
        const std::vector<BlockId> halves = plan.block(b).children;
        for (BlockId h : halves)
            if (auto r = settle(plan, h, joins); !r.empty())
                return r;
        return {};
    }

    std::vector<BlockId> under_;
};

class SettingsCommand : public Command {
public:
    explicit SettingsCommand(Settings s) : new_(s) { }
    std::string apply(Plan& plan) override
    {
        old_ = plan.settings();
        return plan.setSettings(new_);
    }
    void revert(Plan& plan) override { plan.setSettings(old_); }
    std::string text() const override { return "Change the plan's settings"; }

private:
    Settings new_, old_;
};

}  // namespace

std::unique_ptr<Command> makeAssign(BlockId id, Assignment a)
{
    return std::make_unique<AssignCommand>(id, std::move(a));
}
std::unique_ptr<Command> makeFree(BlockId id)
{
    return std::make_unique<FreeCommand>(id);
}
std::unique_ptr<Command> makeTidy(std::vector<BlockId> under)
{
    return std::make_unique<TidyCommand>(std::move(under));
}
std::unique_ptr<Command> makeSetSettings(Settings settings)
{
    return std::make_unique<SettingsCommand>(settings);
}

}  // namespace mq::plan
