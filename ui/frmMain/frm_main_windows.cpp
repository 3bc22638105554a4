// The main window's children: each tool window made on first use, shown and
// brought to the front, and the activation handed on when one hides.
#include "ui/frmMain/frm_main.h"

#include "ui/frmMain/tool_icons.h"

#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace mq::ui {

void FrmMain::registerWindow(const QString& name, std::function<QWidget*()> make)
{
    Entry& e = entries[name];
    e.make = std::move(make);
}

void FrmMain::registerTool(int toolbarIndex, const QString& name, std::function<QWidget*()> make)
{
    toolWindows[toolbarIndex] = name;
    registerWindow(name, std::move(make));
}

void FrmMain::makeRoomFor(QMdiSubWindow* sub)
{
    // The child keeps its own size: the main window grows instead, as far as
    // the screen's work area allows, so that every control shows without scrolling.
    const QSize lack = (sub->size() - mdi->viewport()->size()).expandedTo(QSize(0, 0));
    if (lack.width() > 0 || lack.height() > 0) {
        const QRect frame = frameGeometry();
        const QRect work = screen() ? screen()->availableGeometry() : frame;
        QRect grown(frame.topLeft(), (frame.size() + lack).boundedTo(work.size()));
        // Growing past the right or bottom edge slides the window back onto the screen.
        grown.moveRight(std::min(grown.right(), work.right()));
        grown.moveBottom(std::min(grown.bottom(), work.bottom()));
        const QMargins edges(geometry().left() - frame.left(), geometry().top() - frame.top(),
                             frame.right() - geometry().right(), frame.bottom() - geometry().bottom());
        move(grown.topLeft());
        resize(grown.marginsRemoved(edges).size());
        if (layout())
            layout()->activate();
    }
    // Where the child would hang over the edge, it moves in.
    const QSize area = mdi->viewport()->size();
    QPoint at = sub->pos();
    at.setX(std::max(0, std::min(at.x(), area.width() - sub->width())));
    at.setY(std::max(0, std::min(at.y(), area.height() - sub->height())));
    sub->move(at);
}

QWidget* FrmMain::findWindow(const QString& name) const
{
    auto it = entries.find(name);
    return it == entries.end() ? nullptr : it->widget.data();
}

QMdiSubWindow* FrmMain::subWindow(const QString& name) const
{
    QWidget* w = findWindow(name);
    return w ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr;
}

QWidget* FrmMain::showWindow(const QString& name)
{
    auto it = entries.find(name);
    if (it == entries.end() || !it->make)
        return nullptr;
    QWidget* w = it->widget;
    if (!w) {
        w = it->make();
        if (!w)
            return nullptr;
        if (w->objectName().isEmpty())
            w->setObjectName(name);
        it->widget = w;
        if (qobject_cast<QDialog*>(w)) {
            w->setParent(this, w->windowFlags() | Qt::Dialog);
            w->setAttribute(Qt::WA_DeleteOnClose);
        } else {
            QMdiSubWindow* sub = mdi->addSubWindow(w);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            // Ctrl+F4 closes a child here as on Windows; X11's Close is only Ctrl+W.
            for (QAction* a : sub->systemMenu() ? sub->systemMenu()->actions() : QList<QAction*>())
                if (!a->shortcuts().isEmpty() && a->shortcuts() == QKeySequence::keyBindings(QKeySequence::Close) &&
                    !a->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)))
                    a->setShortcuts(a->shortcuts() << QKeySequence(Qt::CTRL | Qt::Key_F4));
            sub->installEventFilter(this);
            sub->setWindowIcon(toolImages()[1]);
            sub->adjustSize();
            makeRoomFor(sub);
        }
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        w->show();
        sub->show();
        if (sub->isMinimized())
            sub->showNormal();
        sub->raise();
        mdi->setActiveSubWindow(sub);
    } else {
        w->show();
        w->raise();
        w->activateWindow();
    }
    return w;
}

QMdiSubWindow* FrmMain::topmostVisible(const QMdiSubWindow* except) const
{
    const auto subs = mdi->subWindowList(QMdiArea::StackingOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it)
        if (*it != except && (*it)->isVisible())
            return *it;
    return nullptr;
}

QMdiSubWindow* FrmMain::activeSubWindow() const
{
    // currentSubWindow, not activeSubWindow: the latter is empty while a dialog
    // over the main window has the focus.
    QMdiSubWindow* sub = mdi->currentSubWindow();
    return sub && sub->isVisible() ? sub : topmostVisible();
}

QWidget* FrmMain::activeChild() const
{
    QMdiSubWindow* sub = activeSubWindow();
    return sub ? sub->widget() : nullptr;
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // A tool that hides itself hands the activation on to the next child that shows,
    // as closing one does. The hand-over waits for the event loop: a child also hides
    // for a moment while the area changes its state (maximising one child restores the
    // one before), and activating another child from inside that switch would start it
    // again, without end. Hiding the whole main window leaves the children alone.
    auto* sub = qobject_cast<QMdiSubWindow*>(watched);
    if (sub && event->type() == QEvent::Hide && sub->isHidden() && mdi->isVisible() && !handingOn) {
        if (sub == mdi->currentSubWindow())
            hiddenWasMaximised = sub->isMaximized();
        if (!handOnQueued) {
            handOnQueued = true;
            QMetaObject::invokeMethod(this, &FrmMain::handOnActivation, Qt::QueuedConnection);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::handOnActivation()
{
    handOnQueued = false;
    const bool maximise = std::exchange(hiddenWasMaximised, false);
    QMdiSubWindow* current = mdi->currentSubWindow();
    // Shown again meanwhile, or only hidden for a moment: nothing to hand on.
    if ((current && current->isVisible()) || !mdi->isVisible())
        return;
    QMdiSubWindow* next = topmostVisible();
    if (!next)
        return;
    const QScopedValueRollback<bool> guard(handingOn, true);
    // The area's maximised mode passes to the next child, as when the maximised one closes.
    if (maximise && !next->isMaximized() && !next->isMinimized())
        next->showMaximized();
    mdi->setActiveSubWindow(next);
}

QString FrmMain::activeChildName() const
{
    QWidget* w = activeChild();
    return w ? w->objectName() : QString();
}

}  // namespace mq::ui
