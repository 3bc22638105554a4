// The planner's exports: the Export dialog's file types (the planner's own tables and
// report, other tools' formats, workbooks made away from the window), and the copies to the
// clipboard. Every file goes through the atomic writer, and the user is told where it went.
#pragma once

#include "interchange/hosts_io.h"
#include "interchange/plan_adapter.h"
#include "plan/plan.h"
#include "planner/plan_edits.h"
#include "planner/plan_files.h"
#include "planner/plan_session.h"
#include "planner/workbook_export.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

class HostsTable;

class PlanExports {
public:
    // Files are named after the plan's own; phpIPAM's section is asked for through edits.
    PlanExports(PlanSession& session, const PlanFiles& files, PlanEdits& edits);

    // The export dialog: the type chosen decides what is written (the
    // allocations table or the leaves as CSV, or the text report) and the
    // extension added to a name typed without one.
    bool exportFile();
    bool exportTo(const std::string& fileName, int type);
    // The export dialog alone: the file named, with the type's extension added to a name
    // typed without one, and the type chosen; nothing when cancelled.
    std::optional<FileChoice> chooseExport();
    // A workbook type's export in two steps, for a window that makes the workbook elsewhere:
    // the export of this plan (nothing for the other types), which reads it until it has
    // copied it, so nothing may change the plan before job->sourceReleased(); then its end:
    // the file written and the user told, or why not; a cancelled one writes nothing and
    // says nothing.
    std::unique_ptr<WorkbookExport> startWorkbook(const std::string& fileName, int type) const;
    bool finishWorkbook(const WorkbookExport& job);

    // The allocations table as tab-separated text on the clipboard.
    void copyAllocations();
    // The hosts table's rows shown, likewise (planner/hosts_table.cpp).
    void copyHosts(const HostsTable& table);
    // The share link of the plan's first IPv4 root on the clipboard.
    bool copyVscLink();

private:
    bool exportInterchange(const std::string& fileName, interchange::Format format);
    bool exportHostFile(const std::string& fileName, interchange::HostExport what);
    // The bytes through the atomic writer, and the user told where they went (with the
    // notes on what was written) or why not.
    bool writeExport(const std::string& fileName, const std::string& bytes, const std::vector<std::string>& notes = {});
    bool hasSection();

    const PlanFiles& files;
    PlanEdits& edits;
    PlannerServices& sv;
    const plan::Plan& doc;
};

}  // namespace mq::planner
