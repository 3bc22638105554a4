// An allocation in two steps (the slow one on a copy of the plan) against the
// same allocation in one; a cancelled or stale run changes nothing; and every
// message quotes a bad document's text shortened and escaped.
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

namespace mq::planner {
namespace {

using plan::BlockId;
using test::FakePlannerServices;

const char* const kSegments = "servers, 50\nphones, 20, 10%\nlab\nprinters, 5\n";

TEST(AllocationRun, TwoStepsGiveTheOneStepPlanAndUndoAsOne)
{
    FakePlannerServices sv1, sv2;
    PlannerForm direct(sv1), split(sv2);
    for (PlannerForm* f : {&direct, &split}) {
        ASSERT_TRUE(f->newPlan("172.16.0.0/20"));
        ASSERT_TRUE(f->split(f->plan().root(), 4));
    }
    const plan::Plan before = split.plan();
    const BlockId within = split.plan().block(split.plan().root()).children[1];
    ASSERT_TRUE(direct.allocate(within, kSegments));

    auto run = split.startAllocation(within, kSegments);
    EXPECT_TRUE(split.plan() == before);  // nothing happens before finish
    run->run();
    EXPECT_TRUE(run->finished());
    EXPECT_TRUE(split.plan() == before);
    ASSERT_TRUE(split.finishAllocation(*run));
    EXPECT_TRUE(split.plan() == direct.plan());
    EXPECT_EQ(split.allocationLines(), direct.allocationLines());
    EXPECT_EQ(split.allocatedBlocks(), direct.allocatedBlocks());
    EXPECT_EQ(split.undoText(), direct.undoText());

    // The built plan came in whole; undo and redo work on it as on any change.
    ASSERT_TRUE(split.undo());
    EXPECT_TRUE(split.plan() == before);
    ASSERT_TRUE(split.redo());
    EXPECT_TRUE(split.plan() == direct.plan());
    ASSERT_TRUE(split.undo());
    // A later edit on the same ids still holds after the round trip.
    ASSERT_TRUE(split.split(within, 2));
    EXPECT_TRUE(sv2.messages.empty());
}

TEST(AllocationRun, CancelledOrStaleRunsChangeNothing)
{
    FakePlannerServices sv;
    PlannerForm form(sv);
    ASSERT_TRUE(form.newPlan("10.9.0.0/16"));
    ASSERT_TRUE(form.allocate(form.plan().root(), "first, 10\n"));
    const auto lastLines = form.allocationLines();
    const plan::Plan before = form.plan();

    auto cancelled = form.startAllocation(form.plan().root(), kSegments);
    cancelled->cancel();
    cancelled->run();
    EXPECT_TRUE(cancelled->sourceReleased());
    EXPECT_FALSE(cancelled->finished());
    EXPECT_FALSE(form.finishAllocation(*cancelled));
    EXPECT_TRUE(form.plan() == before);
    EXPECT_EQ(form.allocationLines(), lastLines);  // the last result stays

    auto stale = form.startAllocation(form.plan().root(), kSegments);
    stale->run();
    ASSERT_TRUE(form.rename(form.plan().root(), "campus"));
    const plan::Plan renamed = form.plan();
    EXPECT_FALSE(form.finishAllocation(*stale));
    EXPECT_TRUE(form.plan() == renamed);
}

TEST(PlannerMessages, QuoteBadDocumentsShortAndEscaped)
{
    const std::string huge(1'000'000, 'k');
    const std::string docs[] = {
        // a megabyte key, a megabyte prefix, control bytes in a prefix
        "{\"format\":\"maskquill-plan\",\"version\":1,\"" + huge + "\":1}",
        "{\"format\":\"maskquill-plan\",\"version\":1,\"root\":\"10.0.0.0/8\",\"blocks\":[{\"prefix\":\"" + huge +
            "\"}]}",
        "{\"format\":\"maskquill-plan\",\"version\":1,\"root\":\"10.0.0.0/8\",\"blocks\":[{\"prefix\":"
        "\"\\u001b]0;pwned\\u0007\"}]}",
    };
    for (const std::string& doc : docs) {
        FakePlannerServices sv;
        PlannerForm form(sv);
        sv.files["/big.mqplan"] = doc;
        EXPECT_FALSE(form.openFile("/big.mqplan"));
        ASSERT_EQ(sv.messages.size(), 1u);
        const std::string& m = sv.messages[0];
        EXPECT_LT(m.size(), 1000u) << m.substr(0, 200);
        EXPECT_NE(m.find("/big.mqplan"), std::string::npos) << m.substr(0, 200);
        EXPECT_NE(m.find("$"), std::string::npos) << m.substr(0, 200);
        for (char c : m)
            EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << m;
    }
    // Typed texts are quoted the same way.
    FakePlannerServices sv;
    PlannerForm form(sv);
    EXPECT_FALSE(form.newPlan(std::string(100'000, '9') + "\x1b[2J"));
    sv.prompts.push_back(std::string(100'000, '7'));
    EXPECT_FALSE(form.splitPrompt(form.plan().root()));
    ASSERT_EQ(sv.messages.size(), 2u);
    for (const std::string& m : sv.messages) {
        EXPECT_LT(m.size(), 1000u);
        EXPECT_EQ(m.find('\x1b'), std::string::npos);
    }
}

}  // namespace
}  // namespace mq::planner
