// The Network Planner opened from the Tools menu on a 1280 x 1024 and a
// 1024 x 768 screen (the offscreen platform given the screen's size, one run
// for each): every control lies in view, nothing scrolls sideways, and a
// long message is cut where it is drawn, whole in its tool tip.
#include "tests/planner/fake_planner_services.h"
#include "ui/frmMain/frm_main.h"
#include "ui/planner/planner.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace mq::ui {
namespace {

struct NoSettings : SettingsStore {
    void saveSetting(const QString&, const QString&, const QString&, const QString&) override {}
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
    // Room left for a window manager's title bar and a panel.
    main->setGeometry(screen.adjusted(0, 0, 0, -64));
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    for (QAction* a : main->menuBar()->findChild<QMenu*>("mnuTools")->actions())
        if (a->objectName() == QLatin1String("mnuTools_planner"))
            a->trigger();
    auto* p = qobject_cast<Planner*>(main->findWindow("planner"));
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->form().newPlan("10.40.0.0/20, 2001:db8:40::/48"));
    ASSERT_TRUE(p->form().allocate(p->form().plan().root(), "servers, 500\nusers, 1000\nvoice, 250\n"));
    const plan::BlockId named = p->form().allocatedBlocks().front();
    const std::string longName = "core-" + std::string(plan::kMaxNameBytes - 5, 'x');
    ASSERT_TRUE(p->form().rename(named, longName));
    p->refresh();
    p->selectBlock(named);
    p->refresh();
    p->tree()->expandAll();
    QApplication::processEvents();

    QMdiArea* mdi = main->mdiArea();
    const QRect area = mdi->viewport()->rect();
    QMdiSubWindow* sub = main->subWindow("planner");
    EXPECT_TRUE(area.contains(QRect(sub->mapTo(mdi->viewport(), QPoint(0, 0)), sub->size())))
        << sub->width() << "x" << sub->height() << " in " << area.width() << "x" << area.height();
    EXPECT_FALSE(mdi->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(mdi->verticalScrollBar()->isVisible());
    int controls = 0;
    for (QWidget* c : p->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QComboBox*>(c) ||
                             qobject_cast<QAbstractItemView*>(c) || qobject_cast<QPlainTextEdit*>(c) ||
                             c->objectName() == QLatin1String("plannerStatus") ||
                             c->objectName() == QLatin1String("allocateTarget") ||
                             c->objectName() == QLatin1String("allocationMap");
        if (!control || !c->isVisibleTo(p) || c->objectName().startsWith(QLatin1String("qt_")))
            continue;
        ++controls;
        const QRect at(c->mapTo(mdi->viewport(), QPoint(0, 0)), c->size());
        EXPECT_TRUE(area.contains(at)) << c->objectName().toStdString() << " at " << at.x() << "," << at.y() << " "
                                       << at.width() << "x" << at.height();
        if (qobject_cast<QAbstractButton*>(c)) {
            EXPECT_GE(c->width(), c->minimumSizeHint().width()) << c->objectName().toStdString() << " squeezed";
        }
    }
    EXPECT_GE(controls, 25);
    // The status line names the long block, cut on screen and whole for a reader.
    auto* status = p->findChild<QLabel*>("plannerStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_NE(status->text().toStdString().find(longName), std::string::npos);
    EXPECT_EQ(status->toolTip(), status->text());
    EXPECT_TRUE(status->accessibleName().isEmpty()) << "a name would hide the text from a screen reader";
    auto* target = p->findChild<QLabel*>("allocateTarget");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->toolTip(), target->text());

    if (const QByteArray d = qgetenv("MQ_SCREENSHOT_DIR"); !d.isEmpty())
        main->grab().save(QString::fromLocal8Bit(d) + QStringLiteral("/planner_%1x%2.png")
                                                          .arg(screen.width())
                                                          .arg(screen.height()));
    p->form().queryClose();
    sv.answers.assign(2, planner::Answer::No);
}

}  // namespace
}  // namespace mq::ui
