// The planner's subnet panel on its real widgets (offscreen): a campus plan's block chosen
// in the tree, a host typed into the table and seen in the picture's counts, a refused cell
// opened again with what was typed, Undo through the planner, and the panel's screenshot.
#include "plan/allocations.h"
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/planner.h"
#include "ui/planner/subnet_panel.h"
#include "ui/planner/subnet_picture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace mq::ui {
namespace {

using net::Family;

// Types text into the cell as a user does (the key starts the editor) and presses Enter.
void typeInto(QTableView* table, int row, int column, const QString& text)
{
    table->setFocus();
    table->setCurrentIndex(table->model()->index(row, column));
    QTest::keyClicks(table, text.left(1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the text in a queued call, and the panel follows the edit in another.
    QApplication::processEvents();
    QApplication::processEvents();
}

// A campus: gateways first usable, DHCP in the upper half, IPv6 by SLAAC and DHCPv6; the
// IPv4 block of its staff segment, or kNoBlock.
plan::BlockId campusPlan(planner::PlannerForm& form)
{
    EXPECT_TRUE(form.newPlan("10.40.0.0/16, 2001:db8:40::/48"));
    plan::Settings s = form.plan().settings();
    s.layout.gateway = plan::GatewayRule::FirstUsable;
    s.layout.kept = 2;
    s.layout.range = plan::RangeRule::UpperHalf;
    s.layout.dhcp6 = plan::Dhcp6Mode::Both;
    EXPECT_TRUE(form.setSettings(s));
    EXPECT_TRUE(form.allocate(form.plan().root(), "staff, 100, vlan 10\nprinters, 20, vlan 20\nservers, 30, "
                                                  "vlan 30\nwifi, 200, vlan 40\n"));
    plan::BlockId staff = plan::kNoBlock;
    for (const plan::AllocationRow& r : plan::allocationRows(form.plan()))
        if (form.plan().block(r.v4).name == "staff")
            staff = r.v4;
    return staff;
}

TEST(SubnetPanelWindow, TypedHostShowsInTableAndCountsAndUndoes)
{
    test::FakePlannerServices sv;
    auto w = std::make_unique<Planner>(nullptr, &sv);
    w->resize(1200, 820);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const plan::BlockId staff = campusPlan(w->form());
    ASSERT_NE(staff, plan::kNoBlock);
    w->refresh();  // the tree holds the new blocks
    w->selectBlock(staff);
    w->refresh();
    SubnetPanel* panel = w->subnetPanel();
    w->lowerTabs()->setCurrentIndex(1);
    planner::SubnetForm& subnet = panel->form();
    ASSERT_TRUE(subnet.active());
    ASSERT_NE(subnet.block(Family::V6), plan::kNoBlock);
    ASSERT_TRUE(subnet.paste("host name\trole\tipv4\tipv6\tmac\tnote\n"
                             "sw-core-1\trouter\tnext\t::2\t\tstack master\n"
                             "ap-hall\taccess point\tnext\teui64\t00:1b:63:84:45:e6\tceiling, hall\n"
                             "ap-lab\taccess point\tnext\teui64\t001b.6384.45e7\t\n"
                             "prn-2\tprinter\t\t\t0011.2233.4455\tsecond floor\n"
                             "cam-door\tcamera\tnext\t\t\tentrance\n"
                             "nas-1\tserver\tnext\t::10\t\t\n"
                             "desk-ops\tother\tnext\t\t\t\n"
                             "voip-gw\tgateway\tnext\t::3\t\tSIP trunk\n"
                             "spare-1\treserved\tnext\t\t\tkept for the lab\n"));
    ASSERT_TRUE(subnet.addRange(Family::V6, "::1000-::1fff"));
    w->refresh();
    QTableView* table = panel->hostTable();
    ASSERT_EQ(table->model()->rowCount(), 10);  // nine hosts and the row to type a new one into

    const QString before = panel->picture()->accessibleDescription();
    const std::size_t statics = subnet.counts(Family::V4).statics;
    EXPECT_EQ(statics, 11u);  // the gateway, one more kept address and nine hosts
    typeInto(table, 9, planner::HostName, QStringLiteral("lab-pc"));
    ASSERT_EQ(table->model()->rowCount(), 11);
    EXPECT_EQ(table->model()->index(9, planner::HostName).data().toString(), QStringLiteral("lab-pc"));
    EXPECT_FALSE(table->model()->index(9, planner::HostV4).data().toString().isEmpty());
    const QString after = panel->picture()->accessibleDescription();

    EXPECT_TRUE(before.contains(QStringLiteral(" 11 static"))) << before.toStdString();
    EXPECT_TRUE(after.contains(QStringLiteral(" 12 static"))) << after.toStdString();
    EXPECT_TRUE(after.contains(QStringLiteral("; gateway ") + QString::fromStdString(subnet.gatewayText(Family::V4))))
        << after.toStdString();

    // A MAC that does not read: the reason in the status line, the cell open again with it.
    typeInto(table, 9, planner::HostMac, QStringLiteral("00:11:zz"));
    auto* status = panel->findChild<QLabel*>(QStringLiteral("subnetStatus"));
    EXPECT_TRUE(status->text().contains(QStringLiteral("MAC \"00:11:zz\""))) << status->text().toStdString();
    QApplication::processEvents();
    auto* again = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text(), QStringLiteral("00:11:zz"));
    QTest::keyClick(again, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(status->text(), QString()) << "the refusal given up with Esc";

    // Undo of the planner takes the typed host back; the table and the picture follow.
    w->undo();
    EXPECT_EQ(table->model()->rowCount(), 10);
    EXPECT_EQ(panel->picture()->accessibleDescription(), before);

    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty()) {
        ASSERT_TRUE(subnet.setCell(9, planner::HostName, "lab-pc"));
        w->refresh();
        table->resizeColumnsToContents();
        w->grab().save(QStringLiteral("%1/planner_subnet_panel.png").arg(QString::fromLocal8Bit(d)));
        panel->familyBox()->setCurrentIndex(1);
        emit panel->familyBox()->activated(1);
        w->grab().save(QStringLiteral("%1/planner_subnet_panel_v6.png").arg(QString::fromLocal8Bit(d)));
    }
    sv.answers.assign(2, planner::Answer::No);
    w.reset();
    for (QWidget* t : QApplication::topLevelWidgets())
        EXPECT_FALSE(t->isVisible()) << "top-level window left: " << t->metaObject()->className();
}

// A refused text goes with Esc or with the block it was typed for; the block chosen in the
// tree (an IPv6 one, as a problem of an IPv6 host chooses) decides the family shown; the
// kept count says what it comes to.
TEST(SubnetPanelWindow, RefusalsGoWithEscOrTheBlockAndTheChosenFamilyShows)
{
    test::FakePlannerServices sv;
    auto w = std::make_unique<Planner>(nullptr, &sv);
    w->resize(1200, 820);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const plan::BlockId staff = campusPlan(w->form());
    w->refresh();
    w->lowerTabs()->setCurrentIndex(1);
    w->selectBlock(staff);
    w->refresh();
    SubnetPanel* panel = w->subnetPanel();
    auto* kept = panel->findChild<QLineEdit*>(QStringLiteral("kept"));
    auto* status = panel->findChild<QLabel*>(QStringLiteral("subnetStatus"));
    EXPECT_EQ(panel->findChild<QLabel*>(QStringLiteral("keptNote"))->text(),
              QStringLiteral("plan's rule: 2, the gateway among them"));
    auto refuseKept = [&] {
        kept->setFocus();
        QTest::keyClicks(kept, QStringLiteral("lots"));
        QTest::keyClick(kept, Qt::Key_Return);
        ASSERT_TRUE(status->text().contains(QStringLiteral("\"lots\""))) << status->text().toStdString();
        ASSERT_EQ(kept->text(), QStringLiteral("lots"));
    };
    refuseKept();
    QTest::keyClick(kept, Qt::Key_Escape);
    EXPECT_EQ(status->text(), QString());
    EXPECT_EQ(kept->text(), QString());  // the block follows the rule
    refuseKept();
    plan::BlockId printers = plan::kNoBlock, staff6 = plan::kNoBlock;
    for (const plan::AllocationRow& r : plan::allocationRows(w->form().plan())) {
        if (w->form().plan().block(r.v4).name == "printers")
            printers = r.v4;
        if (r.v4 == staff)
            staff6 = r.v6;
    }
    w->selectBlock(printers);
    w->refresh();
    EXPECT_EQ(status->text(), QString());
    EXPECT_EQ(kept->text(), QString());

    ASSERT_NE(staff6, plan::kNoBlock);
    w->selectBlock(staff6);
    w->refresh();
    EXPECT_EQ(panel->familyBox()->currentText(),
              QString::fromStdString(planner::prefixText(w->form().plan().block(staff6).prefix)));
    sv.answers.assign(2, planner::Answer::No);
}

// The planner with the staff block of the campus shown in the subnet panel, active, so that
// keys go where the focus is.
std::unique_ptr<Planner> staffShown(test::FakePlannerServices& sv, plan::BlockId& staff)
{
    auto w = std::make_unique<Planner>(nullptr, &sv);
    w->resize(1200, 820);
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    staff = campusPlan(w->form());
    w->refresh();
    w->lowerTabs()->setCurrentIndex(1);
    w->selectBlock(staff);
    w->refresh();
    return w;
}

// Each key to whatever has the focus, as a keyboard sends it; the queued edits run after each
// Tab and Return.
void keys(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
}

// Hosts typed one after another: Return goes on to the next new-host row, Tab from a new
// host's name to its address, typed over.
TEST(SubnetPanelWindow, HostsTypedOneAfterAnotherWithReturnAndTab)
{
    test::FakePlannerServices sv;
    plan::BlockId staff = plan::kNoBlock;
    auto w = staffShown(sv, staff);
    QTableView* table = w->subnetPanel()->hostTable();
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, planner::HostName));  // the new-host row
    net::Address fixed = w->form().plan().block(staff).prefix.address;
    fixed.value += 40;
    keys(QStringLiteral("kiosk1"));
    press(Qt::Key_Return);
    keys(QStringLiteral("kiosk2"));
    press(Qt::Key_Return);
    keys(QStringLiteral("kiosk3"));
    press(Qt::Key_Tab);
    keys(QString::fromStdString(net::format(fixed)));
    press(Qt::Key_Return);
    keys(QStringLiteral("kiosk4"));
    press(Qt::Key_Return);
    std::vector<std::string> typed;
    for (const plan::Host& h : w->form().plan().hosts())
        typed.push_back(h.name + (h.v4 == fixed ? " at the address typed" : ""));
    EXPECT_EQ(typed, (std::vector<std::string>{"kiosk1", "kiosk2", "kiosk3 at the address typed", "kiosk4"}));
    EXPECT_EQ(table->currentIndex(), table->model()->index(4, planner::HostName));
    sv.answers.assign(2, planner::Answer::No);
}

