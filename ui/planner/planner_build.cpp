// The planner window's widgets, their accessible names, tab order, keys and
// context menu.
#include "ui/planner/accessible_widgets.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/allocation_table_model.h"
#include "ui/planner/elided_label.h"
#include "ui/planner/plan_tree_model.h"
#include "ui/planner/planner.h"
#include "ui/planner/planner_exchange.h"
#include "ui/planner/planner_files.h"
#include "ui/planner/planner_hosts.h"
#include "ui/planner/result_list_model.h"
#include "ui/planner/subnet_panel.h"
#include "ui/planner/window_keys.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace mq::ui {

QPushButton* Planner::button(const QString& name, const QString& text, const QString& accessible,
                             const std::function<void(Planner&)>& slot)
{
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, slot] { slot(*this); });
    return b;
}

// What each control does, as a screen reader says it after the name.
void Planner::describeControls()
{
    static const std::pair<const char*, const char*> descriptions[] = {
        {"newPlan", "Starts a new plan for a root block (Ctrl+N)"},
        {"openPlan", "Opens a plan file (Ctrl+O)"},
        {"savePlan", "Saves the plan to its file (Ctrl+S)"},
        {"savePlanAs", "Saves the plan to a file chosen now (Ctrl+Shift+S)"},
        {"split", "Splits the selected free block into the parts chosen beside it; Ctrl+D splits it in two"},
        {"parts", "How many equal parts Split makes"},
        {"join", "Joins the free parts of the selected block back into one (Ctrl+J)"},
        {"free", "Makes the selected assigned block free space again (Ctrl+Delete)"},
        {"assign", "Assigns the selected free block: name, hosts asked, note (Ctrl+G)"},
        {"tidy", "Joins every pair of free neighbours under the selected block (Ctrl+T)"},
        {"links30", "Links of 1 or 2 hosts take a /30 instead of a /32 or /31"},
        {"nibble", "IPv6 blocks other than /64 are widened to a multiple of 4 bits"},
        {"vlanNumbering", "Each IPv6 segment takes the /64 whose subnet ID is its VLAN ID written as digits (VLAN 120 "
                          "in 2001:db8:40::/48 takes 2001:db8:40:120::/64)"},
        {"newUlaPlan", "Starts a new plan, its root box filled with a fresh unique local IPv6 /48 (RFC 4193)"},
        {"undo", "Takes the last change back (Ctrl+Z)"},
        {"redo", "Makes the change taken back again (Ctrl+Y)"},
        {"allocate", "Places the segments into the free space of the block named beside it"},
        {"recentPlans", "Opens one of the plans opened or saved last"},
        {"export", "Writes the plan's tables as CSV or a workbook, the report as text, or files for NetBox, phpIPAM, "
                   "visualsubnetcalc and /etc/hosts (Ctrl+E); copies a visualsubnetcalc link; sets the IPAM values; "
                   "Outputs writes the DHCP and DNS servers' files (Ctrl+Shift+E)"},
        {"copyAllocations", "Copies the allocations table as tab-separated text for a spreadsheet"},
        {"allocations", "One row per assigned block; a click on a title or Ctrl+Shift+O sorts by that column, Ctrl+C "
                        "copies the table, Shift+F10 opens "
                        "the block menu"},
        {"allocationResults", "Where each segment went, or why it did not fit"},
        {"cancelAllocation", "Stops placing the segments; the plan stays as it was (Esc)"},
        {"zoomIn", "Shows less of the address space, larger"},
        {"zoomOut", "Shows more of the address space, smaller"},
        {"subnetRules", "Sets the gateway, the addresses kept for network devices, the DHCP range and the IPv6 "
                        "addresses that every assigned block follows unless it sets its own"},
    };
    for (const auto& [name, text] : descriptions)
        if (auto* w = findChild<QWidget*>(QString::fromUtf8(name)))
            w->setAccessibleDescription(QString::fromUtf8(text));
}

