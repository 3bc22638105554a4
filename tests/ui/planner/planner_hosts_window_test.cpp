// The planner's Hosts tab and Subnet rules on the real widgets (offscreen): the tab by its
// key, sorting by a title click, the filter typed, a row selecting its block, Ctrl+C, the
// problems following the edits; the Subnet rules dialog refusing a bad offset.
#include "plan/document.h"
#include "planner/hosts_table.h"
#include "tests/planner/campus_plan.h"
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/hosts_table_model.h"
#include "ui/planner/plan_tree_model.h"
#include "ui/planner/planner.h"
#include "ui/planner/subnet_rules_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

class PlannerHostsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        sv.files["/campus.mqplan"] = plan::writeDocument(test::campusPlan());
        w = std::make_unique<Planner>(nullptr, &sv);
        w->resize(1240, 760);
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(w->openPlanFile("/campus.mqplan"));
        ASSERT_TRUE(w->form().addHosts(test::campusHosts(w->form().plan())));
        w->refresh();
    }
    void TearDown() override
    {
        w.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t->isVisible())
                ADD_FAILURE() << "top-level window left: " << t->metaObject()->className();
    }
    std::string hostCell(int row, int column) const
    {
        return w->hostsTable()->model()->index(row, column).data().toString().toStdString();
    }
    test::FakePlannerServices sv;
    std::unique_ptr<Planner> w;
};

