// Edits of what lies inside the subnets: a block's own layout and the plan's hosts. The
// host commands keep what they replace (hosts are not journaled), so that one edit costs
// only the host it touches, however many the plan holds.
#include <algorithm>

#include "plan/journal_command.h"

namespace mq::plan {

namespace {

std::string countText(std::size_t n, std::string_view what)
{
    return std::to_string(n) + " " + std::string(what) + (n == 1 ? "" : "s");
}

class SetLayoutCommand : public JournalCommand {
public:
    SetLayoutCommand(BlockId id, SubnetLayout layout) : id_(id), layout_(std::move(layout)) { }

private:
    std::string run(Plan& plan) override
    {
        if (!plan.exists(id_))
            return "block " + std::to_string(id_) + " does not exist";
        label_ = "Set layout of " + net::formatNetwork(plan.block(id_).prefix);
        return plan.setSubnetLayout(id_, layout_);
    }
    BlockId id_;
    SubnetLayout layout_;
};

class AddHostsCommand : public Command {
public:
    explicit AddHostsCommand(std::vector<Host> hosts) : hosts_(std::move(hosts)) { }
    std::string apply(Plan& plan) override
    {
        if (hosts_.empty())
            return "no host to add";
        if (hosts_.size() > kMaxHosts - std::min(kMaxHosts, plan.hosts().size()))
            return "a plan holds at most " + std::to_string(kMaxHosts) + " hosts";
        const std::size_t start = plan.hosts().size();
        for (std::size_t i = 0; i < hosts_.size(); ++i) {
            if (auto r = plan.insertHost(start + i, hosts_[i]); !r.empty()) {
                while (plan.hosts().size() > start)
                    plan.eraseHost(plan.hosts().size() - 1);
                return hosts_.size() == 1
                           ? r
                           : "host " + std::to_string(i + 1) + " of " + std::to_string(hosts_.size()) + ": " + r;
            }
        }
        return {};
    }
    void revert(Plan& plan) override
    {
        for (std::size_t i = 0; i < hosts_.size() && !plan.hosts().empty(); ++i)
            plan.eraseHost(plan.hosts().size() - 1);
    }
    std::string text() const override
    {
        return hosts_.size() == 1 ? "Add host " + hosts_[0].name : "Add " + countText(hosts_.size(), "host");
    }

private:
    std::vector<Host> hosts_;
};

class EditHostCommand : public Command {
public:
    EditHostCommand(std::size_t i, Host host) : i_(i), new_(std::move(host)) { }
    std::string apply(Plan& plan) override
    {
        if (i_ >= plan.hosts().size())
            return "there is no host " + std::to_string(i_ + 1);
        Host old = plan.hosts()[i_];
        if (auto r = plan.setHost(i_, new_); !r.empty())
            return r;
        old_ = std::move(old);
        return {};
    }
    void revert(Plan& plan) override { (void)plan.setHost(i_, old_); }
    std::string text() const override { return "Edit host " + (old_.name.empty() ? new_.name : old_.name); }

private:
    std::size_t i_;
    Host new_, old_;
};

class DeleteHostsCommand : public Command {
public:
    explicit DeleteHostsCommand(std::vector<std::size_t> indices) : indices_(std::move(indices))
    {
        std::sort(indices_.begin(), indices_.end());
        indices_.erase(std::unique(indices_.begin(), indices_.end()), indices_.end());
    }
    std::string apply(Plan& plan) override
    {
        if (indices_.empty())
            return "no host to delete";
        if (indices_.back() >= plan.hosts().size())
            return "there is no host " + std::to_string(indices_.back() + 1);
        if (indices_.size() == 1) {
            removed_ = {plan.hosts()[indices_[0]]};
            plan.eraseHost(indices_[0]);
            return {};
        }
        // Many at once: one pass over the list, not one erase each.
        std::vector<Host> all;
        plan.swapHosts(all);
        removed_.clear();
        std::size_t kept = 0, next = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (next < indices_.size() && indices_[next] == i) {
                removed_.push_back(std::move(all[i]));
                ++next;
            } else {
                if (kept != i)  // a move onto itself would empty it
                    all[kept] = std::move(all[i]);
                ++kept;
            }
        }
        all.resize(kept);
        plan.swapHosts(all);
        return {};
    }
    void revert(Plan& plan) override
    {
        if (indices_.size() == 1) {
            (void)plan.insertHost(indices_[0], removed_[0]);
            return;
        }
        std::vector<Host> rest;
        plan.swapHosts(rest);
        std::vector<Host> all;
        all.reserve(rest.size() + removed_.size());
        std::size_t from = 0, next = 0;
        while (from < rest.size() || next < removed_.size()) {
            if (next < removed_.size() && indices_[next] == all.size())
                all.push_back(std::move(removed_[next++]));
            else
                all.push_back(std::move(rest[from++]));
        }
        removed_.clear();
        plan.swapHosts(all);
    }
    std::string text() const override
    {
        return indices_.size() == 1 && !removed_.empty() ? "Delete host " + removed_[0].name
                                                         : "Delete " + countText(indices_.size(), "host");
    }

private:
    std::vector<std::size_t> indices_;
    std::vector<Host> removed_;
};

}  // namespace

std::unique_ptr<Command> makeSetLayout(BlockId id, SubnetLayout layout)
{
    return std::make_unique<SetLayoutCommand>(id, std::move(layout));
}
std::unique_ptr<Command> makeAddHosts(std::vector<Host> hosts)
{
    return std::make_unique<AddHostsCommand>(std::move(hosts));
}
std::unique_ptr<Command> makeEditHost(std::size_t i, Host host)
{
    return std::make_unique<EditHostCommand>(i, std::move(host));
}
std::unique_ptr<Command> makeDeleteHosts(std::vector<std::size_t> indices)
{
    return std::make_unique<DeleteHostsCommand>(indices);
}

}  // namespace mq::plan