void Planner::build()
{
    auto* top = new QVBoxLayout(this);
    // Tab goes in the order the parts are built: the tool rows, the tree and
    // the table, the map and the Allocate panel.
    QWidgetList order = buildToolRows(top);

    // The tree and the allocations table side by side above, the map and the
    // Allocate panel below.
    auto* rows = new QSplitter(Qt::Vertical, this);
    rows->setObjectName(QStringLiteral("plannerRows"));
    top->addWidget(rows, 1);
    auto* upper = new QSplitter(Qt::Horizontal, rows);
    upper->setObjectName(QStringLiteral("plannerUpper"));
    // Below, the map and the Allocate panel on one tab, what lies inside the selected
    // block on the other.
    lower = new FocusedTabs(rows);
    lower->setObjectName(QStringLiteral("plannerLower"));
    auto* split = new QSplitter(Qt::Horizontal, lower);
    split->setObjectName(QStringLiteral("plannerSplitter"));
    lower->addTab(split, QStringLiteral("Map and allocate"));
    // Scrolled, so that the panel's rows never make the planner taller than a small screen.
    auto* subnetScroll = new QScrollArea(lower);
    subnetScroll->setObjectName(QStringLiteral("subnetScroll"));
    subnetScroll->setWidgetResizable(true);
    subnetScroll->setFrameShape(QFrame::NoFrame);
    subnetScroll->setAccessibleName(QStringLiteral("Inside the block"));
    subnetScroll->setAccessibleDescription(
        QStringLiteral("The gateway, DHCP ranges and hosts of the block selected in the tree"));
    subnet = new SubnetPanel(*model, windowServices(), subnetScroll);
    subnet->setChanged([this] { refresh(); });
    subnetScroll->setWidget(subnet);
    lower->addTab(subnetScroll, QStringLiteral("&3 Inside the block"));
    const QString lowerAbout =
        QStringLiteral("The map and Allocate panel, or what lies inside the selected block (Alt+3)");
    for (QWidget* t : {static_cast<QWidget*>(lower), static_cast<QWidget*>(lower->tabBar())}) {
        t->setAccessibleName(QStringLiteral("Map or block"));
        t->setAccessibleDescription(lowerAbout);
    }
    for (QToolButton* arrow : lower->tabBar()->findChildren<QToolButton*>())
        arrow->setAccessibleDescription(QStringLiteral("Shows the tabs out of view"));
    order += buildTree(upper);
    // The allocations and the hosts share the place beside the tree, one tab each.
    tables = new FocusedTabs(upper);
    tables->setObjectName(QStringLiteral("plannerTables"));
    order += buildTable(tables);
    order += hostsTab->build(tables);
    order += buildMap(split);
    order += buildAllocatePanel(split);
    order += subnet->tabOrder();
    describeControls();

    upper->setSizes({400, 580});
    split->setSizes({540, 440});
    rows->setSizes({340, 360});
    // A larger window gives the lower half the more: the hosts of a block want rows.
    rows->setStretchFactor(0, 1);
    rows->setStretchFactor(1, 2);

    // No accessible name: a label's name would stand in for its text.
    status = new ElidedLabel(this);
    status->setObjectName(QStringLiteral("plannerStatus"));
    status->setAccessibleDescription(QStringLiteral("Plan summary: blocks, leaves and the block selected"));
    top->addWidget(status);

    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    resize(sizeHint());
}

