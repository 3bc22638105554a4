// The main window: start geometry, toolbar, the one calculator, tool windows,
// arrangement, the settings written on close, the menus' look, the active
// child once tools hide themselves, and tools that do not fit.
#include "tests/ui/platform/window_test_support.h"
#include "ui/Form10/form10.h"
#include "ui/dar/dar.h"
#include "ui/frmMain/frm_main.h"
#include "ui/frmdoc/frmdoc.h"
#include "ui/macconv/macconv.h"
#include "ui/platform/geometry.h"
#include "ui/platform/window_control.h"

#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace mq::test {
namespace {

using ui::FrmMain;
using ui::twipsRect;
using ui::twipsToPixels;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settingsPath = dir.filePath("settings.ini");
        store = std::make_unique<ui::QtSettingsStore>(settingsPath);
    }
    void TearDown() override
    {
        main.reset();
        QApplication::processEvents();
        EXPECT_TRUE(strayWindows().isEmpty()) << strayWindows().join(QLatin1Char(',')).toStdString();
    }
    void load()
    {
        main = std::make_unique<FrmMain>(state, *store);
        main->setCalculatorServices(&fake);
        main->setCalculatorHook([this](ui::Frmdoc& doc) { fake.setWindow(&doc); });
        main->setExitHandler([this] { ++exits; });
    }
    void showMain()
    {
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void clickButton(int index)
    {
        QWidget* w = main->toolbar()->widgetForAction(main->toolbarButton(index));
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton);
    }
    // The calculator and a stand-in lists window, both open in the shown main window.
    void openCalculatorAndLists()
    {
        load();
        showMain();
        main->registerTool(6, "clist", [] {
            auto* w = new QWidget;
            w->setWindowTitle("Common Lists");
            return w;
        });
        clickButton(3);
        clickButton(6);
    }
    QAction* menuAction(const char* name) const { return main->findChild<QAction*>(QString::fromLatin1(name)); }
    QStringList storedKeys() const
    {
        QSettings s(settingsPath, QSettings::IniFormat);
        s.beginGroup("Settings");
        return s.childKeys();
    }
    QString stored(const char* key) const
    {
        QSettings s(settingsPath, QSettings::IniFormat);
        return s.value(QStringLiteral("Settings/%1").arg(QLatin1String(key))).toString();
    }
    int subWindowsNamed(const QString& name) const
    {
        int n = 0;
        for (QMdiSubWindow* sub : main->mdiArea()->subWindowList())
            if (sub->widget() && sub->widget()->objectName() == name)
                ++n;
        return n;
    }

    QTemporaryDir dir;
    QString settingsPath;
    std::unique_ptr<ui::QtSettingsStore> store;
    CalculatorState state;
    WindowFakeServices fake;
    std::unique_ptr<FrmMain> main;
    int exits = 0;
};

TEST_F(MainWindow, LoadsAtItsOwnPlaceAndResetsTheCalculatorFlags)
{
    for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
        store->saveSetting("Maskquill", "Settings", key, "3000");
    state.subnetZero = "y";
    state.keepResults = "y";
    load();
    EXPECT_EQ(state.subnetZero, "n");
    EXPECT_EQ(state.keepResults, "n");
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->pos(), QPoint(twipsToPixels(200), twipsToPixels(200)));
    EXPECT_EQ(main->size(), QSize(twipsToPixels(9820), twipsToPixels(8500)));
    EXPECT_EQ(main->windowTitle(), "Maskquill");
}

struct ButtonSpec {
    int index;
    const char* tip;
};

class ToolbarButtons : public MainWindow, public ::testing::WithParamInterface<ButtonSpec> { };

TEST_P(ToolbarButtons, ShowImagesWithTheirTips)
{
    load();
    QAction* a = main->toolbarButton(GetParam().index);
    ASSERT_NE(a, nullptr);
    if (GetParam().tip) {
        EXPECT_EQ(a->toolTip(), GetParam().tip);
        EXPECT_FALSE(a->icon().isNull());
        EXPECT_EQ(a->icon().pixmap(16, 16).size(), QSize(16, 16));
    } else {
        EXPECT_TRUE(a->isSeparator());
    }
}

