// A workbook export made on a worker thread, under a dialog over the planner that tells the
// rows written and offers Cancel (Esc). The worker copies the window's plan first; the
// dialog, modal, keeps the plan from being edited until then, even when cancelled at once.
// Once the worker has let go of the export, cancelled or not, the dialog closes and `finish`
// is called on the window's thread to write the bytes.
#pragma once

#include "planner/workbook_export.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QThread;

namespace mq::ui {

class WorkbookProgress : public QDialog {
    Q_OBJECT
public:
    using Finish = std::function<void(const planner::WorkbookExport&)>;
    // Starts the worker and opens over the window; deletes itself once finish has run.
    WorkbookProgress(QWidget* window, std::unique_ptr<planner::WorkbookExport> job, Finish finish);
    // A dialog gone before its worker (the window closing) cancels the export and waits for
    // it: the window's plan must outlive the dialog.
    ~WorkbookProgress() override;

    void reject() override;  // Cancel and Esc

private:
    void shown(std::size_t done, std::size_t total);
    void ended();

    std::shared_ptr<planner::WorkbookExport> job;
    Finish finish;
    QLabel* rows = nullptr;
    QProgressBar* bar = nullptr;
    QThread* worker = nullptr;
    bool closing = false;  // cancelled while the worker still copies the plan
};

}  // namespace mq::ui
