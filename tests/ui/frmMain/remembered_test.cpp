// Maskquill's own windows: what they remember between runs (written when they
// close, read back when they open, a damaged store ignored), and what is dropped
// on them, delivered as the window system does: to the top-level window, which
// finds the widget under the point that takes drops.
#include "interchange/plan_adapter.h"
#include "net/parse.h"
#include "plan/document.h"
#include "tests/ui/planner/disk_planner_services.h"
#include "ui/classless/classless_window.h"
#include "ui/frmMain/frm_main.h"
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"
#include "xlsx/sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

net::Prefix prefix(const char* text)
{
    return std::get<net::Prefix>(net::parsePrefix(text, net::HostBits::Refuse));
}

class OwnWindows : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CalculatorState state;
    std::unique_ptr<QtSettingsStore> store;
    DiskServices sv;
    std::unique_ptr<FrmMain> main;

    void SetUp() override
    {
        store = std::make_unique<QtSettingsStore>(dir.filePath("settings.ini"));
        setRememberedStore(store.get());
        main = std::make_unique<FrmMain>(state, *store);
        main->registerWindow(kClasslessWindowName, [] { return new ClasslessWindow; });
        main->registerWindow("planner", [this] { return new Planner(nullptr, &sv); });
        main->addFileDrop("mqplan", [this](const QString& path) { planner()->openPlanFile(path.toStdString()); });
        main->resize(1400, 1000);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        setRememberedStore(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* t : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className();
    }
    ClasslessWindow* classless() { return qobject_cast<ClasslessWindow*>(main->showWindow(kClasslessWindowName)); }
    Planner* planner() { return qobject_cast<Planner*>(main->showWindow("planner")); }
    template <class T> T* in(QWidget* w, const char* name) { return w->findChild<T*>(QString::fromLatin1(name)); }
    void close(const char* name, bool keeping = true)
    {
        if (keeping)
            main->subWindow(QString::fromLatin1(name))->close();
        else
            delete main->subWindow(QString::fromLatin1(name));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QSettings ini() { return QSettings(dir.filePath("settings.ini"), QSettings::IniFormat); }
    QString file(const char* name, const std::string& bytes)
    {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) >= 0);
        return f.fileName();
    }
    QString planFile(const char* name, const char* root)
    {
        return file(name, plan::writeDocument(plan::Plan(prefix(root))));
    }
    // Enters, moves and drops at the middle of `on`; true when the drop was taken.
    bool drop(QWidget* on, const QString& path, const std::string& text = {})
    {
        QMimeData data;
        if (path.isEmpty())
            data.setText(QString::fromStdString(text));
        else
            data.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = on->mapTo(on->window(), on->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        for (QEvent* e : {static_cast<QEvent*>(&enter), static_cast<QEvent*>(&move), static_cast<QEvent*>(&dropped)})
            QCoreApplication::sendEvent(on->window()->windowHandle(), e);
        QApplication::processEvents();
        return move.isAccepted() && dropped.isAccepted();
    }
};

TEST_F(OwnWindows, ClasslessReopensWithItsInputPageAndSplitLength)
{
    ClasslessWindow* w = classless();
    QTest::keyClicks(in<QLineEdit>(w, "Input"), "10.0.0.0/8");
    QTest::keyClicks(in<QLineEdit>(w, "SplitLength"), "12");
    QTest::mouseClick(in<QPushButton>(w, "Split"), Qt::LeftButton);
    in<QTabWidget>(w, "Tools")->setCurrentIndex(1);
    close(kClasslessWindowName);
    EXPECT_EQ(ini().value("Classless/Input"), "10.0.0.0/8");
    EXPECT_EQ(ini().childGroups(), QStringList{"Classless"});  // its own group, not "Settings"

    w = classless();
    EXPECT_EQ(in<QLineEdit>(w, "Input")->text(), "10.0.0.0/8");
    EXPECT_EQ(in<QTabWidget>(w, "Tools")->currentIndex(), 1);
    ASSERT_TRUE(w->listing().shown());
    EXPECT_EQ(w->listing().newLength(), 12);
}

TEST_F(OwnWindows, PlannerReopensWithItsPlanSizeAndSplittersWhileThePlanExists)
{
    const QString office = planFile("office.mqplan", "10.20.0.0/16");
    Planner* p = planner();
    ASSERT_TRUE(p->openPlanFile(office.toStdString()));
    // Lower than it opens at: the screen's room and the least width bound the size.
    main->subWindow("planner")->resize(main->subWindow("planner")->size() - QSize(0, 30));
    in<QSplitter>(p, "plannerRows")->setSizes({200, 400});
    QApplication::processEvents();
    const QList<int> sizes = in<QSplitter>(p, "plannerRows")->sizes();
    const QSize size = p->size();
    close("planner");

    p = planner();
    EXPECT_EQ(p->form().filePath(), office.toStdString());
    EXPECT_EQ(p->size(), size);
    EXPECT_EQ(in<QSplitter>(p, "plannerRows")->sizes(), sizes);
    close("planner");
    QFile::remove(office);  // gone since: not looked for, and nothing said
    EXPECT_TRUE(planner()->form().filePath().empty());
    EXPECT_TRUE(sv.messages.empty());
}

