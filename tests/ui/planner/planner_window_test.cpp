// The Network Planner on its real widgets (offscreen): keys for split, join,
// rename, undo and redo; the Allocate panel; the map and the tree in step;
// opening a bad document; saving and reading back; the main window's Tools
// menu, Save, Print and the question before an unsaved plan is lost.
#include "plan/document.h"
#include "planner/allocation_table.h"
#include "tests/support/fake_services.h"
#include "tests/support/qt_files.h"
#include "tests/ui/planner/disk_planner_services.h"
#include "ui/frmMain/frm_main.h"
#include "ui/help/help_window.h"
#include "ui/planner/allocation_map.h"
#include "ui/planner/allocation_table_model.h"
#include "ui/planner/plan_tree_model.h"
#include "ui/planner/planner.h"
#include "ui/planner/qt_planner_services.h"
#include "ui/reports/main_window_reports.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolBar>
#include <QToolTip>
#include <QTreeView>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace mq::ui {
namespace {

using test::readFile;

using plan::BlockId;

void leakCheck()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->isVisible())
            ADD_FAILURE() << "top-level window left: " << t->metaObject()->className() << " "
                          << t->objectName().toStdString();
}

// What Qt's model checker finds wrong with the tree model while a test runs.
std::vector<std::string>* modelFaults = nullptr;
QtMessageHandler previousHandler = nullptr;
void collectModelFaults(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (modelFaults && context.category && std::string_view(context.category) == "qt.modeltest")
        modelFaults->push_back(text.toStdString());
    else if (previousHandler)
        previousHandler(type, context, text);
}

class PlannerWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    DiskServices sv;
    std::unique_ptr<Planner> w;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::vector<std::string> faults;

    void SetUp() override
    {
        w = std::make_unique<Planner>(nullptr, &sv);
        w->resize(1000, 640);
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->tree()->setFocus();
        // Every test's edits run past the model checker.
        modelFaults = &faults;
        previousHandler = qInstallMessageHandler(collectModelFaults);
        tester = std::make_unique<QAbstractItemModelTester>(w->tree()->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    void TearDown() override
    {
        tester.reset();
        qInstallMessageHandler(previousHandler);
        modelFaults = nullptr;
        for (const std::string& f : faults)
            ADD_FAILURE() << "tree model: " << f;
        w.reset();
        leakCheck();
    }
    const plan::Plan& plan() const { return w->form().plan(); }
    BlockId root() const { return plan().root(); }
    BlockId child(BlockId id, std::size_t i) const { return plan().block(id).children.at(i); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(w->tree(), Qt::Key(k), m); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void newPlan(const char* roots)
    {
        sv.prompts.push_back(roots);
        QTest::mouseClick(w->findChild<QPushButton*>("newPlan"), Qt::LeftButton);
    }
    void waitForAllocation()
    {
        for (int i = 0; i < 6000 && w->allocationRunning(); ++i)
            QTest::qWait(5);
        ASSERT_FALSE(w->allocationRunning());
    }
    int resultCount() const { return w->resultsList()->model()->rowCount(); }
    QString result(int row) const { return w->resultsList()->model()->index(row, 0).data().toString(); }
};

TEST_F(PlannerWindow, KeysSplitJoinRenameUndoRedo)
{
    ASSERT_EQ(w->currentBlock(), root());
    key(Qt::Key_D, Qt::ControlModifier);  // split in two
    ASSERT_EQ(plan().block(root()).children.size(), 2u);
    EXPECT_TRUE(w->tree()->isExpanded(w->tree()->model()->index(0, 0)));
    key(Qt::Key_Down);
    ASSERT_EQ(w->currentBlock(), child(root(), 0));
    sv.prompts.push_back("8");
    key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);  // split into, asked
    ASSERT_EQ(plan().block(child(root(), 0)).children.size(), 8u);

    // Rename in place: F2, type, Enter.
    key(Qt::Key_Down);
    const BlockId part = w->currentBlock();
    ASSERT_EQ(plan().block(part).parent, child(root(), 0));
    key(Qt::Key_F2);
    auto* editor = w->tree()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("printers"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(plan().block(part).name, "printers");
    EXPECT_EQ(w->tree()->currentIndex().data().toString(), QStringLiteral("printers"));

    // Join from a part joins its parent's parts; undo and redo step back and forth.
    w->tree()->setFocus();
    key(Qt::Key_J, Qt::ControlModifier);
    EXPECT_TRUE(plan().block(child(root(), 0)).children.empty());
    EXPECT_EQ(w->currentBlock(), child(root(), 0));  // the joined block keeps the selection
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(plan().block(child(root(), 0)).children.size(), 8u);
    EXPECT_EQ(plan().block(child(child(root(), 0), 0)).name, "printers");
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(plan().block(child(root(), 0)).children.empty());
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(plan().block(child(root(), 0)).children.size(), 8u);
    EXPECT_TRUE(w->windowTitle().endsWith(QLatin1Char('*')));
    EXPECT_TRUE(sv.messages.empty());
}

TEST_F(PlannerWindow, AllocatePanelFillsTreeAndMapAtOnce)
{
    sv.prompts.push_back("192.168.0.0/22");
    QTest::mouseClick(w->findChild<QPushButton*>("newPlan"), Qt::LeftButton);
    for (const char* line : {"lab, 200, 10%", "broken", "voice, 100"}) {
        QTest::keyClicks(w->segmentsBox(), QString::fromLatin1(line));
        QTest::keyClick(w->segmentsBox(), Qt::Key_Return);
    }
    QTest::mouseClick(w->findChild<QPushButton*>("allocate"), Qt::LeftButton);
    waitForAllocation();
    ASSERT_EQ(resultCount(), 3);
    EXPECT_TRUE(result(0).startsWith(QStringLiteral("Line 2: ")));
    EXPECT_TRUE(result(1).startsWith(QStringLiteral("lab: 192.168.0.0/24")));
    // The chosen block stays chosen; the blocks placed show open in the tree.
    EXPECT_EQ(w->currentBlock(), root());
    const BlockId lab = w->form().allocatedBlocks().at(0);
    EXPECT_EQ(plan().block(lab).name, "lab");
    EXPECT_FALSE(w->tree()->visualRect(static_cast<PlanTreeModel*>(w->tree()->model())->indexOf(lab)).isEmpty());
    EXPECT_GE(w->map()->leafCount(), 3u);

    // Clicking a block on the map selects it in the tree, and its hover names it.
    const BlockId voice = w->form().allocatedBlocks().at(1);
    const QPoint at = w->map()->pointOf(voice);
    ASSERT_EQ(w->map()->blockAt(at), voice);
    QTest::mouseClick(w->map(), Qt::LeftButton, {}, at);
    EXPECT_EQ(w->currentBlock(), voice);
    EXPECT_EQ(w->tree()->currentIndex().data().toString(), QStringLiteral("voice"));
    // Undo takes the whole allocation back at once, and its result lines with it; Redo brings both.
    w->tree()->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(plan().block(root()).children.empty());
    EXPECT_EQ(w->map()->leafCount(), 1u);
    EXPECT_EQ(resultCount(), 0);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(resultCount(), 3);
    // Free and Assign from the keys.
    w->selectBlock(lab);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(plan().block(lab).state, plan::BlockState::Free);
    sv.prompts.push_back("lab two, 120, bench 3");
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(plan().block(lab).name, "lab two");
    EXPECT_EQ(plan().block(lab).note, "bench 3");

    // Open puts the segment list that the plan keeps back into the panel.
    sv.fileNames.push_back(path("campus").toStdString());
    QTest::keyClick(w->tree(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    w->segmentsBox()->clear();
    ASSERT_TRUE(w->openPlanFile(path("campus.mqplan").toStdString()));
    EXPECT_EQ(w->segmentsBox()->toPlainText(), QStringLiteral("lab, 200, 10%\nvoice, 100\n"));
}

TEST_F(PlannerWindow, BadDocumentIsRefusedAndNothingChanges)
{
    key(Qt::Key_D, Qt::ControlModifier);
    const plan::Plan before = plan();
    const QString title = w->windowTitle();
    const QString bad = path("bad.mqplan");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"format\": 1, \"root\": \"10.0.0.0/8\", \"blocks\": [{\"prefix\": \"11.0.0.0/9\"}]}");
    }
    sv.answers.push_back(planner::Answer::No);  // the unsaved split may go
    sv.fileNames.push_back(bad.toStdString());
    QTest::mouseClick(w->findChild<QPushButton*>("openPlan"), Qt::LeftButton);
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find(bad.toStdString()), std::string::npos) << sv.messages[0];
    EXPECT_TRUE(plan() == before);
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_EQ(w->tree()->model()->rowCount(w->tree()->model()->index(0, 0)), 2);
    EXPECT_TRUE(w->form().canUndo());
}

TEST_F(PlannerWindow, SavedFileReadsBackAndFailuresSayWhy)
{
    key(Qt::Key_D, Qt::ControlModifier);
    sv.fileNames.push_back(path("office").toStdString());
    QTest::keyClick(w->tree(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    const QString file = path("office.mqplan");
    ASSERT_TRUE(QFile::exists(file)) << sv.messages.size();
    auto read = plan::readDocument(readFile(file));
    ASSERT_TRUE(std::holds_alternative<plan::Plan>(read));
    EXPECT_TRUE(std::get<plan::Plan>(read) == plan());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Network Planner - office.mqplan"));

    // A folder that cannot be written: the old file stays, the cause is named.
    sv.fileNames.push_back(path("missing/sub/x.mqplan").toStdString());
    QTest::mouseClick(w->findChild<QPushButton*>("savePlanAs"), Qt::LeftButton);
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("x.mqplan"), std::string::npos);
    EXPECT_GT(sv.messages[0].find("\n\n"), 0u);
    EXPECT_GT(sv.messages[0].size(), sv.messages[0].find("\n\n") + 2) << "no cause given";
    EXPECT_EQ(w->form().filePath(), file.toStdString());
}

TEST_F(PlannerWindow, OnlyRegularFilesWithinTheLimitAreRead)
{
    // A pipe with no writer and an endless device are refused without a read
    // that could wait or grow; a hang shows as a failure, not a stuck suite.
    const QByteArray fifo = QFile::encodeName(path("pipe.mqplan"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    QtPlannerServices disk;
    for (const char* name : {fifo.constData(), "/dev/zero", "/tmp"}) {
        auto reading = std::async(std::launch::async, [&] {
            std::string bytes, error;
            const bool ok = disk.readFile(name, bytes, error);
            return std::make_pair(ok, error);
        });
        if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            ADD_FAILURE() << name << " is still being read";
            const int unblock = ::open(fifo.constData(), O_RDWR);  // lets a stuck open return
            reading.wait();
            ::close(unblock);
            continue;
        }
        const auto [ok, error] = reading.get();
        EXPECT_FALSE(ok) << name;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << name << ": " << error;
    }
    // Through the window: the message names the file and why.
    sv.fileNames.push_back(fifo.toStdString());
    QTest::mouseClick(w->findChild<QPushButton*>("openPlan"), Qt::LeftButton);
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("a pipe (FIFO)"), std::string::npos) << sv.messages[0];
}

TEST_F(PlannerWindow, LongAllocationRunsAwayAndCancelKeepsTheLastResult)
{
    sv.prompts.push_back("10.0.0.0/8");
    QTest::mouseClick(w->findChild<QPushButton*>("newPlan"), Qt::LeftButton);
    QTest::keyClicks(w->segmentsBox(), QStringLiteral("office, 100"));
    QTest::mouseClick(w->findChild<QPushButton*>("allocate"), Qt::LeftButton);
    waitForAllocation();
    ASSERT_EQ(resultCount(), 1);
    const plan::Plan placed = plan();

    // 200,000 segments: the window keeps answering while they are placed.
    std::string many;
    for (int i = 0; i < 200'000; ++i)
        many += "s" + std::to_string(i) + ", 6\n";
    w->segmentsBox()->setPlainText(QString::fromStdString(many));
    QTest::mouseClick(w->findChild<QPushButton*>("allocate"), Qt::LeftButton);
    ASSERT_TRUE(w->allocationRunning());
    EXPECT_FALSE(w->findChild<QPushButton*>("split")->isEnabled());
    // The progress row shows once a run takes a while (unless it ends first).
    QWidget* progress = w->findChild<QWidget*>("allocationProgress");
    for (int i = 0; i < 2000 && w->allocationRunning() && !progress->isVisible(); ++i)
        QTest::qWait(5);
    if (w->allocationRunning()) {
        EXPECT_TRUE(progress->isVisible());
        EXPECT_TRUE(w->findChild<QPushButton*>("cancelAllocation")->isVisible());
        // The bar's own text fits it; the stage is named beside it.
        auto* bar = static_cast<QProgressBar*>(progress);
        EXPECT_LE(bar->fontMetrics().horizontalAdvance(bar->text()), bar->contentsRect().width())
            << bar->text().toStdString();
        EXPECT_TRUE(w->findChild<QLabel*>("allocateTarget")->text().endsWith(QStringLiteral("...")));
    }
    QTest::keyClick(w.get(), Qt::Key_Escape);
    waitForAllocation();
    EXPECT_TRUE(plan() == placed);
    ASSERT_EQ(resultCount(), 1);
    EXPECT_TRUE(result(0).startsWith(QStringLiteral("office: 10.0.0.0/25")));
    EXPECT_FALSE(w->findChild<QWidget*>("allocationProgress")->isVisible());
    EXPECT_TRUE(w->findChild<QPushButton*>("allocate")->isEnabled());
}

TEST_F(PlannerWindow, AllocationsTableSortsCopiesAndSelects)
{
    sv.prompts.push_back("10.8.0.0/22");
    QTest::mouseClick(w->findChild<QPushButton*>("newPlan"), Qt::LeftButton);
    w->segmentsBox()->setPlainText(QStringLiteral("big, 200\nsmall, 5\nmid, 50\n"));
    QTest::mouseClick(w->findChild<QPushButton*>("allocate"), Qt::LeftButton);
    waitForAllocation();
    QTableView* table = w->allocationsTable();
    QAbstractItemModel* m = table->model();
    ASSERT_EQ(m->rowCount(), 3);
    auto column = [&](int c) {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, c).data().toString();
        return out;
    };
    EXPECT_EQ(column(planner::AName), (QStringList{"big", "mid", "small"}));  // address order
    // A click on "Usable" sorts by value (6 < 62 < 254), not as text.
    const int x = table->horizontalHeader()->sectionViewportPosition(planner::AUsable) + 5;
    QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    EXPECT_EQ(column(planner::AUsable), (QStringList{"6", "62", "254"}));
    EXPECT_EQ(column(planner::AName), (QStringList{"small", "mid", "big"}));
    // A click on a row selects its block in the tree.
    const QRect second = table->visualRect(m->index(1, planner::AName));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(plan().block(w->currentBlock()).name, "mid");
    // Ctrl+C in the table copies it whole as tab-separated text.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(sv.clipboard.rfind("Name\tStatus\tVLAN\tIPv4 prefix\t", 0), 0u) << sv.clipboard;
    EXPECT_NE(sv.clipboard.find("\nmid\tassigned\t\t10.8.1.0/26\t"), std::string::npos) << sv.clipboard;
    EXPECT_EQ(std::count(sv.clipboard.begin(), sv.clipboard.end(), '\n'), 4);
    // Undo empties it with the plan.
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m->rowCount(), 0);
}

TEST_F(PlannerWindow, ExportTypeDecidesFormatAndExtension)
{
    sv.prompts.push_back("192.168.7.0/24");
    QTest::mouseClick(w->findChild<QPushButton*>("newPlan"), Qt::LeftButton);
    ASSERT_TRUE(w->form().allocate(root(), "desk, 20\n"));
    w->refresh();
    struct Case {
        const char* typed;
        int type;
        const char* written;
        const char* starts;
    } cases[] = {
        {"alloc", 0, "alloc.csv",
         "name,status,vlan,ipv4,ipv6,mask,first,last,broadcast,gateway,dhcp,gateway6,dhcp6,hosts,needed,usable,spare,"
         "note\r\n"},
        {"leaves", 1, "leaves.csv",
         "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note\r\ndesk,assigned,,192.168.7.0/27,"},
        {"report", 2, "report.txt", "Network plan Untitled\r\n"},
        {"kept.tsv", 1, "kept.tsv", "name,status,"},  // a typed extension stays
        {"nb", 3, "nb.csv", "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags\r\n"},
        {"php", 4, "php.csv", "Section,Subnet,Mask,Description,VLAN,Domain,VRF\r\nCampus,"},
        {"vsc", 5, "vsc.json", "{"},
    };
    // phpIPAM's section is asked for on the way.
    plan::IpamValues values;
    values.section = "Campus";
    sv.ipamAnswers.push_back(values);
    for (const Case& c : cases) {
        sv.exportChoices.push_back(planner::FileChoice{path(c.typed).toStdString(), c.type});
        // The Export menu's first entry is the export dialog.
        w->exportMenu()->actions().front()->trigger();
        const std::string bytes = readFile(path(c.written));
        EXPECT_EQ(bytes.rfind(c.starts, 0), 0u) << c.written << ": " << bytes.substr(0, 120);
    }
    EXPECT_FALSE(QFile::exists(path("alloc")));
    // A folder that cannot be written names the cause.
    sv.messages.clear();
    sv.exportChoices.push_back(planner::FileChoice{"/proc/no/such/dir/x.csv", 0});
    QTest::keyClick(w->tree(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("could not be written to /proc/no/such/dir/x.csv\n\n"), std::string::npos)
        << sv.messages[0];
}

// A workbook is made on a worker under a dialog that tells the rows written; Esc there
// stops it and leaves the file as it was.
TEST_F(PlannerWindow, WorkbookIsMadeOffTheWindowAndEscKeepsTheOldFile)
{
    newPlan("10.0.0.0/16");
    std::vector<plan::Host> hosts(8192);  // the rows are told every 4096
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        hosts[i].name = "h" + std::to_string(i);
        hosts[i].v4 = net::Address::v4(0x0A000000u + static_cast<std::uint32_t>(i));
    }
    ASSERT_TRUE(w->form().addHosts(std::move(hosts)));
    const QString book = path("plan.xlsx");
    ASSERT_TRUE(test::writeFile(book, "old"));
    sv.messages.clear();
    for (const bool cancel : {true, false}) {
        sv.exportChoices.push_back(planner::FileChoice{book.toStdString(), planner::ExportHostsWorkbook});
        w->exportMenu()->actions().front()->trigger();
        QPointer<QDialog> d = w->findChild<QDialog*>("workbookProgress");
        ASSERT_TRUE(d);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), d.data());
        EXPECT_EQ(d->findChild<QLabel*>()->text(), QStringLiteral("Writing the workbook..."));
        QString rowsTold;
        QObject::connect(d, &QDialog::accepted, [&] { rowsTold = d->findChild<QLabel*>("workbookRows")->text(); });
        if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty() && !cancel)
            d->grab().save(QStringLiteral("%1/planner_workbook_progress.png").arg(QString::fromLocal8Bit(dir)));
        if (cancel)
            QTest::keyClick(d, Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !d; }, 60000));
        EXPECT_EQ(readFile(book).rfind(cancel ? "old" : "PK\x03\x04", 0), 0u);
        EXPECT_EQ(sv.messages.size(), cancel ? 0u : 1u);
        EXPECT_EQ(rowsTold, cancel ? QString() : QStringLiteral("8192 of 8192 rows"));
    }
    EXPECT_EQ(sv.messages.at(0), "Exported to " + book.toStdString() + ".");
    // A window closed meanwhile stops its worker before the plan goes, and writes nothing.
    sv.exportChoices.push_back(planner::FileChoice{path("gone.xlsx").toStdString(), planner::ExportHostsWorkbook});
    w->exportMenu()->actions().front()->trigger();
    tester.reset();
    w.reset();
    EXPECT_FALSE(QFile::exists(path("gone.xlsx")));
}