INSTANTIATE_TEST_SUITE_P(Toolbar1, ToolbarButtons,
                         ::testing::Values(ButtonSpec{1, "Click here to exit the program"}, ButtonSpec{2, nullptr},
                                           ButtonSpec{3, "Click here to start the Maskquill"},
                                           ButtonSpec{4, "Click here to use the binary calculator"},
                                           ButtonSpec{5, "Click here to start the MAC conversion utility"},
                                           ButtonSpec{6, "Click here for common lists"},
                                           ButtonSpec{7, "Click here to use the Class C VLSM Quill"},
                                           ButtonSpec{8, nullptr},
                                           ButtonSpec{9, "Click here to save the results to a file"},
                                           ButtonSpec{10, "Click here to print the results"}, ButtonSpec{11, nullptr},
                                           ButtonSpec{13, "Help Information"}));

TEST_F(MainWindow, ToolbarHasThirteenButtonsAndTheMenusTheirItems)
{
    load();
    // The thirteen, then a separator and the tools of the Tools menu.
    ASSERT_GE(main->toolbar()->actions().size(), 16);
    EXPECT_TRUE(main->toolbarButton(14)->isSeparator());
    EXPECT_EQ(main->toolbarButton(15)->text(), QStringLiteral("Classless Calculator"));
    EXPECT_EQ(main->toolbarButton(16)->text(), QStringLiteral("Network Planner"));
    auto captions = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    };
    QStringList menus;
    for (QAction* a : main->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Window", "&Tools", "&Help"}));
    EXPECT_EQ(captions(main->findChild<QMenu*>("File")), QStringList({"Save", "Print", "-", "Exit"}));
    EXPECT_EQ(captions(main->findChild<QMenu*>("mnuWindow")),
              QStringList({"&Cascade", "Tile &Horizontal", "Tile &Vertical", "&Arrange Icons"}));
    EXPECT_EQ(captions(main->findChild<QMenu*>("mnuHelp")), QStringList({"Help ", "-", "&About Maskquill..."}));
    for (QAction* a : main->findChildren<QAction*>())
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
}

TEST_F(MainWindow, ButtonThreePutsTheOneCalculatorBackInPlace)
{
    load();
    showMain();
    clickButton(3);
    QMdiSubWindow* sub = main->subWindow("frmdoc");
    ASSERT_NE(sub, nullptr);
    ui::Frmdoc* doc = main->calculator();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(sub->widget(), doc);
    EXPECT_EQ(sub->geometry(), twipsRect(1, 1, 8640, 7065));
    EXPECT_EQ(sub->windowTitle(), "Maskquill");

    sub->setGeometry(120, 90, 200, 150);
    clickButton(3);
    EXPECT_EQ(main->subWindow("frmdoc"), sub);
    EXPECT_EQ(main->calculator(), doc);
    EXPECT_EQ(sub->geometry(), twipsRect(1, 1, 8640, 7065));
    EXPECT_EQ(subWindowsNamed("frmdoc"), 1);
    EXPECT_EQ(main->activeChildName(), "frmdoc");

    sub->showMinimized();
    clickButton(3);
    EXPECT_FALSE(sub->isMinimized());
    EXPECT_EQ(sub->geometry(), twipsRect(1, 1, 8640, 7065));
}

TEST_F(MainWindow, AClosedCalculatorOpensAgainEmptyWhileTheStateLivesOn)
{
    load();
    showMain();
    clickButton(3);
    QPointer<ui::Frmdoc> first = main->calculator();
    first->octetField(0)->setFocus();
    typeText(first, "10");
    EXPECT_EQ(state.classLetter, "A");
    main->subWindow("frmdoc")->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(main->calculator(), nullptr);
    clickButton(3);
    ASSERT_NE(main->calculator(), nullptr);
    EXPECT_EQ(main->calculator()->octetField(0)->text(), "");
    EXPECT_EQ(state.classLetter, "A");
    EXPECT_EQ(subWindowsNamed("frmdoc"), 1);
}

TEST_F(MainWindow, SeparatorsAndUnknownButtonsDoNothing)
{
    int saves = 0;
    load();
    main->setSaveHandler([&](FrmMain&) { ++saves; });
    for (int index : {0, 2, 8, 11, 14, -1})
        main->Toolbar1_ButtonClick(index);
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(exits, 0);
    main->Toolbar1_ButtonClick(9);
    EXPECT_EQ(saves, 1);
}

TEST_F(MainWindow, ToolsAreMadeOnceAndAfreshAfterClosing)
{
    load();
    showMain();
    int made = 0;
    main->registerTool(4, "bindec", [&] {
        ++made;
        auto* w = new QWidget;
        w->setWindowTitle("Binary/Decimal/Hex");
        return w;
    });
    clickButton(4);
    clickButton(4);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(subWindowsNamed("bindec"), 1);
    EXPECT_EQ(main->activeChildName(), "bindec");
    main->subWindow("bindec")->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->findWindow("bindec"), nullptr);
    clickButton(4);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(subWindowsNamed("bindec"), 1);

    // A window hidden by its own Done button comes back as it was.
    QWidget* again = main->findWindow("bindec");
    ui::hideWindow(again);
    EXPECT_FALSE(main->subWindow("bindec")->isVisible());
    clickButton(4);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(main->findWindow("bindec"), again);
    EXPECT_TRUE(main->subWindow("bindec")->isVisible());
}

