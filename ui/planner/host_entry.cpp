#include "ui/planner/host_entry.h"

#include "planner/subnet_form.h"
#include "ui/planner/subnet_panel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>
#include <QTimer>

namespace mq::ui {

HostEntry::HostEntry(QTableView* t, HostRowsModel& r, planner::SubnetForm& f) : QObject(t), table(t), rows(r), form(f)
{
    // A click elsewhere ends the row being typed.
    connect(table, &QTableView::pressed, this, [this] { entering.reset(); });
}

bool HostEntry::typing(std::size_t row) const
{
    return form.isNewRow(row) || (entering && row < form.rowCount() && form.hostOf(row) == *entering);
}

void HostEntry::tab(QWidget* editor, bool forward)
{
    const QModelIndex at = table->indexAt(editor->geometry().center());
    if (!at.isValid())
        return;
    const bool inRow = typing(static_cast<std::size_t>(at.row()));
    QAbstractItemDelegate* delegate = table->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    const HostRowsModel::Edit& e = rows.lastEdit();
    if (e.refused)
        return;  // the cell opens again with what was typed
    if (e.added)
        entering = e.host;
    const int next = at.column() + (forward ? 1 : -1);
    if (inRow && next >= 0 && next < planner::HostColumnCount)
        return goOn({e.host, next, true, 0});
    entering.reset();
    goOn({e.host, at.column(), false, forward ? 1 : -1});
}

void HostEntry::returned()
{
    const HostRowsModel::Edit& e = rows.lastEdit();
    if (e.refused)
        return;
    if (e.added || (entering && e.host == entering)) {
        entering.reset();
        return goOn({std::nullopt, planner::HostName, false, 0});
    }
    goOn({e.host, e.column, false, 0});
}

// Posted: the model is reset by the queued edit before this runs.
void HostEntry::goOn(Goal goal)
{
    QTimer::singleShot(0, this, [this, goal] {
        std::size_t row = form.rowCount() - 1;  // the new-host row
        if (goal.host)
            for (std::size_t r = 0; r + 1 < form.rowCount(); ++r)
                if (form.hostOf(r) == *goal.host)
                    row = r;
        if (static_cast<int>(row) >= rows.rowCount())
            return;  // the block is no longer shown
        const QModelIndex at = rows.index(static_cast<int>(row), goal.column);
        table->setCurrentIndex(at);
        table->scrollTo(at);
        if (goal.edit) {
            table->edit(at);
        } else if (goal.leave != 0) {
            // As Tab on the table itself does, which leaves it.
            table->setFocus(Qt::TabFocusReason);
            QKeyEvent key(QEvent::KeyPress, goal.leave > 0 ? Qt::Key_Tab : Qt::Key_Backtab,
                          goal.leave > 0 ? Qt::NoModifier : Qt::ShiftModifier);
            QApplication::sendEvent(table, &key);
        }
    });
}

}  // namespace mq::ui
