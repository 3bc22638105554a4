// What a plan keeps for other tools, as commands: the values handed to an IPAM, the reserved
// mark of blocks, and the settings the DHCP and DNS configuration is written with.
#include "plan/allocations.h"
#include "plan/journal_command.h"

namespace mq::plan {

namespace {

class IpamValuesCommand : public Command {
public:
    explicit IpamValuesCommand(IpamValues v) : new_(std::move(v)) { }
    std::string apply(Plan& plan) override
    {
        const std::pair<const char*, const std::string*> texts[] = {
            {"tenant", &new_.tenant},        {"role", &new_.role},     {"VRF", &new_.vrf},
            {"section", &new_.section},      {"domain", &new_.domain}, {"customer", &new_.customer},
            {"VLAN group", &new_.vlanGroup}, {"site", &new_.site}};
        for (const auto& [what, text] : texts)
            if (auto r = checkName(*text); !r.empty())
                return std::string("the ") + what + " " + r;
        for (const auto& tag : new_.tags) {
            if (auto r = checkName(tag); !r.empty() || tag.empty())
                return "a tag " + (tag.empty() ? "is empty" : r);
            if (auto r = checkSlug(tag); !r.empty())
                return "the tag \"" + tag + "\" " + r;
        }
        old_ = plan.ipamValues();
        plan.setIpamValues(new_);
        return {};
    }
    void revert(Plan& plan) override { plan.setIpamValues(old_); }
    std::string text() const override { return "Change the IPAM values"; }

private:
    IpamValues new_, old_;
};

// The settings only: the subnet IDs and zone serials are the writers' to keep, and an undo
// must never hand a block's ID to another.
class OutputSettingsCommand : public Command {
public:
    explicit OutputSettingsCommand(OutputSettings s) : new_(std::move(s)) { }
    std::string apply(Plan& plan) override
    {
        if (auto r = checkNewOutputs(plan, new_); !r.empty())
            return r;
        old_ = plan.outputSettings();
        plan.setOutputSettings(new_);
        return {};
    }
    void revert(Plan& plan) override { plan.setOutputSettings(old_); }
    std::string text() const override { return "Change the output settings"; }

private:
    OutputSettings new_, old_;
};

class ReserveCommand : public JournalCommand {
public:
    ReserveCommand(BlockId id, bool reserved) : id_(id), reserved_(reserved) { }

private:
    std::string run(Plan& plan) override
    {
        if (!plan.exists(id_))
            return "block " + std::to_string(id_) + " does not exist";
        const Block& b = plan.block(id_);
        const std::string title = net::formatNetwork(b.prefix);
        label_ = (reserved_ ? "Reserve " : "Unreserve ") + title;
        if (!b.children.empty())
            return title + " is split: only its parts can be reserved";
        if ((b.state == BlockState::Reserved) == reserved_)
            return title + (reserved_ ? " is reserved already" : " is not reserved");
        if (b.state == BlockState::Free)
            if (auto r = plan.setAssigned(id_, true); !r.empty())
                return r;
        // Both blocks of a dual-stack segment are kept back, or given back, together.
        const BlockId other = pairedBlock(plan, id_);
        if (other != kNoBlock) {
            label_ += " and " + net::formatNetwork(plan.block(other).prefix);
            if (auto r = plan.setReserved(other, reserved_); !r.empty())
                return r;
        }
        return plan.setReserved(id_, reserved_);
    }
    BlockId id_;
    bool reserved_;
};

}  // namespace

std::unique_ptr<Command> makeSetIpamValues(IpamValues values)
{
    return std::make_unique<IpamValuesCommand>(std::move(values));
}
std::unique_ptr<Command> makeSetOutputSettings(OutputSettings settings)
{
    return std::make_unique<OutputSettingsCommand>(std::move(settings));
}
std::unique_ptr<Command> makeSetReserved(BlockId id, bool reserved)
{
    return std::make_unique<ReserveCommand>(id, reserved);
}

}  // namespace mq::plan
