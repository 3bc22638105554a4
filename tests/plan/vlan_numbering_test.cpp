// VLAN numbering: the /64 each segment takes from its VLAN ID in roots of every subnet-field
// width, every refusal with its message, placement into a plan that already holds blocks,
// and dual-stack segments placed in both families or in neither.
#include <gtest/gtest.h>

#include "plan/allocate.h"
#include "plan/commands.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using test::P;

Segment seg(std::string name, int vlan, std::optional<int> fixed6 = {})
{
    Segment s(std::move(name), 20);
    s.vlan = vlan;
    s.fixedLength6 = fixed6;
    return s;
}

// What each segment got: its prefix, or "!" and the reason.
std::vector<std::string> outcome(const std::vector<Placement>& ps, bool second = false)
{
    std::vector<std::string> out;
    for (const auto& p : ps) {
        const Place& at = second ? *p.second : p;
        out.push_back(at.prefix ? net::formatNetwork(*at.prefix) : "!" + unplacedReason(p));
    }
    return out;
}

Plan vlanPlan(const std::string& root)
{
    Plan plan(P(root));
    Settings s;
    s.vlanNumbering = true;
    s.nibble = true;  // a /64 stays a /64
    plan.setSettings(s);
    return plan;
}

TEST(VlanNumbering, SubnetIdIsTheVlanDigitsInEveryFieldWidth)
{
    struct Case {
        const char* root;
        std::vector<Segment> segments;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"2001:db8:40::/48",
         {seg("staff", 120), seg("voice", 4094), seg("mgmt", 1)},
         {"2001:db8:40:120::/64", "2001:db8:40:4094::/64", "2001:db8:40:1::/64"}},
        {"2001:db8:40:ff00::/56",
         {seg("a", 12), seg("b", 99), seg("c", 120)},
         {"2001:db8:40:ff12::/64", "2001:db8:40:ff99::/64",
          "!VLAN 120 needs 3 digits; 2001:db8:40:ff00::/56 has room for 2"}},
        {"2001:db8:40:f000::/52",
         {seg("a", 999), seg("b", 1000)},
         {"2001:db8:40:f999::/64", "!VLAN 1000 needs 4 digits; 2001:db8:40:f000::/52 has room for 3"}},
        // Shorter roots: the ID takes the low digits of the field, the leading ones 0.
        {"2001:db8:ab00::/40", {seg("a", 4094), seg("b", 7)}, {"2001:db8:ab00:4094::/64", "2001:db8:ab00:7::/64"}},
        {"2001:db8:40:ff70::/60",
         {seg("a", 5), seg("b", 10)},
         {"2001:db8:40:ff75::/64", "!VLAN 10 needs 2 digits; 2001:db8:40:ff70::/60 has room for 1"}},
        {"2001:db8:40:ff75::/64",
         {seg("a", 5)},
         {"!VLAN 5 needs 1 digit; 2001:db8:40:ff75::/64 has no room for a subnet ID"}},
        {"2001:db8:40:ff75::/72",
         {seg("a", 5)},
         {"!VLAN numbering gives each segment a /64; 2001:db8:40:ff75::/72 is longer than /64"}},
        {"2001:db8:40::/48",
         {seg("none", 0), seg("guest", 30), seg("lab", 40, 60), seg("iot", 30), seg("ok", 50)},
         {"!has no VLAN; VLAN numbering takes its /64 from the VLAN ID", "!VLAN 30 is also iot's",
          "!needs a /60; VLAN numbering gives each segment a /64", "!VLAN 30 is also guest's", "2001:db8:40:50::/64"}},
    };
    for (const Case& c : cases) {
        Plan plan = vlanPlan(c.root);
        EXPECT_EQ(outcome(allocate(plan, plan.root(), c.segments)), c.want) << c.root;
    }
}

TEST(VlanNumbering, IntoAPlanTakesOnlyWhollyFreeBlocks)
{
    Plan plan = vlanPlan("2001:db8:40::/48");
    History h;
    ASSERT_EQ(h.run(plan, makeAllocate(plan.root(), {seg("old", 120)})), "");
    // A free /64 split by hand still counts as free; one with an assigned part does not.
    BlockId part = kNoBlock, half = kNoBlock;
    ASSERT_EQ(plan.carve(P("2001:db8:40:130::/65"), &part), "");
    ASSERT_EQ(plan.carve(P("2001:db8:40:140::/65"), &half), "");
    ASSERT_EQ(plan.setAssigned(half, true, 3), "");
    const std::vector<Segment> more{seg("new", 120), seg("split", 130), seg("half", 140), seg("fresh", 150)};
    EXPECT_EQ(outcome(allocate(plan, plan.root(), more)),
              (std::vector<std::string>{"!2001:db8:40:120::/64 is taken by old", "2001:db8:40:130::/64",
                                        "!2001:db8:40:140::/64 is not free", "2001:db8:40:150::/64"}));
    ASSERT_EQ(h.run(plan, makeAllocate(plan.root(), more)), "");
    const BlockId made = plan.blockOf(P("2001:db8:40:130::/64"));
    ASSERT_NE(made, kNoBlock);
    EXPECT_EQ(plan.block(made).name, "split");
    EXPECT_EQ(plan.block(made).vlan, 130);
    EXPECT_EQ(plan.block(plan.blockOf(P("2001:db8:40:120::/64"))).name, "old");
}

TEST(VlanNumbering, DualStackRefusalKeepsTheSegmentOutOfBothAndIpv4Unchanged)
{
    Plan plan = vlanPlan("10.40.0.0/16");
    ASSERT_EQ(plan.addRoot(P("2001:db8:40::/48")), "");
    const std::vector<Segment> segs{seg("big", 110), seg("novlan", 0), seg("small", 120)};
    const auto ps = allocate(plan, {plan.rootOf(net::Family::V4), plan.rootOf(net::Family::V6)}, segs);
    EXPECT_EQ(outcome(ps), (std::vector<std::string>{"10.40.0.0/27",
                                                     "!IPv6: has no VLAN; VLAN numbering takes its "
                                                     "/64 from the VLAN ID",
                                                     "10.40.0.32/27"}));
    EXPECT_EQ(outcome(ps, true)[0], "2001:db8:40:110::/64");
    EXPECT_EQ(outcome(ps, true)[2], "2001:db8:40:120::/64");
    EXPECT_TRUE(ps[1].heldBack);
}

}  // namespace
}  // namespace mq::plan
