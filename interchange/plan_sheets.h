#pragma once
// A plan's tables as one workbook: the allocations, the leaves, the per-subnet table and the
// hosts, a sheet each, with the cells of their CSV files.
#include <cstdint>
#include <string>
#include <vector>

#include "plan/plan.h"
#include "xlsx/sheet.h"

namespace mq::interchange {

enum class PlanTable : std::uint8_t { All, Allocations, Leaves, Subnets, Hosts };

// The sheets of one table, or of all four in that order: "allocations" (plan show's table),
// "leaves" (plan export --format csv), "subnets" and "hosts" (the formats of those names),
// with the columns of those files; VLANs and host counts are numbers (where they fit
// exactly), everything else text. When the allocations' rows lie in several roots (sites, as
// a plan of several roots is mostly made), each root's rows get a sheet of their own,
// "allocations 10.40.0.0-16", in the table's order; a dual-stack row belongs to the root of
// its IPv4 block. The sheets read the plan as they are written: it must outlive them.
std::vector<xlsx::Sheet> planSheets(const plan::Plan& plan, PlanTable table = PlanTable::All);

// The allocations sheet of a root: "allocations " and its prefix, '/' as '-' and ':' as '.'
// (a tab's name holds neither), made unique among taken.
std::string allocationSheetName(const net::Prefix& root, const std::vector<std::string>& taken);

}  // namespace mq::interchange