TEST_F(PlannerWindow, RecentPlansAndColoursStayWithThePlan)
{
    key(Qt::Key_D, Qt::ControlModifier);
    for (const char* name : {"first", "second"}) {
        sv.fileNames.push_back(path(name).toStdString());
        QTest::keyClick(w->tree(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    }
    ASSERT_EQ(sv.recent.size(), 2u);
    EXPECT_EQ(sv.recent[0], path("second.mqplan").toStdString());
    // The menu lists them newest first; its second entry opens the first plan.
    emit w->recentMenu()->aboutToShow();
    const QList<QAction*> entries = w->recentMenu()->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&1 second.mqplan"));
    entries[1]->trigger();
    EXPECT_EQ(w->form().filePath(), path("first.mqplan").toStdString());
    EXPECT_EQ(sv.recent[0], path("first.mqplan").toStdString());

    // A colour chosen for a block is one undoable change.
    const BlockId part = child(root(), 1);
    w->selectBlock(part);
    sv.colours.push_back(0x336699u);
    QAction* colour = w->contextMenu()->findChild<QAction*>("actionColour");
    ASSERT_NE(colour, nullptr);
    colour->trigger();
    EXPECT_EQ(plan().block(part).colour, 0x336699u);
    EXPECT_TRUE(w->form().isModified());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(plan().block(part).colour, 0x336699u);
}

TEST_F(PlannerWindow, MapRowsArePrefixesAndNamesAreWrittenOnce)
{
    sv.prompts.push_back("10.40.0.0/20");
    QTest::mouseClick(w->findChild<QPushButton*>("newPlan"), Qt::LeftButton);
    ASSERT_TRUE(w->form().allocate(root(), "campus core, 1500\nlab, 200\n"));
    w->refresh();
    AllocationMap own;
    AllocationMap* map = &own;
    map->setPlan(&plan());
    map->resize(700, AllocationMap::kRowHeight * 11);  // room for 11 rows: 8 are drawn
    ASSERT_GT(map->margin(), 0);
    // Row r covers the r-th eighth of the /20: a /23, named in the margin.
    const net::u128 base = plan().block(root()).prefix.network().value;
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(map->rowText(r).toStdString(),
                  planner::prefixText(net::Prefix{net::Address::v4(static_cast<std::uint32_t>(base) + (r << 9)), 23}));
        const BlockId first = map->blockAt(QPoint(map->margin() + 1, r * AllocationMap::kRowHeight + 5));
        ASSERT_NE(first, plan::kNoBlock) << r;
        EXPECT_TRUE(plan().block(first).prefix.contains(
            net::Prefix{net::Address::v4(static_cast<std::uint32_t>(base) + (r << 9)), 32}))
            << r << " " << planner::prefixText(plan().block(first).prefix);
    }
    EXPECT_EQ(map->blockAt(QPoint(map->margin() + 1, 8 * AllocationMap::kRowHeight + 5)), plan::kNoBlock);
    // "campus core" (a /21: two rows) is written once: its pixels of text lie in one row.
    const QImage image = map->grab().toImage();
    const BlockId core = w->form().allocatedBlocks().at(0);
    const QColor fill = rgbColour(planner::displayColour(plan().block(core)));
    int rowsWithText = 0;
    for (int r = 0; r < 2; ++r) {
        int dark = 0;
        for (int x = map->margin() + 2; x < map->margin() + 300; ++x)
            dark += qGray(image.pixel(x, r * AllocationMap::kRowHeight + AllocationMap::kRowHeight / 2)) < 60;
        EXPECT_EQ(image.pixelColor(map->margin() + 3, r * AllocationMap::kRowHeight + 3), fill) << r;
        rowsWithText += dark > 0;
    }
    EXPECT_EQ(rowsWithText, 1);
}

TEST_F(PlannerWindow, TreeReportsChangesSoOpenPartsAndSelectionStay)
{
    int resets = 0;
    QObject::connect(w->tree()->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    key(Qt::Key_D, Qt::ControlModifier);  // root in two
    const BlockId low = child(root(), 0), high = child(root(), 1);
    w->selectBlock(low);
    key(Qt::Key_D, Qt::ControlModifier);  // the low half in two
    w->selectBlock(high);
    const QPersistentModelIndex highRow = w->tree()->currentIndex();
    const QPersistentModelIndex lowRow(w->tree()->model()->index(0, 0, w->tree()->model()->index(0, 0)));
    ASSERT_TRUE(w->tree()->isExpanded(lowRow));
    // Splitting, renaming and undoing the high half leave the low half's row alone.
    key(Qt::Key_D, Qt::ControlModifier);
    // The view heard of the new parts: they show once the half is opened.
    w->tree()->expand(highRow);
    QAbstractItemModel* m = w->tree()->model();
    ASSERT_EQ(m->rowCount(highRow), 2);
    EXPECT_FALSE(w->tree()->visualRect(m->index(1, 0, highRow)).isEmpty());
    ASSERT_TRUE(w->form().rename(high, "upper"));
    w->refresh();
    EXPECT_TRUE(lowRow.isValid());
    EXPECT_TRUE(w->tree()->isExpanded(lowRow));
    EXPECT_EQ(highRow.data().toString(), QStringLiteral("upper"));
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(plan().block(high).children.size(), 0u);
    EXPECT_EQ(w->tree()->model()->rowCount(highRow), 0);
    EXPECT_TRUE(w->tree()->isExpanded(lowRow));
    EXPECT_EQ(resets, 0);
}

// A block that loses its parts and gets them back (Undo of Tidy, Allocate
// after an import was undone) shows them as the view says: open means drawn
// open, and + opens it as Right does.
TEST_F(PlannerWindow, BlocksThatGetPartsAgainOpenAsShown)
{
    auto* m = static_cast<PlanTreeModel*>(w->tree()->model());
    auto partShown = [&](BlockId id) {
        QApplication::processEvents();
        return !plan().block(id).children.empty() &&
               !w->tree()->visualRect(m->indexOf(plan().block(id).children.front())).isEmpty();
    };
    // Undo of Tidy, then + on the block whose parts came back.
    key(Qt::Key_D, Qt::ControlModifier);
    w->selectBlock(child(root(), 0));
    key(Qt::Key_D, Qt::ControlModifier);
    w->selectBlock(root());
    key(Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(plan().block(root()).children.empty());
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(w->currentBlock(), root());
    EXPECT_EQ(w->tree()->isExpanded(w->tree()->currentIndex()), partShown(root()));
    key(Qt::Key_Plus);
    EXPECT_TRUE(partShown(root()));
    key(Qt::Key_Minus);
    EXPECT_FALSE(partShown(root()));
    key(Qt::Key_Plus);
    EXPECT_TRUE(partShown(root()));

    // An import undone, then Allocate: the tree opens down to the first block placed.
    sv.answers.push_back(planner::Answer::No);
    newPlan("10.0.0.0/16");
    sv.pastes.push_back("10.0.0.0/24\n");
    w->importMenu()->findChild<QAction*>("actionPasteInUse")->trigger();
    ASSERT_FALSE(plan().block(root()).children.empty());
    w->tree()->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(plan().block(root()).children.empty());
    w->segmentsBox()->setPlainText(QStringLiteral("lab, 200\n"));
    QTest::mouseClick(w->findChild<QPushButton*>("allocate"), Qt::LeftButton);
    waitForAllocation();
    ASSERT_EQ(w->form().allocatedBlocks().size(), 1u);
    const BlockId lab = w->form().allocatedBlocks().front();
    EXPECT_TRUE(partShown(root()));
    EXPECT_FALSE(w->tree()->visualRect(m->indexOf(lab)).isEmpty());
}

TEST_F(PlannerWindow, EveryControlIsNamedAndTabGoesTreeMapSegments)
{
    for (QWidget* c : w->findChildren<QWidget*>())
        if (c->focusPolicy() & Qt::TabFocus && c->isVisibleTo(w.get())) {
            EXPECT_FALSE(c->accessibleName().isEmpty())
                << c->metaObject()->className() << " " << c->objectName().toStdString();
        }
    std::vector<QWidget*> seen;
    QWidget* at = w->findChild<QPushButton*>("newPlan");
    at->setFocus();
    for (int i = 0; i < 32; ++i) {
        seen.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    auto pos = [&](QWidget* x) { return std::find(seen.begin(), seen.end(), x) - seen.begin(); };
    EXPECT_LT(pos(w->tree()), pos(w->allocationsTable()));
    EXPECT_LT(pos(w->allocationsTable()), pos(w->map()));
    EXPECT_LT(pos(w->map()), pos(w->segmentsBox()));
    EXPECT_LT(pos(w->segmentsBox()), pos(w->resultsList()));
    EXPECT_LT(pos(w->resultsList()), static_cast<long>(seen.size()));
}

// Shift+F10 and the Menu key (a context menu event from the keyboard) open the
// block menu on the tree, the table and the map, for the block chosen there.
TEST_F(PlannerWindow, BlockMenuFromTheKeyboardOnTreeTableAndMap)
{
    newPlan("10.8.0.0/22");
    ASSERT_TRUE(w->form().allocate(root(), "big, 200\nsmall, 5\nmid, 50\n"));
    w->refresh();
    const std::vector<BlockId> placed = w->form().allocatedBlocks();
    ASSERT_EQ(placed.size(), 3u);
    QTableView* table = w->allocationsTable();
    const auto lastRow =
        static_cast<BlockId>(table->model()->index(2, 0).data(AllocationTableModel::BlockRole).toULongLong());
    struct Source {
        QWidget* widget;
        BlockId block;
        std::function<void()> choose;
    } sources[] = {
        {w->tree(), placed[0], [&] { w->selectBlock(placed[0]); }},
        {table, lastRow, [&] { table->setCurrentIndex(table->model()->index(2, 0)); }},
        {w->map(), placed[1], [&] { QTest::mouseClick(w->map(), Qt::LeftButton, {}, w->map()->pointOf(placed[1])); }},
    };
    for (const Source& s : sources)
        for (bool shiftF10 : {true, false}) {
            const std::string what = s.widget->objectName().toStdString() + (shiftF10 ? " Shift+F10" : " Menu key");
            w->selectBlock(root());
            s.choose();
            s.widget->setFocus();
            if (shiftF10) {
                QTest::keyClick(s.widget, Qt::Key_F10, Qt::ShiftModifier);
            } else {
                const QPoint at(2, 2);
                QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, s.widget->mapToGlobal(at));
                QApplication::sendEvent(s.widget, &menuKey);
            }
            EXPECT_TRUE(w->contextMenu()->isVisible()) << what;
            EXPECT_EQ(w->currentBlock(), s.block) << what;
            w->contextMenu()->hide();
        }
}

// A name or file name that looks like markup is shown as typed wherever the window shows
// it, never obeyed: labels are plain text, tool tips come escaped, and a '&' is no mnemonic.
TEST_F(PlannerWindow, NamesThatLookLikeMarkupAreShownAsTyped)
{
    const QString name = QStringLiteral("<b>R&amp;D</b> & co");
    newPlan("10.8.0.0/22");
    ASSERT_TRUE(w->form().allocate(root(), name.toStdString() + ", 200\n"));
    const BlockId placed = w->form().allocatedBlocks().at(0);
    ASSERT_TRUE(w->form().rename(root(), name.toStdString()));
    const QString file = QStringLiteral("<i>R&amp;D<i> & co");
    sv.fileNames.push_back(path(file.toUtf8().constData()).toStdString());
    QTest::keyClick(w->tree(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    w->selectBlock(placed);
    w->refresh();
    // What a tool tip shows: Qt renders one that looks like markup as rich text.
    auto shown = [](const QString& tip) {
        if (!Qt::mightBeRichText(tip))
            return tip;
        QTextDocument d;
        d.setHtml(tip);
        return d.toPlainText();
    };
    const QModelIndex row = w->allocationsTable()->model()->index(0, planner::AName);
    QHelpEvent help(QEvent::ToolTip, w->map()->pointOf(placed), w->map()->mapToGlobal(w->map()->pointOf(placed)));
    QApplication::sendEvent(w->map(), &help);
    const QString mapTip = QToolTip::text();
    QToolTip::hideText();
    emit w->recentMenu()->aboutToShow();
    ASSERT_FALSE(w->recentMenu()->actions().isEmpty());
    QAction* recent = w->recentMenu()->actions().at(0);
    struct Shown {
        const char* where;
        QString text;
        QString holds;
    } const cases[] = {
        {"status line", w->findChild<QLabel*>("plannerStatus")->toolTip(), name},
        {"allocation target", w->findChild<QLabel*>("allocateTarget")->toolTip(), name},
        {"tree", w->tree()->currentIndex().data(Qt::ToolTipRole).toString(), name},
        {"table", row.data(Qt::ToolTipRole).toString(), name},
        {"map", mapTip, name},
        {"recent plan", recent->toolTip(), file},
    };
    for (const Shown& c : cases)
        EXPECT_TRUE(shown(c.text).contains(c.holds)) << c.where << ": " << c.text.toStdString();
    for (const char* label : {"plannerStatus", "allocateTarget"}) {
        EXPECT_EQ(w->findChild<QLabel*>(label)->textFormat(), Qt::PlainText) << label;
        EXPECT_TRUE(w->findChild<QLabel*>(label)->text().contains(name)) << label;
    }
    // The menu shows the entry without its mnemonic: the file name whole, '&' and all.
    EXPECT_EQ(recent->iconText(), QStringLiteral("1 ") + file + QStringLiteral(".mqplan"));
}

// A screen reader's Toggle action (toggle(), no click) changes the setting;
// Undo shows it as it was and touches nothing else.
TEST_F(PlannerWindow, SizingBoxesToggledByAScreenReaderAreApplied)
{
    for (const char* name : {"links30", "nibble", "vlanNumbering"}) {
        auto* box = w->findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr);
        const plan::Settings before = plan().settings();
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(reader, nullptr);
        ASSERT_NE(reader->actionInterface(), nullptr);
        reader->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(box->isChecked()) << name;
        plan::Settings want = before;
        const std::string_view n = name;
        (n == "links30" ? want.links30 : n == "nibble" ? want.nibble : want.vlanNumbering) = true;
        EXPECT_TRUE(plan().settings() == want) << name;
        key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_FALSE(box->isChecked()) << name;
        EXPECT_TRUE(plan().settings() == before) << name;
        EXPECT_FALSE(w->form().canUndo()) << name << ": the toggle made more than one change";
    }
}

// The main window around the planner: Tools menu, toolbar, Save, Print, F1, closing.
class PlannerInMainWindow : public ::testing::Test {
protected:
    struct NoSettings : SettingsStore {
        void saveSetting(const QString&, const QString&, const QString&, const QString&) override { }
        QString getSetting(const QString&, const QString&, const QString&, const QString& d) const override
        {
            return d;
        }
    } settings;
    QTemporaryDir dir;
    CalculatorState state;
    test::FakeServices services;
    test::FakePlannerServices sv;
    FrmMain* main = nullptr;
    MainWindowReports* reports = nullptr;
    int made = 0;

    void SetUp() override
    {
        main = new FrmMain(state, settings);
        main->registerWindow("planner", [this] {
            ++made;
            return new Planner(nullptr, &sv);
        });
        main->addCloseGuard([this] {
            auto* p = qobject_cast<Planner*>(main->findWindow("planner"));
            return !p || p->queryClose();
        });
        reports = new MainWindowReports(*main, &services);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    }
    void TearDown() override
    {
        sv.answers.assign(4, planner::Answer::No);
        delete main;
        leakCheck();
    }
    Planner* openFromMenu()
    {
        QMenu* tools = main->menuBar()->findChild<QMenu*>("mnuTools");
        EXPECT_NE(tools, nullptr);
        if (!tools)
            return nullptr;
        QAction* entry = tools->findChild<QAction*>("mnuTools_planner");
        if (!entry)
            for (QAction* a : tools->actions())
                if (a->objectName() == QLatin1String("mnuTools_planner"))
                    entry = a;
        EXPECT_NE(entry, nullptr);
        entry->trigger();
        return qobject_cast<Planner*>(main->findWindow("planner"));
    }
};

TEST_F(PlannerInMainWindow, ToolsMenuAndToolbarOpenOneInstance)
{
    // Menus in order, with Tools between Window and Help.
    QStringList titles;
    for (QAction* a : main->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Window", "&Tools", "&Help"}));
    Planner* p = openFromMenu();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(main->activeChildName(), QStringLiteral("planner"));
    // The button behind the separator after the thirteen: the same one window.
    ASSERT_NE(main->toolbarButton(14), nullptr);
    EXPECT_TRUE(main->toolbarButton(14)->isSeparator());
    ASSERT_NE(main->toolbarButton(16), nullptr);
    EXPECT_EQ(main->toolbarButton(16)->text(), QStringLiteral("Network Planner"));
    EXPECT_FALSE(main->toolbarButton(16)->icon().isNull());
    main->toolbarButton(16)->trigger();
    EXPECT_EQ(main->findWindow("planner"), p);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(main->toolbarButton(13)->toolTip(), QStringLiteral("Help Information"));
}

TEST_F(PlannerInMainWindow, SaveWritesTheReportAndPrintPrintsIt)
{
    Planner* p = openFromMenu();
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->form().newPlan("10.20.0.0/16"));
    ASSERT_TRUE(p->form().split(p->form().plan().root(), 4));
    p->refresh();
    const QString txt = dir.filePath("plan.txt");
    services.saveAnswers.push_back(txt.toStdString());
    main->Save_Click();
    const std::string bytes = readFile(txt);
    EXPECT_EQ(bytes.rfind("Network plan Untitled\r\n\r\nRoot block: 10.20.0.0/16\r\n", 0), 0u) << bytes;
    EXPECT_NE(bytes.find("\r\n  10.20.192.0/18  "), std::string::npos) << bytes;
    ASSERT_FALSE(services.messages.empty());
    EXPECT_EQ(services.messages.back().text, "The report was saved to " + txt.toStdString() + ".");
    EXPECT_EQ(services.messages.back().title, "Network Planner");

    const QString pdf = dir.filePath("plan.pdf");
    reports->output().setPrintDialog([pdf](QPrinter& printer) -> std::optional<int> {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return 1;
    });
    main->Print_Click();
    EXPECT_EQ(services.messages.back().text, "Results Successfully Printed");
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.startsWith(QStringLiteral("Network plan Untitled"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Root block: 10.20.0.0/16")));
    EXPECT_TRUE(printed.contains(QStringLiteral("10.20.192.0/18"))) << printed.toStdString();

    // Column by column: in the printed page each value stands under its title.
    ASSERT_TRUE(p->form().allocate(p->form().plan().root(), "office ffff, 300\nlab, 20\n"));
    p->refresh();
    main->Print_Click();
    QProcess layout;
    layout.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(layout.waitForFinished(30000));
    const QStringList rows = QString::fromUtf8(layout.readAllStandardOutput()).split(QLatin1Char('\n'));
    int header = -1;
    for (int i = 0; i < rows.size() && header < 0; ++i)
        if (rows[i].contains(QStringLiteral("IPv4 prefix")))
            header = i;
    ASSERT_GE(header, 0) << rows.join(QLatin1Char('\n')).toStdString();
    const QString& h = rows[header];
    const qsizetype prefixAt = h.indexOf(QStringLiteral("IPv4 prefix"));
    const qsizetype spareEnd = h.indexOf(QStringLiteral("Spare")) + 5;
    bool sawOffice = false;
    for (int i = header + 2; i < rows.size() && !rows[i].trimmed().isEmpty(); ++i) {
        const QString& r = rows[i];
        if (!r.startsWith(QStringLiteral("office ffff")))  // no ligature: the letters copy out as typed
            continue;
        sawOffice = true;
        EXPECT_EQ(r.mid(prefixAt, 13), QStringLiteral("10.20.0.0/23 ")) << r.toStdString() << "\n" << h.toStdString();
        EXPECT_EQ(r.mid(spareEnd - 3, 3), QStringLiteral("210")) << r.toStdString() << "\n" << h.toStdString();
    }
    EXPECT_TRUE(sawOffice) << rows.join(QLatin1Char('\n')).toStdString();
}

TEST_F(PlannerInMainWindow, UnsavedPlanAsksBeforeTheProgramEnds)
{
    Planner* p = openFromMenu();
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->form().split(p->form().plan().root(), 2));
    bool exited = false;
    main->setExitHandler([&] { exited = true; });
    sv.answers.push_back(planner::Answer::Cancel);
    main->Exit_Click();
    EXPECT_FALSE(exited);
    sv.answers.push_back(planner::Answer::Cancel);
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    // Closing the planner's own window asks too.
    sv.answers.push_back(planner::Answer::Cancel);
    main->subWindow("planner")->close();
    EXPECT_EQ(main->findWindow("planner"), p);
    EXPECT_EQ(sv.questions.size(), 3u);
    sv.answers.push_back(planner::Answer::No);
    main->Exit_Click();
    EXPECT_TRUE(exited);
}

// Each Alt+letter does one thing: the planner's letters differ from each other
// and from the main window's menus, and so do the entries of each of its menus.
TEST_F(PlannerInMainWindow, MnemonicsAreUniqueAndLeaveTheMainMenusAlone)
{
    Planner* p = openFromMenu();
    ASSERT_NE(p, nullptr);
    // One text a letter; a second text with a letter taken is a clash.
    auto clashes = [](const QStringList& texts) {
        std::map<QString, QString> first;
        QStringList out;
        for (const QString& t : texts)
            if (const QString k = QKeySequence::mnemonic(t).toString(); !k.isEmpty() && !first.emplace(k, t).second)
                out << first[k] + QStringLiteral(" / ") + t;
        return out.join(QStringLiteral("; ")).toStdString();
    };
    QStringList window;
    for (QAction* a : main->menuBar()->actions())
        window << a->text();
    for (QAbstractButton* b : p->findChildren<QAbstractButton*>())
        window << b->text();
    for (QLabel* l : p->findChildren<QLabel*>())
        if (l->buddy())
            window << l->text();
    EXPECT_EQ(clashes(window), "");
    for (QMenu* m :
         {p->importMenu(), p->importMenu()->findChild<QMenu*>("importNewMenu"), p->exportMenu(), p->contextMenu()}) {
        QStringList entries;
        for (QAction* a : m->actions())
            entries << a->text();
        EXPECT_EQ(clashes(entries), "") << m->objectName().toStdString();
    }

    // Alt+R frees the chosen block and Alt+Z zooms the map out, with the tree in focus.
    ASSERT_TRUE(p->form().newPlan("10.20.0.0/16"));
    ASSERT_TRUE(p->form().allocate(p->form().plan().root(), "office, 300\n"));
    p->refresh();
    const BlockId office = p->form().allocatedBlocks().at(0);
    p->selectBlock(office);
    p->map()->zoomIn();
    main->activateWindow();
    p->tree()->setFocus();
    // A button's letter presses it a moment later, as a click would show.
    auto soon = [](auto done) {
        for (int i = 0; i < 400 && !done(); ++i)
            QTest::qWait(5);
        return done();
    };
    QTest::keyClick(p->tree(), Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(soon([&] { return p->form().plan().block(office).state == plan::BlockState::Free; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(soon([&] { return p->map()->zoom() == 0; }));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // Ctrl+F4 closes it as every child window.
    sv.answers.push_back(planner::Answer::No);
    QTest::keyClick(p->tree(), Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(main->findWindow("planner"), nullptr);
}

TEST_F(PlannerInMainWindow, F1OpensTheHelpAtThePlanner)
{
    main->setHelpHandler([](FrmMain& m) { HelpWindow::showHelp(&m); });
    Planner* p = openFromMenu();
    ASSERT_NE(p, nullptr);
    p->tree()->setFocus();
    bool contents = false;
    main->setHelpHandler([&](FrmMain&) { contents = true; });
    QTest::keyClick(p->tree(), Qt::Key_F1);
    EXPECT_FALSE(contents);  // not the program-wide contents
    HelpWindow* help = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<HelpWindow*>(t); h && h->isVisible())
            help = h;
    ASSERT_NE(help, nullptr);
    help->close();
}

TEST_F(PlannerInMainWindow, Screenshot)
{
    Planner* p = openFromMenu();
    ASSERT_NE(p, nullptr);
    main->subWindow("planner")->setGeometry(0, 0, 1200, 760);
    // A dual-stack campus: every segment gets an IPv4 block and an IPv6 /64.
    ASSERT_TRUE(p->form().newPlan("10.40.0.0/20, 2001:db8:40::/48"));
    p->segmentsBox()->setPlainText(QStringLiteral("servers, 500, 20%\nusers, 1000\nvoice, 250\nprinters, 40\n"
                                                  "wifi guests, 600, 50%\nmanagement, 20\ncore link, 2\n"));
    p->allocate();
    for (int i = 0; i < 6000 && p->allocationRunning(); ++i)
        QTest::qWait(5);
    p->tree()->expandAll();
    QApplication::processEvents();
    const QImage shot = p->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty()) {
        shot.save(QString::fromLocal8Bit(d) + QStringLiteral("/planner.png"));
        main->resize(1240, 860);
        QApplication::processEvents();
        main->grab().save(QString::fromLocal8Bit(d) + QStringLiteral("/planner_main.png"));
        const QString pdf = QString::fromLocal8Bit(d) + QStringLiteral("/planner_print.pdf");
        reports->output().setPrintDialog([pdf](QPrinter& printer) -> std::optional<int> {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return 1;
        });
        main->Print_Click();
    }
    p->form().queryClose();
}

}  // namespace
}  // namespace mq::ui
