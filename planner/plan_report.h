// The main window's Save and Print for the planner: the plan as a text
// report (CR LF lines) or a printout.
#pragma once

#include "core/services.h"
#include "planner/text_table.h"
#include "reports/frmmain_reports.h"

#include <string>
#include <vector>

namespace mq::planner {

// The report's lines for the printer: the title, then the tables in one size
// that fits their widest line across the page.
// landscape: across a page turned sideways.
std::vector<PrintLine> printLines(const std::vector<std::string>& lines, bool landscape = false);
// Whether the widest line would print smaller than 7 points down the page.
bool needsLandscape(const std::vector<std::string>& lines);
// Asks for the file, writes the lines; says how it went.
void saveReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out);
// Asks for the printer and the copies, prints them as one job.
void printReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out);

}  // namespace mq::planner