QWidgetList Planner::buildToolRows(QVBoxLayout* top)
{
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    // Letters of their own: Alt+F, Alt+W, Alt+T and Alt+H open the main window's menus.
    QPushButton* newButton = button(QStringLiteral("newPlan"), QStringLiteral("&New..."), QStringLiteral("New plan"),
                                    [](Planner& w) { w.files->newPlan(); });
    QPushButton* ulaButton = button(QStringLiteral("newUlaPlan"), QStringLiteral("ULA /4&8..."),
                                    QStringLiteral("New plan from a fresh unique local IPv6 /48"),
                                    [](Planner& w) { w.files->newUlaPlan(); });
    QPushButton* openButton = button(QStringLiteral("openPlan"), QStringLiteral("&Open..."),
                                     QStringLiteral("Open plan"), [](Planner& w) { w.files->open(); });
    QPushButton* saveButton = button(QStringLiteral("savePlan"), QStringLiteral("&Save"), QStringLiteral("Save plan"),
                                     [](Planner& w) { w.files->save(); });
    QPushButton* saveAsButton = button(QStringLiteral("savePlanAs"), QStringLiteral("Sa&ve As..."),
                                       QStringLiteral("Save plan as"), [](Planner& w) { w.files->saveAs(); });
    splitButton = button(QStringLiteral("split"), QStringLiteral("S&plit"), QStringLiteral("Split the block"),
                         &Planner::splitChosen);
    parts = new QComboBox(this);
    parts->setObjectName(QStringLiteral("parts"));
    parts->setAccessibleName(QStringLiteral("Parts to split into"));
    for (int k = 1; k <= planner::kMaxSplitExponent; ++k)
        parts->addItem(QStringLiteral("into %1").arg(1 << k), 1 << k);
    joinButton =
        button(QStringLiteral("join"), QStringLiteral("&Join"), QStringLiteral("Join the parts"), &Planner::join);
    freeButton =
        button(QStringLiteral("free"), QStringLiteral("F&ree"), QStringLiteral("Free the block"), &Planner::freeChosen);
    assignButton = button(QStringLiteral("assign"), QStringLiteral("Assi&gn..."), QStringLiteral("Assign the block"),
                          &Planner::assignChosen);
    QPushButton* tidyButton = button(QStringLiteral("tidy"), QStringLiteral("Tid&y"),
                                     QStringLiteral("Join free neighbours"), &Planner::tidyChosen);
    undoButton = button(QStringLiteral("undo"), QStringLiteral("&Undo"), QStringLiteral("Undo"), &Planner::undo);
    redoButton = button(QStringLiteral("redo"), QStringLiteral("Re&do"), QStringLiteral("Redo"), &Planner::redo);
    auto* recentButton = new MenuButton(QStringLiteral("Rec&ent"), this);
    recentButton->setObjectName(QStringLiteral("recentPlans"));
    recentButton->setAccessibleName(QStringLiteral("Recent plans"));
    recent = new QMenu(recentButton);
    recent->setObjectName(QStringLiteral("recentMenu"));
    recentButton->setMenu(recent);
    connect(recent, &QMenu::aboutToShow, this, [this] { files->fillRecentMenu(); });
    // Its menu is the exchange's.
    auto* exportButton = new MenuButton(QStringLiteral("E&xport..."), this);
    exportButton->setObjectName(QStringLiteral("export"));
    exportButton->setAccessibleName(QStringLiteral("Export"));
    QPushButton* importButton = exchange->buildImportButton();
    // The plan's files on one row, the edits of the selected block on the
    // next: side by side they would not fit a 1280-pixel screen.
    const QWidgetList files = {newButton,  ulaButton,    openButton,   recentButton,
                               saveButton, saveAsButton, importButton, exportButton};
    for (QWidget* w : files)
        row->addWidget(w);
    row->addStretch(1);
    auto* edits = new QHBoxLayout;
    top->addLayout(edits);
    const QWidgetList changes = {splitButton, parts, joinButton, freeButton, assignButton, tidyButton};
    for (QWidget* w : changes)
        edits->addWidget(w);
    edits->addSpacing(12);
    edits->addWidget(undoButton);
    edits->addWidget(redoButton);
    edits->addSpacing(12);
    QPushButton* rulesButton = button(QStringLiteral("subnetRules"), QStringLiteral("Subnet rules (&K)..."),
                                      QStringLiteral("Subnet rules"), &Planner::editSubnetRules);
    edits->addWidget(rulesButton);
    edits->addStretch(1);
    return files + changes + QWidgetList{undoButton, redoButton, rulesButton};
}

