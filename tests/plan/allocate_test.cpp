// Allocation: checked against a plain oracle that tries every aligned place in address order,
// on random plans and segment lists of both families; sizes, growth and segment lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "plan/allocate.h"
#include "plan/commands.h"
#include "plan/segments.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using net::u128;
using test::P;

// The size rules written out directly: what a block of length l holds for a segment (IPv4
// counts network and broadcast but a /31 and /32 hold 2 and 1, IPv6 the Subnet-Router
// anycast), then the longest that fits; links, /64 and nibble rounding on top.
u128 oracleUsable(net::Family f, int l)
{
    const int bits = net::familyBits(f);
    const u128 size = bits - l == 128 ? ~u128{0} : u128{1} << (bits - l);  // 2^128 - 1 for ::/0
    return f == net::Family::V4 ? (size < 4 ? size : size - 2) : (size <= 2 ? size : size - (bits - l < 128));
}
int oracleLength(net::Family f, const Segment& s, bool dual, const Settings& set)
{
    const bool v6 = f == net::Family::V6;
    const int fixed = v6 ? s.fixedLength6.value_or(dual ? -1 : s.fixedLength.value_or(-1)) : s.fixedLength.value_or(-1);
    const u128 need = *neededHosts(s.hosts, s.growthPercent);
    int l = fixed;
    if (fixed >= 0) {
    } else if (v6) {
        for (l = 128; oracleUsable(f, l) < need;)
            --l;
        l = std::min(l, 64);
    } else if (!set.links30 && need <= 2) {
        l = 33 - static_cast<int>(need);
    } else {
        for (l = 30; l >= 0 && oracleUsable(f, l) < need;)
            --l;
    }
    if (v6 && set.nibble && l != 64)
        l = l / 4 * 4;
    return l;
}

struct Span {
    u128 first, last;
};

// Largest first (stable), then the lowest aligned position under `within` that overlaps no
// assigned leaf and nothing placed so far: every candidate tried, as slowly as it sounds.
// largestLeft: once all are placed, the lowest of the largest aligned free blocks.
std::vector<std::optional<net::Prefix>> oracle(const Plan& plan, BlockId within, const std::vector<Segment>& segs,
                                               bool dual, std::optional<net::Prefix>& largestLeft)
{
    const net::Prefix area = plan.block(within).prefix;
    const net::Family fam = area.address.family;
    const int bits = net::familyBits(fam);
    std::vector<Span> used;
    for (BlockId b : plan.leaves())
        if (plan.block(b).state != plan::BlockState::Free)
            used.push_back({plan.block(b).prefix.address.value, plan.block(b).prefix.last().value});
    // The lowest free aligned block starts at the area's start or just after something used
    // (the block before it is not free): those are the only candidates worth a look.
    auto lowest = [&](int l) -> std::optional<u128> {
        const u128 size = u128{1} << (bits - l);
        std::optional<u128> best;
        auto consider = [&](u128 a) {
            if (a < area.address.value || a > area.last().value || area.last().value - a < size - 1 ||
                (best && *best <= a))
                return;
            const u128 z = a + size - 1;
            if (std::none_of(used.begin(), used.end(), [&](const Span& s) { return !(z < s.first || s.last < a); }))
                best = a;
        };
        consider(area.address.value);
        for (const Span& u : used)
            if (u.last != ~u128{0} && ((u.last + 1) & (size - 1)) == 0)
                consider(u.last + 1);
            else if (u.last != ~u128{0})
                consider(((u.last + 1) | (size - 1)) + 1);
        return best;
    };
    std::vector<int> len(segs.size());
    std::vector<std::size_t> order(segs.size());
    for (std::size_t i = 0; i < segs.size(); ++i) {
        len[i] = oracleLength(fam, segs[i], dual, plan.settings());
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return len[a] < len[b]; });
    std::vector<std::optional<net::Prefix>> out(segs.size());
    for (std::size_t i : order) {
        if (len[i] < area.length)
            continue;
        if (auto a = lowest(len[i])) {
            out[i] = net::Prefix{{*a, fam}, len[i]};
            used.push_back({*a, out[i]->last().value});
        }
    }
    largestLeft.reset();
    for (int l = area.length; l <= bits && !largestLeft; ++l)
        if (auto a = lowest(l))
            largestLeft = net::Prefix{{*a, fam}, l};
    return out;
}