TEST_F(MainWindow, DialogToolsOpenAsWindowsOfTheirOwn)
{
    load();
    showMain();
    int made = 0;
    main->registerTool(12, "frmAbout", [&] {
        ++made;
        return new QDialog;
    });
    main->mnuHelpAbout_Click();
    clickButton(12);
    EXPECT_EQ(made, 1);
    QWidget* about = main->findWindow("frmAbout");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isWindow());
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), main.get());
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
}

// Records each write the main window makes, then stores it.
class RecordingStore : public ui::QtSettingsStore {
public:
    using QtSettingsStore::QtSettingsStore;
    void saveSettings(const QString& app, const QString& section, const ui::SettingValues& values) override
    {
        QStringList keys;
        for (const auto& kv : values)
            keys << kv.first;
        writes << keys;
        QtSettingsStore::saveSettings(app, section, values);
    }
    QList<QStringList> writes;
};

TEST_F(MainWindow, ClosingWritesTheOuterGeometryAsTwipsInOneWrite)
{
    auto* recording = new RecordingStore(settingsPath);
    store.reset(recording);
    load();
    showMain();
    main->move(twipsToPixels(600), twipsToPixels(450));
    main->resize(twipsToPixels(9000), twipsToPixels(7000));
    QApplication::processEvents();
    const QRect frame = main->frameGeometry();
    ASSERT_GT(frame.width(), main->width()) << "the platform draws no frame";
    main->close();
    EXPECT_EQ(recording->writes, QList<QStringList>({{"MainLeft", "MainTop", "MainWidth", "MainHeight"}}));
    EXPECT_EQ(storedKeys(), QStringList({"MainHeight", "MainLeft", "MainTop", "MainWidth"}));
    EXPECT_EQ(stored("MainLeft"), QString::number(ui::pixelsToTwips(frame.x())));
    EXPECT_EQ(stored("MainTop"), QString::number(ui::pixelsToTwips(frame.y())));
    EXPECT_EQ(stored("MainWidth"), QString::number(ui::pixelsToTwips(frame.width())));
    EXPECT_EQ(stored("MainHeight"), QString::number(ui::pixelsToTwips(frame.height())));
}

TEST_F(MainWindow, AMinimisedWindowWritesNothing)
{
    store->saveSetting("Maskquill", "Settings", "MainLeft", "777");
    load();
    showMain();
    main->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(main->isMinimized());
    main->close();
    EXPECT_EQ(storedKeys(), QStringList({"MainLeft"}));
    EXPECT_EQ(stored("MainLeft"), "777");
}

struct ExitPath {
    const char* name;
    bool fromMenu;
};

class ExitWritesNothing : public MainWindow, public ::testing::WithParamInterface<ExitPath> { };

