// The Network Planner's Import and Export menus and cloud mode on the real
// widgets (offscreen): a NetBox CSV and a visualsubnetcalc link read in,
// exports read back through the interchange readers, the hosts column
// following the cloud's rules.
#include "interchange/netbox.h"
#include "interchange/vsc.h"
#include "tests/support/files.h"
#include "tests/ui/planner/disk_planner_services.h"
#include "ui/planner/planner.h"
#include "ui/planner/planner_dialogs.h"
#include "ui/planner/qt_planner_services.h"
#include "xlsx/sheet.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

#include <semaphore>

namespace mq::ui {
namespace {

std::string fixture(const char* name)
{
    return test::readFile(std::string(MQ_INTERCHANGE_FIXTURES "/") + name);
}

// An entry of a menu or of its submenus.
QAction* action(QMenu* m, const char* name)
{
    return m->findChild<QAction*>(QString::fromLatin1(name));
}

class PlannerExchangeWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    DiskServices sv;
    std::unique_ptr<Planner> w;

    void SetUp() override
    {
        w = std::make_unique<Planner>(nullptr, &sv);
        w->resize(1100, 680);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override { w.reset(); }
    const plan::Plan& plan() const { return w->form().plan(); }
    void trigger(QMenu* m, const char* name)
    {
        QAction* a = action(m, name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    // The hosts column of the tree for the block of this prefix.
    QString hostsOf(const char* prefix)
    {
        const QModelIndexList hits =
            w->tree()->model()->match(w->tree()->model()->index(0, planner::ColPrefix), Qt::DisplayRole,
                                      QString::fromLatin1(prefix), 1, Qt::MatchExactly | Qt::MatchRecursive);
        if (hits.isEmpty())
            return QStringLiteral("<no row>");
        return hits[0].siblingAtColumn(planner::ColHosts).data().toString();
    }
};

TEST_F(PlannerExchangeWindow, NetboxFixtureInAndOutAgain)
{
    const QString in = dir.filePath(QStringLiteral("netbox.csv"));
    {
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(fixture("netbox_export.csv")));
    }
    sv.fileNames.push_back(in.toStdString());
    sv.prompts.push_back("10.40.0.0/16");
    sv.answers.push_back(planner::Answer::No);
    trigger(w->importMenu(), "actionNewFromNetBox");
    ASSERT_EQ(sv.promptDefaults.size(), 1u);
    EXPECT_EQ(sv.promptDefaults[0], "10.40.0.0/16");
    const plan::BlockId voice = plan().blockOf(net::Prefix{net::Address::v4(0x0A281000u), 20});
    ASSERT_NE(voice, plan::kNoBlock);
    EXPECT_EQ(plan().block(voice).name, "Voice \"VoIP\"");
    EXPECT_EQ(plan().block(voice).vlan, 120);
    EXPECT_EQ(plan().ipamValues().tenant, "Campus IT");

    // Export as NetBox CSV and read it back: the same prefixes, names and VLANs.
    const std::string out = dir.filePath(QStringLiteral("again")).toStdString();
    sv.exportChoices.push_back(planner::FileChoice{out, planner::ExportNetbox});
    QTest::keyClick(w->tree(), Qt::Key_E, Qt::ControlModifier);
    QFile f(QString::fromStdString(out + ".csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // The tree's halves between are containers of their own; the leaves match.
    auto leaves = [](const std::string& text) {
        const interchange::ReadResult r = interchange::readNetboxCsv(text);
        std::vector<std::string> out;
        for (const auto& b : r.blocks)
            if (!b.container)
                out.push_back(net::formatNetwork(b.prefix) + " " + b.name + " " + std::to_string(b.vlan.value_or(0)));
        return out;
    };
    const std::vector<std::string> back = leaves(f.readAll().toStdString());
    EXPECT_EQ(back.size(), 5u);
    EXPECT_EQ(back, leaves(fixture("netbox_export.csv")));
}

TEST_F(PlannerExchangeWindow, LinkFromTheWebToolAndBackThroughTheClipboard)
{
    sv.pastes.push_back(fixture("vsc_tool_link.txt"));
    sv.prompts.push_back("172.16.0.0/22");
    sv.answers.push_back(planner::Answer::No);
    trigger(w->importMenu(), "actionNewFromLink");
    ASSERT_TRUE(sv.messages.empty()) << sv.messages.front();
    EXPECT_EQ(plan().settings().cloud, plan::CloudMode::Azure);
    EXPECT_EQ(w->cloudBox()->currentText(), QStringLiteral("Azure"));
    const plan::BlockId fe = plan().blockOf(net::Prefix{net::Address::v4(0xAC100000u), 24});
    ASSERT_NE(fe, plan::kNoBlock);
    EXPECT_EQ(plan().block(fe).name, "Front end");

    // Copied back out, the link decodes to the same tree and mode.
    trigger(w->exportMenu(), "actionCopyLink");
    const interchange::VscRead mineRead = interchange::readVscLink(sv.clipboard);
    const interchange::VscRead theirsRead = interchange::readVscLink(fixture("vsc_tool_link.txt"));
    ASSERT_TRUE(mineRead.tree) << mineRead.error;
    ASSERT_TRUE(theirsRead.tree) << theirsRead.error;
    const interchange::VscTree& mine = *mineRead.tree;
    const interchange::VscTree& theirs = *theirsRead.tree;
    EXPECT_EQ(mine.mode, theirs.mode);
    ASSERT_EQ(mine.blocks.size(), theirs.blocks.size());
    for (std::size_t i = 0; i < mine.blocks.size(); ++i) {
        EXPECT_EQ(net::formatNetwork(mine.blocks[i].prefix), net::formatNetwork(theirs.blocks[i].prefix));
        EXPECT_EQ(mine.blocks[i].name, theirs.blocks[i].name);
        EXPECT_EQ(mine.blocks[i].colour, theirs.blocks[i].colour);
    }
}

TEST_F(PlannerExchangeWindow, CloudModeChangesTheHostsColumnAndUndoes)
{
    ASSERT_TRUE(w->form().newPlan("10.9.0.0/23"));
    ASSERT_TRUE(w->form().split(plan().root(), 2));
    w->refresh();
    EXPECT_EQ(hostsOf("10.9.1.0/24"), QStringLiteral("254"));
    QComboBox* cloud = w->cloudBox();
    const int gcp = cloud->findText(QStringLiteral("Google Cloud"));
    ASSERT_GE(gcp, 0);
    cloud->setCurrentIndex(gcp);
    emit cloud->activated(gcp);
    EXPECT_EQ(plan().settings().cloud, plan::CloudMode::Gcp);
    EXPECT_EQ(hostsOf("10.9.1.0/24"), QStringLiteral("252"));
    EXPECT_TRUE(
        w->findChild<QLabel*>(QStringLiteral("plannerStatus"))->text().contains(QStringLiteral("Google Cloud")));
    QTest::keyClick(w->tree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(hostsOf("10.9.1.0/24"), QStringLiteral("254"));
    EXPECT_EQ(cloud->currentIndex(), 0);

    // Reserve from the block menu marks a free leaf; the mark shows checked.
    w->selectBlock(plan().blockOf(net::Prefix{net::Address::v4(0x0A090000u), 24}));
    trigger(w->contextMenu(), "actionReserve");
    EXPECT_EQ(plan().block(w->currentBlock()).state, plan::BlockState::Reserved);
    w->refresh();
    EXPECT_TRUE(action(w->contextMenu(), "actionReserve")->isChecked());
}

TEST_F(PlannerExchangeWindow, InUseListFromDiskAndNoneFromAFolder)
{
    ASSERT_TRUE(w->form().newPlan("192.168.0.0/16"));
    const QString list = dir.filePath(QStringLiteral("in-use.txt"));
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# routers\r\n192.168.10.0/24,core,rack 1\r\n192.168.10.128/25,clash\r\n192.168.64.0/18\r\n");
    }
    sv.fileNames.push_back(dir.path().toStdString());
    trigger(w->importMenu(), "actionImportInUse");
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("not a regular file"), std::string::npos) << sv.messages[0];
    EXPECT_EQ(plan().blockCount(), 1u);

    sv.fileNames.push_back(list.toStdString());
    trigger(w->importMenu(), "actionImportInUse");
    EXPECT_EQ(hostsOf("192.168.64.0/18"), QStringLiteral("16382"));
    EXPECT_NE(plan().block(plan().blockOf(net::Prefix{net::Address::v4(0xC0A84000u), 18})).state,
              plan::BlockState::Free);
    ASSERT_EQ(sv.messages.size(), 2u);
    EXPECT_NE(sv.messages[1].find("line 2: 192.168.10.0/24"), std::string::npos) << sv.messages[1];
    EXPECT_NE(sv.messages[1].find("line 3: 192.168.10.128/25"), std::string::npos) << sv.messages[1];
    QTest::keyClick(w->tree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(plan().blockCount(), 1u);
}

TEST(PlannerDialogs, IpamValuesTypedAreTrimmedAndTagsSplit)
{
    plan::IpamValues start;
    start.tenant = "acme";
    start.tags = {"prod"};
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("tenant"))->text(), QStringLiteral("acme"));
        d->findChild<QLineEdit*>(QStringLiteral("tags"))->setText(QStringLiteral(" prod , dc-1,, "));
        d->findChild<QLineEdit*>(QStringLiteral("section"))->setText(QStringLiteral("  Campus "));
        d->findChild<QLineEdit*>(QStringLiteral("vlanGroup"))->setText(QStringLiteral("Campus VLANs "));
        d->findChild<QLineEdit*>(QStringLiteral("site"))->setText(QStringLiteral("HQ"));
        if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
            d->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/planner_ipam_values.png"));
        d->accept();
    });
    const auto out = ipamValuesDialog(nullptr, start);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->tenant, "acme");
    EXPECT_EQ(out->tags, (std::vector<std::string>{"prod", "dc-1"}));
    EXPECT_EQ(out->section, "Campus");
    EXPECT_EQ(out->vlanGroup, "Campus VLANs");
    EXPECT_EQ(out->site, "HQ");
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(ipamValuesDialog(nullptr, start));  // closed: cancelled
}

