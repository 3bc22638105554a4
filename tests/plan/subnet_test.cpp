// Subnet layouts and hosts: what the plan keeps (journaled, undone, compared) and the
// addresses resolveLayout gives.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "plan/commands.h"
#include "plan/subnet.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan::test {
namespace {

net::Address A(std::string_view text)
{
    return std::get<net::Address>(net::parseAddress(text));
}

std::vector<BlockId> assignedLeaves(const Plan& plan)
{
    std::vector<BlockId> out;
    for (BlockId b : plan.leaves())
        if (plan.block(b).state != BlockState::Free)
            out.push_back(b);
    return out;
}

SubnetLayout randomLayout(const net::Prefix& p, std::mt19937& rng)
{
    SubnetLayout l;
    l.kept = static_cast<int>(rng() % 4);
    if (rng() % 2) {
        l.gatewaySet = true;
        if (rng() % 2)
            l.gateway = net::Address{p.network().value + rng() % 2, p.address.family};
    }
    if (rng() % 2) {
        l.rangesSet = true;
        l.ranges.push_back({p.network(), p.last()});
    }
    return l;
}

// Layouts set, taken away, and lost with their blocks (freed, joined away), in random runs:
// undo gives the plan as it was, redo as it became, and a copy compares equal.
TEST(SubnetLayout, JournalUndoesAndRedoesEveryLayoutChange)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        std::mt19937 rng(seed);
        Plan plan(P(seed % 2 ? "10.0.0.0/16" : "2001:db8::/48"));
        grow(plan, rng, 40);
        for (BlockId b : assignedLeaves(plan)) {
            if (rng() % 2) {
                ASSERT_EQ(plan.setSubnetLayout(b, randomLayout(plan.block(b).prefix, rng)), "");
            }
        }
        const Plan before = plan;
        Journal j;
        plan.startJournal(j);
        for (int step = 0; step < 20; ++step) {
            const auto leaves = assignedLeaves(plan);
            if (leaves.empty())
                break;
            const BlockId b = leaves[rng() % leaves.size()];
            switch (rng() % 4) {
            case 0: (void)plan.setSubnetLayout(b, randomLayout(plan.block(b).prefix, rng)); break;
            case 1: (void)plan.setSubnetLayout(b, {}); break;
            case 2: (void)plan.setAssigned(b, false); break;
            default:
                (void)plan.setAssigned(b, false);
                if (plan.block(b).parent != kNoBlock)
                    (void)plan.collapse(plan.block(b).parent);
            }
        }
        plan.stopJournal();
        const Plan after = plan;
        for (BlockId b : plan.leaves()) {
            if (plan.block(b).state == BlockState::Free) {
                ASSERT_EQ(plan.subnetLayout(b), nullptr) << "a free block keeps no layout";
            }
        }
        plan.undo(j);
        ASSERT_TRUE(plan == before) << "seed " << seed;
        plan.redo(j);
        ASSERT_TRUE(plan == after) << "seed " << seed;
        if (before.hasSubnetLayouts() != after.hasSubnetLayouts() || !(before == after))
            continue;
        ADD_FAILURE() << "seed " << seed << " changed nothing";
    }
}

TEST(SubnetLayout, RefusesWhatNoBlockCanHold)
{
    Plan plan(P("10.0.0.0/24"));
    ASSERT_EQ(plan.split(0, 2), "");
    const BlockId a = plan.block(0).children[0], free = plan.block(0).children[1];
    ASSERT_EQ(plan.setAssigned(a, true), "");
    SubnetLayout six;
    six.gatewaySet = true;
    six.gateway = A("2001:db8::1");
    SubnetLayout many;
    many.rangesSet = true;
    many.ranges.assign(kMaxRangesPerBlock + 1, {A("10.0.0.5"), A("10.0.0.6")});
    SubnetLayout backwards;
    backwards.rangesSet = true;
    backwards.ranges.push_back({A("10.0.0.9"), A("10.0.0.6")});
    SubnetLayout pd;
    pd.delegatedLength = 64;
    SubnetLayout kept;
    kept.kept = kMaxKept + 1;
    const std::pair<SubnetLayout, const char*> cases[] = {
        {six, "not of the block's family"},   {many, "at most 64 ranges"},
        {backwards, "ends before it starts"}, {pd, "for IPv6 blocks"},
        {kept, "kept addresses are from 0"},
    };
    for (const auto& [layout, reason] : cases) {
        const std::string r = plan.setSubnetLayout(a, layout);
        EXPECT_NE(r.find(reason), std::string::npos) << r;
    }
    SubnetLayout fine;
    fine.kept = 2;
    EXPECT_NE(plan.setSubnetLayout(free, fine).find("not an assigned block"), std::string::npos);
    EXPECT_EQ(plan.setSubnetLayout(a, fine), "");
    EXPECT_FALSE(plan.hasSubnetLayouts() && plan.subnetLayout(free));
}

