// Undo and redo: every command, in random sequences, walks back and forth through the very
// states it passed (ids included, so later commands keep naming the right blocks).
#include <gtest/gtest.h>

#include "plan/commands.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using test::P;

std::unique_ptr<Command> randomCommand(const Plan& plan, std::mt19937_64& rng)
{
    const auto all = plan.preorder(plan.root());
    const BlockId b = all[rng() % all.size()];
    switch (rng() % 13) {
    case 12: {  // output settings, now and then ones no configuration can be written with
        OutputSettings s;
        s.domain = rng() % 4 ? "d" + std::to_string(rng() % 9) + ".example" : "bad..example";
        s.ttl = static_cast<std::uint32_t>(rng() % 5000);
        s.zoneCut4 = rng() % 3 ? 24 : 16;
        return makeSetOutputSettings(s);
    }
    case 11: {  // a prefix somewhere under a random block, as found in use on the network
        const net::Prefix at = plan.block(b).prefix;
        const int len = std::min(at.address.bits(), at.length + static_cast<int>(rng() % 4));
        const net::u128 offset = len == at.length ? 0
                                                  : (static_cast<net::u128>(rng()) << (at.address.bits() - len)) &
                                                        ~net::maskOf(at.address.family, at.length);
        return makeImport({{net::Prefix{{at.address.value + offset, at.address.family}, len}, "in use"}});
    }
    case 5:
    case 7: return makeFree(b);
    case 8: return makeAssign(b, {"h" + std::to_string(rng() % 9), rng() % 3, 10.0, "n", static_cast<int>(rng() % 5)});
    case 9: return makeTidy(plan.roots());
    case 10: return makeAllocate(plan.roots(), {{"d", 1 + rng() % 3}, {"e", 1, 0, 30}});
    case 0: return makeSplit(b, 1 << (1 + rng() % 2));
    case 1: return makeJoin(plan.block(b).parent == kNoBlock ? b : plan.block(b).parent);
    case 2: return makeRename(b, "r" + std::to_string(rng() % 100));
    case 3: return makeSetNote(b, "note " + std::to_string(rng() % 100));
    case 4: return makeSetColour(b, static_cast<std::uint32_t>(rng() & 0xFFFFFF));
    default: return makeAllocate(b, {{"a", 1 + rng() % 40, 25.0, {}}, {"b", 1 + rng() % 9, 0.0, {}}});
    }
}

TEST(History, UndoAndRedoWalkThroughEveryState)
{
    for (const char* root : {"10.0.0.0/20", "2001:db8::/116", "dual"}) {
        std::mt19937_64 rng(11);
        Plan plan(P(root[0] == 'd' ? "10.0.0.0/22" : root));
        if (root[0] == 'd') {
            ASSERT_EQ(plan.addRoot(P("2001:db8::/60")), "");
        }
        History h;
        std::vector<Plan> states{plan};
        std::vector<std::string> texts;
        for (int i = 0; i < 400; ++i) {
            const Plan before = plan;
            if (auto r = h.run(plan, randomCommand(plan, rng)); !r.empty()) {
                EXPECT_TRUE(plan == before) << r;  // a refused command changes nothing
                continue;
            }
            states.push_back(plan);
            texts.push_back(h.undoText());
            // Now and then step back a little and forward again, as a user does.
            if (rng() % 5 == 0) {
                h.undo(plan);
                EXPECT_TRUE(plan == states[states.size() - 2]);
                h.redo(plan);
                EXPECT_TRUE(plan == states.back());
            }
        }
        ASSERT_GT(states.size(), 100u);
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            EXPECT_EQ(h.undoText(), texts[i - 1]);
            h.undo(plan);
            ASSERT_TRUE(plan == states[i - 1]) << "undo to state " << i - 1;
        }
        EXPECT_FALSE(h.canUndo());
        for (std::size_t i = 1; i < states.size(); ++i) {
            h.redo(plan);
            ASSERT_TRUE(plan == states[i]) << "redo to state " << i;
        }
        EXPECT_FALSE(h.canRedo());
    }
}

