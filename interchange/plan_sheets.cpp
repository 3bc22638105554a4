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

// The allocations table, cut where the root of a row's main block changes: allocationRows
// keeps each root's rows together, so the sheets in order hold the CSV's rows in order.
void addAllocationSheets(const plan::Plan& plan, std::vector<xlsx::Sheet>& out)
{
    using Rows = std::vector<plan::AllocationRow>;
    const auto all = std::make_shared<Rows>(plan::allocationRows(plan));
    std::vector<std::pair<plan::BlockId, std::size_t>> starts;  // root, first row
    for (std::size_t i = 0; i < all->size(); ++i) {
        plan::BlockId root = (*all)[i].main();
        while (plan.block(root).parent != plan::kNoBlock)
            root = plan.block(root).parent;
        if (starts.empty() || starts.back().first != root)
            starts.emplace_back(root, i);
    }
    const auto allocations = columns(plan::kAllocationColumns, {"vlan", "hosts", "needed", "usable", "spare"});
    const plan::Plan* p = &plan;
    if (starts.size() < 2) {
        out.push_back({"allocations", allocations, all->size(), [=](std::size_t i, std::vector<std::string>& cells) {
                           cells = plan::allocationCells(*p, (*all)[i]);
                       }});
        return;
    }
    std::vector<std::string> names;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t from = starts[k].second;
        const std::size_t to = k + 1 < starts.size() ? starts[k + 1].second : all->size();
        names.push_back(allocationSheetName(plan.block(starts[k].first).prefix, names));
        out.push_back({names.back(), allocations, to - from, [=](std::size_t i, std::vector<std::string>& cells) {
                           cells = plan::allocationCells(*p, (*all)[from + i]);
                       }});
    }
}

}  // namespace

std::string allocationSheetName(const net::Prefix& root, const std::vector<std::string>& taken)
{
    std::string name = "allocations " + net::formatNetwork(root);
    std::replace(name.begin(), name.end(), '/', '-');
    std::replace(name.begin(), name.end(), ':', '.');
    return xlsx::sheetName(name, taken);
}

std::vector<xlsx::Sheet> planSheets(const plan::Plan& plan, PlanTable table)
{
    const plan::Plan* p = &plan;
    const auto wanted = [table](PlanTable t) { return table == PlanTable::All || table == t; };
    std::vector<xlsx::Sheet> out;
    if (wanted(PlanTable::Allocations))
        addAllocationSheets(plan, out);
    if (wanted(PlanTable::Leaves)) {
        const auto leaves = std::make_shared<std::vector<plan::BlockId>>(plan.leaves());
        out.push_back(
            {"leaves", columns(plan::kLeafColumns, {"vlan", "hosts", "spare"}), leaves->size(),
             [=](std::size_t i, std::vector<std::string>& cells) { cells = plan::leafCells(*p, (*leaves)[i]); }});
    }
    if (wanted(PlanTable::Subnets)) {
        const auto assigned = std::make_shared<std::vector<plan::BlockId>>(assignedLeaves(plan));
        const auto index = std::make_shared<plan::HostIndex>(plan);
        out.push_back(
            {"subnets", columns(kSubnetColumns, {"vlan", "static", "usable", "free"}), assigned->size(),
             [=](std::size_t i, std::vector<std::string>& cells) { cells = subnetCells(*p, (*assigned)[i], *index); }});
    }
    if (wanted(PlanTable::Hosts))
        out.push_back({"hosts", columns(kHostColumns, {}), plan.hosts().size(),
                       [=](std::size_t i, std::vector<std::string>& cells) { cells = hostCells(*p, p->hosts()[i]); }});
    return out;
}

}  // namespace mq::interchange
