// The map index kept up to date edit by edit places every leaf as one made
// afresh does, through random edits, undo and redo, and a split into more
// parts than the plan lists as edited.
#include "planner/map_index.h"
#include "tests/planner/random_edits.h"

#include <gtest/gtest.h>

namespace mq::planner {
namespace {

void expectSame(const MapIndex& updated, const plan::Plan& p)
{
    MapIndex fresh;
    fresh.rebuild(p);
    ASSERT_EQ(updated.leafCount(), fresh.leafCount());
    for (std::size_t i = 0; i < fresh.leafCount(); ++i) {
        ASSERT_EQ(updated.leaf(i), fresh.leaf(i)) << "leaf " << i;
        const auto [start, size] = MapIndex::extent(p, fresh.leaf(i));
        ASSERT_EQ(updated.indexAt(start), i);
        ASSERT_EQ(updated.indexAt(start + size / 2), i);
    }
    const auto a = updated.spans(997, 0, 997), b = fresh.spans(997, 0, 997);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(a[i].from == b[i].from && a[i].to == b[i].to && a[i].id == b[i].id && a[i].mixed == b[i].mixed);
}

TEST(MapIndexUpdate, MatchesARebuildAfterRandomEdits)
{
    // One root; two of a family (edits under the other are not drawn); both families.
    const char* roots[] = {"10.0.0.0/20", "10.0.0.0/22, 10.8.0.0/22", "10.0.0.0/22, 2001:db8::/56"};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        test::FakePlannerServices sv;
        PlannerForm form(sv);
        form.newPlan(roots[seed % 3]);
        MapIndex index;
        index.rebuild(form.plan());
        std::mt19937 rng(seed);
        for (int step = 0; step < 150; ++step) {
            test::randomEdit(form, sv, rng);
            if (rng() % 3 == 0)  // several edits between two updates, too
                continue;
            index.update(form.plan(), form.plan().root());
            ASSERT_NO_FATAL_FAILURE(expectSame(index, form.plan())) << "seed " << seed << ", step " << step;
        }
    }
}

TEST(MapIndexUpdate, MoreEditsThanThePlanListsAndAnotherPlanRebuild)
{
    test::FakePlannerServices sv;
    PlannerForm form(sv);
    form.newPlan("10.0.0.0/8");
    MapIndex index;
    index.rebuild(form.plan());
    form.split(form.plan().root(), plan::kMaxSplitParts);  // more blocks than Plan::kMaxChanges
    form.split(form.plan().block(form.plan().root()).children[7], 4);
    index.update(form.plan(), form.plan().root());
    expectSame(index, form.plan());
    form.undo();
    form.undo();
    index.update(form.plan(), form.plan().root());
    expectSame(index, form.plan());
    // A plan opened in its place: its list of edits names nothing of the old one.
    form.newPlan("192.168.0.0/16");
    form.split(form.plan().root(), 2);
    index.update(form.plan(), form.plan().root());
    expectSame(index, form.plan());
}

}  // namespace
}  // namespace mq::planner
