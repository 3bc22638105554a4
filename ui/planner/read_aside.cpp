// A file read on a thread of its own while the planner waits modally: the window keeps
// painting and answering Esc, tells the rows read so far, and a Cancel throws the read away.
#include "planner/planner_form.h"
#include "ui/planner/qt_planner_services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <memory>

namespace mq::ui {

namespace {

// A read shorter than this ends before its dialog shows, so a small file does not flash one;
// the keys typed meanwhile wait no longer than the window may keep them waiting.
constexpr int kShowAfterMs = 100;
constexpr int kRefreshMs = 100;

}  // namespace

bool QtPlannerServices::readAside(const std::string& file, const std::function<void(const ReadProgress&)>& read)
{
    // The worker only stores the count and looks at the flag; the dialog is this thread's.
    std::atomic<std::size_t> rows{0};
    std::atomic<bool> cancelled{false};
    bool done = false;
    std::exception_ptr failure;
    const ReadProgress progress = [&](std::size_t n) {
        rows.store(n, std::memory_order_relaxed);
        return !cancelled.load(std::memory_order_relaxed);
    };
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            read(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    }));

    const QString reading = QStringLiteral("Reading %1...").arg(QFileInfo(QString::fromStdString(file)).fileName());
    QProgressDialog dialog(reading, QStringLiteral("Cancel"), 0, 0, win);
    dialog.setObjectName(QStringLiteral("ReadProgress"));
    dialog.setWindowTitle(QString::fromUtf8(planner::kPlannerTitle));
    dialog.setWindowModality(win ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(kShowAfterMs);
    const auto cancel = [&] {
        cancelled = true;
        dialog.setLabelText(QStringLiteral("Cancelling..."));
        dialog.show();  // Esc hides it; it stays until the worker has stopped
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, cancel);
    QObject::connect(&dialog, &QDialog::rejected, &dialog, cancel);
    QObject::connect(worker.get(), &QThread::finished, &dialog, [&] { done = true; });

    QElapsedTimer since;
    since.start();
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &dialog, [&] {
        if (cancelled)
            return;
        const std::size_t n = rows.load(std::memory_order_relaxed);
        dialog.setLabelText(n ? reading + "\n" + QString::fromStdString(planner::countText(n, "row", "rows")) + " read"
                              : reading);
        if (!dialog.isVisible() && since.elapsed() >= kShowAfterMs)
            dialog.show();
    });
    refresh.start(kRefreshMs);
    worker->start();
    // Until the dialog shows, the user's keys and clicks wait (they are not lost), so nothing
    // reaches the plan while it is being read for.
    while (!done)
        QCoreApplication::processEvents(
            QEventLoop::WaitForMoreEvents |
            (dialog.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents));
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
    return !cancelled;
}

}  // namespace mq::ui
