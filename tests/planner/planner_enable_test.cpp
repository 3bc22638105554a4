// What the planner offers for each kind of block: the rules behind the
// window's Split, Assign, Free, Join and Reserve.
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

#include <vector>

namespace mq::planner {
namespace {

using plan::BlockId;

TEST(PlannerFormEdits, EachKindOfBlockOffersItsOwn)
{
    test::FakePlannerServices sv;
    PlannerForm unsplit{sv};
    ASSERT_TRUE(unsplit.newPlan("10.9.0.0/24"));
    // 10.0.0.0/24 in quarters: the first halved and left free, the second
    // halved with its first half assigned, the third assigned, the fourth reserved.
    PlannerForm form{sv};
    ASSERT_TRUE(form.newPlan("10.0.0.0/24"));
    const plan::Plan& p = form.plan();
    ASSERT_TRUE(form.split(p.root(), 4));
    const auto part = [&p](BlockId id, std::size_t i) { return p.block(id).children.at(i); };
    ASSERT_TRUE(form.split(part(p.root(), 0), 2));
    ASSERT_TRUE(form.split(part(p.root(), 1), 2));
    ASSERT_TRUE(form.assign(part(part(p.root(), 1), 0), "servers, 10"));
    ASSERT_TRUE(form.assign(part(p.root(), 2), "users, 20"));
    ASSERT_TRUE(form.reserve(part(p.root(), 3)));
    ASSERT_TRUE(sv.messages.empty());

    struct Row {
        const char* kind;
        BlockId id;
        bool split, assign, free, join, reserve, reserved;
        BlockId joined;
    };
    const BlockId root = p.root(), freeParts = part(root, 0), usedParts = part(root, 1);
    const BlockId freeLeaf = part(freeParts, 1), assigned = part(root, 2), reserved = part(root, 3);
    const Row rows[] = {
        {"root with parts", root, false, false, false, true, false, false, root},
        {"free leaf", freeLeaf, true, true, false, true, true, false, freeParts},
        {"assigned leaf", assigned, false, false, true, true, true, false, root},
        {"reserved leaf", reserved, false, false, true, true, true, true, root},
        {"container with free parts", freeParts, false, false, false, true, false, false, freeParts},
        {"container with assigned parts", usedParts, false, false, false, true, false, false, usedParts},
        {"no such block", plan::kNoBlock, false, false, false, false, false, false, plan::kNoBlock},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        EXPECT_EQ(form.canSplit(r.id), r.split);
        EXPECT_EQ(form.canAssign(r.id), r.assign);
        EXPECT_EQ(form.canFree(r.id), r.free);
        EXPECT_EQ(form.canJoin(r.id), r.join);
        EXPECT_EQ(form.canReserve(r.id), r.reserve);
        EXPECT_EQ(form.isReserved(r.id), r.reserved);
        EXPECT_EQ(form.joinedBlock(r.id), r.joined);
    }
    // A root alone is a free leaf with nothing to join.
    const BlockId alone = unsplit.plan().root();
    EXPECT_TRUE(unsplit.canSplit(alone) && unsplit.canAssign(alone) && unsplit.canReserve(alone));
    EXPECT_FALSE(unsplit.canFree(alone) || unsplit.canJoin(alone));
    EXPECT_EQ(unsplit.joinedBlock(alone), alone);
}

}  // namespace
}  // namespace mq::planner
