#pragma once
// The planner window's imports and exports: the Import button and its menu, the Export
// button's menu, and what their entries do, over the form model's PlanImports and
// PlanExports.
#include "ui/planner/planner.h"

class QMenu;
class QPushButton;

namespace mq::ui {

class Planner::Exchange {
public:
    explicit Exchange(Planner& w);

    QPushButton* buildImportButton();
    // The menu of the Export button the tool rows made, with the window's Export action.
    void buildExportMenu();
    QMenu* importMenu() const { return imports; }
    QMenu* exportMenu() const { return exports; }

    void importInUseFile();
    void importInUsePaste();
    void importFormat(interchange::Format format, bool asNewPlan);
    void importLink(bool asNewPlan);
    void exportFile();
    void copyAllocations();
    void copyVscLink();
    void editIpamValues();

private:
    Planner& w;
    QMenu* imports = nullptr;
    QMenu* exports = nullptr;
};

}  // namespace mq::ui
