#include "planner/plan_report.h"

#include "planner/planner_services.h"
#include "reports/tool_report.h"
#include "textio/escape.h"

#include <algorithm>

namespace mq::planner {

namespace {

// A fixed-pitch face advances 0.6 of its size; an A4 page leaves 538 points
// between its margins.
constexpr double kPageWidthPoints = 520;  // 538 less a margin for the face's own spacing
constexpr double kAdvancePerPoint = 0.66;  // 0.602, and room for the letter spacing that keeps ligatures off
// Across an A4 page turned sideways: 770 points between the margins, less the same room.
constexpr double kLandscapeWidthPoints = 752;
// Smaller than this, a table is turned sideways instead.
constexpr double kSmallestPortraitSize = 7;

std::size_t widestLine(const std::vector<std::string>& lines)
{
    std::size_t widest = 1;
    for (std::size_t i = 1; i < lines.size(); ++i)
        widest = std::max(widest, textWidth(lines[i]));
    return widest;
}

}  // namespace

bool needsLandscape(const std::vector<std::string>& lines)
{
    return kPageWidthPoints / (kAdvancePerPoint * static_cast<double>(widestLine(lines))) < kSmallestPortraitSize;
}

std::vector<PrintLine> printLines(const std::vector<std::string>& lines, bool landscape)
{
    // The tables keep their columns: the size is chosen so the widest line
    // fits across the page, 9 points at most.
    const double width = landscape ? kLandscapeWidthPoints : kPageWidthPoints;
    const double size = std::min(9.0, width / (kAdvancePerPoint * static_cast<double>(widestLine(lines))));
    std::vector<PrintLine> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        PrintLine line{lines[i], i == 0 ? 12.0 : size, i == 0, false};
        // Columns keep their places only in a fixed-pitch face, which also
        // prints "ffff" as four letters, not ligatures.
        line.fixedPitch = true;
        out.push_back(std::move(line));
    }
    return out;
}

void saveReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out)
{
    auto file = sv.saveFileDialog(kTextFileFilter);
    if (!file || file->empty())
        return;
    std::string error;
    if (!out.writeDocument(*file, crlfText(lines), error)) {
        sv.msgBox("The report could not be saved to " + textio::escaped(*file, textio::kQuotedPath) + "\n\n" + error,
                  MsgIcon::Critical, kPlannerTitle);
        return;
    }
    sv.msgBox("The report was saved to " + textio::escaped(*file, textio::kQuotedPath) + ".", MsgIcon::Information,
              kPlannerTitle);
}

void printReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out)
{
    const bool across = needsLandscape(lines);
    printToolReport(printLines(lines, across), sv, out, kPlannerTitle, across);
}

}  // namespace mq::planner
