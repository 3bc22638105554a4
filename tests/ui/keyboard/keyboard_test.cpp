// Keyboard and assistive technology, window by window: the Tab key visits the
// controls in their reading order (and Shift+Tab in reverse), every control a
// screen reader meets has a name and a description, and the captions fit their
// controls at the screen's scale factor.
#include "tests/ui/keyboard/window_catalogue.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace mq::test {
namespace {

// The name a user knows a focused widget by: its own, or that of the control
// it is part of (the line edit inside a combo box, the viewport of a view).
QString controlName(QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return QStringLiteral("<none>");
}

// The controls of `order` that Tab can reach now: shown, enabled, taking the
// focus by Tab, and of a group of option buttons only the chosen one.
QStringList reachable(QWidget* window, const QStringList& order)
{
    QStringList out;
    for (const QString& name : order) {
        auto* w = window->findChild<QWidget*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        if (!w || !w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio && !radio->isChecked())
            continue;
        out << name;
    }
    return out;
}

// Presses `key` `presses` times from whatever has the focus.
QStringList walk(QWidget* window, int presses, Qt::Key key)
{
    QStringList seen;
    for (int i = 0; i < presses; ++i) {
        QWidget* f = QApplication::focusWidget();
        QTest::keyClick(f ? f : window, key);
        seen << controlName(QApplication::focusWidget());
    }
    return seen;
}

// From the first reachable control, Tab visits the rest in order and comes
// back round; Shift+Tab goes the same way back.
void expectTabOrder(QWidget* window, const QStringList& order)
{
    const QStringList expected = reachable(window, order);
    ASSERT_FALSE(expected.isEmpty());
    window->findChild<QWidget*>(expected.first())->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(controlName(QApplication::focusWidget()), expected.first());

    QStringList forward = expected.mid(1);
    forward << expected.first();
    EXPECT_EQ(walk(window, static_cast<int>(expected.size()), Qt::Key_Tab), forward);

    QStringList backward;
    for (qsizetype i = expected.size() - 1; i >= 0; --i)
        backward << expected[i];
    EXPECT_EQ(walk(window, static_cast<int>(expected.size()), Qt::Key_Backtab), backward);
}

class OpenWindow : public ::testing::Test {
protected:
    QWidget* open(const std::string& name)
    {
        for (const WindowKind& kind : allWindows())
            if (kind.name == name)
                window = kind.make(ctx);
        EXPECT_NE(window, nullptr) << name;
        if (!window)
            return nullptr;
        ctx.services.setWindow(window.get());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
        return window.get();
    }
    void TearDown() override
    {
        window.reset();
        QApplication::processEvents();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }
    WindowContext ctx;
    std::unique_ptr<QWidget> window;
};

// ---------------------------------------------------------------- tab order

struct TabCase {
    std::string window;
    QStringList order;
};

void PrintTo(const TabCase& c, std::ostream* os)
{
    *os << c.window;
}

QStringList names(const char* prefix, int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QStringLiteral("%1(%2)").arg(QLatin1String(prefix)).arg(i);
    return out;
}

const QStringList kFrmdocOrder =
    names("Text3", 0, 3) + QStringList{"SSCheck1"} + names("Combo1", 0, 3) +
    QStringList{"SSCommand2", "SSCommand1",  "SSCommand5", "SSCommand3", "RichTextBox1", "RichTextBox2",
                "Text2",      "MSFlexGrid1", "Text1",      "SSCommand4", "SSCommand6"};
const QStringList kForm10Order = names("Text1", 0, 2) + QStringList{"Combo1"} + names("Text2", 0, 29) +
                                 QStringList{"SSCommand1", "SSCommand3", "SSCommand2", "List1"};

class TabOrder : public OpenWindow, public ::testing::WithParamInterface<TabCase> { };

TEST_P(TabOrder, TabVisitsTheControlsInOrderAndComesBackRound)
{
    QWidget* w = open(GetParam().window);
    ASSERT_NE(w, nullptr);
    expectTabOrder(w, GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TabOrder,
    ::testing::Values(
        TabCase{"frmdoc", kFrmdocOrder}, TabCase{"dar", {"SSCommand1", "SSCommand2", "SSCommand3", "RichTextBox1"}},
        TabCase{"Form10", kForm10Order},
        TabCase{"bindec", names("SSOption1", 0, 2) + QStringList{"Text4"} + names("SSCommand2", 0, 15) +
                              QStringList{"SSCommand3", "SSCommand1"} + names("Text1", 0, 2)},
        TabCase{"macconv", QStringList{"SSCommand4", "Text1", "SSCommand5", "Text2"} + names("SSCommand3", 0, 15) +
                               QStringList{"SSCommand1", "SSCommand7", "SSCommand6", "SSCommand2"}},
        TabCase{"clist", names("SSCommand1", 0, 2) + QStringList{"MSFlexGrid1", "Text1", "SSCommand2"}},
        TabCase{"frmAbout", {"cmdOK", "cmdSysInfo"}}, TabCase{"help", {"contents", "back", "forward", "browser"}}),
    [](const auto& info) { return info.param.window; });

// With an address and a mask chosen every control of the calculator is
// enabled, and the grid, once reached, lets Tab go on.
TEST_F(OpenWindow, CalculatorWithResultsTabsThroughEveryControl)
{
    auto* doc = static_cast<ui::Frmdoc*>(open("frmdoc"));
    ASSERT_NE(doc, nullptr);
    doc->octetField(0)->setFocus();
    typeText(doc, QStringLiteral("172.16.5.9"));
    ASSERT_TRUE(chooseRow(doc->choiceBox(0), QStringLiteral("4")));
    QTest::mouseClick(doc->findChild<QPushButton*>(QStringLiteral("SSCommand1")), Qt::LeftButton);
    ASSERT_GT(doc->grid()->rowCount(), 1);
    EXPECT_EQ(reachable(doc, kFrmdocOrder), kFrmdocOrder);
    expectTabOrder(doc, kFrmdocOrder);
}

// In step 3 the host boxes of the chosen segments join the order.
TEST_F(OpenWindow, VlsmHostBoxesJoinTheOrderWhenShown)
{
    QWidget* w = open("Form10");
    ASSERT_NE(w, nullptr);
    w->findChild<QWidget*>(QStringLiteral("Text1(0)"))->setFocus();
    typeText(w, QStringLiteral("192168001"));
    auto* go = w->findChild<QPushButton*>(QStringLiteral("SSCommand1"));
    QTest::mouseClick(go, Qt::LeftButton);
    auto* count = w->findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_TRUE(count->isVisible());
    count->setEditText(QStringLiteral("3"));
    QTest::mouseClick(go, Qt::LeftButton);
    ASSERT_TRUE(ctx.services.messages.empty());
    const QStringList expected = reachable(w, kForm10Order);
    const QStringList hostsThenButtons =
        names("Text2", 0, 2) + QStringList{"SSCommand1", "SSCommand3", "SSCommand2", "List1"};
    EXPECT_EQ(expected, hostsThenButtons);
    expectTabOrder(w, kForm10Order);
}

// The tools live on the toolbar alone: Tab reaches its buttons, Space opens
// a tool, and Tab then walks the tool's own controls inside the main window.
TEST_F(OpenWindow, MainWindowOpensTheToolsFromTheKeyboard)
{
    auto* main = static_cast<ui::FrmMain*>(open("frmMain"));
    ASSERT_NE(main, nullptr);
    main->registerTool(5, QStringLiteral("macconv"), [this] { return new ui::Macconv(nullptr, &ctx.services); });

    QStringList buttons;
    for (QAction* a : main->toolbar()->actions())
        if (!a->isSeparator())
            buttons << a->text();
    auto* start = qobject_cast<QToolButton*>(QApplication::focusWidget());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->defaultAction(), main->toolbarButton(3));
    QStringList reached;
    for (int i = 0; i < buttons.size() - 1; ++i) {
        QWidget* f = QApplication::focusWidget();
        QTest::keyClick(f ? f : main, Qt::Key_Tab);
        auto* b = qobject_cast<QToolButton*>(QApplication::focusWidget());
        reached << (b && b->defaultAction() ? b->defaultAction()->text() : controlName(QApplication::focusWidget()));
    }
    // Exit, which ends the program at once, is left to the File menu; the
    // focus starts on the calculator's button and Tab comes back round to it.
    ASSERT_EQ(buttons.takeFirst(), QStringLiteral("Exit"));
    EXPECT_EQ(reached, buttons.mid(1) + buttons.mid(0, 1));

    auto pressButton = [main](int index) {
        QWidget* b = main->toolbar()->widgetForAction(main->toolbarButton(index));
        b->setFocus(Qt::TabFocusReason);
        QTest::keyClick(b, Qt::Key_Space);
    };
    pressButton(5);
    EXPECT_EQ(main->activeChildName(), QStringLiteral("macconv"));
    QWidget* mac = main->activeChild();
    ASSERT_NE(mac, nullptr);
    const QStringList macOrder = QStringList{"SSCommand4", "Text1", "SSCommand5", "Text2"} +
                                 names("SSCommand3", 0, 15) +
                                 QStringList{"SSCommand1", "SSCommand7", "SSCommand6", "SSCommand2"};
    QStringList forward = macOrder.mid(1);
    mac->findChild<QWidget*>(macOrder.first())->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(walk(main, static_cast<int>(forward.size()), Qt::Key_Tab), forward);
    pressButton(3);
    EXPECT_EQ(main->activeChildName(), QStringLiteral("frmdoc"));
}

// ---------------------------------------------------------------- names and descriptions

// The widgets a screen reader stops at or reads out: every control that takes
// the focus, every button (toolbar buttons too), result panel, list, grid and
// text view. Plain labels speak for themselves.
bool informative(QWidget* w)
{
    if (qobject_cast<QToolButton*>(w) && qobject_cast<QToolBar*>(w->parentWidget()))
        return w->objectName() != QLatin1String("qt_toolbar_ext_button");
    if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
        return false;
    return w->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractScrollArea*>(w) || w->inherits("mq::ui::Panel3D");
}

class AccessibleText : public OpenWindow, public ::testing::WithParamInterface<std::string> { };

TEST_P(AccessibleText, EveryControlHasANameAndADescription)
{
    QWidget* w = open(GetParam());
    ASSERT_NE(w, nullptr);
    QStringList missing;
    int checked = 0;
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (!informative(c))
            continue;
        ++checked;
        if (c->accessibleName().trimmed().isEmpty())
            missing << controlName(c) + QStringLiteral(" (name)");
        if (c->accessibleDescription().trimmed().isEmpty())
            missing << controlName(c) + QStringLiteral(" (description)");
    }
    EXPECT_GT(checked, 0);
    EXPECT_EQ(missing, QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Windows, AccessibleText,
                         ::testing::Values("frmdoc", "dar", "Form10", "bindec", "macconv", "clist", "frmAbout", "help",
                                           "frmMain", "classless", "planner"),
                         [](const auto& info) { return info.param; });

// A button whose caption changes is announced by its new caption.
TEST_F(OpenWindow, ButtonsAreAnnouncedByTheirCurrentCaption)
{
    QWidget* w = open("bindec");
    ASSERT_NE(w, nullptr);
    for (auto* b : w->findChildren<QPushButton*>())
        EXPECT_EQ(b->accessibleName(), b->text().remove(QLatin1Char('&'))) << b->objectName().toStdString();
    auto* hex = w->findChild<QRadioButton*>(QStringLiteral("SSOption1(2)"));
    QTest::mouseClick(hex, Qt::LeftButton);
    for (auto* b : w->findChildren<QPushButton*>())
        EXPECT_EQ(b->accessibleName(), b->text().remove(QLatin1Char('&'))) << b->objectName().toStdString();
}

}  // namespace
}  // namespace mq::test