QWidgetList Planner::buildTree(QSplitter* upper)
{
    treeModel = new PlanTreeModel(*model, this);
    blocks = new QTreeView(upper);
    blocks->setObjectName(QStringLiteral("blocks"));
    blocks->setAccessibleName(QStringLiteral("Blocks"));
    blocks->setAccessibleDescription(
        QStringLiteral("The plan's blocks: name, prefix, hosts, spare, note. F2 renames, Ctrl+D splits in two, "
                       "Ctrl+J joins, Ctrl+Z undoes, Shift+F10 opens the block menu"));
    blocks->setModel(treeModel);
    blocks->setUniformRowHeights(true);
    blocks->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::SelectedClicked);
    blocks->setSelectionMode(QAbstractItemView::SingleSelection);
    blocks->header()->setStretchLastSection(true);
    blocks->setIndentation(14);
    blocks->setIconSize(QSize(10, 10));
    blocks->setColumnWidth(planner::ColName, 170);
    blocks->setColumnWidth(planner::ColPrefix, 125);
    blocks->setColumnWidth(planner::ColHosts, 70);
    blocks->setColumnWidth(planner::ColSpare, 50);
    connect(blocks->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { refresh(); });
    // Names never vanish into the indentation: the column follows what is shown.
    auto fitNames = [this] {
        QTimer::singleShot(0, blocks, [this] { blocks->resizeColumnToContents(planner::ColName); });
    };
    connect(blocks, &QTreeView::expanded, this, [this, fitNames](const QModelIndex& at) {
        expanded.insert(model->plan().block(PlanTreeModel::blockOf(at)).prefix);
        fitNames();
    });
    connect(blocks, &QTreeView::collapsed, this, [this, fitNames](const QModelIndex& at) {
        expanded.erase(model->plan().block(PlanTreeModel::blockOf(at)).prefix);
        fitNames();
    });
    // An edit in place is one change: rebuild once the editor has closed.
    connect(
        treeModel, &PlanTreeModel::edited, this, [this] { QTimer::singleShot(0, this, [this] { refresh(); }); },
        Qt::QueuedConnection);
    return {blocks};
}

QWidgetList Planner::buildTable(QWidget* upper)
{
    auto* tableBox = new QWidget(upper);
    tableBox->setObjectName(QStringLiteral("allocationsBox"));
    tables->addTab(tableBox, QStringLiteral("&1 Allocations"));
    auto* tableLayout = new QVBoxLayout(tableBox);
    allocationModel = new AllocationTableModel(this);
    allocationSort = new QSortFilterProxyModel(this);
    allocationSort->setSourceModel(allocationModel);
    allocationSort->setSortRole(AllocationTableModel::SortKeyRole);
    allocationSort->setSortCaseSensitivity(Qt::CaseInsensitive);
    allocations = new QTableView(tableBox);
    allocations->setObjectName(QStringLiteral("allocations"));
    allocations->setAccessibleName(QStringLiteral("Allocations"));
    allocations->setModel(allocationSort);
    allocations->setSortingEnabled(true);
    allocations->sortByColumn(-1, Qt::AscendingOrder);  // address order until a title is clicked
    allocations->setSelectionBehavior(QAbstractItemView::SelectRows);
    allocations->setSelectionMode(QAbstractItemView::SingleSelection);
    allocations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    allocations->setTabKeyNavigation(false);  // Tab leaves the table; the arrows move in it
    allocations->verticalHeader()->hide();
    // Columns fit the rows in view: measuring the first thousand took longer than an edit.
    allocations->horizontalHeader()->setResizeContentsPrecision(0);
    allocations->verticalHeader()->setDefaultSectionSize(allocations->fontMetrics().height() + 4);
    allocations->horizontalHeader()->setStretchLastSection(true);
    allocations->setWordWrap(false);
    tableLayout->addWidget(allocations, 1);
    QPushButton* copyButton =
        button(QStringLiteral("copyAllocations"), QStringLiteral("&Copy table"),
               QStringLiteral("Copy the allocations table"), [](Planner& w) { w.exchange->copyAllocations(); });
    auto* tableRow = new QHBoxLayout;
    tableRow->addWidget(copyButton);
    tableRow->addStretch(1);
    tableLayout->addLayout(tableRow);
    connect(allocations, &QTableView::clicked, this, [this](const QModelIndex& at) {
        const auto id = static_cast<plan::BlockId>(at.data(AllocationTableModel::BlockRole).toULongLong());
        selectBlock(id);
        refresh();
    });
    addSortKey(allocations);
    auto* copyKey = new QAction(allocations);
    copyKey->setShortcut(QKeySequence::Copy);
    copyKey->setShortcutContext(Qt::WidgetShortcut);
    connect(copyKey, &QAction::triggered, this, [this] { exchange->copyAllocations(); });
    allocations->addAction(copyKey);
    return {allocations, copyButton};
}