TEST(SubnetHosts, EachEditChecksTheHostAndBumpsTheSerial)
{
    Plan plan(P("10.0.0.0/24"));
    Host ok{.name = "printer-2.lab", .v4 = A("10.0.0.7")};
    const std::pair<Host, const char*> bad[] = {
        {Host{.name = "printer 2", .v4 = A("10.0.0.7")}, "holds ' '"},
        {Host{.name = "-printer", .v4 = A("10.0.0.7")}, "starts or ends with '-'"},
        {Host{.name = "a..b", .v4 = A("10.0.0.7")}, "empty label"},
        {Host{.name = std::string(64, 'a'), .v4 = A("10.0.0.7")}, "longer than 63"},
        {Host{.name = "", .v4 = A("10.0.0.7")}, "is empty"},
        {Host{.name = "p"}, "has no address"},
        {Host{.name = "p", .v4 = A("2001:db8::1")}, "not an IPv4 address"},
        {Host{.name = "p", .v6 = A("10.0.0.1")}, "not an IPv6 address"},
        {Host{.name = "p", .v4 = A("10.0.0.7"), .note = "a\x01"}, "control character"},
        {Host{.name = "p", .v4 = A("10.0.0.7"), .duid = {1, 2}}, "3 to 130 bytes"},
    };
    std::uint64_t serial = plan.hostSerial();
    ASSERT_EQ(plan.insertHost(0, ok), "");
    EXPECT_NE(plan.hostSerial(), serial);
    for (const auto& [host, reason] : bad) {
        serial = plan.hostSerial();
        const std::string r = plan.setHost(0, host);
        EXPECT_NE(r.find(reason), std::string::npos) << host.name << ": " << r;
        EXPECT_EQ(plan.hostSerial(), serial);
        EXPECT_NE(plan.insertHost(1, host), "");
    }
    EXPECT_EQ(plan.hosts(), std::vector<Host>{ok});
    Plan copy = plan;
    EXPECT_TRUE(copy == plan);
    copy.eraseHost(0);
    EXPECT_FALSE(copy == plan);
}

// Host commands and layout commands mixed with tree edits, in random runs through a
// history: each undo gives back the plan as it was before that step, each redo the plan
// after it; texts name what each did.
TEST(SubnetCommands, UndoAndRedoGiveBackEveryStep)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        Plan plan(P("10.0.0.0/16"));
        grow(plan, rng, 30);
        History history;
        std::vector<Plan> states{plan};
        std::set<std::string> texts;
        for (int step = 0; step < 40; ++step) {
            const std::size_t n = plan.hosts().size();
            const auto leaves = assignedLeaves(plan);
            std::unique_ptr<Command> cmd;
            switch (rng() % 5) {
            case 0:
            case 1: {
                std::vector<Host> add;
                for (unsigned k = 0; k < 1 + rng() % 3; ++k)
                    add.push_back({.name = "h" + std::to_string(rng() % 1000),
                                   .v4 = net::Address::v4(0x0A000000u + rng() % 65536)});
                cmd = makeAddHosts(std::move(add));
                break;
            }
            case 2:
                if (n)
                    cmd = makeEditHost(rng() % n, {.name = "e" + std::to_string(step), .v6 = A("2001:db8::9")});
                break;
            case 3:
                if (n)
                    cmd = makeDeleteHosts({rng() % n, rng() % n, rng() % n});
                break;
            default:
                if (!leaves.empty())
                    cmd =
                        makeSetLayout(leaves[rng() % leaves.size()], SubnetLayout{.kept = static_cast<int>(rng() % 3)});
            }
            if (!cmd)
                continue;
            ASSERT_EQ(history.run(plan, std::move(cmd)), "");
            const std::string what = history.undoText();
            texts.insert(what.substr(0, what.find(' ', what.find(' ') + 1)));
            states.push_back(plan);
        }
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            history.undo(plan);
            ASSERT_TRUE(plan == states[i - 1]) << "seed " << seed << " undo to " << i - 1 << " " << history.redoText();
        }
        for (std::size_t i = 1; i < states.size(); ++i) {
            history.redo(plan);
            ASSERT_TRUE(plan == states[i]) << "seed " << seed << " redo to " << i;
        }
        if (seed == 1) {
            EXPECT_TRUE(texts.count("Set layout") && texts.count("Edit host") && texts.count("Delete 3"))
                << ::testing::PrintToString(texts);
        }
    }
}

TEST(SubnetCommands, RefusedEditsChangeNothing)
{
    Plan plan(P("10.0.0.0/24"));
    ASSERT_EQ(plan.insertHost(0, {.name = "a", .v4 = A("10.0.0.2")}), "");
    const Plan before = plan;
    History history;
    std::pair<std::unique_ptr<Command>, const char*> cases[] = {
        {makeAddHosts({{.name = "b", .v4 = A("10.0.0.3")}, {.name = "bad name", .v4 = A("10.0.0.4")}}), "host 2 of 2"},
        {makeEditHost(0, {.name = "a"}), "has no address"},
        {makeEditHost(5, {.name = "a", .v4 = A("10.0.0.2")}), "no host 6"},
        {makeDeleteHosts({0, 1}), "no host 2"},
        {makeSetLayout(0, SubnetLayout{.kept = 1}), "not an assigned block"},
    };
    for (auto& [cmd, reason] : cases) {
        const std::string r = history.run(plan, std::move(cmd));
        EXPECT_NE(r.find(reason), std::string::npos) << r;
        EXPECT_TRUE(plan == before) << reason;
    }
}

}  // namespace
}  // namespace mq::plan::test
