// The planner's Hosts tab: every host of the plan, sorted and filtered in the form model,
// and the plan's problems under it.
#include "ui/planner/planner_hosts.h"
#include "ui/planner/hosts_table_model.h"
#include "ui/platform/theme.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace mq::ui {

Planner::HostsTab::HostsTab(Planner& w) : w(w) { }

void Planner::HostsTab::buildFilter(QWidget* page, QVBoxLayout* layout)
{
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("Filter:"), page);
    hostFilter = new QLineEdit(page);
    hostFilter->setObjectName(QStringLiteral("hostsFilter"));
    hostFilter->setAccessibleName(QStringLiteral("Filter hosts"));
    hostFilter->setAccessibleDescription(
        QStringLiteral("Shows the hosts with this text in any column, or with an address inside this address or "
                       "prefix (Ctrl+F)"));
    hostFilter->setPlaceholderText(QStringLiteral("text, an address or a prefix (Ctrl+F)"));
    hostFilter->setClearButtonEnabled(true);
    // Qt's clear button has no name of its own: a screen reader would say only "button".
    for (QToolButton* clear : hostFilter->findChildren<QToolButton*>()) {
        clear->setAccessibleName(QStringLiteral("Clear the filter"));
        clear->setAccessibleDescription(QStringLiteral("Shows every host again"));
    }
    filterLabel->setBuddy(hostFilter);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(hostFilter, 1);
    layout->addLayout(filterRow);
}

void Planner::HostsTab::buildTable(QSplitter* split)
{
    hostsModel = new HostsTableModel(&w);
    hosts = new QTableView(split);
    hosts->setObjectName(QStringLiteral("hosts"));
    hosts->setAccessibleName(QStringLiteral("Hosts"));
    hosts->setAccessibleDescription(
        QStringLiteral("Every host of the plan; a click on a title or Ctrl+Shift+O sorts by that column, a row selects "
                       "its block, Ctrl+C copies the rows shown"));
    hosts->setModel(hostsModel);
    hosts->setSortingEnabled(true);
    hosts->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);  // the plan's order until a title is clicked
    hosts->setSelectionBehavior(QAbstractItemView::SelectRows);
    hosts->setSelectionMode(QAbstractItemView::SingleSelection);
    hosts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    hosts->setTabKeyNavigation(false);  // Tab leaves the table; the arrows move in it
    hosts->verticalHeader()->hide();
    hosts->verticalHeader()->setDefaultSectionSize(hosts->fontMetrics().height() + 4);
    hosts->horizontalHeader()->setResizeContentsPrecision(0);
    hosts->horizontalHeader()->setStretchLastSection(true);
    hosts->setWordWrap(false);
}

void Planner::HostsTab::connect(QTabWidget* tabs)
{
    QObject::connect(hostFilter, &QLineEdit::textChanged, &w,
                     [this](const QString& text) { hostsModel->setFilter(text); });
    QObject::connect(hosts, &QTableView::clicked, &w, [this](const QModelIndex& at) {
        w.selectBlock(static_cast<plan::BlockId>(at.data(HostsTableModel::BlockRole).toULongLong()));
        w.refresh();
    });
    QObject::connect(tabs, &QTabWidget::currentChanged, &w, [this] {
        refresh();
        if (checkLater && checkLater->isActive() && w.tables->currentIndex() == 1)
            runChecks();  // a tab brought into view shows the plan as it is
    });
    Planner::addSortKey(hosts);
    auto* copyKey = new QAction(hosts);
    copyKey->setShortcut(QKeySequence::Copy);
    copyKey->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(copyKey, &QAction::triggered, &w, [this] { copy(); });
    hosts->addAction(copyKey);
    auto* findKey = new QAction(&w);
    findKey->setObjectName(QStringLiteral("actionFindHost"));
    findKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    findKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(findKey, &QAction::triggered, &w, [this] {
        show();
        hostFilter->setFocus();
        hostFilter->selectAll();
    });
    w.addAction(findKey);
}

QWidgetList Planner::HostsTab::build(QTabWidget* tabs)
{
    const QString about = QStringLiteral("The allocations (Alt+1) and the hosts (Alt+2) of the plan, one tab each");
    for (QWidget* t : {static_cast<QWidget*>(tabs), static_cast<QWidget*>(tabs->tabBar())}) {
        t->setAccessibleName(QStringLiteral("Tables"));
        t->setAccessibleDescription(about);
    }
    // The arrows a narrow window shows beside the tabs.
    for (QToolButton* arrow : tabs->tabBar()->findChildren<QToolButton*>())
        arrow->setAccessibleDescription(QStringLiteral("Shows the tabs out of view"));
    auto* page = new QWidget(tabs);
    page->setObjectName(QStringLiteral("hostsBox"));
    tabs->addTab(page, QStringLiteral("&2 Hosts"));
    auto* layout = new QVBoxLayout(page);
    buildFilter(page, layout);

    // The hosts above, the problems below: either can be given more room.
    auto* split = new QSplitter(Qt::Vertical, page);
    split->setObjectName(QStringLiteral("hostsSplitter"));
    layout->addWidget(split, 1);
    buildTable(split);
    const QWidgetList lower = buildProblems(split);
    split->setSizes({260, 100});

    connect(tabs);
    return QWidgetList{hostFilter, hosts} + lower;
}