// Tab leaves each table, from a cell and from an existing host's editor, instead of going
// round its cells.
TEST(SubnetPanelWindow, TabLeavesEveryTable)
{
    test::FakePlannerServices sv;
    plan::BlockId staff = plan::kNoBlock;
    auto w = staffShown(sv, staff);
    ASSERT_TRUE(w->subnetPanel()->form().addHost());
    w->refresh();
    QTableView* block = w->subnetPanel()->hostTable();
    struct Case {
        const char* what;
        std::function<QTableView*()> focus;  // the table, with the focus in it
    };
    auto atFirstCell = [](QTableView* t) {
        t->setFocus();
        t->setCurrentIndex(t->model()->index(0, 0));
        return t;
    };
    const Case cases[] = {
        {"the allocations", [&] { return atFirstCell(w->allocationsTable()); }},
        {"the hosts of the block", [&] { return atFirstCell(block); }},
        {"a host's name being edited",
         [&] {
             atFirstCell(block);
             press(Qt::Key_F2);
             return block;
         }},
        {"the plan's hosts",
         [&] {
             w->showHosts();
             return atFirstCell(w->hostsTable());
         }},
    };
    for (const Case& c : cases) {
        QTableView* t = c.focus();
        ASSERT_TRUE(QApplication::focusWidget() == t || t->isAncestorOf(QApplication::focusWidget())) << c.what;
        press(Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        EXPECT_TRUE(now && now != t && !t->isAncestorOf(now)) << c.what;
    }
    EXPECT_EQ(w->form().plan().hosts().size(), 1u);  // the editor left committed nothing new
    sv.answers.assign(2, planner::Answer::No);
}

}  // namespace
}  // namespace mq::ui
