// One workbook export, split so that its slow part can run away from the window: make()
// writes the workbook of a copy of the plan taken when the export began, touching nothing
// of the form, so a window may call it on a worker thread while the plan is edited;
// PlannerForm::finishWorkbook then writes the bytes through the atomic writer and says what
// became of them. The form calls both in a row when there is no thread.
#pragma once

#include "interchange/plan_sheets.h"
#include "plan/plan.h"
#include "xlsx/sheet.h"

#include <atomic>
#include <string>

namespace mq::planner {

class WorkbookExport {
public:
    WorkbookExport(plan::Plan snapshot, interchange::PlanTable table, std::string fileName)
        : copy(std::move(snapshot)), tables(table), file(std::move(fileName))
    {
    }

    // Makes the workbook; progress (when given) is told the rows written and may stop the
    // work as cancel() does.
    void make(const xlsx::Progress& progress = {});
    // From any thread: make() stops at its next few thousand rows, and a workbook already
    // made is not written.
    void cancel() { stop.store(true); }

    const std::string& fileName() const { return file; }
    // Once make() has returned: asked to stop before the workbook was written, and what was
    // made (the bytes, or why there are none).
    bool cancelled() const { return stop.load() || book.cancelled; }
    const xlsx::Workbook& workbook() const { return book; }

private:
    plan::Plan copy;
    interchange::PlanTable tables;
    std::string file;
    std::atomic<bool> stop{false};
    xlsx::Workbook book;
};

}  // namespace mq::planner
