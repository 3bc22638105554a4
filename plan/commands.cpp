#include "plan/commands.h"
#include "plan/allocations.h"
#include "plan/journal_command.h"

#include <functional>
#include <utility>

namespace mq::plan {

// --- History ---------------------------------------------------------------------------

std::string History::run(Plan& plan, std::unique_ptr<Command> cmd, std::string* what)
{
    if (!cmd)
        return "no command";
    if (auto r = cmd->apply(plan); !r.empty()) {
        if (what)
            *what = cmd->text();
        return r;
    }
    done_.resize(at_);  // the undone branch can no longer be redone
    if (clean_ > static_cast<std::ptrdiff_t>(at_))
        clean_ = -1;
    done_.push_back(std::move(cmd));
    ++at_;
    return {};
}

bool History::canUndo() const
{
    return at_ > 0;
}
bool History::canRedo() const
{
    return at_ < done_.size();
}

void History::undo(Plan& plan)
{
    if (!canUndo())
        return;
    done_[--at_]->revert(plan);
}

void History::redo(Plan& plan)
{
    if (!canRedo())
        return;
    // A redo replays a command on the very state it was first applied to, so it holds.
    (void)done_[at_++]->apply(plan);
}

std::string History::undoText() const
{
    return canUndo() ? done_[at_ - 1]->text() : std::string{};
}
std::string History::redoText() const
{
    return canRedo() ? done_[at_]->text() : std::string{};
}
bool History::isClean() const
{
    return clean_ == static_cast<std::ptrdiff_t>(at_);
}
void History::markClean()
{
    clean_ = static_cast<std::ptrdiff_t>(at_);
}

void History::clear()
{
    done_.clear();
    at_ = 0;
    clean_ = 0;
}

// --- Commands --------------------------------------------------------------------------

namespace {

std::string nameOf(const Plan& plan, BlockId id)
{
    return plan.exists(id) ? net::formatNetwork(plan.block(id).prefix) : "block " + std::to_string(id);
}

class SplitCommand : public Command {
public:
    SplitCommand(BlockId id, int parts) : id_(id), parts_(parts) { }
    std::string apply(Plan& plan) override
    {
        label_ = "Split " + nameOf(plan, id_) + " into " + std::to_string(parts_);
        if (!ids_.empty())
            return plan.splitInto(id_, ids_);
        if (auto r = plan.split(id_, parts_); !r.empty())
            return r;
        ids_ = plan.block(id_).children;
        return {};
    }
    void revert(Plan& plan) override { (void)plan.join(id_); }
    std::string text() const override { return label_; }

private:
    BlockId id_;
    int parts_;
    std::vector<BlockId> ids_;  // handed out by the first apply, reused by every redo
    std::string label_ = "Split";
};

class JoinCommand : public Command {
public:
    explicit JoinCommand(BlockId parent) : parent_(parent) { }
    std::string apply(Plan& plan) override
    {
        label_ = "Join " + nameOf(plan, parent_);
        std::vector<BlockId> ids;
        std::vector<Block> kept;
        if (plan.exists(parent_)) {
            ids = plan.block(parent_).children;
            for (BlockId c : ids)
                kept.push_back(plan.block(c));
        }
        if (auto r = plan.join(parent_); !r.empty())
            return r;
        ids_ = std::move(ids);
        kept_ = std::move(kept);
        return {};
    }
    // The parts come back under their own ids, with their names, notes and colours.
    void revert(Plan& plan) override
    {
        (void)plan.splitInto(parent_, ids_);
        for (std::size_t i = 0; i < ids_.size(); ++i) {
            (void)plan.setName(ids_[i], kept_[i].name);
            (void)plan.setNote(ids_[i], kept_[i].note);
            (void)plan.setColour(ids_[i], kept_[i].colour);
        }
    }
    std::string text() const override { return label_; }

private:
    BlockId parent_;
    std::vector<BlockId> ids_;
    std::vector<Block> kept_;
    std::string label_ = "Join";
};

// One field of one block: remembers the old value on apply, puts it back on revert.
template <class T> class FieldCommand : public Command {
public:
    using Get = std::function<T(const Block&)>;
    using Set = std::function<std::string(Plan&, BlockId, const T&)>;
    FieldCommand(BlockId id, T value, std::string verb, Get get, Set set)
        : id_(id), value_(std::move(value)), verb_(std::move(verb)), get_(std::move(get)), set_(std::move(set))
    {
    }
    std::string apply(Plan& plan) override
    {
        label_ = verb_ + " " + nameOf(plan, id_);
        if (!plan.exists(id_))
            return "block " + std::to_string(id_) + " does not exist";
        T old = get_(plan.block(id_));
        if (auto r = set_(plan, id_, value_); !r.empty())
            return r;
        old_ = std::move(old);
        return {};
    }
    void revert(Plan& plan) override { (void)set_(plan, id_, old_); }
    std::string text() const override { return label_; }

private:
    BlockId id_;
    T value_, old_{};
    std::string verb_, label_;
    Get get_;
    Set set_;
};

}  // namespace

std::unique_ptr<Command> makeSplit(BlockId id, int parts)
{
    return std::make_unique<SplitCommand>(id, parts);
}
std::unique_ptr<Command> makeJoin(BlockId parent)
{
    return std::make_unique<JoinCommand>(parent);
}

namespace {

// One field of a block and, for a block of a dual-stack segment, of the segment's other
// block too, so that the two stay one segment (their pairing goes by the name).
template <class T> class SegmentFieldCommand : public JournalCommand {
public:
    using Set = std::string (Plan::*)(BlockId, T);
    SegmentFieldCommand(BlockId id, T value, std::string verb, Set set)
        : id_(id), value_(std::move(value)), verb_(std::move(verb)), set_(set)
    {
    }

private:
    std::string run(Plan& plan) override
    {
        label_ = verb_ + " " + nameOf(plan, id_);
        if (!plan.exists(id_))
            return "block " + std::to_string(id_) + " does not exist";
        const BlockId other = pairedBlock(plan, id_);
        if (other != kNoBlock) {
            label_ += " and " + nameOf(plan, other);
            if (auto r = (plan.*set_)(other, value_); !r.empty())
                return r;
        }
        return (plan.*set_)(id_, value_);
    }
    BlockId id_;
    T value_;
    std::string verb_;
    Set set_;
};

}  // namespace

std::unique_ptr<Command> makeRename(BlockId id, std::string name)
{
    return std::make_unique<SegmentFieldCommand<std::string>>(id, std::move(name), "Rename", &Plan::setName);
}

std::unique_ptr<Command> makeSetNote(BlockId id, std::string note)
{
    return std::make_unique<FieldCommand<std::string>>(
        id, std::move(note), "Note on", [](const Block& b) { return b.note; },
        [](Plan& p, BlockId i, const std::string& v) { return p.setNote(i, v); });
}

std::unique_ptr<Command> makeSetColour(BlockId id, std::uint32_t rgb)
{
    return std::make_unique<SegmentFieldCommand<std::uint32_t>>(id, rgb, "Colour of", &Plan::setColour);
}

}  // namespace mq::plan