QWidgetList Planner::buildMap(QSplitter* lower)
{
    auto* mapBox = new QGroupBox(QStringLiteral("Allocation map"), lower);
    mapBox->setObjectName(QStringLiteral("mapBox"));
    auto* mapLayout = new QVBoxLayout(mapBox);
    auto* zoomRow = new QHBoxLayout;
    mapLayout->addLayout(zoomRow);
    allocationMap = new AllocationMap(mapBox);
    allocationMap->setPlan(&model->plan());
    auto* zoomIn = new QPushButton(QStringLiteral("Zoom &in"), mapBox);
    zoomIn->setObjectName(QStringLiteral("zoomIn"));
    zoomIn->setAccessibleName(QStringLiteral("Zoom in"));
    zoomIn->setAutoDefault(false);
    auto* zoomOut = new QPushButton(QStringLiteral("&Zoom out"), mapBox);
    zoomOut->setObjectName(QStringLiteral("zoomOut"));
    zoomOut->setAccessibleName(QStringLiteral("Zoom out"));
    zoomOut->setAutoDefault(false);
    connect(zoomIn, &QPushButton::clicked, allocationMap, &AllocationMap::zoomIn);
    connect(zoomOut, &QPushButton::clicked, allocationMap, &AllocationMap::zoomOut);
    zoomRow->addWidget(zoomIn);
    zoomRow->addWidget(zoomOut);
    auto* legend =
        new QLabel(QStringLiteral("Hatched: free. Grey: many small blocks; zoom in to tell them apart."), mapBox);
    legend->setObjectName(QStringLiteral("mapLegend"));
    legend->setWordWrap(true);
    zoomRow->addWidget(legend, 1);
    mapLayout->addWidget(allocationMap, 1);
    connect(allocationMap, &AllocationMap::blockClicked, this, [this](plan::BlockId id) {
        selectBlock(id);
        refresh();
    });
    return {zoomIn, zoomOut, allocationMap};
}

