#include "planner/plan_session.h"

#include "textio/escape.h"

namespace mq::planner {

plan::Plan defaultPlan()
{
    return plan::Plan(net::Prefix{net::Address::v4(0x0A000000u), 8});
}

PlanSession::PlanSession(PlannerServices& services) : sv(services), doc(defaultPlan())
{
    history.markClean();
}

std::string PlanSession::undoText() const
{
    return history.canUndo() ? history.undoText() : std::string();
}

std::string PlanSession::redoText() const
{
    return history.canRedo() ? history.redoText() : std::string();
}

void PlanSession::tell(Step step)
{
    for (const auto& w : watchers)
        w(step);
}

void PlanSession::replace(plan::Plan next)
{
    doc = std::move(next);
    history.clear();
    history.markClean();
    applied = 0;
    tell(Step::Replaced);
    ++rev;
}

void PlanSession::markSaved()
{
    history.markClean();
    ++rev;
}

std::string PlanSession::apply(std::unique_ptr<plan::Command> cmd, std::string* what)
{
    std::string reason = history.run(doc, std::move(cmd), what);
    if (!reason.empty())
        return reason;
    ++applied;
    tell(Step::Applied);
    ++rev;
    return reason;
}

bool PlanSession::run(std::unique_ptr<plan::Command> cmd)
{
    std::string what;
    const std::string reason = apply(std::move(cmd), &what);
    if (!reason.empty()) {
        // What was asked, then why not: a reason alone does not say what it is about.
        std::string why = textio::escaped(reason, textio::kQuotedReason);
        if (why[0] >= 'a' && why[0] <= 'z')
            why[0] = static_cast<char>(why[0] - 'a' + 'A');
        if (why.back() != '.')
            why += '.';
        sv.message(what.empty() ? why : textio::escaped(what, textio::kQuotedReason) + " was not done.\n\n" + why,
                   MsgIcon::Exclamation);
        return false;
    }
    return true;
}

bool PlanSession::undo()
{
    if (!history.canUndo())
        return false;
    history.undo(doc);
    --applied;
    tell(Step::Moved);
    ++rev;
    return true;
}

bool PlanSession::redo()
{
    if (!history.canRedo())
        return false;
    history.redo(doc);
    ++applied;
    tell(Step::Moved);
    ++rev;
    return true;
}

}  // namespace mq::planner
