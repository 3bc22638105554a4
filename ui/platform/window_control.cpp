#include "ui/platform/window_control.h"

#include <QMdiSubWindow>
#include <QWidget>

namespace mq::ui {

namespace {
QWidget* frameOf(QWidget* w)
{
    if (!w)
        return nullptr;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        return sub;
    return w;
}
}  // namespace

void hideWindow(QWidget* w)
{
    if (QWidget* f = frameOf(w))
        f->hide();
}

}  // namespace mq::ui
