#pragma once
// The planner window's Hosts tab: every host of the plan, sorted and filtered in the form
// model, and the plan's problems under it, checked once edits pause.
#include "ui/planner/planner.h"

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QSplitter;
class QTabWidget;
class QTableView;
class QTimer;
class QVBoxLayout;
class QWidget;

namespace mq::ui {

class HostsTableModel;
class ProblemListModel;

class Planner::HostsTab {
public:
    explicit HostsTab(Planner& w);

    // The tab's page in tabs; its controls in tab order.
    QWidgetList build(QTabWidget* tabs);
    // The table follows the plan while it is in view, the checks always.
    void refresh();
    void show();  // the tab in front
    // The rows shown on the clipboard.
    void copy();

    QTableView* table() const { return hosts; }
    QLineEdit* filter() const { return hostFilter; }
    QListView* problemsList() const { return problems; }

private:
    // The tab's parts, called in the order its controls are created.
    void buildFilter(QWidget* page, QVBoxLayout* layout);
    void buildTable(QSplitter* split);
    void connect(QTabWidget* tabs);
    QWidgetList buildProblems(QSplitter* split);
    void runChecks();  // the problems list, checked now
    static constexpr int kCheckPause = 300;  // ms without an edit before the checks run
    void chooseProblem(const QModelIndex& at);

    Planner& w;
    QTableView* hosts = nullptr;
    HostsTableModel* hostsModel = nullptr;
    QLineEdit* hostFilter = nullptr;
    QLabel* problemsTitle = nullptr;
    QListView* problems = nullptr;
    ProblemListModel* problemModel = nullptr;
    QTimer* checkLater = nullptr;
};

}  // namespace mq::ui
