#pragma once
// A command whose edits a Journal records: the first apply does the work, undo and redo
// replay the journal, so any run of edits of the tree is one undoable step.
#include "plan/commands.h"

namespace mq::plan {

class JournalCommand : public Command {
public:
    std::string apply(Plan& plan) override
    {
        if (done_) {
            plan.redo(journal_);
            return {};
        }
        plan.startJournal(journal_);
        std::string r = run(plan);
        plan.stopJournal();
        if (!r.empty()) {
            plan.undo(journal_);
            journal_ = Journal{};
            return r;
        }
        done_ = true;
        return {};
    }
    void revert(Plan& plan) override { plan.undo(journal_); }
    std::string text() const override { return label_; }

protected:
    // The edits; on failure every edit made so far is taken back.
    virtual std::string run(Plan& plan) = 0;
    std::string label_;

private:
    Journal journal_;
    bool done_ = false;
};

}  // namespace mq::plan
