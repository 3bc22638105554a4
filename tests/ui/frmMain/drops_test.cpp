// Files and texts dropped on the windows, delivered as the window system does:
// the drag enters, moves and drops on the top-level window, which finds the
// widget under the point that takes drops.
#include "interchange/plan_adapter.h"
#include "net/parse.h"
#include "plan/document.h"
#include "tests/ui/planner/disk_planner_services.h"
#include "ui/classless/classless_window.h"
#include "ui/frmMain/frm_main.h"
#include "ui/planner/planner.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
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

class Drops : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CalculatorState state;
    struct NoSettings : SettingsStore {
        void saveSetting(const QString&, const QString&, const QString&, const QString&) override { }
        QString getSetting(const QString&, const QString&, const QString&, const QString& d) const override
        {
            return d;
        }
    } settings;
    DiskServices sv;
    std::unique_ptr<FrmMain> main;

    void SetUp() override
    {
        main = std::make_unique<FrmMain>(state, settings);
        main->registerWindow(kClasslessWindowName, [] { return new ClasslessWindow; });
        main->registerWindow("planner", [this] { return new Planner(nullptr, &sv); });
        main->addFileDrop("mqplan", [this](const QString& path) {
            if (auto* p = qobject_cast<Planner*>(main->showWindow("planner")))
                p->openPlanFile(path.toStdString());
        });
        main->resize(1400, 1000);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override
    {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* t : QApplication::topLevelWidgets())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className();
    }
    QString file(const char* name, const std::string& bytes)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(bytes));
        return path;
    }
    QString planFile(const char* name, const char* root)
    {
        return file(name, plan::writeDocument(plan::Plan(prefix(root))));
    }
    // Enters, moves and drops at the middle of `on`; true when the drop was taken.
    bool drop(QWidget* on, QMimeData* data)
    {
        std::unique_ptr<QMimeData> owned(data);
        QWindow* window = on->window()->windowHandle();
        const QPoint at = on->mapTo(on->window(), on->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &move);
        QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &dropped);
        QApplication::processEvents();
        return move.isAccepted() && dropped.isAccepted();
    }
    QMimeData* urls(const QString& path)
    {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(path)});
        return data;
    }
    QMimeData* text(const std::string& t)
    {
        auto* data = new QMimeData;
        data->setText(QString::fromStdString(t));
        return data;
    }
    Planner* planner() { return qobject_cast<Planner*>(main->findWindow("planner")); }
};

TEST_F(Drops, APlanDroppedOnTheMainWindowOrThePlannerOpensAfterTheQuestion)
{
    const QString office = planFile("office.mqplan", "10.20.0.0/16");
    const QString lab = planFile("lab.mqplan", "172.16.0.0/12");
    // Other files are not the main window's to take.
    EXPECT_FALSE(drop(main->mdiArea()->viewport(), urls(file("notes.txt", "10.0.0.0/8\n"))));
    EXPECT_EQ(planner(), nullptr);
    ASSERT_TRUE(drop(main->mdiArea()->viewport(), urls(office)));
    ASSERT_NE(planner(), nullptr);
    EXPECT_EQ(planner()->form().filePath(), office.toStdString());

    Planner* p = planner();
    ASSERT_TRUE(p->form().split(p->form().plan().root(), 2));
    sv.answers = {planner::Answer::Cancel};
    ASSERT_TRUE(drop(p->tree()->viewport(), urls(lab)));
    EXPECT_EQ(sv.questions.size(), 1u);
    EXPECT_EQ(p->form().filePath(), office.toStdString());
    sv.answers = {planner::Answer::No};
    ASSERT_TRUE(drop(p->tree()->viewport(), urls(lab)));
    EXPECT_EQ(p->form().filePath(), lab.toStdString());
}

// Each goes in through the import the menus use, into the plan open.
TEST_F(Drops, FilesAndTextsDroppedOnThePlannerAreImported)
{
    plan::Plan linked(prefix("10.20.8.0/22"));
    ASSERT_EQ(linked.split(linked.root(), 2), "");
    const std::string link =
        interchange::exportPlan(linked, interchange::Format::VscLink, interchange::valuesOf(linked)).text;
    ASSERT_FALSE(link.empty());
    struct Case {
        const char* name;  // a file of that name, or a text when null
        std::string bytes;
        const char* placed;
    };
    const Case cases[] = {
        {"inuse.txt", "10.20.1.0/24, servers\n", "10.20.1.0/24"},
        {"netbox.csv", "prefix,status,description\n10.20.2.0/24,active,lab\n", "10.20.2.0/24"},
        {"phpipam.csv", "\xEF\xBB\xBFsubnet;mask;description\n10.20.3.0;24;voice\n", "10.20.3.0/24"},
        {nullptr, "10.20.4.0/24, printers\n", "10.20.4.0/24"},
        {nullptr, "  " + link, "10.20.10.0/23"},
    };
    Planner* p = qobject_cast<Planner*>(main->showWindow("planner"));
    ASSERT_TRUE(p->openPlanFile(planFile("office.mqplan", "10.20.0.0/16").toStdString()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : c.bytes);
        EXPECT_TRUE(drop(p->tree()->viewport(), c.name ? urls(file(c.name, c.bytes)) : text(c.bytes)));
        EXPECT_NE(p->form().plan().blockOf(prefix(c.placed)), plan::kNoBlock);
    }
    EXPECT_TRUE(sv.questions.empty());
    EXPECT_TRUE(sv.messages.empty()) << sv.messages.front();
    // A file none of the readers takes is named, and the plan stays.
    const auto before = p->form().revision();
    EXPECT_TRUE(drop(p->tree()->viewport(), urls(file("bad.csv", "prefix,status\nnot a prefix,active\n"))));
    EXPECT_EQ(p->form().revision(), before);
    EXPECT_EQ(sv.messages.size(), 1u);
}

TEST_F(Drops, AFileDroppedOnListAOrBIsLoadedIntoThatBox)
{
    auto* w = qobject_cast<ClasslessWindow*>(main->showWindow(kClasslessWindowName));
    w->findChild<QTabWidget*>("Tools")->setCurrentIndex(1);
    // An operation on both lists, so that B takes input too.
    auto* operation = w->findChild<QComboBox*>("Operation");
    for (int i = 0; i < operation->count() && !w->findChild<QPlainTextEdit*>("ListB")->isEnabled(); ++i)
        operation->setCurrentIndex(i);
    QApplication::processEvents();
    for (const char* box : {"ListA", "ListB"}) {
        SCOPED_TRACE(box);
        const QString path = file("list.txt", std::string("192.0.2.0/25\r\n192.0.2.128/25 ") + box + "\r\n");
        QSignalSpy loaded(w, &ClasslessWindow::listLoaded);
        auto* edit = w->findChild<QPlainTextEdit*>(box);
        ASSERT_TRUE(drop(edit->viewport(), urls(path)));
        ASSERT_TRUE(loaded.count() > 0 || loaded.wait(10000));
        EXPECT_EQ(w->listText(box[4]), QStringLiteral("192.0.2.0/25\n192.0.2.128/25 %1\n").arg(box));
    }
}

}  // namespace
}  // namespace mq::ui
