// Save and Print of the main window: the report procedures wired to the main
// window's active child window, the real dialogs, the atomic file writer and QPrinter.
#pragma once

#include "reports/frmmain_reports.h"
#include "ui/reports/qt_report_output.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace mq::ui {

class FrmMain;
class QtServices;

class MainWindowReports : public QObject {
    Q_OBJECT
public:
    // Becomes a child of the main window and installs its Save and Print
    // handlers. Without services the message boxes and the file dialog are
    // the real ones, over the main window.
    explicit MainWindowReports(FrmMain& main, Services* services = nullptr);
    ~MainWindowReports() override;

    FrmMainReports& procedures() { return reports; }
    QtReportOutput& output() { return out; }

    // saveopt / printopt on the main window's active child window.
    void saveopt();
    void printopt();

private:
    std::optional<std::string> activeName();

    FrmMain& main;
    std::unique_ptr<QtServices> ownServices;
    Services& sv;
    QtReportOutput out;
    FrmMainReports reports;
    QPointer<QWidget> active;  // the child window the command is for
};

// Save and Print for the main window, for the program's start-up.
MainWindowReports* installReports(FrmMain& main);

}  // namespace mq::ui