TEST(History, OutputSettingsRefusedWithTheirCheck)
{
    Plan plan(P("10.0.0.0/24"));
    OutputSettings bad;
    bad.zoneCut4 = 20;
    ASSERT_NE(checkOutputSettings(bad), "");
    History h;
    EXPECT_EQ(h.run(plan, makeSetOutputSettings(bad)), checkOutputSettings(bad));
    EXPECT_FALSE(h.canUndo());
}

TEST(History, JoinUndoBringsBackNamedPartsAndCleanStateFollowsSaves)
{
    Plan plan(P("10.0.0.0/24"));
    History h;
    ASSERT_EQ(h.run(plan, makeSplit(plan.root(), 2)), "");
    const BlockId low = plan.block(plan.root()).children[0];
    ASSERT_EQ(h.run(plan, makeRename(low, "office")), "");
    ASSERT_EQ(h.run(plan, makeSetNote(low, "2nd floor")), "");
    ASSERT_EQ(h.run(plan, makeSetColour(low, 0x123456)), "");
    h.markClean();
    const Plan saved = plan;
    ASSERT_EQ(h.run(plan, makeJoin(plan.root())), "");
    EXPECT_EQ(h.undoText(), "Join 10.0.0.0/24");
    EXPECT_FALSE(h.isClean());
    h.undo(plan);
    EXPECT_TRUE(plan == saved);
    EXPECT_TRUE(h.isClean());
    EXPECT_EQ(plan.block(low).name, "office");
    // A new command after an undo drops the redo branch; the saved state is then behind us.
    h.undo(plan);
    ASSERT_EQ(h.run(plan, makeSetNote(plan.root(), "x")), "");
    EXPECT_FALSE(h.canRedo());
    h.undo(plan);
    EXPECT_FALSE(h.isClean());
    EXPECT_NE(h.run(plan, makeJoin(low)), "");  // refused: nothing recorded
    EXPECT_EQ(h.redoText(), "Note on 10.0.0.0/24");
}

// Tidy joins free neighbours however they were split, regrouping a split into 4 where only
// a pair is free, and is undone in one step.
TEST(History, TidyJoinsFreeNeighboursAndUndoesInOneStep)
{
    Plan plan(P("10.0.0.0/16"));
    ASSERT_EQ(plan.split(plan.root(), 4), "");
    const auto q = plan.block(plan.root()).children;
    ASSERT_EQ(plan.split(q[0], 2), "");
    ASSERT_EQ(plan.setAssigned(q[2], true, 5), "");
    ASSERT_EQ(plan.split(q[3], 8), "");
    ASSERT_EQ(plan.setAssigned(plan.block(q[3]).children[5], true), "");
    const Plan before = plan;
    History h;
    ASSERT_EQ(h.run(plan, makeTidy(plan.roots())), "");
    std::vector<std::string> leaves;
    for (BlockId b : plan.leaves())
        leaves.push_back(net::formatNetwork(plan.block(b).prefix));
    EXPECT_EQ(leaves, (std::vector<std::string>{"10.0.0.0/17", "10.0.128.0/18", "10.0.192.0/19", "10.0.224.0/21",
                                                "10.0.232.0/21", "10.0.240.0/20"}));
    EXPECT_EQ(h.undoText(), "Tidy 10.0.0.0/16");
    EXPECT_NE(h.run(plan, makeTidy(plan.roots())), "");  // nothing left to join
    h.undo(plan);
    EXPECT_TRUE(plan == before);
}

