// The "Hosts" table beside the allocations: every host of the plan with the block and
// segment that hold it, sorted by any column (addresses in address order) and filtered by
// text or by an address or prefix. The rows are indices into plan.hosts(); cells are worded
// when asked for, so a plan of 10^5 hosts costs a sort of indices, not a copy of its texts.
// Under it, the plan's problems (plan::checkSubnets), kept for the plan's revision.
#pragma once

#include "plan/plan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

enum HostColumn { HName, HIpv4, HIpv6, HMac, HDuid, HRole, HBlock, HSegment, HNote, HostColumnCount };
const char* hostColumnTitle(int column);

class HostsTable {
public:
    // Makes the rows again when the plan's hosts or blocks changed since the last call (or
    // it is another plan), keeping the sort and the filter; true when it did. Hosts only
    // replaced or appended (Plan::hostEdits) are moved to their places one by one, so one
    // host edit costs O(rows), not a sort; rebuilt() tells which it was.
    bool setPlan(const plan::Plan& plan);
    bool rebuilt() const { return rebuilt_; }
    bool isCurrent(const plan::Plan& plan) const;  // setPlan would change nothing
    // Text found in any column (any case), or an address or prefix: the hosts with an
    // address inside it. Blank shows every host.
    void setFilter(const std::string& text);
    const std::string& filter() const { return filter_; }
    // column -1: the plan's order. Hosts without a value in the column come last either way;
    // equal values keep the plan's order.
    void sort(int column, bool descending);
    int sortColumn() const { return column_; }
    bool descending() const { return descending_; }

    std::size_t rowCount() const { return rows_.size(); }
    std::size_t hostCount() const;  // the plan's, shown or not
    std::size_t hostAt(std::size_t row) const { return rows_[row]; }
    std::optional<std::size_t> rowOf(std::size_t host) const;  // nullopt when filtered out
    std::string cell(std::size_t row, int column) const;
    // The block to select for a row: its IPv4 address's, else its IPv6 one's (kNoBlock when
    // no assigned block holds it).
    plan::BlockId blockOf(std::size_t row) const;
    // The header and the rows shown, in their order, separated by tabs: what a spreadsheet
    // takes from the clipboard. A tab or line break in a cell becomes a blank; a cell that
    // would read as a formula starts with ' as the CSV exports write it.
    std::string tsv() const;

private:
    std::string hostCell(std::size_t host, int column) const;
    int compare(std::size_t a, std::size_t b) const;  // by the sort column, missing values last
    void arrange();  // filter, then sort
    void readFilter();  // within_ and needle_ from filter_, the haystack when a text needs it
    bool shows(std::size_t host) const;  // passes the filter
    bool before(std::size_t a, std::size_t b) const;  // the rows' order: the sort column, then the plan's
    void place(std::size_t host);  // host i edited: its cells, its row
    std::string haystackOf(std::size_t host) const;

    const plan::Plan* plan_ = nullptr;
    std::uint64_t hostSerial_ = 0, changeSerial_ = 0;
    std::size_t changesSeen_ = 0;
    std::uint64_t listSerial_ = 0;
    std::size_t editsSeen_ = 0;
    bool rebuilt_ = false;
    std::optional<net::Prefix> within_;  // the filter, when it is an address or prefix
    std::string needle_;  // else its text in lower case, empty for none
    std::vector<plan::BlockId> block4_, block6_;  // each host's
    std::vector<std::size_t> rows_;
    // Each host's cells in lower case, made when a text filter first needs them.
    mutable std::vector<std::string> haystack_;
    std::string filter_;
    int column_ = -1;
    bool descending_ = false;
};

// The problems of the plan's subnets, checked again when the plan's revision moves on.
class CheckList {
public:
    // True when it checked again.
    bool update(const plan::Plan& plan, std::uint64_t revision);
    bool isCurrent(const plan::Plan& plan, std::uint64_t revision) const
    {
        return plan_ == &plan && revision_ == revision;
    }
    bool isOf(const plan::Plan& plan) const { return plan_ == &plan; }  // checked for this plan once
    const std::vector<plan::SubnetProblem>& problems() const { return problems_; }
    // "No problems found", "1 problem", "12 problems".
    std::string summary() const;

private:
    const plan::Plan* plan_ = nullptr;
    std::uint64_t revision_ = 0;
    std::vector<plan::SubnetProblem> problems_;
};

}  // namespace mq::planner
