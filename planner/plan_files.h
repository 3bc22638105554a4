// The planner's document and its file: New, Open, Save and Save As, the recent plans, the
// question before unsaved changes are lost, and the one before a save over a file another
// program changed since this window read it.
#pragma once

#include "plan/file_lock.h"
#include "plan/plan.h"
#include "planner/plan_session.h"

#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

inline constexpr std::size_t kRecentPlans = 8;

class PlanFiles {
public:
    explicit PlanFiles(PlanSession& session);

    const std::string& filePath() const { return path; }
    // "Network Planner - office.mqplan*" ("Untitled" before the first save).
    std::string title() const;

    // New: the save-changes question, then the root block asked for (nothing
    // changes when it is cancelled or cannot be read).
    bool newPlan();
    bool newPlan(const std::string& rootText);
    // New, with the root box filled with a fresh unique local /48 (RFC 4193) to take as it
    // is or add an IPv4 root to.
    bool newUlaPlan();
    bool open();
    bool openFile(const std::string& fileName);  // no question asked
    bool save();
    bool saveAs();
    // The usual question before unsaved changes are lost: true when the window
    // may go (saved, discarded, or nothing to save), false when cancelled.
    bool queryClose();

    // The plans opened or saved last, newest first (at most kRecentPlans).
    std::vector<std::string> recentPlans() const { return sv.recentPlans(); }
    bool openRecent(std::size_t index);
    // The segment list the plan keeps (its last allocation's), as lines for the Allocate
    // panel: what Open puts back there.
    std::string segmentsText() const;

    // The plan of these roots ("10.0.0.0/8, 2001:db8::/32"); nothing, with a
    // message, when one cannot be read.
    std::optional<plan::Plan> planOfRoots(const std::string& rootText);
    // Another plan in place of the open one, no question asked, kept in fileName (none: "").
    void replace(plan::Plan next, const std::string& fileName);

private:
    bool confirmDiscard();
    bool askNewPlan(const std::string& suggested);
    void remember(const std::string& fileName);
    bool writeTo(const std::string& fileName);

    PlanSession& session;
    PlannerServices& sv;
    const plan::Plan& doc;
    std::string path;
    // The file at path as this window last read or wrote it: a save over a file another
    // program changed since asks first.
    std::optional<plan::FileStamp> pathStamp;
};

}  // namespace mq::planner
