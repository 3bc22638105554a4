// A plan's edits, recorded: every block edit goes through edit, append or kill, so that
// a journal sees each one and views learn which blocks changed; undo and redo swap the
// recorded blocks back in.
#include "plan/plan.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace mq::plan {

std::uint64_t Plan::ChangeLog::next()
{
    static std::atomic<std::uint64_t> serials{1};
    return serials.fetch_add(1);
}

void Plan::changed(BlockId id)
{
    if (changes_.ids.size() >= kMaxChanges)
        changes_ = ChangeLog{};
    changes_.ids.push_back(id);
}

Block& Plan::edit(BlockId id)
{
    changed(id);
    if (Journal* j = journal_.to; j && id < j->seen_.size() && !j->seen_[id]) {
        j->seen_[id] = 1;
        j->entries_.push_back({id, alive_[id] != 0, blocks_[id]});
    }
    return blocks_[id];
}

BlockId Plan::append(Block b)
{
    const auto id = static_cast<BlockId>(blocks_.size());
    changed(id);
    if (journal_.to)
        journal_.to->entries_.push_back({id, false, Block{}});  // new: it was not there
    blocks_.push_back(std::move(b));
    alive_.push_back(1);
    ++live_;
    return id;
}

void Plan::kill(BlockId id)
{
    if (!blockIpam_.empty())
        (void)setBlockIpam(id, {});
    if (layouts_.count(id)) {
        recordLayout(id);
        layouts_.erase(id);
    }
    edit(id) = Block{};
    alive_[id] = 0;
    --live_;
}

void Plan::startJournal(Journal& j)
{
    j = Journal{};
    j.seen_.assign(blocks_.size(), 0);
    journal_.to = &j;
}

void Plan::stopJournal()
{
    if (!journal_.to)
        return;
    std::vector<std::uint8_t>().swap(journal_.to->seen_);  // not kept by every command in the history
    std::vector<std::uint8_t>().swap(journal_.to->ipamSeen_);
    std::vector<std::uint8_t>().swap(journal_.to->layoutSeen_);
    journal_.to = nullptr;
}

void Plan::swapWith(Journal& j)
{
    for (auto& e : j.entries_) {
        changed(e.id);
        if (e.id >= blocks_.size()) {
            blocks_.resize(e.id + 1);
            alive_.resize(e.id + 1, 0);
        }
        const bool was = alive_[e.id] != 0;
        live_ = live_ + e.alive - was;
        alive_[e.id] = e.alive;
        e.alive = was;
        std::swap(blocks_[e.id], e.block);
    }
    for (auto& [id, values] : j.ipam_) {
        changed(id);
        std::optional<BlockIpam> now;
        if (auto it = blockIpam_.find(id); it != blockIpam_.end()) {
            now = std::move(it->second);
            blockIpam_.erase(it);
        }
        if (values)
            blockIpam_.emplace(id, std::move(*values));
        values = std::move(now);
    }
    for (auto& [id, layout] : j.layouts_) {
        changed(id);
        std::optional<SubnetLayout> now;
        if (auto it = layouts_.find(id); it != layouts_.end()) {
            now = std::move(it->second);
            layouts_.erase(it);
        }
        if (layout)
            layouts_.emplace(id, std::move(*layout));
        layout = std::move(now);
    }
}

void Plan::recordLayout(BlockId id)
{
    changed(id);
    Journal* j = journal_.to;
    if (!j)
        return;
    if (j->layoutSeen_.size() <= id)
        j->layoutSeen_.resize(std::max<std::size_t>(blocks_.size(), id + 1), 0);
    if (j->layoutSeen_[id])
        return;
    j->layoutSeen_[id] = 1;
    const auto it = layouts_.find(id);
    j->layouts_.emplace_back(id, it == layouts_.end() ? std::nullopt : std::optional<SubnetLayout>(it->second));
}

void Plan::undo(Journal& j)
{
    swapWith(j);
}
void Plan::redo(Journal& j)
{
    swapWith(j);
}

}  // namespace mq::plan
