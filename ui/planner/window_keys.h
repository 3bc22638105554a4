// The planner window's commands ahead of the control with the focus. Under X11 a line edit
// takes Ctrl+E for the end of the line (and a text box may take other keys its platform binds),
// so the window's Export would never be reached from the hosts filter, a layout box or a cell
// being typed. The keys claimed here go to the window's actions instead; editing keys (undo,
// copy, select all) are not claimed and stay with the text.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QWidget;

namespace mq::ui {

class WindowKeys : public QObject {
public:
    // Claims the keys inside window (its own dialogs are windows of their own).
    WindowKeys(QWidget* window, QList<QKeySequence> keys);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window;
    QList<QKeySequence> claimed;
};

}  // namespace mq::ui