// The disk's workbooks, whose reads wait at their 100th row until the test lets them on: so
// that the progress dialog is seen however fast the machine reads.
class GatedDisk : public DiskServices {
public:
    std::counting_semaphore<> gate{0};
    interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet) override
    {
        interchange::RecordSource rows = DiskServices::sheetRecords(path, sheet);
        rows.forEach = [this, inner = std::move(rows.forEach)](const interchange::RecordFn& fn) {
            std::size_t n = 0;
            return inner([&](const textio::CsvRecord& r) {
                if (++n == 100)
                    gate.acquire();
                return fn(r);
            });
        };
        return rows;
    }
};

// Import > In-use prefixes from a workbook of 3,000 rows: the progress tells the file and the
// rows read while the window waits; Esc cancels and leaves the plan as it was; let run, the
// rows are placed as one change.
TEST(PlannerReadAside, AWorkbookIsReadBehindAProgressThatCancels)
{
    QTemporaryDir dir;
    const std::string book = dir.filePath(QStringLiteral("used.xlsx")).toStdString();
    const xlsx::Workbook made =
        xlsx::writeWorkbook({{"Used", {{"prefix"}, {"name"}}, 3000, [](std::size_t i, std::vector<std::string>& cells) {
                                  cells = {"10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".0/24",
                                           "net " + std::to_string(i)};
                              }}});
    ASSERT_EQ(made.error, "");
    std::string error;
    ASSERT_TRUE(QtPlannerServices().writeFile(book, made.bytes, error)) << error;
    GatedDisk sv;
    Planner w(nullptr, &sv);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QAction* import = w.importMenu()->findChild<QAction*>(QStringLiteral("actionImportInUse"));
    ASSERT_NE(import, nullptr);
    for (const bool cancel : {true, false}) {
        QString seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* d = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible() || !d->labelText().endsWith(QStringLiteral("99 rows read")))
                return;
            seen = d->labelText();
            watch.stop();
            if (const QByteArray shots = qgetenv("MQ_SCREENSHOT_DIR"); !shots.isEmpty() && cancel)
                d->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/planner_read_progress.png"));
            if (cancel)
                QTest::keyClick(d, Qt::Key_Escape);
            sv.gate.release();
        });
        watch.start(20);
        const std::uint64_t revision = w.form().revision();
        sv.fileNames.push_back(book);
        import->trigger();
        EXPECT_EQ(seen, QStringLiteral("Reading used.xlsx...\n99 rows read"));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(sv.messages, std::vector<std::string>{});
        EXPECT_EQ(w.form().revision() != revision, !cancel);
        EXPECT_EQ(w.form().canUndo(), !cancel);
    }
    EXPECT_NE(w.form().plan().blockOf(net::Prefix{net::Address::v4(0x0A0BB700u), 24}), plan::kNoBlock);
    EXPECT_EQ(w.form().plan().block(w.form().plan().blockOf(net::Prefix{net::Address::v4(0x0A000100u), 24})).name,
              "net 1");
}

TEST_F(PlannerExchangeWindow, Screenshot)
{
    sv.pastes.push_back(fixture("vsc_tool_link.txt"));
    sv.prompts.push_back("172.16.0.0/22");
    trigger(w->importMenu(), "actionNewFromLink");
    w->tree()->expandAll();
    w->exportMenu()->popup(w->findChild<QPushButton*>(QStringLiteral("export"))->mapToGlobal(QPoint(0, 30)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->exportMenu()->isVisible(); }));
    const QImage shot = w->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty()) {
        shot.save(QString::fromLocal8Bit(d) + QStringLiteral("/planner_exchange.png"));
        w->exportMenu()->grab().save(QString::fromLocal8Bit(d) + QStringLiteral("/planner_export_menu.png"));
        w->exportMenu()->hide();
        w->importMenu()->popup(QPoint(0, 0));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->importMenu()->isVisible(); }));
        w->importMenu()->grab().save(QString::fromLocal8Bit(d) + QStringLiteral("/planner_import_menu.png"));
    }
    w->exportMenu()->hide();
    w->importMenu()->hide();
}

}  // namespace
}  // namespace mq::ui
