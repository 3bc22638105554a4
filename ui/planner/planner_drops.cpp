// Dropped on the planner: a plan is opened (with the question before unsaved
// changes are lost), another file or a text imported as the Import menu does.
#include "ui/planner/planner.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace mq::ui {

namespace {

QString localFile(const QMimeData* data)
{
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                return url.toLocalFile();
    return {};
}

bool takes(const QMimeData* data)
{
    return data && (!localFile(data).isEmpty() || data->hasText());
}

}  // namespace

void Planner::dragEnterEvent(QDragEnterEvent* event)
{
    if (!allocationRunning() && takes(event->mimeData()))
        event->acceptProposedAction();
}

void Planner::dragMoveEvent(QDragMoveEvent* event)
{
    if (!allocationRunning() && takes(event->mimeData()))
        event->acceptProposedAction();
}

void Planner::dropEvent(QDropEvent* event)
{
    if (allocationRunning() || !takes(event->mimeData()))
        return;
    event->acceptProposedAction();
    const QString file = localFile(event->mimeData());
    const QString text = event->mimeData()->text();
    // After the drop has ended: the import may ask, and the drag's source waits meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, file, text] {
            if (allocationRunning())
                return;
            if (file.endsWith(QStringLiteral(".mqplan"), Qt::CaseInsensitive))
                openPlanFile(file.toStdString());
            else if (!file.isEmpty())
                model->importDroppedFile(file.toStdString());
            else
                model->importDroppedText(text.toStdString());
            refresh();
        },
        Qt::QueuedConnection);
}

}  // namespace mq::ui
