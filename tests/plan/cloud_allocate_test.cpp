// Allocation in each cloud mode, checked against an oracle that knows each cloud's reserved
// addresses and subnet sizes and tries every aligned place on a bitmap of the root.
#include <gtest/gtest.h>

#include <random>

#include "plan/allocate.h"
#include "plan/commands.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using test::P;

struct Rules {
    CloudMode mode;
    int low, high, shortest, longest;
};
// network .. low-1 and the top `high` addresses are the cloud's.
constexpr Rules kClouds[] = {
    {CloudMode::Aws, 4, 1, 16, 28},
    {CloudMode::Azure, 4, 1, 0, 29},
    {CloudMode::Gcp, 2, 2, 0, 29},
    {CloudMode::Oci, 2, 1, 0, 30},
};

int oracleLength(const Rules& r, std::uint64_t hosts)
{
    for (int l = r.longest; l >= r.shortest; --l)
        if ((std::uint64_t{1} << (32 - l)) - static_cast<std::uint64_t>(r.low + r.high) >= hosts)
            return l;
    return -1;
}

class CloudAllocate : public ::testing::TestWithParam<Rules> { };

TEST_P(CloudAllocate, MatchesABitmapOracle)
{
    const Rules r = GetParam();
    std::mt19937_64 rng(static_cast<unsigned>(r.mode) * 77);
    const net::Prefix root = P("10.8.0.0/20");
    const std::uint32_t base = 0x0A080000u;
    for (int round = 0; round < 200; ++round) {
        Plan plan(root);
        Settings s;
        s.cloud = r.mode;
        plan.setSettings(s);
        std::vector<Segment> segs;
        const int n = 1 + static_cast<int>(rng() % 10);
        for (int i = 0; i < n; ++i)
            segs.emplace_back("s" + std::to_string(i), 1 + rng() % (rng() % 4 ? 60 : 3000));
        const auto places = allocate(plan, plan.root(), segs);

        // Oracle: largest first (entry order among equals), the lowest free aligned place.
        std::vector<int> want(segs.size());
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < segs.size(); ++i) {
            want[i] = oracleLength(r, static_cast<std::uint64_t>(segs[i].hosts));
            if (want[i] >= 0)
                order.push_back(i);
        }
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return want[a] < want[b]; });
        std::vector<bool> used(4096, false);
        std::vector<std::int64_t> at(segs.size(), -1);
        for (std::size_t i : order) {
            if (want[i] < root.length)
                continue;
            const std::uint32_t size = 1u << (32 - want[i]);
            for (std::uint32_t start = 0; start < 4096 && at[i] < 0; start += size)
                if (std::none_of(used.begin() + start, used.begin() + start + size, [](bool u) { return u; })) {
                    std::fill(used.begin() + start, used.begin() + start + size, true);
                    at[i] = start;
                }
        }
        for (std::size_t i = 0; i < segs.size(); ++i) {
            const Placement& p = places[i];
            if (at[i] < 0) {
                EXPECT_FALSE(p.prefix) << "round " << round << " segment " << i;
                continue;
            }
            ASSERT_TRUE(p.prefix) << "round " << round << " segment " << i << ": " << p.reason;
            EXPECT_EQ(p.prefix->length, want[i]);
            const std::uint32_t net = base + static_cast<std::uint32_t>(at[i]);
            EXPECT_EQ(p.prefix->address.value, net);
            const std::uint32_t size = 1u << (32 - want[i]);
            EXPECT_EQ(p.first.value, net + static_cast<std::uint32_t>(r.low));
            EXPECT_EQ(p.last.value, net + size - 1 - static_cast<std::uint32_t>(r.high));
            EXPECT_EQ(p.spare.low, size - static_cast<std::uint32_t>(r.low + r.high) - segs[i].hosts);
        }
        // The command gives the same blocks, and their spare follows the mode.
        History h;
        if (std::any_of(at.begin(), at.end(), [](std::int64_t a) { return a >= 0; })) {
            ASSERT_EQ(h.run(plan, makeAllocate(plan.root(), segs)), "");
            for (BlockId b : plan.leaves()) {
                if (plan.block(b).state == plan::BlockState::Free)
                    continue;
                EXPECT_EQ(plan.spareHosts(b).low, (net::u128{1} << (32 - plan.block(b).prefix.length)) -
                                                      static_cast<unsigned>(r.low + r.high) -
                                                      plan.block(b).hostsNeeded);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CloudAllocate, ::testing::ValuesIn(kClouds));

TEST(CloudAllocate, FixedLengthsOutsideAModesSizesAreRefused)
{
    Plan plan(P("10.0.0.0/8"));
    Settings s;
    s.cloud = CloudMode::Aws;
    plan.setSettings(s);
    Segment tooSmall("tiny", 1, 0, 29), tooLarge("huge", 1, 0, 15), fine("ok", 11, 0, 28), over("over", 12, 0, 28);
    const auto p = allocate(plan, plan.root(), {tooSmall, tooLarge, fine, over});
    EXPECT_FALSE(p[0].prefix);
    EXPECT_EQ(p[0].reason, "/29 is not a subnet AWS allows");
    EXPECT_FALSE(p[1].prefix);
    EXPECT_TRUE(p[2].prefix);
    EXPECT_FALSE(p[3].prefix);  // a /28 holds 11 in AWS
    const auto big = allocate(plan, plan.root(), {Segment("big", 70000)});
    EXPECT_FALSE(big[0].prefix);  // more than a /16 holds
}

}  // namespace
}  // namespace mq::plan
