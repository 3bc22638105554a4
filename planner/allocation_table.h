// The "Allocations" table: one row per assigned block, with the IPv4 and the
// IPv6 block of a dual-stack segment side by side (paired by name and VLAN),
// as the window shows it, copies it, exports it as CSV and prints it.
#pragma once

#include "plan/plan.h"

#include <array>
#include <string>
#include <vector>

namespace mq::planner {

enum AllocColumn {
    AName, AVlan, AIpv4, AIpv6, AMask, AFirst, ALast, ABroadcast, AHosts, ANeeded, AUsable, ASpare, ANote,
    AllocColumnCount
};
const char* allocationColumnTitle(int column);
// Numbers, counts and addresses line up on the right.
bool allocationColumnIsNumber(int column);

struct AllocationRow {
    plan::BlockId id = plan::kNoBlock;      // the IPv4 block, or the only one
    plan::BlockId second = plan::kNoBlock;  // the IPv6 block of a dual-stack row
    std::array<std::string, AllocColumnCount> cells;
    // Orders as the column means: numbers by value, addresses by family and value.
    std::array<std::string, AllocColumnCount> keys;
};

// Address order of the IPv4 roots, then the IPv6 blocks that found no partner.
std::vector<AllocationRow> allocationRows(const plan::Plan& plan);

// Header and rows, fields separated by tabs, a line break inside a field as a
// blank: what a spreadsheet takes from the clipboard.
std::string allocationsTsv(const std::vector<AllocationRow>& rows);
// The same as CSV (RFC 4180, CR LF), for a .csv file.
std::string allocationsCsv(const std::vector<AllocationRow>& rows);

}  // namespace mq::planner
