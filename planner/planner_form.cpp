#include "planner/planner_form.h"

namespace mq::planner {

// The parts are made in the order they are listed: each is handed the session and the
// parts before it, already made.
PlannerForm::PlannerForm(PlannerServices& services)
    : PlanSession(services), PlanFiles(session()), PlanEdits(session()), PlanAllocation(session()),
      PlanImports(session(), *this), PlanExports(session(), *this, *this)
{
}

std::vector<std::string> PlannerForm::reportLines(std::size_t width) const
{
    return planReportLines(plan(), filePath(), width);
}

}  // namespace mq::planner
