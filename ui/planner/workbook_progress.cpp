#include "ui/planner/workbook_progress.h"

#include "planner/planner_services.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

namespace mq::ui {

WorkbookProgress::WorkbookProgress(QWidget* window, std::unique_ptr<planner::WorkbookExport> made, Finish then)
    : QDialog(window), job(std::move(made)), finish(std::move(then))
{
    setObjectName(QStringLiteral("workbookProgress"));
    setWindowTitle(QString::fromUtf8(planner::kPlannerTitle));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Writing the workbook..."), this));
    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("workbookBar"));
    bar->setAccessibleName(QStringLiteral("Rows written"));
    bar->setTextVisible(false);
    bar->setRange(0, 0);  // moving until the worker first tells its rows
    layout->addWidget(bar);
    rows = new QLabel(this);
    rows->setObjectName(QStringLiteral("workbookRows"));
    layout->addWidget(rows);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &WorkbookProgress::reject);
    layout->addWidget(buttons);

    // The counts come over as queued calls: the widgets are touched on their own thread only,
    // and a call still queued when the dialog goes is dropped with it.
    worker = QThread::create([this, work = job] {
        work->make([this](std::size_t done, std::size_t total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { shown(done, total); }, Qt::QueuedConnection);
            return true;
        });
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, this, &WorkbookProgress::ended);
    worker->start(QThread::LowPriority);
    open();
}

WorkbookProgress::~WorkbookProgress()
{
    job->cancel();
    worker->wait();
}

void WorkbookProgress::reject()
{
    // The window answers again at once, or once the plan is copied (then the worker ends
    // within a few thousand rows); the worker stops in the background, and nothing it made
    // is written.
    job->cancel();
    closing = true;
    if (job->sourceReleased())
        QDialog::reject();
}

void WorkbookProgress::shown(std::size_t done, std::size_t total)
{
    bar->setRange(0, 1000);
    bar->setValue(total == 0 ? 0 : static_cast<int>(std::min(done, total) * 1000 / total));
    rows->setText(QStringLiteral("%1 of %2 rows").arg(done).arg(total));
}

void WorkbookProgress::ended()
{
    if (isVisible())
        closing ? QDialog::reject() : accept();
    finish(*job);
    deleteLater();
}

}  // namespace mq::ui