// The free address space of a plan as merged runs, to compare before and after a command.
std::vector<Span> freeRuns(const Plan& plan)
{
    std::vector<Span> runs;
    for (BlockId b : plan.freeLeaves()) {
        const net::Prefix& p = plan.block(b).prefix;
        if (!runs.empty() && runs.back().last + 1 == p.address.value && p.address.value != 0)
            runs.back().last = p.last().value;
        else
            runs.push_back({p.address.value, p.last().value});
    }
    return runs;
}
bool operator==(const Span& a, const Span& b)
{
    return a.first == b.first && a.last == b.last;
}

std::vector<Segment> randomSegments(std::mt19937_64& rng, bool v6)
{
    std::vector<Segment> segs;
    for (int n = static_cast<int>(rng() % 25); n > 0; --n) {
        Segment s{"s" + std::to_string(n), rng() % 5 == 0 ? 1 + rng() % 2 : 1 + rng() % (rng() % 2 ? 300 : 20),
                  static_cast<double>(rng() % 4 * 12.5)};
        if (rng() % 6 == 0)
            s.fixedLength = 24 + static_cast<int>(rng() % 9), s.hosts = 0;
        if (rng() % 12 == 0 && !s.fixedLength)
            s.hosts = 5000;  // more than an IPv4 /20 holds
        if (v6 && rng() % 3 == 0)
            s.fixedLength6 = 56 + static_cast<int>(rng() % 12);
        if (rng() % 2)
            s.vlan = 1 + static_cast<int>(rng() % 4094);
        segs.push_back(s);
    }
    return segs;
}

