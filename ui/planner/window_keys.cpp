#include "ui/planner/window_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace mq::ui {

WindowKeys::WindowKeys(QWidget* w, QList<QKeySequence> keys) : QObject(w), window(w), claimed(std::move(keys))
{
    // The focus may be on an editor made later (a cell's): watched wherever it is.
    qApp->installEventFilter(this);
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget == window || !window->isAncestorOf(widget))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!claimed.contains(QKeySequence(key->keyCombination())))
        return false;
    // Not taken by the control: the shortcut map then gives the key to the window's action.
    event->ignore();
    return true;
}

}  // namespace mq::ui
