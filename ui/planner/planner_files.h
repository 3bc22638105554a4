#pragma once
// The planner window's document and its files, over the form model's PlanFiles: New, Open,
// Save, Save As and the Recent menu.
#include "ui/planner/planner.h"

#include <functional>
#include <string>

namespace mq::ui {

class Planner::Files {
public:
    explicit Files(Planner& w);

    void newPlan();
    void newUlaPlan();
    void open();
    // Without a dialog (a plan named on the command line, dropped, or a recent one), after
    // the question before unsaved changes are lost; false when it did not open (said).
    bool openFile(const std::string& fileName);
    void save();
    void saveAs();
    // The Recent menu, filled as it opens.
    void fillRecentMenu();

private:
    bool openWith(const std::function<bool()>& open);

    Planner& w;
};

}  // namespace mq::ui