TEST_P(ExitWritesNothing, EvenWhenTheWindowGoesAfterwards)
{
    load();
    showMain();
    clickButton(3);
    if (GetParam().fromMenu)
        menuAction("Exit")->trigger();
    else
        clickButton(1);
    EXPECT_EQ(exits, 1);
    main->close();
    EXPECT_TRUE(storedKeys().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Paths, ExitWritesNothing,
                         ::testing::Values(ExitPath{"Menu", true}, ExitPath{"Toolbar", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, TilesAndListsTheChildWindows)
{
    openCalculatorAndLists();
    const QRect area = main->mdiArea()->viewport()->rect();
    main->mnuWindowTileVertical_Click();
    const QRect a = main->subWindow("frmdoc")->geometry();
    const QRect b = main->subWindow("clist")->geometry();
    EXPECT_EQ(a.height(), area.height());
    EXPECT_EQ(b.height(), area.height());
    EXPECT_FALSE(a.intersects(b));
    main->mnuWindowTileHorizontal_Click();
    EXPECT_EQ(main->subWindow("frmdoc")->width(), area.width());
    EXPECT_FALSE(main->subWindow("frmdoc")->geometry().intersects(main->subWindow("clist")->geometry()));

    QMenu* windowMenu = main->findChild<QMenu*>("mnuWindow");
    emit windowMenu->aboutToShow();
    QStringList listed;
    for (QAction* act : windowMenu->actions())
        if (act->isCheckable())
            listed << act->text();
    EXPECT_EQ(listed, QStringList({"&1 Maskquill", "&2 Common Lists"}));
}

// Done hides a tool and keeps it; the activation passes to the topmost child
// that still shows, and with none showing there is no active child.
TEST_F(MainWindow, AHiddenToolIsNeverTheActiveChild)
{
    load();
    showMain();
    for (int index : {4, 7})
        main->registerTool(index, index == 4 ? "bindec" : "Form10", [index] {
            auto* w = new QWidget;
            w->setWindowTitle(index == 4 ? "Binary/Decimal/Hex" : "Class C VLSM Quill");
            return w;
        });
    clickButton(4);
    clickButton(3);
    clickButton(7);
    ASSERT_EQ(main->activeChildName(), "Form10");
    ui::hideWindow(main->findWindow("Form10"));
    EXPECT_EQ(main->activeChildName(), "frmdoc");
    // The area itself is handed on once the event loop runs.
    QApplication::processEvents();
    EXPECT_EQ(main->mdiArea()->currentSubWindow(), main->subWindow("frmdoc"));

    QMenu* windowMenu = main->findChild<QMenu*>("mnuWindow");
    emit windowMenu->aboutToShow();
    QStringList ticked;
    for (QAction* act : windowMenu->actions())
        if (act->isChecked())
            ticked << act->text();
    EXPECT_EQ(ticked, QStringList({"&2 Maskquill"}));

    ui::hideWindow(main->calculator());
    EXPECT_EQ(main->activeChildName(), "bindec");
    ui::hideWindow(main->findWindow("bindec"));
    EXPECT_EQ(main->activeChild(), nullptr);
    EXPECT_EQ(main->activeSubWindow(), nullptr);
}

// Pixels of `area` in `shot` that differ clearly from `background`.
int marks(const QImage& shot, const QRect& area, const QColor& background)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            n += std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                     std::abs(c.blue() - background.blue()) >
                 60;
        }
    return n;
}

TEST_F(MainWindow, DropDownsWearTheMenuBarsFontAndTickTheActiveWindowPlainly)
{
    openCalculatorAndLists();
    const QFontInfo bar(main->menuBar()->font());
    for (const char* name : {"File", "mnuWindow", "mnuHelp"}) {
        const QFontInfo menu(main->findChild<QMenu*>(name)->font());
        EXPECT_EQ(menu.family(), bar.family()) << name;
        EXPECT_EQ(menu.pixelSize(), bar.pixelSize()) << name;
    }

    QMenu* windowMenu = main->findChild<QMenu*>("mnuWindow");
    windowMenu->popup(main->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windowMenu));
    const QImage shot = windowMenu->grab().toImage();
    QMap<QString, int> checkColumn;
    for (QAction* act : windowMenu->actions()) {
        if (!act->isCheckable())
            continue;
        const QRect row = windowMenu->actionGeometry(act);
        const QColor background = shot.pixelColor(row.right() - 4, row.center().y());
        // The column between the menu's frame and the caption, where the mark goes.
        checkColumn[act->text()] =
            marks(shot, QRect(row.left() + 3, row.top() + 1, row.height() * 2 / 3, row.height() - 2), background);
    }
    EXPECT_EQ(checkColumn.value("&1 Maskquill", -1), 0);  // no empty box
    EXPECT_GT(checkColumn.value("&2 Common Lists"), 4);  // the tick
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(dir)).filePath("frmMain_window_menu.png"));
    windowMenu->hide();
}

TEST_F(MainWindow, CalculatorInsideTheMainWindowShowsAClassBResult)
{
    load();
    showMain();
    clickButton(3);
    ui::Frmdoc* doc = main->calculator();
    ASSERT_NE(doc, nullptr);
    doc->octetField(0)->setFocus();
    typeText(doc, "172.16.37.200");
    ASSERT_TRUE(chooseRow(doc->choiceBox(1), "255.255.255.192"));
    QTest::mouseClick(doc->findChild<QPushButton*>("SSCommand1"), Qt::LeftButton);
    EXPECT_EQ(doc->resultPanel(4)->text(), "172.16.37.192");
    EXPECT_EQ(doc->subnetNumberBox()->text(), "151");
    const QImage shot = main->grab().toImage();
    // The calculator sits inside the main window, at the top left of its client area.
    const QPoint corner = main->subWindow("frmdoc")->mapTo(main.get(), QPoint(0, 0));
    EXPECT_TRUE(main->mdiArea()->geometry().contains(corner));
    EXPECT_NE(shot.pixelColor(corner + QPoint(40, 40)), QColor(128, 128, 128));
    if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
        shot.save(QDir(QString::fromLocal8Bit(dir)).filePath("frmMain_class_b.png"));
}