// Random plans of each family and dual-stack ones, split by hand (so free space lies in
// many neighbouring leaves), under every setting: allocate() against the oracle, then the
// command: each placement a block, assigned as asked, the rest of the free space as it
// was, and undo and redo exact.
TEST(Allocate, MatchesTheOracleOnRandomPlansOfBothFamiliesAndDualStack)
{
    struct Case {
        std::vector<const char*> roots;
    };
    for (const Case& c : std::vector<Case>{
             {{"10.20.0.0/20"}}, {{"2001:db8::/56"}}, {{"2001:db8:40::/52"}}, {{"10.20.0.0/20", "2001:db8:40::/52"}}}) {
        std::mt19937_64 rng(3);
        for (int round = 0; round < 48; ++round) {
            Plan plan(P(c.roots[0]));
            for (std::size_t r = 1; r < c.roots.size(); ++r)
                ASSERT_EQ(plan.addRoot(P(c.roots[r])), "");
            plan.setSettings({round % 2 == 1, round % 4 >= 2});
            test::grow(plan, rng, static_cast<int>(rng() % 16));
            const auto segs = randomSegments(rng, c.roots.size() > 1 || c.roots[0][0] == '2');
            const bool dual = c.roots.size() > 1;
            const auto got = allocate(plan, plan.roots(), segs);
            ASSERT_EQ(got.size(), segs.size());
            // Dual-stack: a segment short of a block in either family is left out of both, and
            // the rest placed again without it, until each left has both.
            const std::size_t roots = plan.roots().size();
            std::vector<std::vector<std::optional<net::Prefix>>> want(roots);
            std::vector<std::optional<net::Prefix>> left(roots);
            std::vector<std::uint8_t> dropped(segs.size(), 0);
            for (bool more = true; more;) {
                more = false;
                std::vector<Segment> kept;
                std::vector<std::size_t> at;
                for (std::size_t i = 0; i < segs.size(); ++i)
                    if (!dropped[i])
                        kept.push_back(segs[i]), at.push_back(i);
                for (std::size_t t = 0; t < roots; ++t) {
                    const auto w = oracle(plan, plan.roots()[t], kept, dual, left[t]);
                    want[t].assign(segs.size(), std::nullopt);
                    for (std::size_t k = 0; k < kept.size(); ++k)
                        want[t][at[k]] = w[k];
                }
                // Those too large for a root go first, alone: the room they took may be what others lacked.
                auto tooLarge = [&](std::size_t i) {
                    for (std::size_t t = 0; t < roots; ++t) {
                        const net::Prefix area = plan.block(plan.roots()[t]).prefix;
                        if (oracleLength(area.address.family, segs[i], dual, plan.settings()) < area.length)
                            return true;
                    }
                    return false;
                };
                bool anyTooLarge = false;
                for (std::size_t k = 0; dual && k < kept.size(); ++k)
                    anyTooLarge = anyTooLarge || ((!want[0][at[k]] || !want[1][at[k]]) && tooLarge(at[k]));
                for (std::size_t k = 0; dual && k < kept.size(); ++k)
                    if ((!want[0][at[k]] || !want[1][at[k]]) && (!anyTooLarge || tooLarge(at[k])))
                        dropped[at[k]] = 1, more = true;
            }
            for (std::size_t t = 0; t < roots; ++t) {
                for (std::size_t i = 0; i < segs.size(); ++i) {
                    const Place& p = t ? static_cast<const Place&>(*got[i].second) : got[i];
                    const std::string where =
                        std::string(c.roots[t]) + " round " + std::to_string(round) + " segment " + std::to_string(i);
                    ASSERT_EQ(p.prefix, want[t][i]) << where << " " << p.reason;
                    if (!p.prefix) {
                        if (!dual) {
                            EXPECT_EQ(p.largestFree, left[t]) << where << " " << p.reason;
                        }
                        EXPECT_FALSE(p.reason.empty()) << where;
                        continue;
                    }
                    const int l = p.prefix->length;
                    EXPECT_EQ(p.first.value, p.prefix->address.value + (l < p.prefix->address.bits() - 1));
                    EXPECT_EQ(p.spare.low, oracleUsable(p.first.family, l) - segs[i].hosts) << where;
                }
            }
            Plan applied = plan;
            History h;
            if (!h.run(applied, makeAllocate(plan.roots(), segs)).empty())
                continue;
            std::vector<Span> taken;
            for (std::size_t i = 0; i < segs.size(); ++i)
                for (const Place* p : {static_cast<const Place*>(&got[i]), got[i].second ? &*got[i].second : nullptr}) {
                    if (!p || !p->prefix)
                        continue;
                    const Block& b = applied.block(applied.leafAt(p->prefix->address));
                    EXPECT_EQ(b.prefix, *p->prefix);
                    EXPECT_NE(b.state, plan::BlockState::Free);
                    EXPECT_EQ(b.name, segs[i].name);
                    EXPECT_EQ(b.vlan, segs[i].vlan);
                    EXPECT_EQ(b.growthPercent, segs[i].growthPercent);
                    taken.push_back({p->prefix->address.value, p->prefix->last().value});
                }
            // Free space after = free space before less what was taken.
            std::vector<Span> before = freeRuns(plan), expect;
            std::sort(taken.begin(), taken.end(), [](auto& a, auto& b) { return a.first < b.first; });
            for (Span run : before) {
                for (const Span& t : taken) {
                    if (t.last < run.first || t.first > run.last)
                        continue;
                    if (t.first > run.first)
                        expect.push_back({run.first, t.first - 1});
                    run.first = t.last + 1;
                }
                if (run.first <= run.last)
                    expect.push_back(run);
            }
            EXPECT_EQ(freeRuns(applied), expect) << c.roots[0] << " round " << round;
            EXPECT_EQ(applied.segments(), segs);
            const Plan done = applied;
            h.undo(applied);
            EXPECT_TRUE(applied == plan);
            h.redo(applied);
            EXPECT_TRUE(applied == done);
        }
    }
}

