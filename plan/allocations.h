#pragma once
// The allocations table: one row per assigned block, the IPv4 and IPv6 blocks of one
// segment on one row in a dual-stack plan. Shared by the planner's table and `mqnet plan
// show`, and written as CSV for both.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "plan/csv.h"
#include "plan/plan.h"
#include "textio/csv.h"

namespace mq::plan {

struct AllocationRow {
    BlockId v4 = kNoBlock;  // the IPv4 block, kNoBlock when the segment has none
    BlockId v6 = kNoBlock;  // the IPv6 block, likewise
    // The block the single-family columns (mask, first, last, broadcast, usable, spare)
    // describe: the IPv4 one when there is one.
    BlockId main() const { return v4 != kNoBlock ? v4 : v6; }
};

// Assigned leaves in address order, IPv4 roots first. A named IPv6 block joins the first
// IPv4 row that has the same name and VLAN and no IPv6 block yet (how an allocation names
// both blocks of a segment); the others, and blocks without a name, get rows of their own.
std::vector<AllocationRow> allocationRows(const Plan& plan);
// The other block of id's segment: the one allocationRows puts on id's row, kNoBlock when
// there is none. Free, Assign, Reserve, Colour and Rename act on both blocks of a segment.
BlockId pairedBlock(const Plan& plan, BlockId id);

// The header of the table's CSV and its text columns, in order.
inline constexpr const char* kAllocationColumns[] = {"name",  "status", "vlan",      "ipv4",    "ipv6",  "mask",
                                                     "first", "last",   "broadcast", "gateway", "dhcp",  "gateway6",
                                                     "dhcp6", "hosts",  "needed",    "usable",  "spare", "note"};

// One row's cells, as the header above names them: the status "assigned" or "reserved"
// (blockStatus), the VLAN empty when none, prefixes as
// "network/len", the mask in dotted form for IPv4 ("/64" for IPv6), counts in decimal
// (needed: hosts with growth; usable as the engine counts, RFC 3021 for /31 and /32).
// gateway and dhcp are those of the block the single-family columns describe (its
// resolveLayout); gateway6 and dhcp6 those of a dual-stack row's IPv6 block, whose router
// and stateful ranges are a plan of their own. Each reads the block's own layout and the
// plan's rules only: no scan of hosts or other blocks.
std::vector<std::string> allocationCells(const Plan& plan, const AllocationRow& row);
// DHCP ranges as "first-last", several joined by ' ' ("10.0.0.100-10.0.0.199").
std::string rangesText(const std::vector<AddressRange>& ranges);
// What a block is, in one word the table, the tree, the map and the report share: "free",
// "assigned" or "reserved" for a leaf, "split" for a block with parts.
const char* blockStatus(const Block& b);

// The whole table as RFC 4180 CSV with a header line; lineEnd "\r\n" for files that
// spreadsheets open, "\n" for scripts (which are given the cells as typed: textio::CsvReader::Program).
std::string allocationsCsv(const Plan& plan, const char* lineEnd,
                           textio::CsvReader reader = textio::CsvReader::Spreadsheet);
// The same bytes handed on in pieces of about a megabyte, so that the table of a plan of
// millions of blocks is never held whole.
void allocationsCsv(const Plan& plan, const char* lineEnd, textio::CsvReader reader,
                    const std::function<void(std::string_view)>& write);

}  // namespace mq::plan
