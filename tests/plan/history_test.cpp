// Undo and redo: every command, in random sequences, walks back and forth through the very
// states it passed (ids included, so later commands keep naming the right blocks).
#include <gtest/gtest.h>

#include "plan/commands.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using test::P;

std::unique_ptr<Command> randomCommand(const Plan& plan, std::mt19937_64& rng) {
  const auto all = plan.preorder(plan.root());
  const BlockId b = all[rng() % all.size()];
  switch (rng() % 7) {
    case 0: return makeSplit(b, 1 << (1 + rng() % 2));
    case 1: return makeJoin(plan.block(b).parent == kNoBlock ? b : plan.block(b).parent);
    case 2: return makeRename(b, "r" + std::to_string(rng() % 100));
    case 3: return makeSetNote(b, "note " + std::to_string(rng() % 100));
    case 4: return makeSetColour(b, static_cast<std::uint32_t>(rng() & 0xFFFFFF));
    case 5: return makeSetAssigned(b, rng() % 2, 0);
    default: return makeAllocate(b, {{"a", 1 + rng() % 40, 25.0, {}}, {"b", 1 + rng() % 9, 0.0, {}}});
  }
}

TEST(History, UndoAndRedoWalkThroughEveryState) {
  for (const char* root : {"10.0.0.0/20", "2001:db8::/116"}) {
    std::mt19937_64 rng(11);
    Plan plan(P(root));
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

TEST(History, JoinUndoBringsBackNamedPartsAndCleanStateFollowsSaves) {
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

}  // namespace
}  // namespace mq::plan
