// The text report of one of Maskquill's own tool windows (classless calculator,
// network planner): written as CR LF lines or printed, with one set of messages.
#pragma once

#include "core/services.h"
#include "reports/frmmain_reports.h"

#include <string>
#include <vector>

namespace mq {

// The title line bold at 12 points, the rest at 10.
std::vector<PrintLine> toolPrintLines(const std::vector<std::string>& lines);

// Writes the lines to file and says how it went; true when written. A tool's
// report is a file to keep: only a plain file is written (writeDocument).
bool writeToolReport(const std::string& file, const std::vector<std::string>& lines, Services& sv, ReportOutput& out,
                     const std::string& title);
// Asks for the printer and the copies and prints them as one job; says how it went.
// landscape: the pages turned across for this job only.
void printToolReport(const std::vector<PrintLine>& lines, Services& sv, ReportOutput& out, const std::string& title,
                     bool landscape = false);

}  // namespace mq
