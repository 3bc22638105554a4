#pragma once
// A plan's tables as one workbook: the allocations, the leaves, the per-subnet table and the
// hosts, a sheet each, with the cells of their CSV files.
#include <vector>

#include "plan/plan.h"
#include "xlsx/sheet.h"

namespace mq::interchange {

// Sheets "allocations" (plan show's table), "leaves" (plan export --format csv), "subnets"
// and "hosts" (the formats of those names), in that order, with the columns of those
// files; VLANs and host counts are numbers (where they fit exactly), everything else text.
// The sheets read the plan as they are written: it must outlive them.
std::vector<xlsx::Sheet> planSheets(const plan::Plan& plan);

}  // namespace mq::interchange
