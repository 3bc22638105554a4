// Files dropped on the main window: each extension registered opens its kind
// (a plan in the planner); anything else is refused at the border.
#include "ui/frmMain/frm_main.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace mq::ui {

void FrmMain::addFileDrop(const QString& extension, std::function<void(const QString& path)> open)
{
    fileDrops[extension.toLower()] = std::move(open);
    setAcceptDrops(true);
}

std::pair<QString, std::function<void(const QString&)>> FrmMain::dropped(const QMimeData* data) const
{
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                if (auto it = fileDrops.find(QFileInfo(url.toLocalFile()).suffix().toLower()); it != fileDrops.end())
                    return {url.toLocalFile(), *it};
    return {};
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (dropped(event->mimeData()).second)
        event->acceptProposedAction();
}

void FrmMain::dragMoveEvent(QDragMoveEvent* event)
{
    if (dropped(event->mimeData()).second)
        event->acceptProposedAction();
}

void FrmMain::dropEvent(QDropEvent* event)
{
    auto [path, open] = dropped(event->mimeData());
    if (!open)
        return;
    event->acceptProposedAction();
    // After the drop has ended: what opens may ask a question, and the source
    // of the drag waits for its answer meanwhile.
    QMetaObject::invokeMethod(
        this, [path = std::move(path), open = std::move(open)] { open(path); }, Qt::QueuedConnection);
}

}  // namespace mq::ui
