// Helpers for window tests: the scripted fake services with real focus moves,
// typing the way a user does (into whatever has the focus), choosing a row of a
// combo box with the mouse, and the leak check every window test ends with.
#pragma once

#include "tests/support/fake_services.h"
#include "ui/platform/qt_services.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

QT_BEGIN_NAMESPACE
// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{' << l.join(QStringLiteral("|")).toStdString() << '}';
}
QT_END_NAMESPACE

namespace mq::test {

// Records like FakeServices; focus moves also really happen in the window, so
// typing "." lands the next digits in the next field.
class WindowFakeServices : public FakeServices {
public:
    explicit WindowFakeServices(QWidget* window = nullptr) { real.setWindow(window); }
    void setWindow(QWidget* window) { real.setWindow(window); }

    void sendTab() override
    {
        FakeServices::sendTab();
        real.sendTab();
    }
    void setFocus(const std::string& control) override
    {
        FakeServices::setFocus(control);
        real.setFocus(control);
    }
    void msgBox(const std::string& text, MsgIcon icon, const std::string& title) override
    {
        if (onMessage)
            onMessage(text);
        FakeServices::msgBox(text, icon, title);
    }
    // Runs when a message box would open, before it is recorded.
    std::function<void(const std::string&)> onMessage;

private:
    ui::QtServices real;
};

// Sends each character to the widget that has the focus in `window`.
inline void typeText(QWidget* window, const QString& text)
{
    for (QChar ch : text) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(target, ch.toLatin1());
    }
}

// Opens the list of `box` and clicks the row with the given text.
inline bool chooseRow(QComboBox* box, const QString& text)
{
    const int row = box->findText(text);
    if (row < 0)
        return false;
    box->showPopup();
    QAbstractItemView* view = box->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return false;
    const QModelIndex index = view->model()->index(row, box->modelColumn(), box->rootModelIndex());
    view->scrollTo(index);
    const QPoint centre = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QApplication::processEvents();
    return box->currentIndex() == row && !view->isVisible();
}

// Every visible top-level window that is not in `allowed`: a real dialog that
// slipped past the fake shows up here.
inline QStringList strayWindows(const QList<QWidget*>& allowed = {})
{
    QStringList out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !allowed.contains(w))
            out << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    return out;
}

}  // namespace mq::test
