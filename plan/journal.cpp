// A plan's edits, recorded: every block edit goes through edit, append or kill, so that
// a journal sees each one and views learn which blocks changed; undo and redo swap the
// recorded blocks back in.
#include "plan/plan.h"

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