QWidgetList Planner::buildAllocatePanel(QSplitter* lower)
{
    auto* allocateBox = new QGroupBox(QStringLiteral("Allocate"), lower);
    allocateBox->setObjectName(QStringLiteral("allocateBox"));
    auto* allocLayout = new QVBoxLayout(allocateBox);
    auto* hint = new QLabel(QStringLiteral("Segments, one a line: name, hosts[, growth%][, /len][, /len][, vlan N]"),
                            allocateBox);
    // Every field explained where the list is typed, while it is empty.
    const QString fields = QStringLiteral(
        "servers, 50, 20%, vlan 10\ncore link, 2\ndmz, 0, , /28\nlab, 30, , /26, /64\n\n"
        "hosts: the addresses the segment needs (2 gives a /31 and 1 a /32 unless links are /30; IPv6 always a "
        "/64). growth: room added, in percent (may be left empty). /len: a fixed prefix length instead; in a "
        "dual-stack plan one above 32 is the IPv6 one, and with two the IPv4 one comes first. vlan N: the VLAN "
        "ID, 1 to 4094. Commas between fields, or tabs: rows pasted from a spreadsheet work, and a first row "
        "naming the columns (name, hosts, growth, length, length6, vlan) says which is which. # starts a "
        "comment; a line that cannot be read, or could be read two ways, is listed with its number and why.");
    hint->setWordWrap(true);
    allocLayout->addWidget(hint);
    auto* settingsRow = new QHBoxLayout;
    links30 = new QCheckBox(QStringLiteral("Links as /&30"), allocateBox);
    links30->setObjectName(QStringLiteral("links30"));
    links30->setAccessibleName(QStringLiteral("Links as /30"));
    nibble = new QCheckBox(QStringLiteral("Ni&bble-aligned IPv6"), allocateBox);
    nibble->setObjectName(QStringLiteral("nibble"));
    nibble->setAccessibleName(QStringLiteral("Nibble-aligned IPv6"));
    vlanNumbering = new QCheckBox(QStringLiteral("IPv&6 by VLAN"), allocateBox);
    vlanNumbering->setObjectName(QStringLiteral("vlanNumbering"));
    vlanNumbering->setAccessibleName(QStringLiteral("IPv6 subnet IDs from VLAN IDs"));
    // toggled, not clicked: a screen reader's Toggle action calls toggle().
    connect(links30, &QCheckBox::toggled, this, &Planner::settingsChanged);
    connect(nibble, &QCheckBox::toggled, this, &Planner::settingsChanged);
    connect(vlanNumbering, &QCheckBox::toggled, this, &Planner::settingsChanged);
    settingsRow->addWidget(links30);
    settingsRow->addWidget(nibble);
    auto* cloudLabel = new QLabel(QStringLiteral("C&loud:"), allocateBox);
    cloudLabel->setBuddy(buildCloudBox(allocateBox));
    settingsRow->addWidget(cloudLabel);
    settingsRow->addWidget(cloud);
    settingsRow->addStretch(1);
    allocLayout->addLayout(settingsRow);
    // A row of its own: one row of all the rules would take width from the map.
    auto* ipv6Row = new QHBoxLayout;
    ipv6Row->addWidget(vlanNumbering);
    ipv6Row->addStretch(1);
    allocLayout->addLayout(ipv6Row);
    segments = new QPlainTextEdit(allocateBox);
    segments->setObjectName(QStringLiteral("segments"));
    segments->setAccessibleName(QStringLiteral("Segments"));
    segments->setAccessibleDescription(hint->text() + QStringLiteral(". ") + fields);
    segments->setPlaceholderText(fields);
    segments->setToolTip(fields);
    segments->setTabChangesFocus(true);
    hint->setBuddy(segments);
    allocLayout->addWidget(segments, 1);
    buildRunRow(allocLayout, allocateBox);
    results = new QListView(allocateBox);
    results->setObjectName(QStringLiteral("allocationResults"));
    results->setAccessibleName(QStringLiteral("Allocation results"));
    results->setUniformItemSizes(true);
    results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultModel = new ResultListModel(
        model->allocationLines(), [this](std::size_t i) { return model->allocationLineRefuses(i); }, this);
    results->setModel(resultModel);
    allocLayout->addWidget(results, 1);
    return {links30, nibble, vlanNumbering, cloud, segments, allocateButton, results};
}