TEST(Allocate, AClassCWorkedThrough)
{
    Plan plan(P("192.168.1.0/24"));
    const auto got =
        allocate(plan, plan.root(), {{"a", 100, 0, {}}, {"b", 50, 20, {}}, {"c", 30, 0, {}}, {"d", 30, 1, {}}});
    EXPECT_EQ(net::formatNetwork(*got[0].prefix), "192.168.1.0/25");
    EXPECT_EQ(net::formatNetwork(*got[1].prefix), "192.168.1.128/26");  // 60 hosts with growth
    EXPECT_EQ(net::formatNetwork(*got[3].prefix), "192.168.1.192/26");  // 30.3 -> 31 + 2 > 32
    EXPECT_EQ(net::format(got[1].last), "192.168.1.190");
    EXPECT_EQ(got[1].spare.low, 12u);  // 62 usable, 50 asked: the growth reserve is spare
    EXPECT_FALSE(got[2].prefix);
    EXPECT_EQ(got[2].reason, "needs a /27; no free space is left");
    const auto big = allocate(plan, plan.root(), {{"x", 300, 0, {}}, {"y", 1, 0, {}}, {"z", 0, 0, 22}});
    EXPECT_EQ(big[0].reason, "needs a /23, larger than 192.168.1.0/24");
    EXPECT_EQ(net::formatNetwork(*big[0].largestFree), "192.168.1.128/25");  // once y is placed
    EXPECT_EQ(net::formatNetwork(*big[1].prefix), "192.168.1.0/32");  // one host: a /32
    EXPECT_EQ(big[2].reason, "needs a /22, larger than 192.168.1.0/24");
    EXPECT_EQ(allocate(plan, plan.root(), {{"w", 100, 0, 26}})[0].reason, "/26 holds 62 hosts; 100 needed");
}

// Free space split by hand is used as one: a /16 in four free /18s takes a /17, and the tree
// becomes the smallest one that holds it; what does not fit names what is left.
TEST(Allocate, IntoFreeSpaceSplitByHand)
{
    Plan plan(P("10.40.0.0/16"));
    ASSERT_EQ(plan.split(plan.root(), 4), "");
    ASSERT_EQ(plan.split(plan.block(plan.root()).children[3], 2), "");
    ASSERT_EQ(plan.setAssigned(plan.block(plan.block(plan.root()).children[3]).children[1], true), "");
    History h;
    ASSERT_EQ(h.run(plan, makeAllocate(plan.root(), {{"campus", 20000}, {"too big", 40000}})), "");
    std::vector<std::string> leaves;
    for (BlockId b : plan.leaves())
        leaves.push_back(net::formatNetwork(plan.block(b).prefix) +
                         (plan.block(b).state != plan::BlockState::Free ? "*" : ""));
    EXPECT_EQ(leaves,
              (std::vector<std::string>{"10.40.0.0/17*", "10.40.128.0/18", "10.40.192.0/19", "10.40.224.0/19*"}));
    EXPECT_EQ(plan.blockCount(), 7u);  // /16, two /17s, /18 and two /19s
    const auto left = allocate(plan, plan.root(), {{"more", 20000}});
    EXPECT_EQ(left[0].reason, "needs a /17; the largest free block left is 10.40.128.0/18");
    // All four /18s free: the half not taken is one free /17 again, not two /18s.
    Plan quarters(P("10.40.0.0/16"));
    ASSERT_EQ(quarters.split(quarters.root(), 4), "");
    ASSERT_EQ(h.run(quarters, makeAllocate(quarters.root(), {{"campus", 20000}})), "");
    EXPECT_EQ(quarters.blockCount(), 3u);
    EXPECT_EQ(quarters.freeLeaves().size(), 1u);
    // 10.0.0.0/24 with "big, 300" and "small, 10": a /25 is left.
    Plan small(P("10.0.0.0/24"));
    const auto r = allocate(small, small.root(), {{"big", 300}, {"small", 10}});
    EXPECT_EQ(r[0].largestFree, P("10.0.0.128/25"));
}

