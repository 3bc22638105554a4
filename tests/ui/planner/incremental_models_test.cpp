// The tree and the allocations table updated edit by edit (from the plan's list
// of edited blocks) show what models made afresh show, through random edits,
// undo and redo, with a Qt model tester watching every signal they send.
#include "tests/planner/random_edits.h"
#include "ui/planner/allocation_table_model.h"
#include "ui/planner/plan_tree_model.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace mq::ui {
namespace {

// Every row the model has told under `parent`, as text, parents before parts.
void dump(const QAbstractItemModel& m, const QModelIndex& parent, QStringList& out)
{
    for (int r = 0; r < m.rowCount(parent); ++r) {
        QStringList cells;
        for (int c = 0; c < m.columnCount(parent); ++c)
            cells << m.index(r, c, parent).data().toString();
        out << cells.join(QLatin1Char('|'));
        dump(m, m.index(r, 0, parent), out);
    }
}

// Each told block's row as text, by block.
void texts(const PlanTreeModel& m, const QModelIndex& parent, std::map<plan::BlockId, QString>& out)
{
    for (int r = 0; r < m.rowCount(parent); ++r) {
        QString t;
        for (int c = 0; c < m.columnCount(parent); ++c)
            t += m.index(r, c, parent).data().toString() + u'|';
        out[PlanTreeModel::blockOf(m.index(r, 0, parent))] = t;
        texts(m, m.index(r, 0, parent), out);
    }
}

QStringList rows(const QAbstractItemModel& m)
{
    QStringList out;
    dump(m, {}, out);
    return out;
}

TEST(IncrementalModels, TreeAndTableMatchFreshOnesAfterRandomEdits)
{
    // One root; two of a family, not in address order; both families, whose rows pair by name.
    const char* roots[] = {"10.0.0.0/22", "10.8.0.0/23, 10.0.0.0/23", "10.0.0.0/23, 2001:db8::/58"};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        test::FakePlannerServices sv;
        planner::PlannerForm form(sv);
        form.newPlan(roots[seed % 3]);
        PlanTreeModel tree(form);
        AllocationTableModel table;
        table.setPlan(form.plan());
        QAbstractItemModelTester treeTester(&tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QAbstractItemModelTester tableTester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
        // Rows the tree said changed: a view repaints those only.
        std::set<plan::BlockId> told;
        QObject::connect(&tree, &QAbstractItemModel::dataChanged, [&](const QModelIndex& a, const QModelIndex& b) {
            for (int r = a.row(); r <= b.row(); ++r)
                told.insert(PlanTreeModel::blockOf(a.siblingAtRow(r)));
        });
        std::map<plan::BlockId, QString> before;
        std::mt19937 rng(seed);
        for (int step = 0; step < 120; ++step) {
            test::randomEdit(form, sv, rng);
            if (rng() % 3 == 0)  // several edits between two updates, too
                continue;
            told.clear();
            tree.sync();
            table.setPlan(form.plan());
            std::map<plan::BlockId, QString> after;
            texts(tree, {}, after);
            for (const auto& [id, text] : after)
                if (before.count(id) && before[id] != text) {
                    ASSERT_TRUE(told.count(id)) << "block " << id << " changed unreported, step " << step;
                }
            before = std::move(after);
            // The views have opened every part (dump asks for all), as the fresh tree will.
            PlanTreeModel freshTree(form);
            AllocationTableModel freshTable;
            freshTable.setPlan(form.plan());
            ASSERT_EQ(rows(tree), rows(freshTree)) << "seed " << seed << ", step " << step;
            ASSERT_EQ(rows(table), rows(freshTable)) << "seed " << seed << ", step " << step;
            for (int r = 0; r < table.rowCount(); ++r)
                ASSERT_EQ(table.index(r, 0).data(AllocationTableModel::BlockRole),
                          freshTable.index(r, 0).data(AllocationTableModel::BlockRole));
        }
    }
}

}  // namespace
}  // namespace mq::ui
