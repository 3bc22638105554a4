// The network planner window without the window: the open plan and its history
// (PlanSession), its file (PlanFiles), its edits (PlanEdits), the Allocate panel
// (PlanAllocation), other tools' files in (PlanImports) and everything out (PlanExports).
// Each part is a class of its own over the one session; this joins them, so that the
// window, its dialogs and the tests hold one form.
#pragma once

#include "planner/block_texts.h"
#include "planner/plan_allocation.h"
#include "planner/plan_edits.h"
#include "planner/plan_exports.h"
#include "planner/plan_files.h"
#include "planner/plan_imports.h"
#include "planner/plan_session.h"
#include "planner/planner_services.h"
#include "planner/report_lines.h"

#include <string>
#include <vector>

namespace mq::planner {

class PlannerForm : private PlanSession,
                    public PlanFiles,
                    public PlanEdits,
                    public PlanAllocation,
                    public PlanImports,
                    public PlanExports {
public:
    explicit PlannerForm(PlannerServices& services);

    using PlanSession::apply;
    using PlanSession::canRedo;
    using PlanSession::canUndo;
    using PlanSession::isModified;
    using PlanSession::plan;
    using PlanSession::redo;
    using PlanSession::redoText;
    using PlanSession::revision;
    using PlanSession::services;
    using PlanSession::undo;
    using PlanSession::undoText;

    // The report of the main window's Save and Print (planner/report_lines.cpp).
    std::vector<std::string> reportLines(std::size_t width = kReportWidth) const;

private:
    PlanSession& session() { return *this; }
};

}  // namespace mq::planner
