// The plan's tree: splitting and joining, finding the leaf of an address and the block of a
// prefix, carving, and refusals that leave the plan as it was.
#include <gtest/gtest.h>

#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using test::P;

TEST(PlanTree, PartsTileTheirParentInAddressOrder)
{
    for (const char* root : {"10.0.0.0/8", "2001:db8::/32", "0.0.0.0/0", "::/0"}) {
        std::mt19937_64 rng(7);
        Plan plan(P(root));
        test::grow(plan, rng, 300);
        // Every split block's parts are equal, adjacent and exactly cover it.
        for (BlockId b : plan.preorder(plan.root())) {
            const Block& blk = plan.block(b);
            if (blk.children.empty())
                continue;
            net::u128 next = blk.prefix.address.value;
            for (BlockId c : blk.children) {
                const Block& child = plan.block(c);
                EXPECT_EQ(child.parent, b);
                EXPECT_EQ(child.prefix.length, plan.block(blk.children[0]).prefix.length);
                EXPECT_EQ(child.prefix.address.value, next) << net::formatNetwork(child.prefix);
                next = child.prefix.last().value + 1;
            }
            EXPECT_EQ(next - 1, blk.prefix.last().value);
        }
        // leafAt agrees with a plain search of the leaves, at both ends of each leaf.
        const auto leaves = plan.leaves();
        for (BlockId l : leaves) {
            EXPECT_EQ(plan.leafAt(plan.block(l).prefix.address), l);
            EXPECT_EQ(plan.leafAt(plan.block(l).prefix.last()), l);
        }
        EXPECT_EQ(plan.preorder(plan.root()).size(), plan.blockCount());
    }
}

TEST(PlanTree, JoinUndoesSplitAndReusedIdsHold)
{
    Plan plan(P("192.168.0.0/16"));
    Plan before = plan;
    ASSERT_EQ(plan.split(plan.root(), 4), "");
    const auto ids = plan.block(plan.root()).children;
    EXPECT_EQ(net::formatNetwork(plan.block(ids[3]).prefix), "192.168.192.0/18");
    ASSERT_EQ(plan.join(plan.root()), "");
    EXPECT_TRUE(plan == before);
    EXPECT_FALSE(plan.exists(ids[0]));
    ASSERT_EQ(plan.splitInto(plan.root(), ids), "");
    EXPECT_EQ(plan.block(plan.root()).children, ids);
    EXPECT_NE(plan.splitInto(ids[0], {ids[1], ids[2]}), "");  // live ids are not reused
    EXPECT_EQ(plan.leafAt(P("10.0.0.1").address), kNoBlock);
    EXPECT_EQ(plan.leafAt(P("::1").address), kNoBlock);
}

// blockOf finds every block under whichever root holds it; carve makes the block of a
// prefix by halving and regrouping, from a given block or from the root that holds it, and
// its journal takes it all back.
TEST(PlanTree, BlockOfAndCarveAcrossRoots)
{
    Plan base(P("10.0.0.0/16"));
    for (const char* root : {"2001:db8::/48", "192.168.0.0/24", "2001:db8:1::/48"})
        ASSERT_EQ(base.addRoot(P(root)), "");
    const BlockId lan = base.roots()[2];
    ASSERT_EQ(base.split(lan, 4), "");
    ASSERT_EQ(base.setAssigned(base.block(lan).children[3], true), "");  // 192.168.0.192/26
    for (BlockId r : base.roots())
        for (BlockId b : base.preorder(r))
            EXPECT_EQ(base.blockOf(base.block(b).prefix), b) << net::formatNetwork(base.block(b).prefix);
    EXPECT_EQ(base.blockOf(P("192.168.0.64/26")), base.block(lan).children[1]);  // host bits aside
    EXPECT_EQ(base.blockOf(P("192.168.0.0/25")), kNoBlock);  // spans two parts
    EXPECT_EQ(base.blockOf(P("10.0.0.0/17")), kNoBlock);  // inside a leaf

    struct Case {
        const char* prefix;
        const char* within;  // "" for the root that holds it
        const char* reason;
        std::size_t added, regrouped;
    };
    for (const Case& c : {
             Case{"10.0.3.0/24", "", "", 16, 0},
             Case{"2001:db8:1:ff00::/56", "", "", 16, 0},  // under the second IPv6 root
             Case{"2001:db8:1::/48", "", "", 0, 0},  // a root is its own block
             Case{"192.168.0.0/25", "", "", 2, 2},  // spans two parts: regrouped, the parts kept
             Case{"192.168.0.128/26", "192.168.0.0/24", "", 0, 0},
             Case{"192.168.0.192/27", "", "192.168.0.192/26 is assigned: free it before splitting it", 0, 0},
             Case{"172.16.0.0/24", "", "172.16.0.0/24 lies outside every root", 0, 0},
             Case{"10.0.3.0/24", "2001:db8::/48", "10.0.3.0/24 lies outside 2001:db8::/48", 0, 0},
         }) {
        Plan plan = base;
        Journal j;
        plan.startJournal(j);
        BlockId out = kNoBlock;
        std::vector<BlockId> regrouped;
        const BlockId within = *c.within ? plan.blockOf(P(c.within)) : kNoBlock;
        EXPECT_EQ(plan.carve(P(c.prefix), &out, within, &regrouped), c.reason) << c.prefix;
        plan.stopJournal();
        EXPECT_EQ(plan.blockCount(), base.blockCount() + c.added) << c.prefix;
        EXPECT_EQ(regrouped.size(), c.regrouped) << c.prefix;
        if (!*c.reason) {
            EXPECT_EQ(plan.block(out).prefix, P(c.prefix));
            EXPECT_EQ(plan.blockOf(P(c.prefix)), out);
        }
        plan.undo(j);
        EXPECT_TRUE(plan == base) << c.prefix;
    }
}

