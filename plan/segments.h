#pragma once
// The segment list of an allocation, as typed or pasted into the Allocate panel or read from
// a file by mqnet: "name, hosts[, growth%[, /len]]" a line, read through the shared line
// reader (textio/lines.h: byte order mark, CR LF, blank lines, '#' comments, the line limit).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "plan/allocate.h"

namespace mq::plan {

// One line's content (as textio hands it on: no comment, no surrounding blanks) into seg.
// Fields are separated by commas or tabs (a pasted spreadsheet range); growth may be left
// empty ("lab, 10, , /28") and takes an optional '%'. Returns why the line is refused, empty
// when it is taken; a field quoted in the reason is escaped and shortened.
std::string parseSegmentLine(std::string_view content, Segment& seg);

// Every line of a list. Lines with faults are left out and listed in errors (line numbers
// from 1), a line beyond textio::kMaxLineBytes among them.
struct SegmentLineError { std::size_t line; std::string reason; };
std::vector<Segment> parseSegments(std::string_view text, std::vector<SegmentLineError>& errors);

}  // namespace mq::plan