// Prefixes found in use take their place in free space however it is split; those that
// overlap what is assigned, or each other (both of a pair), are refused with the reason.
TEST(History, ImportInUsePrefixes)
{
    Plan plan(P("10.0.0.0/16"));
    ASSERT_EQ(plan.split(plan.root(), 4), "");
    ASSERT_EQ(plan.setAssigned(plan.block(plan.root()).children[3], true), "");
    const std::vector<ImportItem> items{{P("10.0.0.0/17"), "core"},  {P("10.0.5.0/24"), "dup"},
                                        {P("10.0.192.0/24"), "x"},   {P("10.1.0.0/24"), "out"},
                                        {P("10.0.128.0/25"), "lab"}, {P("10.0.64.9/18"), "hb"}};
    std::vector<std::string> why;  // items without a line are named by their place in the list
    for (const textio::Problem& r : checkImport(plan, items).refused)
        why.push_back(std::to_string(r.item) + ": " + r.message);
    EXPECT_EQ(why, (std::vector<std::string>{
                       "0: overlaps item 2 (10.0.5.0/24, contains)", "1: overlaps item 1 (10.0.0.0/17, inside)",
                       "2: overlaps the assigned block 10.0.192.0/18", "3: lies outside every root",
                       "5: overlaps item 1 (10.0.0.0/17, inside)"}));
    const Plan before = plan;
    History h;
    ASSERT_EQ(h.run(plan, makeImport({items[0], items[4]})), "");
    EXPECT_EQ(plan.block(plan.leafAt(P("10.0.0.1").address)).prefix, P("10.0.0.0/17"));
    EXPECT_EQ(plan.block(plan.leafAt(P("10.0.128.1").address)).name, "lab");
    EXPECT_EQ(h.run(plan, makeImport({{P("10.0.0.0/24"), "again"}})),
              "nothing to import: 10.0.0.0/24: overlaps the assigned block 10.0.0.0/17 (core)");
    h.undo(plan);
    EXPECT_TRUE(plan == before);
}

// Free and assign by hand, as a reopened plan needs: refusals name the block.
TEST(History, FreeAndAssignAnyLeaf)
{
    Plan plan(P("10.0.0.0/24"));
    History h;
    ASSERT_EQ(h.run(plan, makeAllocate(plan.root(), {{"office", 100, 10}})), "");
    const BlockId office = plan.leafAt(P("10.0.0.0").address);
    ASSERT_EQ(h.run(plan, makeFree(office)), "");
    EXPECT_EQ(plan.block(office).state, plan::BlockState::Free);
    EXPECT_EQ(plan.block(office).name, "");
    EXPECT_EQ(h.run(plan, makeFree(office)), "10.0.0.0/25 is not assigned");
    ASSERT_EQ(h.run(plan, makeAssign(office, {"lab", 20, 50, "bench", 42})), "");
    EXPECT_EQ(plan.block(office).vlan, 42);
    EXPECT_EQ(plan.block(office).growthPercent, 50);
    EXPECT_EQ(h.run(plan, makeAssign(office, {"x", 1, 0, "", 0})), "10.0.0.0/25 is already assigned: free it first");
    EXPECT_EQ(h.run(plan, makeAssign(plan.root(), {"x", 1, 0, "", 0})),
              "10.0.0.0/24 is split: only its parts can be assigned");
    const BlockId other = plan.leafAt(P("10.0.0.200").address);
    EXPECT_NE(h.run(plan, makeAssign(other, {"x", 1, 0, "", 4095})).find("4094"), std::string::npos);
    EXPECT_NE(h.run(plan, makeAssign(other, {"x", 200, 0, "", 0})).find("holds 126 hosts, not 200"), std::string::npos);
    EXPECT_EQ(plan.block(other).state, plan::BlockState::Free);  // a refused assignment leaves nothing behind
    h.undo(plan);
    h.undo(plan);
    EXPECT_NE(plan.block(office).state, plan::BlockState::Free);
    EXPECT_EQ(plan.block(office).name, "office");
    EXPECT_EQ(plan.block(office).growthPercent, 10);
}

}  // namespace
}  // namespace mq::plan