// Copy table and the summary of the checks on one row, the problems under them.
QWidgetList Planner::HostsTab::buildProblems(QSplitter* split)
{
    auto* lowerBox = new QWidget(split);
    auto* lower = new QVBoxLayout(lowerBox);
    lower->setContentsMargins(0, 0, 0, 0);
    auto* copyRow = new QHBoxLayout;
    // No letter of its own: Alt+C is the allocations' Copy table; Ctrl+C copies from the table.
    QPushButton* copyButton = w.button(QStringLiteral("copyHosts"), QStringLiteral("Copy hosts"),
                                       QStringLiteral("Copy the hosts table"), [](Planner& p) { p.hostsTab->copy(); });
    copyButton->setAccessibleDescription(QStringLiteral("Copies the hosts shown as tab-separated text"));
    copyRow->addWidget(copyButton);
    problemsTitle = new QLabel(lowerBox);
    problemsTitle->setObjectName(QStringLiteral("problemsTitle"));
    copyRow->addWidget(problemsTitle, 1);
    lower->addLayout(copyRow);
    problems = new QListView(lowerBox);
    problems->setObjectName(QStringLiteral("problems"));
    problems->setAccessibleName(QStringLiteral("Problems"));
    problems->setAccessibleDescription(
        QStringLiteral("What the checks of the plan's subnets found; Enter or a click selects the block and host"));
    problems->setUniformItemSizes(true);
    problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    problemModel = new ProblemListModel(&w);
    problems->setModel(problemModel);
    setAccentText(problems, Accent::Warning);  // every line a fault
    problemsTitle->setBuddy(problems);
    lower->addWidget(problems, 1);
    // The checks run once edits pause, so that typing in the table never waits for them.
    checkLater = new QTimer(&w);
    checkLater->setSingleShot(true);
    checkLater->setInterval(kCheckPause);
    QObject::connect(checkLater, &QTimer::timeout, &w, [this] { runChecks(); });
    QObject::connect(problems, &QListView::clicked, &w, [this](const QModelIndex& at) { chooseProblem(at); });
    QObject::connect(problems, &QListView::activated, &w, [this](const QModelIndex& at) { chooseProblem(at); });
    return {copyButton, problems};
}

void Planner::HostsTab::show()
{
    w.tables->setCurrentIndex(1);
}

// The table follows the plan while it is in view; hidden, an edit of a plan of many hosts
// costs it nothing. The checks follow it always (once edits pause), so that the problems a
// screen reader or the tab's return finds are the plan's as it is.
void Planner::HostsTab::refresh()
{
    if (!w.tables || !checkLater)
        return;
    const plan::Plan& p = w.model->plan();
    if (w.tables->currentIndex() == 1) {
        const bool fresh = !hostsModel->table().isCurrent(p);
        hostsModel->setPlan(p);
        if (fresh && hostsModel->table().rebuilt())
            hosts->resizeColumnsToContents();
    }
    if (problemModel->checks().isCurrent(p, w.model->revision()))
        return;
    // Checked at once when the list was of another plan (or none); after an edit, once the
    // edits pause (the title says so until then).
    if (!problemModel->checks().isOf(p)) {
        runChecks();
        return;
    }
    problemsTitle->setText(QStringLiteral("Checking..."));
    checkLater->start();
}

void Planner::HostsTab::runChecks()
{
    checkLater->stop();
    if (!w.tables)
        return;
    problemModel->update(w.model->plan(), w.model->revision());
    problemsTitle->setText(QString::fromStdString(problemModel->checks().summary()));
    if (problemModel->checks().problems().empty())
        clearAccentText(problemsTitle);
    else
        setAccentText(problemsTitle, Accent::Warning);
    problems->setAccessibleName(QStringLiteral("Problems: ") + problemsTitle->text());
}

void Planner::HostsTab::chooseProblem(const QModelIndex& at)
{
    if (!at.isValid())
        return;
    const auto block = static_cast<plan::BlockId>(at.data(ProblemListModel::BlockRole).toULongLong());
    const qlonglong host = at.data(ProblemListModel::HostRole).toLongLong();
    w.selectBlock(block);
    if (host >= 0) {
        if (const auto row = hostsModel->table().rowOf(static_cast<std::size_t>(host))) {
            const QModelIndex cell = hostsModel->index(static_cast<int>(*row), 0);
            hosts->setCurrentIndex(cell);
            hosts->scrollTo(cell);
        }
    }
    w.refresh();
}

void Planner::HostsTab::copy()
{
    refresh();
    w.model->copyHosts(hostsModel->table());
}

}  // namespace mq::ui