// The Allocate button, where the segments go (or the stage of a run under
// way), the progress bar and Cancel.
void Planner::buildRunRow(QVBoxLayout* panel, QWidget* box)
{
    auto* allocRow = new QHBoxLayout;
    panel->addLayout(allocRow);
    allocateButton = button(QStringLiteral("allocate"), QStringLiteral("&Allocate"),
                            QStringLiteral("Allocate the segments"), &Planner::allocate);
    allocRow->addWidget(allocateButton);
    // While a run goes on, the label names its stage and the bar holds only
    // the share done, which always fits it.
    allocateTarget = new ElidedLabel(box);
    allocateTarget->setObjectName(QStringLiteral("allocateTarget"));
    allocRow->addWidget(allocateTarget, 1);
    progress = new QProgressBar(box);
    progress->setObjectName(QStringLiteral("allocationProgress"));
    progress->setAccessibleName(QStringLiteral("Allocation progress"));
    progress->setRange(0, static_cast<int>(planner::AllocationRun::Stage::Done));
    progress->setTextVisible(true);
    progress->setFormat(QStringLiteral("%p%"));
    progress->setMinimumWidth(progress->fontMetrics().horizontalAdvance(QStringLiteral("100%")) * 3);
    progress->hide();
    allocRow->addWidget(progress);
    cancelButton = button(QStringLiteral("cancelAllocation"), QStringLiteral("Cancel (Esc)"),
                          QStringLiteral("Cancel the allocation"), &Planner::cancelAllocation);
    cancelButton->hide();
    allocRow->addWidget(cancelButton);
}

void Planner::buildActions()
{
    struct Key {
        const char* name;
        const char* text;
        QList<QKeySequence> keys;
        std::function<void(Planner&)> slot;
    };
    const Key keys[] = {
        {"actionUndo", "&Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &Planner::undo},
        {"actionRedo",
         "&Redo",
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
         &Planner::redo},
        {"actionSplit", "Split in &two", {QKeySequence(Qt::CTRL | Qt::Key_D)}, &Planner::splitHalves},
        {"actionSplitInto", "Split &into...", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)}, &Planner::splitPrompt},
        {"actionJoin", "&Join", {QKeySequence(Qt::CTRL | Qt::Key_J)}, &Planner::join},
        {"actionFree", "&Free", {QKeySequence(Qt::CTRL | Qt::Key_Delete)}, &Planner::freeChosen},
        {"actionAssign", "Assi&gn...", {QKeySequence(Qt::CTRL | Qt::Key_G)}, &Planner::assignChosen},
        {"actionTidy", "Tid&y", {QKeySequence(Qt::CTRL | Qt::Key_T)}, &Planner::tidyChosen},
        {"actionNew", "&New...", {QKeySequence(Qt::CTRL | Qt::Key_N)}, [](Planner& w) { w.files->newPlan(); }},
        {"actionOpen", "&Open...", {QKeySequence(Qt::CTRL | Qt::Key_O)}, [](Planner& w) { w.files->open(); }},
        {"actionSave", "&Save", {QKeySequence(Qt::CTRL | Qt::Key_S)}, [](Planner& w) { w.files->save(); }},
        {"actionSaveAs",
         "Save &As...",
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
         [](Planner& w) { w.files->saveAs(); }},
        {"actionExport",
         "E&xport...",
         {QKeySequence(Qt::CTRL | Qt::Key_E)},
         [](Planner& w) { w.exchange->exportFile(); }},
    };
    menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("blockMenu"));
    int n = 0;
    for (const Key& k : keys) {
        auto* a = new QAction(QString::fromUtf8(k.text), this);
        a->setObjectName(QString::fromUtf8(k.name));
        a->setShortcuts(k.keys);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, [this, slot = k.slot] { slot(*this); });
        addAction(a);
        if (n == 2)
            menu->addSeparator();
        if (n < 8)
            menu->addAction(a);
        ++n;
    }
    menu->addSeparator();
    QAction* rename = menu->addAction(QStringLiteral("Re&name"), this,
                                      [this] { blocks->edit(treeModel->indexOf(currentBlock(), planner::ColName)); });
    rename->setObjectName(QStringLiteral("actionRename"));
    QAction* note = menu->addAction(QStringLiteral("Edit n&ote"), this,
                                    [this] { blocks->edit(treeModel->indexOf(currentBlock(), planner::ColNote)); });
    note->setObjectName(QStringLiteral("actionNote"));
    QAction* colour = menu->addAction(QStringLiteral("&Colour..."), this, &Planner::chooseColour);
    colour->setObjectName(QStringLiteral("actionColour"));
    exchange->buildExportMenu();
    buildReserveAction();
    buildWindowKeys();
}