// Each damaged value is ignored on its own: the window opens as if it were not
// there and keeps what else the store holds.
TEST_F(OwnWindows, DamagedValuesAreIgnored)
{
    const QSize natural = planner()->size();
    const QList<int> rows = in<QSplitter>(planner(), "plannerRows")->sizes();
    close("planner", false);
    const std::pair<const char*, QString> damaged[] = {
        {"Classless/Page", "7"},
        {"Classless/Page", "one"},
        {"Classless/SplitLength", "129"},
        {"Classless/SplitLength", "-3"},
        {"Classless/SplitLength", "1e9"},
        {"Planner/Size", "800"},
        {"Planner/Size", "800,x"},
        {"Planner/Size", "0,600"},
        {"Planner/Splitter_plannerRows", "1,2,3"},
        {"Planner/Splitter_plannerRows", "99999999999,1"},
        {"Planner/Plan", "/dev/null"},
        {"Classless/Input", QString(40000, QLatin1Char('1'))}};  // longer than the box holds
    for (const auto& [key, value] : damaged) {
        SCOPED_TRACE(key);
        QFile::remove(dir.filePath("settings.ini"));
        ini().setValue("Classless/Input", "192.0.2.0/24");
        ini().setValue(key, value);
        ClasslessWindow* w = classless();
        EXPECT_EQ(in<QLineEdit>(w, "Input")->text().size() == 12, value.size() < 40000);
        EXPECT_EQ(in<QTabWidget>(w, "Tools")->currentIndex(), 0);
        EXPECT_FALSE(w->listing().shown());
        close(kClasslessWindowName, false);
        EXPECT_EQ(planner()->size(), natural);
        EXPECT_TRUE(planner()->form().filePath().empty());
        EXPECT_EQ(in<QSplitter>(planner(), "plannerRows")->sizes(), rows);
        close("planner", false);
    }
    EXPECT_TRUE(sv.messages.empty());
}

// The windows still open when the main window closes keep their state then;
// Exit ends the program without writing anything.
TEST_F(OwnWindows, MainWindowCloseRunsTheUnloadStepsExitDoesNot)
{
    int ran = 0;
    main->addUnloadStep([&ran] { ++ran; });
    main->setExitHandler([] {});
    main->Exit_Click();
    main->close();
    EXPECT_EQ(ran, 0);
    FrmMain again(state, *store);
    again.addUnloadStep([&ran] { ++ran; });
    again.show();
    again.close();
    EXPECT_EQ(ran, 1);
}

TEST_F(OwnWindows, FileDialogsOpenInTheLastFolderOfTheirKind)
{
    EXPECT_EQ(folderKind("Plans (*.mqplan)|*.mqplan|All files (*)|*|"), "mqplan");
    EXPECT_EQ(folderKind("CSV (*.CSV;*.txt)|*.CSV;*.txt|"), "csv");
    EXPECT_EQ(folderKind("All files (*)|*|"), "all");
    QDir(dir.path()).mkpath("site");
    const QString site = dir.filePath("site");
    rememberFolderOf("mqplan", site + "/office.mqplan");
    EXPECT_TRUE(rememberedFolder("csv").isEmpty());
    QFileDialog dialog;
    openInRememberedFolder(dialog, "mqplan", "Untitled.mqplan");
    EXPECT_EQ(dialog.directory().absolutePath(), site);
    openInRememberedFolder(dialog, "mqplan", dir.filePath("elsewhere.mqplan"));  // a folder of its own
    EXPECT_EQ(dialog.directory().absolutePath(), dir.path());
    QDir(site).removeRecursively();
    ini().setValue("Folders/csv", "relative/folder");
    EXPECT_TRUE(rememberedFolder("mqplan").isEmpty());
    EXPECT_TRUE(rememberedFolder("csv").isEmpty());
}

