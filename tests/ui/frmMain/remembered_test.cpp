// What Maskquill's own windows remember between runs: written when they close,
// read back when they open again, and a damaged store ignored.
#include "classless/listing.h"
#include "net/parse.h"
#include "plan/document.h"
#include "tests/ui/planner/disk_planner_services.h"
#include "ui/classless/classless_window.h"
#include "ui/frmMain/frm_main.h"
#include "ui/planner/planner.h"
#include "ui/platform/remembered.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

class Remembered : public ::testing::Test {
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
    template <class W> W* open(const char* name)
    {
        auto* w = qobject_cast<W*>(main->showWindow(QString::fromLatin1(name)));
        QApplication::processEvents();
        return w;
    }
    void close(const char* name)
    {
        main->subWindow(QString::fromLatin1(name))->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    QString stored(const QString& key)
    {
        return QSettings(dir.filePath("settings.ini"), QSettings::IniFormat).value(key).toString();
    }
    void storeRaw(const QString& key, const QString& value)
    {
        QSettings s(dir.filePath("settings.ini"), QSettings::IniFormat);
        s.setValue(key, value);
    }
    QString planFile(const char* name, const char* root)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        const auto prefix = std::get<net::Prefix>(net::parsePrefix(root, net::HostBits::Refuse));
        f.write(QByteArray::fromStdString(plan::writeDocument(plan::Plan(prefix))));
        return path;
    }
};

TEST_F(Remembered, ClasslessReopensWithItsInputPageAndSplitLength)
{
    auto* w = open<ClasslessWindow>(kClasslessWindowName);
    auto* input = w->findChild<QLineEdit*>("Input");
    QTest::keyClicks(input, "10.0.0.0/8");
    QTest::keyClicks(w->findChild<QLineEdit*>("SplitLength"), "12");
    QTest::mouseClick(w->findChild<QPushButton*>("Split"), Qt::LeftButton);
    ASSERT_TRUE(w->listing().shown());
    w->findChild<QTabWidget*>("Tools")->setCurrentIndex(1);
    close(kClasslessWindowName);
    EXPECT_EQ(stored("Classless/Input"), "10.0.0.0/8");
    EXPECT_EQ(stored("Classless/Page"), "1");
    EXPECT_EQ(stored("Classless/SplitLength"), "12");
    // The classic geometry section is not where this goes.
    EXPECT_TRUE(QSettings(dir.filePath("settings.ini"), QSettings::IniFormat).childKeys().isEmpty());

    w = open<ClasslessWindow>(kClasslessWindowName);
    EXPECT_EQ(w->findChild<QLineEdit*>("Input")->text(), "10.0.0.0/8");
    EXPECT_EQ(w->findChild<QTabWidget*>("Tools")->currentIndex(), 1);
    ASSERT_TRUE(w->listing().shown());
    EXPECT_EQ(w->listing().newLength(), 12);
    EXPECT_EQ(w->findChild<QLineEdit*>("SplitLength")->text(), "12");
}

TEST_F(Remembered, PlannerReopensWithItsPlanSizeAndSplittersWhileThePlanExists)
{
    const QString file = planFile("office.mqplan", "10.20.0.0/16");
    auto* p = open<Planner>("planner");
    ASSERT_TRUE(p->openPlanFile(file.toStdString()));
    // Lower than it opens at: the screen's room and the planner's least width
    // bound the size it reopens at.
    main->subWindow("planner")->resize(main->subWindow("planner")->size() - QSize(0, 30));
    auto* rows = p->findChild<QSplitter*>("plannerRows");
    rows->setSizes({200, 400});
    QApplication::processEvents();
    const QList<int> sizes = rows->sizes();
    const QSize size = p->size();
    close("planner");
    EXPECT_EQ(stored("Planner/Plan"), file);
    EXPECT_EQ(stored("Planner/Size"), QStringLiteral("%1,%2").arg(size.width()).arg(size.height()));

    p = open<Planner>("planner");
    EXPECT_EQ(p->form().filePath(), file.toStdString());
    EXPECT_EQ(p->size(), size);
    EXPECT_EQ(p->findChild<QSplitter*>("plannerRows")->sizes(), sizes);
    close("planner");

    // A plan that has gone since is not looked for, and nothing is said.
    QFile::remove(file);
    p = open<Planner>("planner");
    EXPECT_TRUE(p->form().filePath().empty());
    EXPECT_TRUE(sv.messages.empty());
}