void Planner::buildWindowKeys()
{
    // The window's file commands win over a text box's own use of their keys.
    QList<QKeySequence> windowKeys;
    for (const char* name :
         {"actionNew", "actionOpen", "actionSave", "actionSaveAs", "actionExport", "actionOutputs", "actionFindHost"})
        if (const auto* a = findChild<QAction*>(QString::fromLatin1(name)))
            windowKeys += a->shortcuts();
    new WindowKeys(this, windowKeys);
    // The block menu on the tree, the table and the map, from the mouse, the
    // Menu key and Shift+F10 (which Qt leaves to the platform, and X11 ignores).
    for (QWidget* w : {static_cast<QWidget*>(blocks), blocks->viewport(), static_cast<QWidget*>(allocations),
                       allocations->viewport(), static_cast<QWidget*>(allocationMap)}) {
        w->setContextMenuPolicy(Qt::DefaultContextMenu);
        w->installEventFilter(this);
    }
    auto* menuKey = new QAction(this);
    menuKey->setObjectName(QStringLiteral("actionContextMenu"));
    menuKey->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    menuKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(menuKey, &QAction::triggered, this, [] {
        // As the Menu key does: a context menu event from the keyboard to the focus.
        if (QWidget* focus = QApplication::focusWidget()) {
            const QPoint at = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
            QContextMenuEvent event(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
            QCoreApplication::sendEvent(focus, &event);
        }
    });
    addAction(menuKey);
}

bool Planner::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu)
        return QWidget::eventFilter(watched, event);
    auto* e = static_cast<QContextMenuEvent*>(event);
    const bool mouse = e->reason() == QContextMenuEvent::Mouse;
    plan::BlockId id = plan::kNoBlock;
    QWidget* where = static_cast<QWidget*>(watched);
    QRect item;  // the block on screen, in `where`'s coordinates
    if (watched == blocks || watched == blocks->viewport()) {
        where = blocks->viewport();
        const QModelIndex at = mouse ? blocks->indexAt(e->pos()) : blocks->currentIndex();
        id = at.isValid() ? PlanTreeModel::blockOf(at) : currentBlock();
        item = blocks->visualRect(at.siblingAtColumn(0));
    } else if (watched == allocations || watched == allocations->viewport()) {
        where = allocations->viewport();
        const QModelIndex at = mouse ? allocations->indexAt(e->pos()) : allocations->currentIndex();
        if (at.isValid()) {
            id = static_cast<plan::BlockId>(at.data(AllocationTableModel::BlockRole).toULongLong());
            item = allocations->visualRect(at);
        }
    } else {
        id = mouse ? allocationMap->blockAt(e->pos()) : allocationMap->selected();
        if (id != plan::kNoBlock)
            item = QRect(allocationMap->pointOf(id), QSize(1, AllocationMap::kRowHeight));
    }
    if (id != plan::kNoBlock && model->plan().exists(id)) {
        selectBlock(id);
        refresh();
    }
    // From the keyboard the menu opens under the block, or at the top of the control.
    const QPoint at =
        mouse ? e->globalPos()
              : where->mapToGlobal(item.isValid() && where->rect().intersects(item) ? QPoint(item.left(), item.bottom())
                                                                                    : QPoint(0, 0));
    menu->popup(at);
    return true;
}

}  // namespace mq::ui
