#include "ui/planner/planner.h"

#include "planner/allocation_table.h"
#include "planner/plan_report.h"
#include "ui/help/help_window.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/allocation_table_model.h"
#include "ui/planner/elided_label.h"
#include "ui/planner/plan_tree_model.h"
#include "ui/planner/planner_exchange.h"
#include "ui/planner/planner_files.h"
#include "ui/planner/planner_hosts.h"
#include "ui/planner/planner_runs.h"
#include "ui/planner/planner_window_services.h"
#include "ui/planner/qt_planner_services.h"
#include "ui/planner/result_list_model.h"
#include "ui/planner/subnet_panel.h"
#include "ui/planner/workbook_progress.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>

namespace mq::ui {

Planner::Planner(QWidget* parent, planner::PlannerServices* sv) : QWidget(parent)
{
    setObjectName(QStringLiteral("planner"));
    setAccessibleName(QString::fromUtf8(planner::kPlannerTitle));
    setAcceptDrops(true);  // plans, lists, CSV and links (planner_drops.cpp)
    if (!sv) {
        ownServices = std::make_unique<QtPlannerServices>(this);
        sv = ownServices.get();
    }
    services = std::make_unique<WindowServices>(*this, *sv);
    model = std::make_unique<planner::PlannerForm>(*services);
    runs = std::make_unique<AllocationRuns>(*this);
    exchange = std::make_unique<Exchange>(*this);
    files = std::make_unique<Files>(*this);
    hostsTab = std::make_unique<HostsTab>(*this);
    build();
    buildActions();
    refresh();
    recallState();
}

planner::PlannerServices& Planner::windowServices()
{
    return *services;
}

Planner::~Planner()
{
    // A run still going may be reading the plan this window owns.
    runs->letGo();
    // So does a workbook still being made; its dialog waits for it, before the plan goes.
    qDeleteAll(findChildren<WorkbookProgress*>(Qt::FindDirectChildrenOnly));
    // The widgets go while the form model they edit still stands: a window
    // closed with a line edit in focus commits that edit on the way out.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

plan::BlockId Planner::currentBlock() const
{
    const plan::BlockId id = PlanTreeModel::blockOf(blocks->currentIndex());
    return model->plan().exists(id) ? id : model->plan().root();
}

void Planner::expandTo(plan::BlockId id)
{
    const plan::Plan& p = model->plan();
    for (plan::BlockId up = p.block(id).parent; up != plan::kNoBlock; up = p.block(up).parent)
        blocks->expand(treeModel->indexOf(up));
}

void Planner::selectBlock(plan::BlockId id)
{
    if (!model->plan().exists(id))
        return;
    expandTo(id);
    const QModelIndex at = treeModel->indexOf(id);
    blocks->setCurrentIndex(at);
    blocks->scrollTo(at);
}

void Planner::refresh()
{
    setWindowTitle(QString::fromStdString(model->title()));
    const plan::Plan& p = model->plan();
    if (model->revision() != shownRevision) {
        shownRevision = model->revision();
        shownLeaves = planner::leafCount(p);
        const plan::BlockId was = PlanTreeModel::blockOf(blocks->currentIndex());
        const net::Prefix current = prefer ? *prefer : p.exists(was) ? p.block(was).prefix : p.block(p.root()).prefix;
        prefer.reset();
        treeModel->sync();
        allocationMap->planChanged();
        blocks->expand(treeModel->indexOf(p.root()));
        for (const net::Prefix& e : expanded) {
            const plan::BlockId id = p.blockOf(e);
            if (id != plan::kNoBlock)
                blocks->expand(treeModel->indexOf(id));
        }
        plan::BlockId keep = p.blockOf(current);
        selectBlock(keep == plan::kNoBlock ? p.root() : keep);
        resultModel->reload();
        allocationModel->setPlan(p);
        allocations->resizeColumnsToContents();
        blocks->resizeColumnToContents(planner::ColName);
    }
    const plan::BlockId id = currentBlock();
    allocationMap->setRoot(planner::MapIndex::rootOf(p, id));
    allocationMap->setSelected(id);
    freeButton->setEnabled(!allocationRunning() && model->canFree(id));
    assignButton->setEnabled(!allocationRunning() && model->canAssign(id));
    {
        // The plan's values shown, not a change of them.
        const QSignalBlocker quiet30(links30), quietNibble(nibble), quietVlan(vlanNumbering);
        links30->setChecked(p.settings().links30);
        nibble->setChecked(p.settings().nibble);
        vlanNumbering->setChecked(p.settings().vlanNumbering);
    }
    // What is undone may name a block: its name is shown as typed.
    undoButton->setToolTip(plainToolTip(
        model->canUndo() ? QStringLiteral("Undo %1 (Ctrl+Z)").arg(QString::fromStdString(model->undoText()))
                         : QStringLiteral("Nothing to undo")));
    redoButton->setToolTip(plainToolTip(
        model->canRedo() ? QStringLiteral("Redo %1 (Ctrl+Y)").arg(QString::fromStdString(model->redoText()))
                         : QStringLiteral("Nothing to redo")));
    splitButton->setEnabled(!allocationRunning() && model->canSplit(id));
    joinButton->setEnabled(!allocationRunning() && model->canJoin(id));
    undoButton->setEnabled(!allocationRunning() && model->canUndo());
    redoButton->setEnabled(!allocationRunning() && model->canRedo());
    QStringList targets;
    for (plan::BlockId t : model->allocationTargets(id))
        targets << QString::fromStdString(planner::blockTitle(p.block(t)));
    allocateTarget->setText(
        QStringLiteral("Segments go into the free space of %1").arg(targets.join(QStringLiteral(" and "))));
    status->setText(QString::fromStdString(planner::summaryText(p, shownLeaves, id)));
    subnet->refresh(id);
    refreshRules();
    hostsTab->refresh();
    if (runs->running() && !runs->stage().isEmpty())
        allocateTarget->setText(runs->stage());  // a run under way names its stage there
}

QSize Planner::sizeHint() const
{
    // Opens at its natural size where the screen has room for it, and smaller
    // where it has not: the splitters give way, every control stays in view.
    QSize room = screen() ? screen()->availableGeometry().size() : QWidget::sizeHint();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && sub->mdiArea()) {
        // The main window's menus, tool bar and status line, and this window's frame.
        const QWidget* area = sub->mdiArea()->viewport();
        const QSize chrome = sub->window()->frameGeometry().size() - area->size();
        const int edge = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
        const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
        room -= chrome.expandedTo(QSize(0, 0)) + QSize(2 * edge, title + edge);
    }
    const QSize natural = rememberedSize.isValid() ? rememberedSize : QWidget::sizeHint().expandedTo(QSize(1200, 820));
    return natural.boundedTo(room).expandedTo(minimumSizeHint());
}

// ---------------------------------------------------------------- documents

bool Planner::queryClose()
{
    const bool ok = model->queryClose();
    refresh();
    return ok;
}

bool Planner::openPlanFile(const std::string& fileName)
{
    return files->openFile(fileName);
}

// ---------------------------------------------------------------- editing

// Every split leaves the block it split open in the tree.
void Planner::splitWith(const std::function<bool(plan::BlockId)>& split)
{
    const plan::BlockId id = currentBlock();
    if (split(id))
        expanded.insert(model->plan().block(id).prefix);
    refresh();
}

void Planner::splitChosen()
{
    splitWith([this](plan::BlockId id) { return model->split(id, parts->currentData().toInt()); });
}

void Planner::splitHalves()
{
    splitWith([this](plan::BlockId id) { return model->split(id, 2); });
}

void Planner::splitPrompt()
{
    splitWith([this](plan::BlockId id) { return model->splitPrompt(id); });
}

void Planner::join()
{
    const plan::BlockId id = currentBlock();
    // The joined block takes the selection.
    prefer = model->plan().block(model->joinedBlock(id)).prefix;
    model->join(id);
    refresh();
}

void Planner::freeChosen()
{
    model->freeBlock(currentBlock());
    refresh();
}

void Planner::assignChosen()
{
    model->assignPrompt(currentBlock());
    refresh();
}

void Planner::tidyChosen()
{
    const plan::BlockId id = currentBlock();
    prefer = model->plan().block(id).prefix;
    model->tidy(id);
    refresh();
}

void Planner::settingsChanged()
{
    plan::Settings s = model->plan().settings();
    s.links30 = links30->isChecked();
    s.nibble = nibble->isChecked();
    s.vlanNumbering = vlanNumbering->isChecked();
    model->setSettings(s);
    refresh();
}

void Planner::undo()
{
    model->undo();
    refresh();
}

void Planner::redo()
{
    model->redo();
    refresh();
}

QMenu* Planner::importMenu() const
{
    return exchange->importMenu();
}

QMenu* Planner::exportMenu() const
{
    return exchange->exportMenu();
}

QTableView* Planner::hostsTable() const
{
    return hostsTab->table();
}

QLineEdit* Planner::hostsFilter() const
{
    return hostsTab->filter();
}

QListView* Planner::problemsList() const
{
    return hostsTab->problemsList();
}

void Planner::showHosts()
{
    hostsTab->show();
}

bool Planner::allocationRunning() const
{
    return runs->running();
}

void Planner::allocate()
{
    runs->start();
}

void Planner::cancelAllocation()
{
    runs->cancel();
}

void Planner::setBusy(bool busy)
{
    // While segments are placed the plan stays as the run copied it.
    for (QAction* a : actions())
        a->setEnabled(!busy);
    for (QWidget* w : findChildren<QPushButton*>())
        if (w != cancelButton && w->objectName() != QLatin1String("zoomIn") &&
            w->objectName() != QLatin1String("zoomOut"))
            w->setEnabled(!busy);
    blocks->setEditTriggers(busy ? QAbstractItemView::NoEditTriggers
                                 : QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked |
                                       QAbstractItemView::SelectedClicked);
    segments->setReadOnly(busy);
    if (!busy)
        refresh();
}

void Planner::chooseColour()
{
    model->chooseColour(currentBlock());
    refresh();
}

void Planner::addSortKey(QTableView* table)
{
    auto* sortKey = new QAction(table);
    sortKey->setObjectName(table->objectName() + QStringLiteral("SortKey"));
    sortKey->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    sortKey->setShortcutContext(Qt::WidgetShortcut);
    connect(sortKey, &QAction::triggered, table, [table] {
        const int column = std::max(0, table->currentIndex().column());
        const QHeaderView* header = table->horizontalHeader();
        const bool again =
            header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder;
        table->sortByColumn(column, again ? Qt::DescendingOrder : Qt::AscendingOrder);
    });
    table->addAction(sortKey);
}

void Planner::showHelp()
{
    HelpWindow::showHelp(window(), QStringLiteral("planner"));
}

void Planner::saveReport(Services& sv, ReportOutput& out)
{
    planner::saveReport(model->reportLines(), sv, out);
}

void Planner::printReport(Services& sv, ReportOutput& out)
{
    planner::printReport(model->reportLines(), sv, out);
}

// ---------------------------------------------------------------- events

void Planner::closeEvent(QCloseEvent* event)
{
    if (queryClose()) {
        keepState();
        event->accept();
    } else
        event->ignore();
}

bool Planner::event(QEvent* event)
{
    // F1 here opens the help at the planner's own section, ahead of the
    // program-wide F1 that opens the contents.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void Planner::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && allocationRunning()) {
        cancelAllocation();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        showHelp();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace mq::ui
