#pragma once
// The segment list of an allocation, as typed or pasted into the Allocate panel or read from
// a file by mqnet, read through the shared line reader (textio/lines.h: byte order mark,
// CR LF, blank lines, '#' comments, the line limit). One segment a line:
//
//   name, hosts[, growth%][, /len][, /len][, vlan N]
//
//   name     any text but a comma (a tab in tab-separated lines), at most 200 bytes
//   hosts    a whole number, written without thousands separators (but for a cell of a
//            tab-separated line, where "1,000" can only be one number)
//   growth   percent to add to hosts, "25", "12.5" or "25%" (may be left empty: "lab, 10, , /28")
//   /len     a fixed prefix length instead of one from hosts. In a dual-stack plan a length
//            above 32 is the IPv6 one; with two, the IPv4 one first (or the one of 32 or
//            less). In a plan of one family the only /len applies to it: a lone /33 in a
//            plan of IPv4 roots only is refused.
//   vlan N   the segment's VLAN ID, 1 to 4094 ("vlan 10", "vlan=10")
//
// Fields are separated by commas; a line with a tab is split at tabs only, as a range
// pasted from a spreadsheet is (where "1,000" may sit in one cell). A first line that names
// the columns (name, hosts, growth, length, length6, vlan; "hosts" may be "host count") is
// read as a header: its columns then give each field's meaning, and a VLAN or a length may
// be written bare ("10", "28"). A line that could be read two ways is refused, never
// guessed: "staff, 1,000" could be 1 host with growth 000 % or 1000 hosts.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/parse.h"
#include "plan/allocate.h"
#include "textio/lines.h"

namespace mq::plan {

struct SegmentFields;

// Reads the lines of one list in order (a header line changes how the next ones read).
class SegmentLines {
public:
    // only: the family of a plan whose roots are all of one family, where the only /len
    // given is that family's (a length6 column of a header stays IPv6's); nothing for a
    // dual-stack plan (or when not known).
    explicit SegmentLines(std::optional<net::Family> only = std::nullopt) : only_(only) { }

    // One line's content (as textio hands it on: no comment, no surrounding blanks): its
    // segment, nothing when it was the header line, or why it is refused (the fault's message;
    // its position is 0, as the reason names the field). A field quoted in the reason is
    // escaped and shortened.
    net::Parsed<std::optional<Segment>> read(std::string_view content);
    // One row of a spreadsheet, a cell a field (as a tab-separated line reads, without the
    // tabs: a cell may hold any text).
    net::Parsed<std::optional<Segment>> readCells(const std::vector<std::string>& cells);

    enum class Column : unsigned char { Name, Hosts, Growth, Length, Length6, Vlan };

private:
    net::Parsed<std::optional<Segment>> readFields(const SegmentFields& fields);

    std::vector<Column> columns_;  // from a header line; empty: the usual order
    bool first_ = true;
    std::optional<net::Family> only_;
};

// The family of a plan whose roots are all of one family, for SegmentLines; nothing for a
// dual-stack plan.
std::optional<net::Family> onlyFamily(const Plan& plan);

// The segments as lines that parseSegments reads back to the same list: "name, hosts[,
// growth%][, /len][, /len][, vlan N]", tab-separated when a name holds a comma, and under a
// header line when a length could not be told apart without one (an IPv6 /32 or shorter).
std::string segmentsText(const std::vector<Segment>& segments);

// Every line of a list. Lines with faults are left out and listed in errors (line numbers
// from 1), a line beyond textio::kMaxLineBytes among them.
std::vector<Segment> parseSegments(std::string_view text, std::vector<textio::Problem>& errors,
                                   std::optional<net::Family> only = std::nullopt);

}  // namespace mq::plan
