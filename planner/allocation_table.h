// The "Allocations" table as the window shows it, copies it and prints it:
// the engine's rows (plan/allocations.h: one per assigned block, the IPv4 and
// IPv6 blocks of a segment side by side) with titles and keys that sort each
// column by what it means. Its CSV is the engine's allocationsCsv.
#pragma once

#include "plan/allocations.h"
#include "plan/plan.h"

#include <array>
#include <string>
#include <vector>

namespace mq::planner {

enum AllocColumn {
    AName,
    AStatus,
    AVlan,
    AIpv4,
    AIpv6,
    AMask,
    AFirst,
    ALast,
    ABroadcast,
    AGateway,
    ADhcp,
    AGateway6,  // a dual-stack row's IPv6 block's
    ADhcp6,
    AHosts,
    ANeeded,
    AUsable,
    ASpare,
    ANote,
    AIpam,  // what an IPAM said of the block's prefix: tenant, role, VRF, status, pool
    AllocColumnCount
};
const char* allocationColumnTitle(int column);
// Numbers, counts and addresses line up on the right.
bool allocationColumnIsNumber(int column);

struct AllocationRow {
    plan::BlockId id = plan::kNoBlock;  // the IPv4 block, or the only one
    plan::BlockId second = plan::kNoBlock;  // the IPv6 block of a dual-stack row
    std::array<std::string, AllocColumnCount> cells;
    // Orders as the column means: numbers by value, addresses by family and value.
    std::array<std::string, AllocColumnCount> keys;
};

// A block's own IPAM values in a few words ("Staff Dept, Access, VRF guest, deprecated,
// pool"), empty when it has none.
std::string ipamText(const plan::Plan& plan, plan::BlockId id);

// One row of the engine's table, worded and keyed.
AllocationRow tableRow(const plan::Plan& plan, const plan::AllocationRow& pair);
// In the engine's order: address order, IPv4 roots first.
std::vector<AllocationRow> allocationRows(const plan::Plan& plan);

// Header and rows, fields separated by tabs, a line break inside a field as a
// blank: what a spreadsheet takes from the clipboard.
std::string allocationsTsv(const std::vector<AllocationRow>& rows);

}  // namespace mq::planner
