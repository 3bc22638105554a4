#pragma once
// A segment list kept in a spreadsheet: a segment a row, read by the same rules as a line of
// a segment list (plan/segments.h), header names included, and refused with the same
// reasons, each row named by its sheet and number instead of a line.
//
// Rows are skipped as blank and comment lines are: a row without a cell, a row whose first
// cell starts with '#', and a row whose every cell lies inside a merged range started above
// (the lower half of a header merged over two rows, or a segment merged down).
#include <optional>
#include <string>
#include <vector>

#include "net/parse.h"
#include "plan/segments.h"
#include "sheets/xlsx_reader.h"
#include "textio/lines.h"

namespace mq::sheets {

struct SegmentSheet {
    std::string sheet;  // the sheet read
    std::vector<plan::Segment> segments;
    std::vector<textio::Problem> notes;  // a refused row: line is its number (see rowName)
    std::string error;  // why the workbook could not be read; the segments before it stay
};

SegmentSheet readSegmentSheet(const std::string& path, const std::string& sheet,
                              std::optional<net::Family> only = std::nullopt);

}  // namespace mq::sheets
