// Subnet layouts and hosts: what the plan keeps (journaled, undone, compared) and the
// addresses resolveLayout gives.
#include <gtest/gtest.h>

#include <functional>
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
        {six, "not of the block's family"},
        {many, "at most 64 ranges"},
        {backwards, "ends before it starts"},
        {pd, "for IPv6 blocks"},
        {kept, "kept 1025 is not a number from 0 to 1024"},
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

// A dual-stack plan: Office in both families (one segment), Lab in IPv4, and a /31 link.
Plan campus()
{
    Plan plan(P("10.40.0.0/16"));
    EXPECT_EQ(plan.addRoot(P("2001:db8:40::/48")), "");
    for (const char* text : {"10.40.1.0/24", "10.40.2.0/24", "10.40.3.0/31", "2001:db8:40:1::/64"}) {
        BlockId b = kNoBlock;
        EXPECT_EQ(plan.carve(P(text), &b), "");
        EXPECT_EQ(plan.setAssigned(b, true), "");
        EXPECT_EQ(plan.setName(b, std::string(text).find("2.0") != std::string::npos ? "Lab" : "Office"), "");
    }
    return plan;
}

void layout(Plan& plan, const char* prefix, SubnetLayout l)
{
    ASSERT_EQ(plan.setSubnetLayout(plan.blockOf(P(prefix)), std::move(l)), "");
}

void host(Plan& plan, Host h)
{
    ASSERT_EQ(plan.insertHost(plan.hosts().size(), std::move(h)), "");
}

AddressRange R(const char* first, const char* last)
{
    return {A(first), A(last)};
}

SubnetLayout gateway(const char* at)
{
    return {.gatewaySet = true, .gateway = A(at)};
}

SubnetLayout ranges(std::vector<AddressRange> r)
{
    return {.rangesSet = true, .ranges = std::move(r)};
}

using FaultCase = std::pair<std::function<void(Plan&)>, std::string>;
const std::string office = "10.40.1.0/24 (Office): ";

// The faults of a block's own gateway and ranges, each with its message.
std::vector<FaultCase> layoutFaults()
{
    return {
        {[](Plan& p) { layout(p, "10.40.1.0/24", gateway("10.40.2.1")); },
         office + "the gateway 10.40.2.1 lies outside the block"},
        {[](Plan& p) { layout(p, "10.40.1.0/24", gateway("10.40.1.0")); },
         office + "the gateway 10.40.1.0 is the network address"},
        {[](Plan& p) { layout(p, "10.40.1.0/24", gateway("10.40.1.255")); },
         office + "the gateway 10.40.1.255 is the broadcast address"},
        {[](Plan& p) { layout(p, "10.40.1.0/24", ranges({R("10.40.1.200", "10.40.2.5")})); },
         office + "the range 10.40.1.200-10.40.2.5 lies outside the block"},
        {[](Plan& p) { layout(p, "10.40.1.0/24", ranges({R("10.40.1.0", "10.40.1.9")})); },
         office + "the range 10.40.1.0-10.40.1.9 holds the network address"},
        {[](Plan& p) { layout(p, "10.40.1.0/24", ranges({R("10.40.1.200", "10.40.1.255")})); },
         office + "the range 10.40.1.200-10.40.1.255 holds the broadcast address"},
        {[](Plan& p) {
             layout(p, "10.40.1.0/24",
                    {.gatewaySet = true,
                     .gateway = A("10.40.1.5"),
                     .rangesSet = true,
                     .ranges = {R("10.40.1.1", "10.40.1.9")}});
         },
         office + "the range 10.40.1.1-10.40.1.9 holds the gateway 10.40.1.5"},
        {[](Plan& p) {
             layout(p, "10.40.1.0/24", {.kept = 3, .rangesSet = true, .ranges = {R("10.40.1.3", "10.40.1.9")}});
         },
         office + "the range 10.40.1.3-10.40.1.9 overlaps the kept addresses 10.40.1.1-10.40.1.3"},
        {[](Plan& p) {
             layout(p, "10.40.1.0/24", ranges({R("10.40.1.15", "10.40.1.30"), R("10.40.1.10", "10.40.1.20")}));
         },
         office + "the ranges 10.40.1.10-10.40.1.20 and 10.40.1.15-10.40.1.30 overlap"},
        {[](Plan& p) {
             layout(
                 p, "2001:db8:40:1::/64",
                 {.rangesSet = true, .ranges = {R("2001:db8:40:1::10", "2001:db8:40:1::20")}, .delegatedLength = 72});
         },
         "2001:db8:40:1::/64 (Office): the range 2001:db8:40:1::10-2001:db8:40:1::20 hands out addresses in a "
         "prefix-delegation pool"},
    };
}

