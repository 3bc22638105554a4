#include "reports/tool_report.h"

namespace mq {

std::vector<PrintLine> toolPrintLines(const std::vector<std::string>& lines)
{
    std::vector<PrintLine> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        out.push_back(i == 0 ? PrintLine{lines[i], 12, true, false} : PrintLine{lines[i], 10, false, false});
    return out;
}

bool writeToolReport(const std::string& file, const std::vector<std::string>& lines, Services& sv, ReportOutput& out,
                     const std::string& title)
{
    std::string error;
    if (!out.writeDocument(file, crlfText(lines), error)) {
        sv.msgBox("The report could not be written to " + file + "\n\n" + error, MsgIcon::Critical, title);
        return false;
    }
    sv.msgBox("File Successfully Written", MsgIcon::Information, "Print OK");
    return true;
}

void printToolReport(const std::vector<PrintLine>& lines, Services& sv, ReportOutput& out, const std::string& title,
                     bool landscape)
{
    // The next printout, whatever it is, finds the pages as they were.
    struct Turned {
        ReportOutput& out;
        bool on;
        ~Turned()
        {
            if (on)
                out.setLandscape(false);
        }
    } turned{out, landscape};
    if (landscape)
        out.setLandscape(true);
    auto copies = out.printDialog();
    if (!copies)
        return;
    std::string error;
    out.setBusy(true);
    bool ok = true;
    for (int i = 0; i < *copies && ok; ++i)
        ok = out.printDocument(lines, error);
    if (ok)
        ok = out.endPrintJob(error);
    else
        out.abortPrintJob();
    out.setBusy(false);
    if (ok)
        sv.msgBox("Results Successfully Printed", MsgIcon::Information, "Print OK");
    else
        sv.msgBox("The report could not be printed.\n\n" + error, MsgIcon::Critical, title);
}

}  // namespace mq
