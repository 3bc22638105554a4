#include "ui/planner/planner_runs.h"

#include "ui/planner/elided_label.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

namespace mq::ui {

Planner::AllocationRuns::AllocationRuns(Planner& w) : w(w), timer(new QTimer(&w))
{
    timer->setInterval(40);
    QObject::connect(timer, &QTimer::timeout, &w, [this] { poll(); });
}

void Planner::AllocationRuns::letGo()
{
    if (run) {
        run->cancel();
        while (!run->sourceReleased())
            QThread::msleep(2);
    }
}

void Planner::AllocationRuns::start()
{
    if (run)
        return;
    target = w.model->plan().block(w.model->allocationTarget(w.currentBlock())).prefix;
    run = w.model->startAllocation(w.currentBlock(), w.segments->toPlainText().toStdString());
    started = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
    w.setBusy(true);
    QThreadPool::globalInstance()->start([r = run] { r->run(); });
    timer->start();
}

void Planner::AllocationRuns::cancel()
{
    if (!run)
        return;
    run->cancel();
    poll();
}

void Planner::AllocationRuns::poll()
{
    if (!run) {
        timer->stop();
        return;
    }
    if (run->finished() || (run->cancelled() && run->sourceReleased())) {
        end();
        return;
    }
    // Quick runs finish before anything flickers.
    if (static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) - started >= 300) {
        w.progress->setValue(static_cast<int>(run->stage()));
        stageText = QString::fromStdString(run->stageText()) + QStringLiteral("...");
        w.allocateTarget->setText(stageText);
        w.progress->setAccessibleDescription(stageText);
        w.progress->show();
        w.cancelButton->show();
    }
}

void Planner::AllocationRuns::end()
{
    std::shared_ptr<planner::AllocationRun> done = std::move(run);
    // What the run holds (the plan it replaced, a cancelled copy) is freed
    // off this thread.
    struct FreeLater {
        std::shared_ptr<planner::AllocationRun> run;
        ~FreeLater()
        {
            if (run)
                QThreadPool::globalInstance()->start([r = std::move(run)]() mutable { r.reset(); });
        }
    } freeLater{done};
    timer->stop();
    stageText.clear();
    w.progress->hide();
    w.cancelButton->hide();
    w.setBusy(false);
    if (done->cancelled()) {
        w.refresh();
        w.status->setText(w.status->text() + QStringLiteral("  (allocation cancelled: the plan is as it was)"));
        return;
    }
    if (w.model->finishAllocation(*done)) {
        w.expanded.insert(target);
        // Open the tree down to the first block placed; the others stay
        // folded, so a million of them cost nothing here.
        if (!w.model->allocatedBlocks().empty()) {
            const plan::BlockId first = w.model->allocatedBlocks().front();
            for (plan::BlockId up = w.model->plan().block(first).parent; up != plan::kNoBlock;
                 up = w.model->plan().block(up).parent)
                w.expanded.insert(w.model->plan().block(up).prefix);
        }
        // The block the user chose stays the target of the next allocation.
        w.prefer = target;
    }
    w.refresh();
}

}  // namespace mq::ui
