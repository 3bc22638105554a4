// The Network Planner opened from the Tools menu on a 1280 x 1024 and a
// 1024 x 768 screen (one run on each, the offscreen platform told the size):
// every control in view, nothing scrolls sideways, a long message cut on
// screen and whole in its tool tip and for a screen reader.
#include "tests/planner/fake_planner_services.h"
#include "ui/frmMain/frm_main.h"
#include "ui/planner/planner.h"
#include "ui/planner/subnet_panel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

struct NoSettings : SettingsStore {
    void saveSetting(const QString&, const QString&, const QString&, const QString&) override { }
    QString getSetting(const QString&, const QString&, const QString&, const QString& d) const override { return d; }
};

TEST(PlannerOnScreen, EveryControlInViewAndLongMessagesCut)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (screen.width() < 1024 || screen.height() < 768)
        GTEST_SKIP() << "needs a screen of 1024 x 768 or more (QT_QPA_PLATFORM=offscreen:configfile=...)";
    NoSettings settings;
    CalculatorState state;
    test::FakePlannerServices sv;
    auto main = std::make_unique<FrmMain>(state, settings);
    main->registerWindow("planner", [&sv] { return new Planner(nullptr, &sv); });
    main->setGeometry(screen.adjusted(0, 0, 0, -64));  // a window manager's title bar and a panel
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    for (QAction* a : main->menuBar()->findChild<QMenu*>("mnuTools")->actions())
        if (a->objectName() == QLatin1String("mnuTools_planner"))
            a->trigger();
    auto* p = qobject_cast<Planner*>(main->findWindow("planner"));
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->form().newPlan("10.40.0.0/20, 2001:db8:40::/48"));
    ASSERT_TRUE(p->form().allocate(p->form().plan().root(), "servers, 500\nusers, 1000\n"));
    const std::string longName = "core-" + std::string(plan::kMaxNameBytes - 5, 'x');
    ASSERT_TRUE(p->form().rename(p->form().allocatedBlocks().front(), longName));
    p->refresh();
    p->selectBlock(p->form().allocatedBlocks().front());
    p->refresh();

    const QWidget* area = main->mdiArea()->viewport();
    auto inView = [area](const QWidget* c) {
        return area->rect().contains(QRect(c->mapTo(area, QPoint()), c->size()));
    };
    EXPECT_TRUE(inView(main->subWindow("planner")));
    EXPECT_FALSE(main->mdiArea()->horizontalScrollBar()->isVisible());
    int controls = 0;
    for (QWidget* c : p->findChildren<QWidget*>()) {
        if (!c->isVisibleTo(p) || c->objectName().startsWith(QLatin1String("qt_")) ||
            !(qobject_cast<QAbstractButton*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractItemView*>(c) ||
              (c->focusPolicy() & Qt::TabFocus) || qobject_cast<QLabel*>(c)))
            continue;
        ++controls;
        EXPECT_TRUE(inView(c)) << c->objectName().toStdString();
        EXPECT_GE(c->width(), qobject_cast<QAbstractButton*>(c) ? c->minimumSizeHint().width() : 1)
            << c->objectName().toStdString() << " squeezed";
    }
    EXPECT_GE(controls, 30);
    auto* status = p->findChild<QLabel*>("plannerStatus");
    EXPECT_NE(status->text().toStdString().find(longName), std::string::npos);
    QTextDocument tip;  // the tool tip as Qt shows it: the whole text
    tip.setHtml(status->toolTip());
    EXPECT_EQ(tip.toPlainText(), status->text());
    EXPECT_TRUE(status->accessibleName().isEmpty()) << "a name would hide the text from a screen reader";

    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty())
        main->grab().save(QStringLiteral("%1/planner_%2x%3.png")
                              .arg(QString::fromLocal8Bit(d))
                              .arg(screen.width())
                              .arg(screen.height()));

    // Inside a block of a dozen dual-stack hosts: whole IPv6 addresses, and rows enough to
    // work in (a 1024 x 768 screen has less room to give).
    p->lowerTabs()->setCurrentIndex(1);
    planner::SubnetForm& subnet = p->subnetPanel()->form();
    std::string rows;
    for (int k = 1; k <= 12; ++k)
        rows += "host-" + std::to_string(k) + "\tnext\t2001:db8:40:0:a0b0:c0d0:e0f0:" + std::to_string(k) + "\n";
    ASSERT_TRUE(subnet.paste(rows));
    p->refresh();
    QApplication::processEvents();
    QTableView* hosts = p->subnetPanel()->hostTable();
    const int shown = hosts->viewport()->height() / hosts->verticalHeader()->defaultSectionSize();
    EXPECT_GE(shown, screen.height() >= 1024 ? 10 : 5) << "rows of the hosts of the block in view";
    const QString v6 = hosts->model()->index(0, planner::HostV6).data().toString();
    EXPECT_GE(hosts->columnWidth(planner::HostV6), hosts->fontMetrics().horizontalAdvance(v6)) << v6.toStdString();
    EXPECT_TRUE(inView(hosts));
    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty())
        main->grab().save(QStringLiteral("%1/planner_subnet_%2x%3.png")
                              .arg(QString::fromLocal8Bit(d))
                              .arg(screen.width())
                              .arg(screen.height()));
    sv.answers.assign(2, planner::Answer::No);
}

}  // namespace
}  // namespace mq::ui
