#include "sheets/segment_sheet.h"

#include <algorithm>

namespace mq::sheets {

namespace {

bool skipped(const SheetRow& row)
{
    std::size_t own = 0;
    for (std::size_t i = 0; i < row.cells.size(); ++i)
        if (!row.cells[i].empty() && !row.covered[i])
            ++own;
    const auto first = std::find_if(row.cells.begin(), row.cells.end(), [](const auto& c) { return !c.empty(); });
    return own == 0 || (first != row.cells.end() && first->front() == '#');
}

}  // namespace

SegmentSheet readSegmentSheet(const std::string& path, const std::string& sheet, std::optional<net::Family> only)
{
    SegmentSheet out;
    plan::SegmentLines reader(only);
    const SheetRead r = readSheet(path, sheet, [&](const SheetRow& row) {
        if (skipped(row))
            return true;
        auto read = reader.readCells(row.cells);
        if (auto* e = std::get_if<net::ParseError>(&read))
            out.notes.push_back(textio::lineProblem(row.number, std::move(e->message)));
        else if (auto& seg = std::get<std::optional<plan::Segment>>(read))
            out.segments.push_back(std::move(*seg));
        return true;
    });
    out.sheet = r.sheet;
    out.error = r.error;
    return out;
}

}  // namespace mq::sheets
