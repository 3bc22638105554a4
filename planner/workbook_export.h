// One workbook export, split so that its slow part can run away from the window: make()
// copies the plan first and writes the workbook of that copy, touching nothing of the form,
// so a window may call it on a worker thread and let the plan be edited once the copy is
// taken; PlannerForm::finishWorkbook then writes the bytes through the atomic writer and says
// what became of them. The form calls both in a row when there is no thread.
#pragma once

#include "interchange/plan_sheets.h"
#include "plan/plan.h"
#include "xlsx/sheet.h"

#include <atomic>
#include <optional>
#include <string>

namespace mq::planner {

class WorkbookExport {
public:
    // `source` is read by make() until sourceReleased(): the window keeps the plan as it is
    // until then (a copy of the largest plan takes half a second, too long for its thread).
    WorkbookExport(const plan::Plan& source, interchange::PlanTable table, std::string fileName)
        : source(source), tables(table), file(std::move(fileName))
    {
    }

    // Makes the workbook; progress (when given) is told the rows written and may stop the
    // work as cancel() does.
    void make(const xlsx::Progress& progress = {});
    // From any thread: make() stops at its next few thousand rows, and a workbook already
    // made is not written.
    void cancel() { stop.store(true); }
    // make() reads the source plan no more: it has its copy, or it has ended.
    bool sourceReleased() const { return released.load(); }

    const std::string& fileName() const { return file; }
    // Once make() has returned: asked to stop before the workbook was written, and what was
    // made (the bytes, or why there are none).
    bool cancelled() const { return stop.load() || book.cancelled; }
    const xlsx::Workbook& workbook() const { return book; }

private:
    const plan::Plan& source;
    interchange::PlanTable tables;
    std::string file;
    std::atomic<bool> stop{false};
    std::atomic<bool> released{false};
    std::optional<plan::Plan> copy;
    xlsx::Workbook book;
};

}  // namespace mq::planner
