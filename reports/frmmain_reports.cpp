#include "reports/frmmain_reports.h"

#include "core/helpers.h"

namespace mq {

namespace {

constexpr const char* kOops = "Oops";
constexpr const char* kPrintOk = "Print OK";

}  // namespace

std::string reportWindowName(const std::string& objectName)
{
    if (objectName == "bindec")
        return "Bin/Dec/Hex calculator";
    if (objectName == "macconv")
        return "Mac Converter";
    if (objectName == "clist")
        return "Common Lists";
    return "current active window";
}

FrmMainReports::FrmMainReports(Services& services, ReportOutput& output) : sv(services), out(output) { }

void FrmMainReports::saveopt(const std::optional<std::string>& activeChild)
{
    if (!activeChild)
        return;
    const std::string& name = *activeChild;
    if (name == "frmdoc" || name == "Form10") {
        auto file = sv.saveFileDialog(kTextFileFilter);
        if (!file || file->empty())
            return;
        if (name == "frmdoc")
            maskquills(*file);
        else
            form10s(*file);
        return;
    }
    sv.msgBox("The " + reportWindowName(name) + " does not support the Save option", MsgIcon::None, kProgramTitle);
}

void FrmMainReports::printopt(const std::optional<std::string>& activeChild)
{
    if (!activeChild)
        return;
    const std::string& name = *activeChild;
    if (name != "frmdoc" && name != "Form10") {
        sv.msgBox("The " + reportWindowName(name) + " does not support the Print option", MsgIcon::None, kProgramTitle);
        return;
    }
    auto copies = out.printDialog();
    if (!copies)
        return;
    printedCopies = 0;
    printFailed = false;
    for (int i = 1; i <= *copies && !printFailed; ++i) {
        if (name == "frmdoc")
            maskquillp();
        else
            form10p();
    }
    finishPrintJob();
}

void FrmMainReports::maskquills(const std::string& fileName)
{
    CalculatorReportInput in = calculatorInput ? calculatorInput() : CalculatorReportInput{};
    if (!hasResults(in)) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, kOops);
        return;
    }
    writeReport(fileName, calculatorFileLines(in));
}

void FrmMainReports::form10s(const std::string& fileName)
{
    std::vector<std::string> items = vlsmInput ? vlsmInput() : std::vector<std::string>{};
    if (!hasResults(items)) {
        sv.msgBox("Nothing to Write", MsgIcon::Information, kOops);
        return;
    }
    writeReport(fileName, vlsmFileLines(items));
}

void FrmMainReports::maskquillp()
{
    CalculatorReportInput in = calculatorInput ? calculatorInput() : CalculatorReportInput{};
    if (!hasResults(in)) {
        sv.msgBox("Nothing to Print", MsgIcon::Information, kOops);
        return;
    }
    printReport(calculatorPrintLines(in));
}

void FrmMainReports::form10p()
{
    std::vector<std::string> items = vlsmInput ? vlsmInput() : std::vector<std::string>{};
    if (!hasResults(items)) {
        // The same words as for the file.
        sv.msgBox("Nothing to Write", MsgIcon::Information, kOops);
        return;
    }
    printReport(vlsmPrintLines(items));
}

void FrmMainReports::writeReport(const std::string& fileName, const std::vector<std::string>& lines)
{
    std::string error;
    if (!out.writeFile(fileName, crlfText(lines), error)) {
        sv.msgBox("The results could not be written to the file " + fileName + "\n\n" + error, MsgIcon::Critical,
                  kProgramTitle);
        return;
    }
    sv.msgBox("File Successfully Written", MsgIcon::Information, kPrintOk);
}

void FrmMainReports::printReport(const std::vector<PrintLine>& lines)
{
    out.setBusy(true);
    std::string error;
    if (out.printDocument(lines, error)) {
        ++printedCopies;
    } else {
        printFailed = true;
        out.abortPrintJob();
        out.setBusy(false);
        sv.msgBox("The results could not be printed.\n\n" + error, MsgIcon::Critical, kProgramTitle);
    }
}

void FrmMainReports::finishPrintJob()
{
    if (printFailed)
        return;
    std::string error;
    bool ok = out.endPrintJob(error);
    out.setBusy(false);
    if (!ok) {
        sv.msgBox("The results could not be printed.\n\n" + error, MsgIcon::Critical, kProgramTitle);
        return;
    }
    // Each copy is confirmed once the printer has taken the whole job.
    for (int i = 0; i < printedCopies; ++i)
        sv.msgBox("Results Successfully Printed", MsgIcon::Information, kPrintOk);
    printedCopies = 0;
}

}  // namespace mq