TEST_F(MainWindow, ArrangeIconsLinesUpTheMinimisedWindowsAlongTheBottom)
{
    load();
    showMain();
    main->registerTool(6, "clist", [] { return new QWidget; });
    clickButton(3);
    clickButton(6);
    QMdiSubWindow* a = main->subWindow("frmdoc");
    QMdiSubWindow* b = main->subWindow("clist");
    a->showMinimized();
    b->showMinimized();
    a->move(200, 40);
    b->move(60, 90);
    main->mnuWindowArrangeIcons_Click();
    const int bottom = main->mdiArea()->viewport()->rect().bottom();
    EXPECT_EQ(a->geometry().bottom(), bottom);
    EXPECT_EQ(b->geometry().bottom(), bottom);
    EXPECT_FALSE(a->geometry().intersects(b->geometry()));
    EXPECT_EQ(std::min(a->x(), b->x()), 0);
}

// Tool windows keep their own size; one that does not fit the work area when
// first shown makes the main window grow, within the screen's work area.
struct Tool {
    const char* name;
    std::vector<const char*> buttons;  // Continue, START, Save, Finish, Done ...
};

class EveryButtonShows : public MainWindow, public ::testing::WithParamInterface<Tool> { };

TEST_P(EveryButtonShows, WithoutScrollingAndAtTheToolsOwnSize)
{
    load();
    main->registerTool(5, "macconv", [this] { return new ui::Macconv(nullptr, &fake); });
    main->registerTool(7, "Form10", [this] { return new ui::Form10(nullptr, &fake); });
    main->registerWindow("dar", [] { return new ui::Dar; });
    showMain();
    clickButton(3);
    const QString name = QString::fromLatin1(GetParam().name);
    QWidget* tool = main->showWindow(name);
    const QSize own = tool->size();
    QApplication::processEvents();
    EXPECT_EQ(tool->size(), own);
    EXPECT_TRUE(main->screen()->availableGeometry().contains(main->frameGeometry()));
    QWidget* viewport = main->mdiArea()->viewport();
    for (const char* b : GetParam().buttons) {
        auto* button = tool->findChild<QPushButton*>(QString::fromLatin1(b));
        ASSERT_NE(button, nullptr) << b;
        EXPECT_TRUE(viewport->rect().contains(QRect(button->mapTo(viewport, QPoint(0, 0)), button->size()))) << b;
    }
    if (const QByteArray out = qgetenv("MQ_SCREENSHOT_DIR"); !out.isEmpty())
        main->grab().save(QDir(QString::fromLocal8Bit(out)).filePath("frmMain_with_" + name + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Tools, EveryButtonShows,
                         ::testing::Values(Tool{"Form10", {"SSCommand1", "SSCommand3", "SSCommand2"}},
                                           Tool{"macconv", {"SSCommand1", "SSCommand7", "SSCommand6", "SSCommand2"}},
                                           Tool{"dar", {"SSCommand1", "SSCommand2", "SSCommand3"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, GrowsNoFurtherThanTheScreenAndOnlyForWhatDoesNotFit)
{
    load();
    showMain();
    const QRect start = main->frameGeometry();
    for (auto [name, size] : {std::pair{"clist", QSize(120, 80)}, std::pair{"huge", QSize(3000, 2000)}})
        main->registerWindow(name, [size] {
            auto* w = new QWidget;
            w->setFixedSize(size);
            return w;
        });
    main->showWindow("clist");
    EXPECT_EQ(main->frameGeometry(), start);
    main->showWindow("huge");
    EXPECT_EQ(main->frameGeometry(), main->screen()->availableGeometry());
    EXPECT_EQ(main->subWindow("huge")->pos(), QPoint(0, 0));
    EXPECT_EQ(main->findWindow("huge")->size(), QSize(3000, 2000));
}

TEST_F(MainWindow, StatusBarShowsDateAndTime)
{
    load();
    EXPECT_EQ(main->statusPanel(1)->text(), "");
    EXPECT_FALSE(main->statusPanel(2)->text().isEmpty());
    EXPECT_FALSE(main->statusPanel(3)->text().isEmpty());
    EXPECT_EQ(main->statusPanel(4), nullptr);
}

}  // namespace
}  // namespace mq::test
