#include "ui/planner/planner.h"

#include "planner/allocation_table.h"
#include "planner/plan_report.h"
#include "ui/help/help_window.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/allocation_table_model.h"
#include "ui/planner/elided_label.h"
#include "ui/planner/plan_tree_model.h"
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
    // A run still going may be reading the plan this window owns: let it
    // finish its copy first (a fraction of a second), then it runs out alone.
    if (running) {
        running->cancel();
        while (!running->sourceReleased())
            QThread::msleep(2);
    }
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
    freeButton->setEnabled(!running && model->canFree(id));
    assignButton->setEnabled(!running && model->canAssign(id));
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
    splitButton->setEnabled(!running && model->canSplit(id));
    joinButton->setEnabled(!running && model->canJoin(id));
    undoButton->setEnabled(!running && model->canUndo());
    redoButton->setEnabled(!running && model->canRedo());
    QStringList targets;
    for (plan::BlockId t : model->allocationTargets(id))
        targets << QString::fromStdString(planner::blockTitle(p.block(t)));
    allocateTarget->setText(
        QStringLiteral("Segments go into the free space of %1").arg(targets.join(QStringLiteral(" and "))));
    status->setText(QString::fromStdString(planner::summaryText(p, shownLeaves, id)));
    subnet->refresh(id);
    refreshExchange();
    refreshHosts();
    if (running && !stageText.isEmpty())
        allocateTarget->setText(stageText);  // a run under way names its stage there
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

void Planner::newPlan()
{
    expanded.clear();
    model->newPlan();
    refresh();
}

void Planner::newUlaPlan()
{
    expanded.clear();
    model->newUlaPlan();
    refresh();
}

// Open, a recent plan and a file named elsewhere end alike: the tree starts
// folded, the Allocate panel gets the segments the plan keeps, and a plan
// that does not open leaves the window as it was.
bool Planner::openWith(const std::function<bool()>& open)
{
    const auto before = expanded;
    expanded.clear();
    const bool ok = open();
    if (!ok)
        expanded = before;
    else
        segments->setPlainText(QString::fromStdString(model->segmentsText()));
    refresh();
    return ok;
}

void Planner::openPlan()
{
    openWith([this] { return model->open(); });
}

bool Planner::openPlanFile(const std::string& fileName)
{
    if (running || !model->queryClose())
        return false;
    return openWith([this, &fileName] { return model->openFile(fileName); });
}

void Planner::savePlan()
{
    model->save();
    refresh();
}

void Planner::savePlanAs()
{
    model->saveAs();
    refresh();
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

void Planner::allocate()
{
    if (running)
        return;
    runTarget = model->plan().block(model->allocationTarget(currentBlock())).prefix;
    running = model->startAllocation(currentBlock(), segments->toPlainText().toStdString());
    runStarted = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
    setBusy(true);
    QThreadPool::globalInstance()->start([run = running] { run->run(); });
    poll->start();
}

void Planner::cancelAllocation()
{
    if (!running)
        return;
    running->cancel();
    pollAllocation();
}

void Planner::pollAllocation()
{
    if (!running) {
        poll->stop();
        return;
    }
    if (running->finished() || (running->cancelled() && running->sourceReleased())) {
        endAllocation();
        return;
    }
    // Quick runs finish before anything flickers.
    if (static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) - runStarted >= 300) {
        progress->setValue(static_cast<int>(running->stage()));
        stageText = QString::fromStdString(running->stageText()) + QStringLiteral("...");
        allocateTarget->setText(stageText);
        progress->setAccessibleDescription(stageText);
        progress->show();
        cancelButton->show();
    }
}

void Planner::endAllocation()
{
    std::shared_ptr<planner::AllocationRun> run = std::move(running);
    // What the run holds (the plan it replaced, a cancelled copy) is freed
    // off this thread.
    struct FreeLater {
        std::shared_ptr<planner::AllocationRun> run;
        ~FreeLater()
        {
            if (run)
                QThreadPool::globalInstance()->start([r = std::move(run)]() mutable { r.reset(); });
        }
    } freeLater{run};
    poll->stop();
    stageText.clear();
    progress->hide();
    cancelButton->hide();
    setBusy(false);
    if (run->cancelled()) {
        refresh();
        status->setText(status->text() + QStringLiteral("  (allocation cancelled: the plan is as it was)"));
        return;
    }
    if (model->finishAllocation(*run)) {
        expanded.insert(runTarget);
        // Open the tree down to the first block placed; the others stay
        // folded, so a million of them cost nothing here.
        if (!model->allocatedBlocks().empty()) {
            const plan::BlockId first = model->allocatedBlocks().front();
            for (plan::BlockId up = model->plan().block(first).parent; up != plan::kNoBlock;
                 up = model->plan().block(up).parent)
                expanded.insert(model->plan().block(up).prefix);
        }
        // The block the user chose stays the target of the next allocation.
        prefer = runTarget;
    }
    refresh();
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

void Planner::exportFile()
{
    const auto choice = model->chooseExport();
    if (!choice)
        return;
    // A workbook of a large plan takes a second or more: made on a worker, under a dialog
    // that can cancel it.
    if (auto job = model->startWorkbook(choice->path, choice->type)) {
        new WorkbookProgress(this, std::move(job), [this](const planner::WorkbookExport& made) {
            model->finishWorkbook(made);
            refresh();
        });
        return;
    }
    model->exportTo(choice->path, choice->type);
    refresh();
}

void Planner::copyAllocations()
{
    model->copyAllocations();
}

void Planner::chooseColour()
{
    model->chooseColour(currentBlock());
    refresh();
}

void Planner::fillRecentMenu()
{
    recent->clear();
    const std::vector<std::string> list = model->recentPlans();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const QString file = QString::fromStdString(list[i]);
        // A '&' of the file name is shown, not taken for the entry's mnemonic.
        QAction* a = recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            QFileInfo(file).fileName().replace(QLatin1Char('&'), QStringLiteral("&&"))));
        a->setToolTip(plainToolTip(file));
        a->setObjectName(QStringLiteral("recent%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] {
            if (!running)
                openWith([this, i] { return model->openRecent(i); });
        });
    }
    if (list.empty())
        recent->addAction(QStringLiteral("(no plan opened yet)"))->setEnabled(false);
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
    if (event->key() == Qt::Key_Escape && running) {
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