TEST(PlanTree, UsableAndSpareHosts)
{
    EXPECT_EQ(Plan::usableHosts(P("10.0.0.0/24")).low, 254u);
    EXPECT_EQ(Plan::usableHosts(P("10.0.0.0/31")).low, 2u);
    EXPECT_EQ(Plan::usableHosts(P("10.0.0.0/32")).low, 1u);
    EXPECT_EQ(Plan::usableHosts(P("2001:db8::/126")).low, 3u);
    EXPECT_EQ(Plan::usableHosts(P("::/0")).low, ~net::u128{0});  // all but the anycast address
    Plan plan(P("10.0.0.0/24"));
    ASSERT_EQ(plan.setAssigned(plan.root(), true, 200), "");
    EXPECT_EQ(plan.spareHosts(plan.root()).low, 54u);
}

struct Refusal {
    const char* what;
    std::string (*act)(Plan&);
    const char* reason;
};
void PrintTo(const Refusal& r, std::ostream* os)
{
    *os << r.what;
}
class PlanRefuses : public ::testing::TestWithParam<Refusal> { };
TEST_P(PlanRefuses, WithItsReasonAndNothingChanged)
{
    Plan plan(P("10.0.0.0/30"));
    ASSERT_EQ(plan.split(plan.root(), 2), "");
    ASSERT_EQ(plan.setAssigned(plan.block(plan.root()).children[0], true, 1), "");
    const Plan before = plan;
    EXPECT_NE(GetParam().act(plan).find(GetParam().reason), std::string::npos) << GetParam().act(plan);
    EXPECT_TRUE(plan == before);
}
INSTANTIATE_TEST_SUITE_P(
    All, PlanRefuses,
    ::testing::Values(
        Refusal{"split twice", [](Plan& p) { return p.split(0, 2); }, "10.0.0.0/30 is already split"},
        Refusal{"not 2^k", [](Plan& p) { return p.split(2, 3); }, "not 3"},
        Refusal{"one part", [](Plan& p) { return p.split(2, 1); }, "not 1"},
        Refusal{"too long", [](Plan& p) { return p.split(2, 4); }, "/33, longer than /32"},
        Refusal{"assigned", [](Plan& p) { return p.split(1, 2); }, "is assigned"},
        Refusal{"join assigned", [](Plan& p) { return p.join(0); }, "10.0.0.0/31 is assigned"},
        Refusal{"join leaf", [](Plan& p) { return p.join(2); }, "is not split"},
        Refusal{"no block", [](Plan& p) { return p.setName(9, "x"); }, "does not exist"},
        Refusal{"control", [](Plan& p) { return p.setName(2, "a\tb"); }, "control character (byte 2)"},
        Refusal{"utf8", [](Plan& p) { return p.setName(2, "\xC0\xAF"); }, "not valid UTF-8"},
        Refusal{"long", [](Plan& p) { return p.setNote(2, std::string(kMaxNoteBytes + 1, 'x')); }, "longer than"},
        Refusal{"colour", [](Plan& p) { return p.setColour(2, 0x1000000); }, "0xRRGGBB"},
        Refusal{"too many hosts", [](Plan& p) { return p.setAssigned(2, true, 3); }, "holds 2 hosts, not 3"},
        Refusal{"assign parent", [](Plan& p) { return p.setAssigned(0, true); }, "is split"}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& c : n)
            if (c == ' ' || c == '^')
                c = '_';
        return n;
    });

}  // namespace
}  // namespace mq::plan
