#include "planner/plan_report.h"

#include "planner/planner_services.h"
#include "reports/results_report.h"

namespace mq::planner {

std::vector<PrintLine> reportPrintLines(const std::vector<std::string>& lines)
{
    std::vector<PrintLine> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        out.push_back(i == 0 ? PrintLine{lines[i], 12, true, false} : PrintLine{lines[i], 10, false, false});
    return out;
}

void saveReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out)
{
    auto file = sv.saveFileDialog(kTextFileFilter);
    if (!file || file->empty())
        return;
    std::string error;
    if (!out.writeFile(*file, crlfText(lines), error)) {
        sv.msgBox("The report could not be written to " + *file + "\n\n" + error, MsgIcon::Critical, kPlannerTitle);
        return;
    }
    sv.msgBox("File Successfully Written", MsgIcon::Information, "Print OK");
}

void printReport(const std::vector<std::string>& lines, Services& sv, ReportOutput& out)
{
    auto copies = out.printDialog();
    if (!copies)
        return;
    const std::vector<PrintLine> printed = reportPrintLines(lines);
    std::string error;
    out.setBusy(true);
    bool ok = true;
    for (int i = 0; i < *copies && ok; ++i)
        ok = out.printDocument(printed, error);
    if (ok)
        ok = out.endPrintJob(error);
    else
        out.abortPrintJob();
    out.setBusy(false);
    if (ok)
        sv.msgBox("Results Successfully Printed", MsgIcon::Information, "Print OK");
    else
        sv.msgBox("The plan could not be printed.\n\n" + error, MsgIcon::Critical, kPlannerTitle);
}

}  // namespace mq::planner
