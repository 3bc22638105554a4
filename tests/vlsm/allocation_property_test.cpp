// Thousands of random runs checked against a brute-force search written here.
#include "vlsm/allocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

namespace mq::vlsm {
namespace {

int blockFor(double hosts)
{
    int size = 4;
    while (size - 2 < hosts)
        size *= 2;
    return size;
}

bool blockFree(const std::array<bool, 256>& used, int first, int size)
{
    for (int v = first; v < first + size; ++v)
        if (used[static_cast<std::size_t>(v)])
            return false;
    return true;
}

TEST(VlsmProperty, RandomRunsMatchABruteForceSearch)
{
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> countDist(1, 30);
    std::uniform_int_distribution<int> hostDist(1, 62);
    std::uniform_int_distribution<int> flavour(0, 3);
    const std::string prefix = "203.0.113.";
    int placedTotal = 0, refusedTotal = 0;

    for (int run = 0; run < 4000; ++run) {
        int n = countDist(rng);
        std::vector<std::string> texts;
        for (int k = 0; k < n; ++k) {
            // Bias some runs towards many small or many large segments.
            int h = hostDist(rng);
            if (flavour(rng) == 0)
                h = 1 + h % 6;
            texts.push_back(std::to_string(h));
        }
        auto segments = makeSegments(texts);
        auto expectedOrder = segments;
        std::stable_sort(expectedOrder.begin(), expectedOrder.end(),
                         [](const VlsmSegment& a, const VlsmSegment& b) { return a.hosts > b.hosts; });
        sortSegments(segments);
        ASSERT_EQ(segments.size(), expectedOrder.size());
        for (std::size_t i = 0; i < segments.size(); ++i)
            ASSERT_EQ(segments[i].number, expectedOrder[i].number) << "run " << run;

        AddressMap map;
        std::array<bool, 256> used{};
        for (const auto& s : segments) {
            const int S = blockFor(s.hosts);
            const int B = 256 / S;
            // Candidates from the middle outwards, lower one first; never
            // block 0 or block B - 1.
            int want = -1;
            for (int step = 0; step < B / 2 && want < 0; ++step) {
                for (int idx : {B / 2 - step, B / 2 + step}) {
                    if (idx >= 1 && idx <= B - 2 && blockFree(used, idx * S, S)) {
                        want = idx * S;
                        break;
                    }
                }
            }
            bool anyFree = false;
            for (int idx = 1; idx <= B - 2; ++idx)
                anyFree = anyFree || blockFree(used, idx * S, S);

            std::vector<std::string> lines;
            auto got = classc(s.hosts, s.number, prefix, map, lines);
            const std::string N = std::to_string(s.number);
            if (!anyFree) {
                ASSERT_FALSE(got.has_value()) << "run " << run << " segment " << N;
                ASSERT_EQ(lines, (std::vector<std::string>{"Cannot assign a subnet mask to subnet " + N, ""}));
                ++refusedTotal;
                continue;
            }
            ASSERT_TRUE(got.has_value()) << "run " << run << " segment " << N << " size " << S;
            const int F = *got;
            ASSERT_EQ(F % S, 0) << "unaligned block";
            ASSERT_GE(F / S, 1) << "block zero handed out";
            ASSERT_LE(F / S, B - 2) << "all-ones block handed out";
            ASSERT_TRUE(blockFree(used, F, S)) << "overlap in run " << run;
            ASSERT_GE(S - 2, s.hosts);
            ASSERT_EQ(F, want) << "not the block nearest the middle";
            ASSERT_EQ(lines, (std::vector<std::string>{
                                 "Subnet " + N + " lower address is " + prefix + std::to_string(F + 1),
                                 "Subnet " + N + " upper address is " + prefix + std::to_string(F + S - 2),
                                 "Subnet mask for segment " + N + " is 255.255.255." + std::to_string(256 - S), ""}));
            for (int v = F; v < F + S; ++v)
                used[static_cast<std::size_t>(v)] = true;
            ++placedTotal;
        }
        int takenInMap = map.takenCount();
        int takenHere = static_cast<int>(std::count(used.begin(), used.end(), true));
        ASSERT_EQ(takenInMap, takenHere);
    }
    // The runs exercise both outcomes.
    EXPECT_GT(placedTotal, 10000);
    EXPECT_GT(refusedTotal, 1000);
}

}  // namespace
}  // namespace mq::vlsm