// Sizes: links, /64 for IPv6 whatever the hosts, nibble rounding, fixed lengths per family.
TEST(Allocate, SegmentLengthsFollowTheSettings)
{
    struct Case {
        Segment s;
        net::Family f;
        bool dual;
        Settings set;
        int want;
    };
    Segment both{"both", 10, 0, 28};
    both.fixedLength6 = 62;
    const auto v4 = net::Family::V4, v6 = net::Family::V6;
    for (const Case& c : std::vector<Case>{{{"p2p", 2}, v4, false, {}, 31},
                                           {{"loop", 1}, v4, false, {}, 32},
                                           {{"p2p", 2}, v4, false, {true, false}, 30},
                                           {{"loop", 1}, v4, false, {true, false}, 30},
                                           {{"three", 3}, v4, false, {}, 29},
                                           {{"lan", 3}, v6, false, {}, 64},
                                           {{"lan", 3}, v6, false, {false, true}, 64},
                                           {{"site", 0, 0, 50}, v6, false, {false, true}, 48},
                                           {{"link", 0, 0, 127}, v6, false, {false, true}, 124},
                                           {{"site", 0, 0, 52}, v6, false, {false, true}, 52},
                                           {both, v4, true, {}, 28},
                                           {both, v6, true, {}, 62},
                                           {both, v6, true, {false, true}, 60},
                                           {{"v4 only", 10, 0, 28}, v6, true, {}, 64},
                                           {{"huge", u128{1} << 70}, v6, false, {}, 57},
                                           {{"huge", u128{1} << 70}, v6, false, {false, true}, 56}}) {
        const SegmentLength l = segmentLength(c.s, c.f, c.dual, c.set);
        EXPECT_EQ(l.length, c.want) << c.s.name << " " << l.reason;
    }
    EXPECT_EQ(segmentLength({"x", 0, 0, 40}, v4, false, {}).reason, "/40 is not a prefix length of IPv4");
    // A block is counted in the unit its parts are counted in.
    for (const auto& [block, part, text] :
         std::vector<std::tuple<const char*, int, const char*>>{{"2001:db8::/48", 48, "1 /48"},
                                                                {"2001:db8::/48", 49, "65536 /64s"},
                                                                {"2001:db8::/49", 49, "32768 /64s"},
                                                                {"2001:db8::/32", 33, "65536 /48s"},
                                                                {"2001:db8::/64", 65, "18446744073709551616 addresses"},
                                                                {"2001:db8::/127", 127, "2 addresses"},
                                                                {"10.0.0.0/24", 25, "256 addresses"}})
        EXPECT_EQ(spaceText(P(block), part), text) << block << " in /" << part;
    Segment tagged{"x", 5};
    tagged.vlan = 4095;
    EXPECT_EQ(segmentLength(tagged, v4, false, {}).reason, "VLAN 4095 is not a VLAN ID from 1 to 4094");
    EXPECT_EQ(spaceText(v6, net::Count{u128{1} << 80, false}), "1 /48");
    EXPECT_EQ(spaceText(v6, net::Count{u128{3} << 64, false}), "3 /64s");
    EXPECT_EQ(spaceText(v6, net::Count{(u128{1} << 64) + 16, false}), "1 /64 and 16 addresses");
    EXPECT_EQ(spaceText(v6, net::Count{0, true}), "1208925819614629174706176 /48s");
    EXPECT_EQ(spaceText(v4, net::Count{256, false}), "256 addresses");
}