TEST_F(PlannerHostsWindow, SortFilterSelectCopyAndProblems)
{
    QTest::keyClick(w.get(), Qt::Key_2, Qt::AltModifier);
    ASSERT_EQ(w->tablesTabs()->currentIndex(), 1);
    QTableView* hosts = w->hostsTable();
    EXPECT_EQ(hosts->model()->rowCount(), 10);
    EXPECT_EQ(hostCell(0, planner::HName), "gw-office");  // the plan's order first

    // A click on the IPv4 title: address order; again (Ctrl+Shift+O on a cell of its column,
    // from the keyboard): the other way.
    QHeaderView* header = hosts->horizontalHeader();
    const QPoint ipv4(header->sectionViewportPosition(planner::HIpv4) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipv4);
    EXPECT_EQ(hostCell(0, planner::HName), "ap-east");
    EXPECT_EQ(hostCell(3, planner::HName), "printer-10");
    hosts->setFocus();
    hosts->setCurrentIndex(hosts->model()->index(0, planner::HIpv4));
    QTest::keyClick(hosts, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(hostCell(0, planner::HName), "stray");

    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(w->hostsFilter()->hasFocus());
    QTest::keyClicks(w->hostsFilter(), "10.40.1.0/25");
    ASSERT_EQ(hosts->model()->rowCount(), 3);
    EXPECT_EQ(hostCell(0, planner::HName), "printer-2");  // still the other way round
    QTest::mouseClick(hosts->viewport(), Qt::LeftButton, {}, hosts->visualRect(hosts->model()->index(1, 1)).center());
    EXPECT_EQ(w->currentBlock(), test::segmentBlock(w->form().plan(), "office", net::Family::V4));
    hosts->setFocus();
    QTest::keyClick(hosts, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(sv.clipboard.substr(0, sv.clipboard.find('\n')),
              "Name\tIPv4\tIPv6\tMAC\tDUID\tRole\tBlock\tSegment\tNote");
    EXPECT_EQ(std::count(sv.clipboard.begin(), sv.clipboard.end(), '\n'), 4);

    // The problems follow every edit and its undo; one chosen selects its block.
    QListView* problems = w->problemsList();
    const int before = problems->model()->rowCount();
    EXPECT_EQ(before, static_cast<int>(plan::checkSubnets(w->form().plan()).size()));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("problemsTitle"))->text().toStdString(),
              planner::countText(static_cast<std::size_t>(before), "problem", "problems"));
    plan::Host twin = w->form().plan().hosts()[1];
    twin.name = "printer-3";
    ASSERT_TRUE(w->form().addHosts({twin}));  // printer-2's address and MAC again
    w->refresh();
    // Checked once the edits pause.
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("problemsTitle"))->text().toStdString(), "Checking...");
    QTRY_VERIFY(problems->model()->rowCount() > before);
    const QModelIndex last = problems->model()->index(problems->model()->rowCount() - 1, 0);
    const auto block = static_cast<plan::BlockId>(last.data(ProblemListModel::BlockRole).toULongLong());
    QTest::mouseClick(problems->viewport(), Qt::LeftButton, {}, problems->visualRect(last).center());
    if (w->form().plan().exists(block)) {
        EXPECT_EQ(w->currentBlock(), block);
    }
    QTest::keyClick(w->tree(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(problems->model()->rowCount(), before);
    EXPECT_EQ(w->hostsTable()->model()->rowCount(), 3);

    // The rules from the tool row, as one change.
    plan::LayoutRules rules;
    rules.gateway = plan::GatewayRule::FirstUsable;
    rules.kept = 2;
    sv.ruleAnswers.push_back(rules);
    w->findChild<QPushButton*>(QStringLiteral("subnetRules"))->click();
    EXPECT_EQ(w->form().plan().settings().layout, rules);
    QTest::keyClick(w.get(), Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(w->tablesTabs()->currentIndex(), 0);
    // Behind the Allocations tab the problems still follow the plan.
    const int hidden = problems->model()->rowCount();
    ASSERT_TRUE(w->form().addHosts({twin}));
    w->refresh();
    QTRY_VERIFY(problems->model()->rowCount() > hidden);
    EXPECT_EQ(w->tablesTabs()->currentIndex(), 0);
}

TEST_F(PlannerHostsWindow, Screenshot)
{
    w->showHosts();
    w->tree()->expandAll();
    QTest::mouseClick(w->hostsTable()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(w->hostsTable()->horizontalHeader()->sectionViewportPosition(planner::HBlock) + 5, 5));
    const QImage shot = w->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty())
        shot.save(QString::fromLocal8Bit(d) + QStringLiteral("/planner_hosts.png"));
}

TEST(SubnetRulesDialogTest, SaysWhatTheCloudFixesAndRefusesABadOffset)
{
    plan::LayoutRules start;
    start.range = plan::RangeRule::UpperHalf;
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        auto* fixed = d->findChild<QLabel*>(QStringLiteral("cloudFixed"));
        ASSERT_NE(fixed, nullptr);
        EXPECT_TRUE(fixed->text().startsWith(QStringLiteral("AWS fixes these")));
        auto* from = d->findChild<QLineEdit*>(QStringLiteral("rangeFrom"));
        EXPECT_FALSE(from->isEnabled());  // upper half: no offsets
        d->findChild<QComboBox*>(QStringLiteral("rangeRule"))->setCurrentIndex(2);
        EXPECT_TRUE(from->isEnabled());
        from->setText(QStringLiteral("1x\x1b"));
        d->findChild<QLineEdit*>(QStringLiteral("rangeTo"))->setText(QStringLiteral("200"));
        d->accept();
        auto* error = d->findChild<QLabel*>(QStringLiteral("rulesError"));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(error->text().toStdString(), "From offset \"1x\\x1b\" is no whole number (offsets count up from 0).");
        from->setText(QStringLiteral("100"));
        d->findChild<QComboBox*>(QStringLiteral("gatewayRule"))->setCurrentIndex(2);
        if (const QByteArray dir = qgetenv("MQ_SCREENSHOT_DIR"); !dir.isEmpty())
            d->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/planner_subnet_rules.png"));
        d->accept();
    });
    const auto out = subnetRulesDialog(nullptr, start, plan::CloudMode::Aws);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->gateway, plan::GatewayRule::LastUsable);
    EXPECT_EQ(out->range, plan::RangeRule::Offsets);
    EXPECT_EQ(out->rangeFrom, 100u);
    EXPECT_EQ(out->rangeTo, 200u);
    QTimer::singleShot(0, [] {
        auto* d = QApplication::activeModalWidget();
        EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("cloudFixed")), nullptr);  // no cloud, nothing fixed
        // The kept count takes in a gateway at the first usable address, and says so.
        auto* keptNote = d->findChild<QLabel*>(QStringLiteral("keptNote"));
        EXPECT_TRUE(keptNote && keptNote->text().contains(QStringLiteral("the gateway among them")));
        d->close();
    });
    EXPECT_FALSE(subnetRulesDialog(nullptr, start, plan::CloudMode::None));
}

}  // namespace
}  // namespace mq::ui