// Every fault once, with the one message it gives (empty: the plan is sound).
TEST(CheckSubnets, EachFaultGivesOneMessageNamingBlockAndHost)
{
    const std::string office6 = "2001:db8:40:1::/64 (Office): ";
    const net::Mac m = std::get<net::Mac>(net::parseMac("00:11:22:33:44:55"));
    std::vector<FaultCase> cases = layoutFaults();
    const FaultCase hostFaults[] = {
        {[](Plan& p) { host(p, {.name = "printer-2", .v4 = A("10.40.2.7"), .v6 = A("2001:db8:40:1::7")}); },
         office + "host printer-2: 10.40.2.7 lies outside the block"},
        {[](Plan& p) { host(p, {.name = "a", .v4 = A("10.40.1.0")}); },
         office + "host a: 10.40.1.0 is the network address"},
        {[](Plan& p) { host(p, {.name = "a", .v4 = A("10.40.1.255")}); },
         office + "host a: 10.40.1.255 is the broadcast address"},
        {[](Plan& p) { host(p, {.name = "a", .v6 = A("2001:db8:40:1::")}); },
         office6 + "host a: 2001:db8:40:1:: is the network address"},
        {[](Plan& p) { host(p, {.name = "a", .v4 = A("10.40.3.0")}); }, ""},  // RFC 3021
        {[](Plan& p) {
             layout(p, "10.40.1.0/24", gateway("10.40.1.1"));
             host(p, {.name = "a", .v4 = A("10.40.1.1"), .role = HostRole::Server});
         },
         office + "host a: 10.40.1.1 is the gateway (only a gateway or router host may have it)"},
        {[](Plan& p) {
             layout(p, "10.40.1.0/24", {.gatewaySet = true, .gateway = A("10.40.1.1"), .kept = 3});
             host(p, {.name = "a", .v4 = A("10.40.1.1"), .role = HostRole::Gateway});
             host(p, {.name = "b", .v4 = A("10.40.1.3"), .role = HostRole::Router});
         },
         ""},
        {[](Plan& p) {
             layout(p, "10.40.1.0/24", {.kept = 2});
             host(p, {.name = "a", .v4 = A("10.40.1.2")});
         },
         office + "host a: 10.40.1.2 is kept for network devices (only a gateway or router host may have it)"},
        {[](Plan& p) {
             Settings s = p.settings();
             s.cloud = CloudMode::Aws;
             p.setSettings(s);
             host(p, {.name = "a", .v4 = A("10.40.1.3")});
         },
         office + "host a: 10.40.1.3 is kept for network devices (only a gateway or router host may have it)"},
        {[](Plan& p) {
             Settings s = p.settings();
             s.layout.range = RangeRule::UpperHalf;
             p.setSettings(s);
             host(p, {.name = "a", .v4 = A("10.40.1.200")});
         },
         office + "host a: 10.40.1.200 lies inside the range 10.40.1.128-10.40.1.254"},
        {[](Plan& p) { host(p, {.name = "a", .v4 = A("10.40.9.9")}); }, "host a: 10.40.9.9 lies in no assigned block"},
        {[](Plan& p) {
             host(p, {.name = "a", .v4 = A("10.40.1.5")});
             host(p, {.name = "b", .v4 = A("10.40.1.5")});
         },
         office + "host b: 10.40.1.5 is also the address of host a"},
        {[m](Plan& p) {
             host(p, {.name = "a", .v4 = A("10.40.1.5"), .mac = m});
             host(p, {.name = "b", .v4 = A("10.40.2.5"), .mac = m});
         },
         "10.40.2.0/24 (Lab): host b: the MAC 00:11:22:33:44:55 is also the MAC of host a"},
        {[](Plan& p) {
             host(p, {.name = "a", .v4 = A("10.40.1.5")});
             host(p, {.name = "A", .v4 = A("10.40.1.6")});
         },
         office + "host A: the name is also the name of host a"},
    };
    cases.insert(cases.end(), std::begin(hostFaults), std::end(hostFaults));
    for (const auto& [setup, message] : cases) {
        Plan plan = campus();
        setup(plan);
        std::vector<std::string> got;
        for (const SubnetProblem& p : checkSubnets(plan))
            got.push_back(p.message);
        EXPECT_EQ(got, message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message});
    }
}

