#include "planner/plan_report.h"

#include "planner/planner_services.h"
#include "reports/tool_report.h"

namespace mq::planner {

void saveReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out)
{
    auto file = sv.saveFileDialog(kTextFileFilter);
    if (!file || file->empty())
        return;
    writeToolReport(*file, lines, sv, out, kPlannerTitle);
}

void printReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out)
{
    printToolReport(toolPrintLines(lines), sv, out, kPlannerTitle);
}

}  // namespace mq::planner