// Each damaged value is ignored on its own: the window opens as if it were not
// there and keeps what else the store holds.
TEST_F(Remembered, DamagedValuesAreIgnored)
{
    auto* fresh = open<Planner>("planner");
    const QSize natural = fresh->size();
    const QList<int> rows = fresh->findChild<QSplitter*>("plannerRows")->sizes();
    delete main->subWindow("planner");  // gone without keeping its state
    QApplication::processEvents();
    const std::pair<const char*, const char*> damaged[] = {{"Classless/Page", "7"},
                                                           {"Classless/Page", "one"},
                                                           {"Classless/SplitLength", "129"},
                                                           {"Classless/SplitLength", "-3"},
                                                           {"Classless/SplitLength", "1e9"},
                                                           {"Planner/Size", "800"},
                                                           {"Planner/Size", "800,x"},
                                                           {"Planner/Size", "0,600"},
                                                           {"Planner/Splitter_plannerRows", "1,2,3"},
                                                           {"Planner/Splitter_plannerRows", "99999999999,1"},
                                                           {"Planner/Plan", "/dev/null"}};
    for (const auto& [key, value] : damaged) {
        SCOPED_TRACE(std::string(key) + "=" + value);
        QFile::remove(dir.filePath("settings.ini"));
        storeRaw("Classless/Input", "192.0.2.0/24");
        storeRaw(QString::fromLatin1(key), QString::fromLatin1(value));
        auto* w = open<ClasslessWindow>(kClasslessWindowName);
        EXPECT_EQ(w->findChild<QLineEdit*>("Input")->text(), "192.0.2.0/24");
        EXPECT_EQ(w->findChild<QTabWidget*>("Tools")->currentIndex(), 0);
        EXPECT_FALSE(w->listing().shown());
        close(kClasslessWindowName);
        auto* p = open<Planner>("planner");
        EXPECT_EQ(p->size(), natural);
        EXPECT_TRUE(p->form().filePath().empty());
        EXPECT_EQ(p->findChild<QSplitter*>("plannerRows")->sizes(), rows);
        delete main->subWindow("planner");
        QApplication::processEvents();
    }
    // An input longer than the box holds is not put in it.
    storeRaw("Classless/Input", QString(40000, QLatin1Char('1')));
    EXPECT_TRUE(open<ClasslessWindow>(kClasslessWindowName)->findChild<QLineEdit*>("Input")->text().isEmpty());
    EXPECT_TRUE(sv.messages.empty());
}

// The windows still open when the main window closes keep their state then;
// Exit ends the program without writing anything.
TEST_F(Remembered, MainWindowCloseRunsTheUnloadStepsExitDoesNot)
{
    int ran = 0;
    main->addUnloadStep([&ran] { ++ran; });
    main->setExitHandler([] {});
    main->Exit_Click();
    main->close();
    EXPECT_EQ(ran, 0);
    auto again = std::make_unique<FrmMain>(state, *store);
    again->addUnloadStep([&ran] { ++ran; });
    again->show();
    again->close();
    EXPECT_EQ(ran, 1);
}

TEST_F(Remembered, FileDialogsOpenInTheLastFolderOfTheirKind)
{
    const std::pair<const char*, const char*> kinds[] = {{"Plans (*.mqplan)|*.mqplan|All files (*)|*|", "mqplan"},
                                                         {"CSV files (*.CSV;*.txt)|*.CSV;*.txt|", "csv"},
                                                         {"All files (*)|*|", "all"},
                                                         {"", "all"}};
    for (const auto& [filter, kind] : kinds)
        EXPECT_EQ(folderKind(filter), kind) << filter;

    QDir(dir.path()).mkpath("plans/site");
    const QString site = dir.filePath("plans/site");
    rememberFolderOf("mqplan", site + "/office.mqplan");
    rememberFolderOf("outputs", site, true);
    EXPECT_EQ(rememberedFolder("mqplan"), site);
    EXPECT_EQ(rememberedFolder("outputs"), site);
    EXPECT_TRUE(rememberedFolder("csv").isEmpty());
    QFileDialog dialog;
    openInRememberedFolder(dialog, "mqplan", "Untitled.mqplan");
    EXPECT_EQ(dialog.directory().absolutePath(), site);
    // A suggested file with a folder of its own keeps that folder.
    openInRememberedFolder(dialog, "mqplan", dir.filePath("elsewhere.mqplan"));
    EXPECT_EQ(dialog.directory().absolutePath(), dir.path());
    QDir(site).removeRecursively();
    EXPECT_TRUE(rememberedFolder("mqplan").isEmpty());
    storeRaw("Folders/csv", "relative/folder");
    EXPECT_TRUE(rememberedFolder("csv").isEmpty());
}

}  // namespace
}  // namespace mq::ui