TEST(Allocate, HostsWithGrowthAndTheirLength)
{
    const u128 top = ~u128{0};
    EXPECT_EQ(neededHosts(10, 0), u128{10});
    EXPECT_EQ(neededHosts(10, 10), u128{11});
    EXPECT_EQ(neededHosts(3, 10), u128{4});  // 3.3 rounds up
    EXPECT_EQ(neededHosts(100, 12.5), u128{113});  // exact, no binary rounding
    EXPECT_EQ(neededHosts(top, 0), top);
    EXPECT_EQ(neededHosts(top / 2, 100), top - 1);
    EXPECT_FALSE(neededHosts(top, 0.000001));
    EXPECT_FALSE(neededHosts(1, -1));
    EXPECT_EQ(lengthFor(net::Family::V4, 254), 24);
    EXPECT_EQ(lengthFor(net::Family::V4, 255), 23);
    EXPECT_EQ(lengthFor(net::Family::V4, (u128{1} << 32) - 2), 0);
    EXPECT_FALSE(lengthFor(net::Family::V4, (u128{1} << 32) - 1));
    EXPECT_EQ(lengthFor(net::Family::V6, 1), 128);
    EXPECT_EQ(lengthFor(net::Family::V6, 2), 127);
    EXPECT_EQ(lengthFor(net::Family::V6, u128{1} << 64), 63);  // 2^64 - 1 usable in a /64
    EXPECT_EQ(lengthFor(net::Family::V6, top), 0);
}

TEST(Allocate, SegmentListsAsTypedOrPasted)
{
    std::vector<textio::Problem> errors;
    const auto segs = parseSegments(
        "\xEF\xBB\xBFlan, 100\r\n# site A\r\n\r\nwifi,200,25%\n  dmz , 10 , 12.5 , /28 \nlab\t10\t\t/27\np2p, 2, /31\n"
        "bad\n, 5\nx, -1\ny, 5, lots\nz, 5, 1, 28\nw, 0\nq, 1, 1, /129\n",
        errors);
    ASSERT_EQ(segs.size(), 5u);
    EXPECT_EQ(segs[0].name, "lan");
    EXPECT_EQ(segs[1].name, "wifi");
    EXPECT_EQ(segs[1].growthPercent, 25);
    EXPECT_EQ(segs[2].name, "dmz");
    EXPECT_EQ(segs[2].fixedLength, 28);
    EXPECT_EQ(segs[3].fixedLength, 27);
    EXPECT_EQ(segs[4].fixedLength, 31);
    std::vector<std::size_t> lines;
    for (const auto& e : errors)
        lines.push_back(e.line);
    EXPECT_EQ(lines, (std::vector<std::size_t>{8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(errors[0].message, "expected name, hosts[, growth%][, /len][, /len][, vlan N]");
    EXPECT_EQ(errors[2].message, "hosts \"-1\" is not a whole number from 0 to 2^128 - 1");
    EXPECT_EQ(errors[5].message, "asks for no hosts (give hosts or a /len)");
}

// The panel's text is read as mqnet reads a file (textio): comments anywhere, the line limit,
// a refused field quoted escaped.
TEST(Allocate, SegmentListsReadAsEveryList)
{
    std::vector<textio::Problem> errors;
    const auto segs =
        parseSegments("lab, 10 # comment\n" + std::string(70000, 'x') + "\nx, \x1b[2J\nwifi\t20\t# x\n", errors);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ((std::pair{segs[0].name, segs[1].name}), (std::pair<std::string, std::string>{"lab", "wifi"}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].line, 2u);
    EXPECT_EQ(errors[0].message, "the line is longer than 65536 bytes");
    EXPECT_EQ(errors[1].message, "hosts \"\\x1b[2J\" is not a whole number from 0 to 2^128 - 1");
}

}  // namespace
}  // namespace mq::plan
