// Save and Print of the main window: choose the report by the active child
// window, ask for the file or the printer, and write or print the report.
// Dialogs, files and the printer are reached through ReportOutput, so the
// choices and messages run (and are tested) without Qt.
#pragma once

#include "core/services.h"
#include "reports/results_report.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mq {

inline constexpr const char* kTextFileFilter = "Text Files (*.txt)|*.txt|";

// Where reports go. The main window does this with the atomic file writer and QPrinter.
class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    // Replaces the file with bytes; on failure the old file stays as it was and
    // error says why.
    virtual bool writeFile(const std::string& path, const std::string& bytes, std::string& error) = 0;
    // The same for the reports of Maskquill's own windows, files to keep: what is
    // not a plain file (a device, a pipe, a folder) is refused, not written into.
    // Outputs that make no such difference write it as any other file.
    virtual bool writeDocument(const std::string& path, const std::string& bytes, std::string& error)
    {
        return writeFile(path, bytes, error);
    }
    // The print dialog: the number of copies asked for, or nothing when cancelled.
    virtual std::optional<int> printDialog() = 0;
    // Adds one complete document to the print job (the first one starts it).
    virtual bool printDocument(const std::vector<PrintLine>& lines, std::string& error) = 0;
    // Ends the print job and hands it to the printer; true when nothing was started.
    virtual bool endPrintJob(std::string& error) = 0;
    // Drops a job that failed part-way, so no partial copies come out.
    virtual void abortPrintJob() = 0;
    // Hourglass pointer on or off.
    virtual void setBusy(bool busy) = 0;
    // Pages turned across for the next print job (and back with false). Reports
    // that never ask print as they always have.
    virtual void setLandscape(bool /*landscape*/) { }
};

// The name shown in "The ... does not support the Save option" for a window.
std::string reportWindowName(const std::string& objectName);

class FrmMainReports {
public:
    FrmMainReports(Services& services, ReportOutput& output);

    // What the two windows display at the moment of the call.
    std::function<CalculatorReportInput()> calculatorInput;
    std::function<std::vector<std::string>()> vlsmInput;

    // activeChild: the object name of the active child window, nothing when
    // there is none.
    void saveopt(const std::optional<std::string>& activeChild);
    void printopt(const std::optional<std::string>& activeChild);

    void maskquills(const std::string& fileName);
    void form10s(const std::string& fileName);
    // One copy each; the job is ended by printopt.
    void maskquillp();
    void form10p();

private:
    void writeReport(const std::string& fileName, const std::vector<std::string>& lines);
    void printReport(const std::vector<PrintLine>& lines);
    void finishPrintJob();

    Services& sv;
    ReportOutput& out;
    int printedCopies = 0;
    bool printFailed = false;
};

}  // namespace mq
