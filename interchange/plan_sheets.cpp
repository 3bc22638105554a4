#include "interchange/plan_sheets.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

#include "interchange/hosts_shared.h"
#include "plan/allocations.h"
#include "plan/csv.h"
#include "plan/subnet.h"

namespace mq::interchange {

namespace {

// The header's columns, those named in `counts` typed as counts.
std::vector<xlsx::Column> columns(std::span<const char* const> names, std::initializer_list<std::string_view> counts)
{
    std::vector<xlsx::Column> out;
    for (const char* n : names) {
        const bool count = std::find(counts.begin(), counts.end(), std::string_view(n)) != counts.end();
        out.push_back({n, count ? xlsx::CellType::Count : xlsx::CellType::Text});
    }
    return out;
}

}  // namespace

std::vector<xlsx::Sheet> planSheets(const plan::Plan& plan)
{
    const auto allocations = std::make_shared<std::vector<plan::AllocationRow>>(plan::allocationRows(plan));
    const auto leaves = std::make_shared<std::vector<plan::BlockId>>(plan.leaves());
    const auto assigned = std::make_shared<std::vector<plan::BlockId>>(assignedLeaves(plan));
    const auto index = std::make_shared<plan::HostIndex>(plan);
    const plan::Plan* p = &plan;
    std::vector<xlsx::Sheet> out;
    out.push_back({"allocations", columns(plan::kAllocationColumns, {"vlan", "hosts", "needed", "usable", "spare"}),
                   allocations->size(), [=](std::size_t i, std::vector<std::string>& cells) {
                       cells = plan::allocationCells(*p, (*allocations)[i]);
                   }});
    out.push_back({"leaves", columns(plan::kLeafColumns, {"vlan", "hosts", "spare"}), leaves->size(),
                   [=](std::size_t i, std::vector<std::string>& cells) { cells = plan::leafCells(*p, (*leaves)[i]); }});
    out.push_back(
        {"subnets", columns(kSubnetColumns, {"vlan", "static", "usable", "free"}), assigned->size(),
         [=](std::size_t i, std::vector<std::string>& cells) { cells = subnetCells(*p, (*assigned)[i], *index); }});
    out.push_back({"hosts", columns(kHostColumns, {}), plan.hosts().size(),
                   [=](std::size_t i, std::vector<std::string>& cells) { cells = hostCells(*p, p->hosts()[i]); }});
    return out;
}

}  // namespace mq::interchange
