// The planner's Ctrl+E under X11 (run under Xvfb on the xcb platform, where a line edit binds
// Ctrl+E to the end of its line): Export is reached from the text boxes and a cell being
// typed, as from the tree, while a text box's own keys (Ctrl+Z) stay with it.
#include "tests/planner/fake_planner_services.h"
#include "ui/planner/planner.h"
#include "ui/planner/subnet_panel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <functional>

namespace mq::ui {
namespace {

TEST(PlannerKeysUnderX11, ExportIsReachedFromEveryTextBox)
{
    test::FakePlannerServices sv;
    auto w = std::make_unique<Planner>(nullptr, &sv);
    w->resize(1200, 820);
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    ASSERT_TRUE(w->form().newPlan("10.40.0.0/16"));
    ASSERT_TRUE(w->form().allocate(w->form().plan().root(), "staff, 100\n"));
    w->refresh();
    w->selectBlock(w->form().plan().leaves().front());
    w->refresh();
    w->lowerTabs()->setCurrentIndex(1);
    QSignalSpy exported(w->findChild<QAction*>(QStringLiteral("actionExport")), &QAction::triggered);
    auto focus = [](QWidget* box) {
        box->setFocus();
        return box;
    };
    const std::pair<const char*, std::function<QWidget*()>> places[] = {
        {"the tree", [&] { return focus(w->tree()); }},
        {"the hosts filter",
         [&] {
             w->showHosts();
             return focus(w->hostsFilter());
         }},
        {"the gateway box", [&] { return focus(w->subnetPanel()->findChild<QLineEdit*>(QStringLiteral("gateway"))); }},
        {"the segments", [&] { return focus(w->segmentsBox()); }},
        {"a host's cell being typed",
         [&] {
             auto* t = static_cast<QTableView*>(focus(w->subnetPanel()->hostTable()));
             t->setCurrentIndex(t->model()->index(0, 0));
             QTest::keyClick(t, Qt::Key_K);
             return QApplication::focusWidget();
         }},
    };
    int n = 0;
    for (const auto& [what, place] : places) {
        QWidget* box = place();
        ASSERT_EQ(QApplication::focusWidget(), box) << what;
        QTest::keyClick(box, Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(exported.count(), ++n) << what;
    }
    // Undo in a text box takes back its typing, not a change of the plan.
    QLineEdit* filter = w->hostsFilter();
    w->showHosts();
    filter->setFocus();
    QTest::keyClicks(filter, QStringLiteral("abc"));
    const std::uint64_t revision = w->form().revision();
    QTest::keyClick(filter, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(filter->text(), QString());
    EXPECT_EQ(w->form().revision(), revision);
    sv.answers.assign(2, planner::Answer::No);
}

}  // namespace
}  // namespace mq::ui
