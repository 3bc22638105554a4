// mqnet plan show: a saved plan printed without the window: its allocations table as text,
// CSV or a workbook, or the whole document as this program reads it, so plans can be checked and
// compared in scripts.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/output_file.h"
#include "app/mqnet/plan_files.h"
#include "interchange/plan_sheets.h"
#include "plan/allocations.h"
#include "plan/document.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

namespace {

// Rows are made as they are written (twice: the columns are measured first), never held:
// the table of a plan of millions of blocks costs no more memory than the plan.
void writeTable(BufferedWriter& out, const plan::Plan& plan)
{
    const std::vector<plan::AllocationRow> rows = plan::allocationRows(plan);
    writeColumns(out, rows.size() + 1, [&](std::size_t i, std::vector<std::string>& cells) {
        if (i == 0) {
            cells.assign(std::begin(plan::kAllocationColumns), std::end(plan::kAllocationColumns));
            return;
        }
        cells = plan::allocationCells(plan, rows[i - 1]);
        for (auto& c : cells) {
            c = textio::escaped(c, textio::kQuotedCell);  // a note's line breaks and tabs would break the columns
            if (c.empty())
                c = "-";
        }
    });
}

// Scripts are given the cells as typed; the user is told of those a spreadsheet would run.
// A row's name and note are those of its main block.
void warnFormulas(const Invocation& call, const plan::Plan& plan)
{
    std::vector<plan::BlockId> blocks;
    for (const auto& row : plan::allocationRows(plan))
        blocks.push_back(row.main());
    for (const auto& c : plan::formulaCells(plan, blocks))
        call.faults.say(call.command.name, plan::describe(plan, c));
}

int runShow(const Invocation& call)
{
    const Arguments& a = call.args;
    const bool json = a.has("--json"), csv = a.has("--csv"), xlsx = a.has("--xlsx");
    if (a.positional.size() != 1)
        return call.refuse("takes PLAN.mqplan (mqnet plan show --help)");
    if (json && csv)
        return call.refuse("--csv and --json exclude each other");
    if (xlsx && (json || csv))
        return call.refuse(std::string("--xlsx and ") + (csv ? "--csv" : "--json") + " exclude each other");
    if (a.value("-o") && !xlsx)
        return call.refuse("-o is for --xlsx: the other forms go to standard output");
    const std::string* out = nullptr;
    if (xlsx) {
        if (const int r = requireWorkbookOutput(call, "--xlsx"); r != kExitOk)
            return r;
        if (const int r = outputPath(call, out); r != kExitOk)
            return r;
    }
    const auto read = readPlanFile(call, a.positional[0]);
    if (!read)
        return kExitBadInput;
    const plan::Plan& plan = *read;
    if (xlsx) {
        // Its cells are never formulas, so nothing a spreadsheet would run needs naming.
        return deliverWorkbook(call, out, interchange::planSheets(plan, interchange::PlanTable::Allocations));
    } else if (json) {
        plan::writeDocument(plan, [&](std::string_view piece) { call.out.write(piece); });
    } else if (csv) {
        plan::allocationsCsv(plan, "\n", textio::CsvReader::Program,
                             [&](std::string_view piece) { call.out.write(piece); });
        warnFormulas(call, plan);
    } else {
        writeTable(call.out, plan);
    }
    return kExitOk;
}

}  // namespace

const Command kPlanShowCommand{
    "plan show",
    "[--json | --csv | --xlsx -o FILE] PLAN.mqplan",
    "      prints a plan saved by the network planner: its allocations table, or the\n"
    "      whole document; exit status 2 when the document is refused\n",
    "      One row per assigned block; in a dual-stack plan the IPv4 and IPv6 blocks of a\n"
    "      segment share a row. Columns: name, status, vlan, ipv4, ipv6, mask, first, last,\n"
    "      broadcast, gateway, dhcp, gateway6, dhcp6, hosts, needed, usable, spare, note\n"
    "      (mask to spare of the IPv4 block when there is one; dhcp: its DHCP ranges as\n"
    "      first-last separated by blanks; gateway6 and dhcp6: the IPv6 block's of a\n"
    "      dual-stack row). A refused document is named with the JSON path of its fault.\n"
    "      --json          the whole document as this program reads it (version 2,\n"
    "                      or 3 when it holds layout rules, subnet layouts or hosts)\n"
    "      --csv           the table as CSV with a header line (LF line ends), the\n"
    "                      cells as typed; a name or note that a spreadsheet would\n"
    "                      read as a formula is named on standard error\n"
    "      --xlsx -o FILE  the table as a workbook (the cells of --csv, a bold header row\n"
    "                      that stays in view; counts are numbers where a spreadsheet\n"
    "                      holds them exactly, addresses text), a sheet per root when\n"
    "                      the rows lie in several (\"allocations 10.40.0.0-16\"); -o -\n"
    "                      writes it to standard output\n",
    {{{"--json"}, {"--csv"}, {"--xlsx"}, {"-o", true}}},
    runShow,
};

}  // namespace mq::mqnet
