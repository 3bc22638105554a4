// Every window the main window opens, opened over every other one while that
// one is normal, maximised or minimised, then put away by its Done or Finish
// button (or closed, where it has none): nothing recurses, the newest window is
// the active child, and putting it away hands the activation back.
#include "tests/planner/fake_planner_services.h"
#include "tests/ui/platform/window_test_support.h"
#include "ui/Form10/form10.h"
#include "ui/bindec/bindec.h"
#include "ui/classless/classless_window.h"
#include "ui/clist/clist.h"
#include "ui/dar/dar.h"
#include "ui/frmAbout/frmabout.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/macconv/macconv.h"
#include "ui/planner/planner.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace mq::test {
namespace {

using ui::FrmMain;

class NoSettings : public ui::SettingsStore {
public:
    void saveSetting(const QString&, const QString&, const QString&, const QString&) override { }
    QString getSetting(const QString&, const QString&, const QString&, const QString& def) const override
    {
        return def;
    }
};

// How the user opens a window and puts it away.
struct Window {
    const char* name;
    int button;  // toolbar button, 0 when another way opens it
    const char* menu;  // Tools menu entry, or nullptr
    const char* done;  // the button that hides the window, or nullptr: it is closed
};

const Window kWindows[] = {
    {"frmdoc", 3, nullptr, nullptr},
    {"bindec", 4, nullptr, nullptr},
    {"macconv", 5, nullptr, "SSCommand2"},
    {"clist", 6, nullptr, nullptr},
    {"Form10", 7, nullptr, "SSCommand2"},
    {"dar", 0, nullptr, "SSCommand3"},  // opened by the calculator
    {"classless", 0, "mnuTools_classless", nullptr},
    {"planner", 0, "mnuTools_planner", nullptr},
};

enum class State { Normal, Maximised, Minimised };

class ChildWindowsAsUsed : public ::testing::Test {
protected:
    void open(const Window& w)
    {
        if (w.button)
            main->Toolbar1_ButtonClick(w.button);
        else if (w.menu)
            main->findChild<QAction*>(QString::fromLatin1(w.menu))->trigger();
        else
            main->showWindow(QString::fromLatin1(w.name));
    }
    void putAway(const Window& w)
    {
        QWidget* widget = main->findWindow(QString::fromLatin1(w.name));
        ASSERT_NE(widget, nullptr);
        if (w.done) {
            auto* button = widget->findChild<QPushButton*>(QString::fromLatin1(w.done));
            ASSERT_NE(button, nullptr) << w.done;
            button->click();
        } else {
            main->subWindow(QString::fromLatin1(w.name))->close();
        }
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void makeMain()
    {
        main = std::make_unique<FrmMain>(state, settings);
        main->setCalculatorServices(&fake);
        main->registerWindow("dar", [] { return new ui::Dar; });
        main->registerTool(4, "bindec", [this] { return new ui::Bindec(nullptr, &fake); });
        main->registerTool(5, "macconv", [this] { return new ui::Macconv(nullptr, &fake); });
        main->registerTool(6, "clist", [this] { return new ui::Clist(nullptr, &fake); });
        main->registerTool(7, "Form10", [this] { return new ui::Form10(nullptr, &fake); });
        main->registerTool(12, "frmAbout", [this] { return new ui::FrmAbout(nullptr, &fake); });
        main->registerWindow(ui::kClasslessWindowName, [] { return new ui::ClasslessWindow; });
        main->registerWindow("planner", [this] { return new ui::Planner(nullptr, &plannerFake); });
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }

    CalculatorState state;
    NoSettings settings;
    WindowFakeServices fake;
    FakePlannerServices plannerFake;
    std::unique_ptr<FrmMain> main;
};

class ChildWindows : public ChildWindowsAsUsed, public ::testing::WithParamInterface<State> { };

void putInState(QMdiSubWindow* sub, State s)
{
    switch (s) {
    case State::Normal: sub->showNormal(); break;
    case State::Maximised: sub->showMaximized(); break;
    case State::Minimised: sub->showMinimized(); break;
    }
    QApplication::processEvents();
}

State stateOf(const QMdiSubWindow* sub)
{
    return sub->isMinimized() ? State::Minimised : sub->isMaximized() ? State::Maximised : State::Normal;
}

TEST_P(ChildWindows, OpenOverEveryOtherThenPutAwayEither)
{
    const State given = GetParam();
    for (const Window& first : kWindows)
        for (const Window& second : kWindows) {
            if (&first == &second)
                continue;
            SCOPED_TRACE(std::string(second.name) + " over " + first.name);
            makeMain();
            open(first);
            QMdiSubWindow* under = main->subWindow(QString::fromLatin1(first.name));
            ASSERT_NE(under, nullptr);
            putInState(under, given);
            ASSERT_EQ(stateOf(under), given);

            open(second);
            QApplication::processEvents();
            QMdiSubWindow* over = main->subWindow(QString::fromLatin1(second.name));
            ASSERT_NE(over, nullptr);
            EXPECT_TRUE(over->isVisible());
            EXPECT_TRUE(under->isVisible());
            EXPECT_EQ(main->mdiArea()->currentSubWindow(), over);
            EXPECT_EQ(main->activeChildName(), QString::fromLatin1(second.name));
            // The maximised mode passes to the newcomer; button 3 puts the calculator
            // back at its own place and size whatever the mode.
            const bool calculatorReset = given == State::Maximised && second.button == 3;
            EXPECT_EQ(stateOf(over), given == State::Maximised && !calculatorReset ? State::Maximised : State::Normal);
            if (given == State::Minimised) {
                EXPECT_TRUE(under->isMinimized());
            }
            if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty() && second.menu && first.menu)
                main->grab().save(QDir(QString::fromLocal8Bit(dir))
                                      .filePath(QStringLiteral("frmMain_%1_over_%2_%3.png")
                                                    .arg(second.name, first.name)
                                                    .arg(static_cast<int>(given))));

            QWidget* kept = main->findWindow(QString::fromLatin1(second.name));
            putAway(second);
            EXPECT_EQ(main->mdiArea()->currentSubWindow(), under);
            EXPECT_EQ(main->activeChildName(), QString::fromLatin1(first.name));
            EXPECT_EQ(stateOf(under), calculatorReset ? State::Normal : given);

            // Back again (the same window where Done only hid it), then the first goes.
            open(second);
            QApplication::processEvents();
            if (second.done) {
                EXPECT_EQ(main->findWindow(QString::fromLatin1(second.name)), kept);
            }
            EXPECT_EQ(main->activeChildName(), QString::fromLatin1(second.name));
            putAway(first);
            EXPECT_EQ(main->activeChildName(), QString::fromLatin1(second.name));
            EXPECT_TRUE(main->subWindow(QString::fromLatin1(second.name))->isVisible());
            main.reset();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
}

// The way the fault was met: the classless calculator maximised by a double click
// on its title bar, then the planner opened from the Tools menu, then closed.
TEST_F(ChildWindowsAsUsed, PlannerOverTheClasslessCalculatorMaximisedByItsTitleBar)
{
    makeMain();
    main->findChild<QAction*>("mnuTools_classless")->trigger();
    QMdiSubWindow* classless = main->subWindow("classless");
    ASSERT_NE(classless, nullptr);
    QApplication::processEvents();
    const QPoint title(classless->width() / 2, classless->widget()->y() / 2);
    QTest::mouseMove(classless, title);
    QTest::mouseDClick(classless, Qt::LeftButton, {}, title);
    ASSERT_TRUE(classless->isMaximized());
    main->findChild<QAction*>("mnuTools_planner")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(main->activeChildName(), "planner");
    EXPECT_TRUE(main->subWindow("planner")->isMaximized());
    main->subWindow("planner")->close();
    QApplication::processEvents();
    EXPECT_EQ(main->mdiArea()->currentSubWindow(), classless);
    EXPECT_TRUE(classless->isMaximized());
}

// The About box opens as a window of its own: the child under it keeps its state
// and stays the active child.
TEST_P(ChildWindows, AboutBoxOverEveryChild)
{
    makeMain();
    for (const Window& child : kWindows) {
        SCOPED_TRACE(child.name);
        open(child);
        QMdiSubWindow* sub = main->subWindow(QString::fromLatin1(child.name));
        ASSERT_NE(sub, nullptr);
        putInState(sub, GetParam());
        main->Toolbar1_ButtonClick(12);
        QApplication::processEvents();
        QWidget* about = main->findWindow("frmAbout");
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(about->isVisible());
        EXPECT_EQ(stateOf(sub), GetParam());
        EXPECT_EQ(main->activeChildName(), QString::fromLatin1(child.name));
        about->findChild<QPushButton*>("cmdOK")->click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(main->findWindow("frmAbout"), nullptr);
        putAway(child);
    }
}

INSTANTIATE_TEST_SUITE_P(FirstWindow, ChildWindows,
                         ::testing::Values(State::Normal, State::Maximised, State::Minimised), [](const auto& info) {
                             switch (info.param) {
                             case State::Normal: return std::string("Normal");
                             case State::Maximised: return std::string("Maximised");
                             default: return std::string("Minimised");
                             }
                         });

}  // namespace
}  // namespace mq::test
