// The allocation map's geometry: spans in order without gaps, sub-pixel runs
// merged, hit tests that agree with the blocks' own extents.
#include "planner/map_index.h"

#include "tests/support/random_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace mq::planner {
namespace {

using plan::BlockId;

// Splits random free leaves of the plan `n` times, into 2 to 16 parts.
void randomSplits(plan::Plan& p, int n, unsigned seed)
{
    std::mt19937 rng(seed);
    test::grow(p, rng, test::Growth{.steps = n, .maxPower = 4, .minRoom = 4, .labels = false});
}

struct MapCase {
    net::Prefix root;
    int splits;
    double length, from, to;
};

class MapSpans : public ::testing::TestWithParam<MapCase> { };

TEST_P(MapSpans, CoverTheViewInOrderAndHitTheRightLeaf)
{
    const MapCase& c = GetParam();
    plan::Plan p(c.root);
    randomSplits(p, c.splits, 7);
    MapIndex index;
    index.rebuild(p);
    ASSERT_EQ(index.leafCount(), p.leaves().size());

    const auto spans = index.spans(c.length, c.from, c.to);
    ASSERT_FALSE(spans.empty());
    EXPECT_LE(spans.front().from, c.from);
    EXPECT_GE(spans.back().to, std::min(c.to, c.length) - 1e-6);
    // Never more than one span per pixel shown, plus the wide blocks.
    EXPECT_LE(spans.size(), 2 * static_cast<std::size_t>(c.to - c.from) + 2);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const MapSpan& s = spans[i];
        EXPECT_LT(s.from, s.to);
        if (i > 0) {
            EXPECT_LE(spans[i - 1].to, s.from + 1.0 + 1e-6) << i;  // no gap of a pixel
        }
        if (!s.mixed) {
            auto [start, size] = MapIndex::extent(p, s.id);
            // A leaf that begins in a mixed pixel is drawn from that pixel's end.
            EXPECT_GE(s.from, static_cast<double>(start) * c.length - 1e-6);
            EXPECT_LE(s.from, static_cast<double>(start) * c.length + 1.0);
            EXPECT_NEAR(s.to, static_cast<double>(start + size) * c.length, 1e-6);
            // The middle of a leaf's span finds that leaf.
            EXPECT_EQ(index.leafAt((start + size / 2)), s.id);
        }
    }
    EXPECT_EQ(index.leafAt(-0.1L), plan::kNoBlock);
    EXPECT_EQ(index.leafAt(1.0L), plan::kNoBlock);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, MapSpans,
    ::testing::Values(MapCase{{net::Address::v4(0x0A000000u), 8}, 0, 800, 0, 800},
                      MapCase{{net::Address::v4(0x0A000000u), 8}, 300, 8000, 0, 8000},
                      MapCase{{net::Address::v4(0xC0A80000u), 16}, 2000, 640, 100, 500},
                      MapCase{{net::Address::v6(net::u128(0x20010db8u) << 96), 32}, 3000, 1e6, 2e5, 2.1e5},
                      MapCase{{net::Address::v6(0), 0}, 500, 5000, 0, 5000}));

TEST(MapIndex, ManySmallLeavesCostPixelsNotLeaves)
{
    plan::Plan p({net::Address::v4(0x0A000000u), 8});
    ASSERT_EQ(p.split(p.root(), 1 << 16), "");
    MapIndex index;
    index.rebuild(p);
    const auto spans = index.spans(1000, 0, 1000);
    EXPECT_LE(spans.size(), 1001u);
    for (const MapSpan& s : spans)
        EXPECT_TRUE(s.mixed);
    // Zoomed in far enough, every leaf shows as itself.
    const auto wide = index.spans(65536.0 * 4, 0, 400);
    ASSERT_EQ(wide.size(), 100u);
    EXPECT_FALSE(wide[0].mixed);
}

}  // namespace
}  // namespace mq::planner