// What a host's address box takes and what a block has left, on one laid-out block.
TEST(HostAddress, TakesAddressesNextOffsetsAndEui64)
{
    Plan plan = campus();
    Settings s = plan.settings();
    s.layout = {.gateway = GatewayRule::FirstUsable,
                .kept = 2,
                .range = RangeRule::Offsets,
                .rangeFrom = 100,
                .rangeTo = 199,
                .dhcp6 = Dhcp6Mode::Slaac};
    plan.setSettings(s);
    host(plan, {.name = "a", .v4 = A("10.40.1.3")});
    layout(plan, "10.40.3.0/31", {.gatewaySet = true, .kept = 0});  // both ends of the link are hosts
    host(plan, {.name = "b", .v4 = A("10.40.3.0")});
    host(plan, {.name = "c", .v4 = A("10.40.3.1")});
    const HostIndex index(plan);
    const BlockId office = plan.blockOf(P("10.40.1.0/24")), six = plan.blockOf(P("2001:db8:40:1::/64"));
    const BlockId link = plan.blockOf(P("10.40.3.0/31"));
    const auto m = std::get<net::Mac>(net::parseMac("00:11:22:33:44:55"));
    struct Case {
        BlockId block;
        const char* text;
        bool mac;
        std::optional<std::size_t> except;
        std::string want;  // the address, or the start of the error
    };
    const Case cases[] = {
        {office, " next ", false, {}, "10.40.1.4"},  // .1 gateway, .2 kept, .3 host a
        {office, "NEXT", false, 0, "10.40.1.3"},  // host a being edited
        {office, "::20", false, {}, "10.40.1.20"},
        {office, "::300", false, {}, "::300 lies outside 10.40.1.0/24"},
        {office, "::x", false, {}, "\"::x\" is not ::N"},
        {six, "::1:0", false, {}, "2001:db8:40:1::1:0"},
        {six, "eui64", true, {}, "2001:db8:40:1:211:22ff:fe33:4455"},
        {six, "eui64", false, {}, "eui64 needs a MAC"},
        {office, "eui64", true, {}, "eui64 makes IPv6 addresses, and 10.40.1.0/24 is IPv4"},
        {office, "2001:db8:40:1::5", false, {}, "2001:db8:40:1::5 is IPv6, and 10.40.1.0/24 is IPv4"},
        {office, "10.40.2.1", false, {}, "10.40.2.1 lies outside 10.40.1.0/24"},
        {office, "10.40.1.255", false, {}, "10.40.1.255 is not a usable address of 10.40.1.0/24"},
        {office, "10.40.1.x", false, {}, "not an address ("},
        {link, "next", false, {}, "10.40.3.0/31 has no free address left"},
        {link, "next", false, 2, "10.40.3.1"},
    };
    for (const Case& c : cases) {
        const auto r = hostAddress(plan, c.block, c.text, c.mac ? std::optional(m) : std::nullopt, index, c.except);
        const std::string got = std::holds_alternative<net::Address>(r) ? net::format(std::get<net::Address>(r))
                                                                        : std::get<net::ParseError>(r).message;
        EXPECT_EQ(got.substr(0, c.want.size()), c.want) << c.text;
    }
    const SubnetCounts counts = countSubnet(plan, office, index);
    EXPECT_EQ(counts.usable, net::Count{254});
    EXPECT_EQ(counts.inRanges, net::Count{100});
    EXPECT_EQ(counts.statics, 3u);  // gateway, one kept, host a
    EXPECT_EQ(counts.free, net::Count{151});
}

}  // namespace
}  // namespace mq::plan::test
