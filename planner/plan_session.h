// The plan a planner window has open and its undo history: every change goes through a plan
// command here, so it can be undone, and a refused one says why. The window's other parts
// (its files, edits, allocations, imports and exports) work on the plan through this.
#pragma once

#include "plan/commands.h"
#include "plan/plan.h"
#include "planner/planner_services.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mq::planner {

class PlanSession {
public:
    explicit PlanSession(PlannerServices& services);

    const plan::Plan& plan() const { return doc; }
    // The window's platform, for the dialogs over this plan that ask their own questions.
    PlannerServices& services() { return sv; }
    bool isModified() const { return !history.isClean(); }
    // Goes up on every change of the plan, so views know when to rebuild.
    std::uint64_t revision() const { return rev; }

    // An edit whose refusal the caller shows itself (the subnet panel's status line): the
    // reason when refused (*what, when given, says what was asked), empty when done.
    std::string apply(std::unique_ptr<plan::Command> cmd, std::string* what = nullptr);
    // The same, with a refusal said in a message.
    bool run(std::unique_ptr<plan::Command> cmd);
    bool undo();
    bool redo();
    bool canUndo() const { return history.canUndo(); }
    bool canRedo() const { return history.canRedo(); }
    std::string undoText() const;
    std::string redoText() const;

    // Another plan in place of this one, with no history, counted as saved.
    void replace(plan::Plan next);
    // The plan as it is now counts as saved.
    void markSaved();
    // What is shown beside the plan changed: its views rebuild as after a change.
    void touch() { ++rev; }
    // Commands applied since the plan was replaced, less those undone: the point of the
    // history the plan shown stands at.
    std::size_t position() const { return applied; }

    // What happened to the history, for a part that keeps something per point of it.
    enum class Step { Replaced, Applied, Moved };
    void watch(std::function<void(Step)> watcher) { watchers.push_back(std::move(watcher)); }

private:
    void tell(Step step);

    PlannerServices& sv;
    plan::Plan doc;
    plan::History history;
    std::uint64_t rev = 0;
    std::size_t applied = 0;
    std::vector<std::function<void(Step)>> watchers;
};

// The default root block of a new window.
plan::Plan defaultPlan();

}  // namespace mq::planner
