// The report of the main window's Save and Print: a summary, the allocations
// and the blocks, as tables of fixed-pitch text.
#include "planner/report_lines.h"

#include "plan/allocations.h"
#include "planner/allocation_table.h"
#include "planner/block_texts.h"
#include "planner/file_texts.h"
#include "planner/text_table.h"

namespace mq::planner {

using plan::BlockId;

namespace {

// The assigned blocks, one row each.
void appendAllocations(std::vector<std::string>& lines, const plan::Plan& doc, std::size_t width)
{
    const std::vector<AllocationRow> rows = planner::allocationRows(doc);
    if (rows.empty()) {
        lines.push_back("(no block is assigned)");
    } else {
        // The columns a page has room for; the window and the CSV have them all.
        static const int shown[] = {AName, AStatus, AVlan, AIpv4, AIpv6, AHosts, ANeeded, AUsable, ASpare, ANote};
        std::vector<TextColumn> columns;
        for (int c : shown)
            columns.push_back({allocationColumnTitle(c), allocationColumnIsNumber(c), c == AName || c == ANote});
        std::vector<std::vector<std::string>> cells;
        cells.reserve(rows.size());
        for (const AllocationRow& r : rows) {
            std::vector<std::string> row;
            for (int c : shown)
                row.push_back(r.cells[static_cast<std::size_t>(c)]);
            cells.push_back(std::move(row));
        }
        // Columns that every row leaves empty (VLAN, IPv6 in an IPv4 plan) go.
        for (std::size_t c = columns.size(); c-- > 0;) {
            bool empty = true;
            for (const auto& row : cells)
                empty = empty && row[c].empty();
            if (empty) {
                columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(c));
                for (auto& row : cells)
                    row.erase(row.begin() + static_cast<std::ptrdiff_t>(c));
            }
        }
        for (std::string& l : textTable(columns, cells, width))
            lines.push_back(std::move(l));
    }
}

// Every block, depth first, parts in address order; the depth indents the
// prefix inside its column only.
void appendBlocks(std::vector<std::string>& lines, const plan::Plan& doc, std::size_t width)
{
    std::vector<std::vector<std::string>> cells;
    std::vector<std::pair<BlockId, int>> stack;
    for (auto r = doc.roots().rbegin(); r != doc.roots().rend(); ++r)
        stack.emplace_back(*r, 0);
    while (!stack.empty()) {
        auto [id, depth] = stack.back();
        stack.pop_back();
        const plan::Block& b = doc.block(id);
        const std::string state =
            !b.children.empty() ? std::to_string(b.children.size()) + " parts" : std::string(plan::blockStatus(b));
        cells.push_back({std::string(static_cast<std::size_t>(depth) * 2, ' ') + prefixText(b.prefix), b.name, state,
                         cellText(doc, id, ColHosts), cellText(doc, id, ColSpare), b.note});
        for (auto it = b.children.rbegin(); it != b.children.rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
    const std::vector<TextColumn> columns = {{"Prefix", false, false}, {"Name", false, true},  {"State", false, false},
                                             {"Usable", true, false},  {"Spare", true, false}, {"Note", false, true}};
    for (std::string& l : textTable(columns, cells, width))
        lines.push_back(std::move(l));
}

}  // namespace

std::vector<std::string> planReportLines(const plan::Plan& doc, const std::string& path, std::size_t width)
{
    std::vector<std::string> lines;
    std::size_t assigned = 0, reserved = 0, free = 0;
    for (BlockId id : doc.leaves())
        ++(doc.block(id).state == plan::BlockState::Reserved ? reserved
           : doc.block(id).state != plan::BlockState::Free   ? assigned
                                                             : free);
    lines.push_back("Network plan " + (path.empty() ? std::string("Untitled") : baseName(path)));
    lines.push_back("");
    std::string roots;
    for (BlockId r : doc.roots())
        roots += (roots.empty() ? "" : ", ") + prefixText(doc.block(r).prefix);
    lines.push_back((doc.roots().size() > 1 ? "Root blocks: " : "Root block: ") + roots);
    lines.push_back("Blocks: " + std::to_string(doc.blockCount()) + " (" + std::to_string(assigned) + " assigned, " +
                    (reserved ? std::to_string(reserved) + " reserved, " : std::string()) + std::to_string(free) +
                    " free)");

    lines.push_back("");
    lines.push_back("Allocations");
    appendAllocations(lines, doc, width);

    lines.push_back("");
    lines.push_back("Blocks");
    appendBlocks(lines, doc, width);
    return lines;
}

}  // namespace mq::planner
