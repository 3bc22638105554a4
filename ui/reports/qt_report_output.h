// Where Save and Print send the reports: files through the program's one file
// writer (ui/platform/file_writer.h), printouts through QPrinter. One printer
// is kept for the run, so the choices made in the print dialog stay for the
// next printout.
#pragma once

#include "reports/frmmain_reports.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;

namespace mq::ui {

class QtReportOutput : public ReportOutput {
public:
    explicit QtReportOutput(QWidget* dialogParent = nullptr);
    ~QtReportOutput() override;

    // The print dialog step: sets up the printer and returns the number of
    // copies, or nothing when cancelled. By default the real QPrintDialog;
    // tests set up the printer themselves.
    using PrintDialog = std::function<std::optional<int>(QPrinter&)>;
    void setPrintDialog(PrintDialog dialog) { chooser = std::move(dialog); }
    // Made on first use, so start-up does not wait for the print system.
    QPrinter& printer();

    // The classic windows' reports go to a device or a pipe as well (saveFile);
    // the own windows' reports only to a plain file (saveDocument).
    bool writeFile(const std::string& path, const std::string& bytes, std::string& error) override;
    bool writeDocument(const std::string& path, const std::string& bytes, std::string& error) override;
    std::optional<int> printDialog() override;
    bool printDocument(const std::vector<PrintLine>& lines, std::string& error) override;
    bool endPrintJob(std::string& error) override;
    void abortPrintJob() override;
    void setBusy(bool busy) override;
    void setLandscape(bool landscape) override;

    // Start of the first line and of every line, 567 twips (1 cm) into the
    // printable area from its left and top edges.
    static constexpr int kPrintOffsetTwips = 567;

private:
    std::string startFailure() const;

    QPointer<QWidget> parent;
    PrintDialog chooser;
    std::unique_ptr<QPrinter> device;
    std::unique_ptr<QPainter> painter;
    bool busy = false;
};

// The x positions of the TAB-separated fields of a printed line, in twips from
// the line's start: the first field at 0, later ones at the next tab stop past
// the end of the field before (stops at 1000 twips, then every 1750, as the
// calculator's grid columns). widths: each field's printed width in twips.
std::vector<double> tabPositions(const std::vector<double>& widths);

}  // namespace mq::ui
