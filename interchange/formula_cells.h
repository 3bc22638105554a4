#pragma once
// What an IPAM's CSV is given as typed although a spreadsheet would read it as a formula:
// the import needs the value itself, so the user is told instead (plan::FormulaCell).
#include <vector>

#include "interchange/plan_adapter.h"
#include "plan/csv.h"

namespace mq::interchange {

// The names, notes and plan-wide values that the export of the plan in the format writes
// and that a spreadsheet would read as formulas; none for the formats that are no CSV for
// a program (visualsubnetcalc, and the plan's own CSV, which is written for spreadsheets).
std::vector<plan::FormulaCell> formulaCells(const plan::Plan& plan, Format format, const PlanValues& values,
                                            const ExportOptions& options = {});

}  // namespace mq::interchange