TEST_F(OwnWindows, APlanDroppedOnTheMainWindowOrThePlannerOpensAfterTheQuestion)
{
    const QString office = planFile("office.mqplan", "10.20.0.0/16");
    EXPECT_FALSE(drop(main->mdiArea()->viewport(), file("notes.txt", "10.0.0.0/8\n")));  // not the main window's
    EXPECT_EQ(main->findWindow("planner"), nullptr);
    ASSERT_TRUE(drop(main->mdiArea()->viewport(), office));
    Planner* p = planner();
    EXPECT_EQ(p->form().filePath(), office.toStdString());

    ASSERT_TRUE(p->form().split(p->form().plan().root(), 2));
    const QString lab = planFile("lab.mqplan", "172.16.0.0/12");
    sv.answers = {planner::Answer::Cancel, planner::Answer::No};
    ASSERT_TRUE(drop(p->tree()->viewport(), lab));
    EXPECT_EQ(p->form().filePath(), office.toStdString());
    ASSERT_TRUE(drop(p->tree()->viewport(), lab));
    EXPECT_EQ(p->form().filePath(), lab.toStdString());
    EXPECT_EQ(sv.questions.size(), 2u);
}

// Each goes in through the import the menus use, into the plan open.
TEST_F(OwnWindows, FilesAndTextsDroppedOnThePlannerAreImported)
{
    plan::Plan linked(prefix("10.20.8.0/22"));
    ASSERT_EQ(linked.split(linked.root(), 2), "");
    const std::string link = interchange::exportPlan(linked, interchange::Format::VscLink, {}).text;
    // A workbook as this program writes it, read back in the same process.
    const std::string book = xlsx::writeWorkbook({{"Used",
                                                   {{"prefix"}, {"description"}},
                                                   1,
                                                   [](std::size_t, auto& c) {
                                                       c = {"10.20.5.0/24", "storage"};
                                                   }}})
                                 .bytes;
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"inuse.txt", "10.20.1.0/24, servers\n", "10.20.1.0/24"},
        {"netbox.csv", "prefix,status,description\n10.20.2.0/24,active,lab\n", "10.20.2.0/24"},
        {"phpipam.csv", "\xEF\xBB\xBFsubnet;mask;description\n10.20.3.0;24;voice\n", "10.20.3.0/24"},
        {"used.xlsx", book, "10.20.5.0/24"},
        {nullptr, "10.20.4.0/24, printers\n", "10.20.4.0/24"},
        {nullptr, "  " + link, "10.20.10.0/23"}};
    Planner* p = planner();
    ASSERT_TRUE(p->openPlanFile(planFile("office.mqplan", "10.20.0.0/16").toStdString()));
    for (const auto& [name, bytes, placed] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_TRUE(drop(p->tree()->viewport(), name ? file(name, bytes) : QString(), bytes));
        EXPECT_NE(p->form().plan().blockOf(prefix(placed)), plan::kNoBlock);
    }
    EXPECT_TRUE(sv.questions.empty() && sv.messages.empty());
    const auto before = p->form().revision();
    EXPECT_TRUE(drop(p->tree()->viewport(), file("bad.csv", "prefix,status\nnot a prefix,active\n")));
    EXPECT_EQ(p->form().revision(), before);
    EXPECT_EQ(sv.messages.size(), 1u);
}

TEST_F(OwnWindows, AFileDroppedOnListAOrBIsLoadedIntoThatBox)
{
    ClasslessWindow* w = classless();
    in<QTabWidget>(w, "Tools")->setCurrentIndex(1);
    auto* operation = in<QComboBox>(w, "Operation");  // one on both lists, so that B takes input
    for (int i = 0; i < operation->count() && !in<QPlainTextEdit>(w, "ListB")->isEnabled(); ++i)
        operation->setCurrentIndex(i);
    // A workbook gives its first sheet's rows, the cells of a row joined as a line is.
    const auto book = [](const char* box) {
        return xlsx::writeWorkbook({{"list",
                                     {{"prefix"}, {"note"}},
                                     2,
                                     [box](std::size_t i, auto& c) {
                                         c = {i ? "192.0.2.128/25" : "192.0.2.0/25", i ? box : ""};
                                     }}})
            .bytes;
    };
    for (const bool workbook : {false, true})
        for (const char* box : {"ListA", "ListB"}) {
            QSignalSpy loaded(w, &ClasslessWindow::listLoaded);
            const QString path = workbook
                                     ? file("list.xlsx", book(box))
                                     : file("list.txt", std::string("192.0.2.0/25\r\n192.0.2.128/25 ") + box + "\r\n");
            ASSERT_TRUE(drop(in<QPlainTextEdit>(w, box)->viewport(), path)) << box;
            ASSERT_TRUE(loaded.count() > 0 || loaded.wait(10000));
            const QString header = workbook ? QStringLiteral("prefix note\n") : QString();
            EXPECT_EQ(w->listText(box[4]), header + QStringLiteral("192.0.2.0/25\n192.0.2.128/25 %1\n").arg(box));
        }
}

}  // namespace
}  // namespace mq::ui
