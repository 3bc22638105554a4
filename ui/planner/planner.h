// The "Network Planner" window: a plan's tree of blocks, its allocation map
// and the Allocate panel, over PlannerForm. Every button, key and menu entry
// calls the form model and then refresh() copies its state into the widgets.
// The window's parts of their own: its document and files (Files), other tools'
// files in and everything out (Exchange), the allocation runs on a worker
// (AllocationRuns) and the Hosts tab (HostsTab); the window holds the widgets they
// share and joins them.
#pragma once

#include "planner/planner_form.h"
#include "reports/child_report.h"

#include <QList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QSplitter;
class QTabWidget;
class QTableView;
class QTabWidget;
class QTreeView;
class QVBoxLayout;

namespace mq::ui {

class AllocationMap;
class AllocationTableModel;
class ElidedLabel;
class PlanTreeModel;
class ResultListModel;
class SubnetPanel;

class Planner : public QWidget, public ChildReport {
    Q_OBJECT
public:
    // Without services the window uses the real dialogs and files.
    explicit Planner(QWidget* parent = nullptr, planner::PlannerServices* services = nullptr);
    ~Planner() override;

    planner::PlannerForm& form() { return *model; }
    // The question before unsaved changes are lost (closing, program exit).
    bool queryClose();
    // The report the main window's Save writes and Print prints.
    std::vector<std::string> reportLines() const { return model->reportLines(); }
    void saveReport(Services& services, ReportOutput& output) override;
    void printReport(Services& services, ReportOutput& output) override;

    // Its natural size, within the room the screen leaves it.
    QSize sizeHint() const override;

    // Copies the form model's state into the widgets.
    void refresh();
    // What the window remembers for its next opening (planner_memory.cpp):
    // written when it closes, read back when it is made.
    void keepState() const;
    plan::BlockId currentBlock() const;
    void selectBlock(plan::BlockId id);

    // ---- what the buttons, keys and menus do
    // Opens the file without a dialog (a plan named on the command line or a
    // recent one); a file that cannot be read is named in a message (planner_files.cpp).
    bool openPlanFile(const std::string& fileName);
    void splitChosen();  // into the parts chosen beside the button
    void splitHalves();
    void splitPrompt();
    void join();
    void freeChosen();
    void assignChosen();
    void tidyChosen();
    void settingsChanged();
    void undo();
    void redo();
    // Runs on a worker thread; progress and Cancel show when it takes a while.
    void allocate();
    void cancelAllocation();
    void chooseColour();
    // Reserved blocks and the cloud mode (planner_rules.cpp).
    void reserveChosen();
    void cloudChanged();
    // The Subnet rules dialog (planner_rules.cpp).
    void editSubnetRules();
    // The Hosts tab in front (planner_hosts.cpp).
    void showHosts();
    // The Outputs dialog: Kea, dnsmasq and BIND files from the plan (outputs_dialog.cpp).
    void editOutputs();
    // Other tools' files in and everything out (planner_exchange.cpp).
    QMenu* importMenu() const;
    QMenu* exportMenu() const;
    QComboBox* cloudBox() const { return cloud; }
    bool allocationRunning() const;
    void showHelp();

    QTreeView* tree() const { return blocks; }
    AllocationMap* map() const { return allocationMap; }
    QPlainTextEdit* segmentsBox() const { return segments; }
    QListView* resultsList() const { return results; }
    QMenu* contextMenu() const { return menu; }
    QTableView* allocationsTable() const { return allocations; }
    QMenu* recentMenu() const { return recent; }
    QTabWidget* tablesTabs() const { return tables; }
    QTableView* hostsTable() const;
    QLineEdit* hostsFilter() const;
    QListView* problemsList() const;
    SubnetPanel* subnetPanel() const { return subnet; }
    QTabWidget* lowerTabs() const { return lower; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class WindowServices;
    class AllocationRuns;  // planner_runs.cpp
    class Exchange;  // planner_exchange.cpp
    class Files;  // planner_files.cpp
    class HostsTab;  // planner_hosts.cpp
    planner::PlannerServices& windowServices();
    void build();
    // The parts of the window; each returns its controls in tab order.
    QWidgetList buildToolRows(QVBoxLayout* top);
    QWidgetList buildTree(QSplitter* upper);
    QWidgetList buildTable(QWidget* upper);
    QWidgetList buildMap(QSplitter* lower);
    QWidgetList buildAllocatePanel(QSplitter* lower);
    void buildRunRow(QVBoxLayout* panel, QWidget* box);
    // Ctrl+Shift+O on a table sorts it by the column of its current cell, the other way
    // when it already is: what a click on the title does, from the keyboard.
    static void addSortKey(QTableView* table);
    void describeControls();
    void buildActions();
    // The keys the window claims ahead of its text boxes, and the block menu from the keyboard.
    void buildWindowKeys();
    QPushButton* button(const QString& name, const QString& text, const QString& accessible,
                        const std::function<void(Planner&)>& slot);
    void expandTo(plan::BlockId id);
    void splitWith(const std::function<bool(plan::BlockId)>& split);
    void setBusy(bool busy);
    void buildReserveAction();  // in the block menu
    QComboBox* buildCloudBox(QWidget* parent);
    void refreshRules();
    void recallState();

    std::unique_ptr<planner::PlannerServices> ownServices;
    std::unique_ptr<WindowServices> services;
    std::unique_ptr<planner::PlannerForm> model;
    std::unique_ptr<AllocationRuns> runs;
    std::unique_ptr<Exchange> exchange;
    std::unique_ptr<Files> files;
    std::unique_ptr<HostsTab> hostsTab;
    std::uint64_t shownRevision = ~std::uint64_t(0);
    std::size_t shownLeaves = 0;  // the plan's, counted once per change
    std::set<net::Prefix> expanded;  // kept across rebuilds of the tree
    std::optional<net::Prefix> prefer;  // the block to select after the next rebuild

    PlanTreeModel* treeModel = nullptr;
    QTreeView* blocks = nullptr;
    AllocationMap* allocationMap = nullptr;
    QComboBox* parts = nullptr;
    QPushButton* undoButton = nullptr;
    QPushButton* redoButton = nullptr;
    QPushButton* joinButton = nullptr;
    QPushButton* splitButton = nullptr;
    QPushButton* freeButton = nullptr;
    QPushButton* assignButton = nullptr;
    QCheckBox* links30 = nullptr;
    QCheckBox* nibble = nullptr;
    QCheckBox* vlanNumbering = nullptr;
    QPlainTextEdit* segments = nullptr;
    ElidedLabel* allocateTarget = nullptr;
    QListView* results = nullptr;
    ResultListModel* resultModel = nullptr;
    QPushButton* allocateButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QProgressBar* progress = nullptr;
    ElidedLabel* status = nullptr;
    QMenu* menu = nullptr;
    QMenu* recent = nullptr;
    QComboBox* cloud = nullptr;
    QAction* reserveAction = nullptr;
    QTableView* allocations = nullptr;
    AllocationTableModel* allocationModel = nullptr;
    QSortFilterProxyModel* allocationSort = nullptr;
    QTabWidget* tables = nullptr;
    QTabWidget* lower = nullptr;  // the map and Allocate panel, or the subnet panel
    SubnetPanel* subnet = nullptr;
    QSize rememberedSize;  // the size it had when it last closed, if any
    std::vector<std::pair<QSplitter*, QList<int>>> splitterSizes;  // recalled, set again when shown
};

}  // namespace mq::ui
