// Cloud address rules against an oracle that counts, address by address, what each cloud's
// documentation lists as reserved in a subnet.
#include <gtest/gtest.h>

#include <set>

#include "net/facts.h"
#include "plan/cloud.h"

namespace mq::plan {
namespace {

struct Documented {
    CloudMode mode;
    std::set<long> fromStart;  // offsets from the network address
    std::set<long> fromEnd;  // offsets back from the last address (0: broadcast)
    int shortest, longest;
};

const Documented kClouds[] = {
    {CloudMode::Aws, {0, 1, 2, 3}, {0}, 16, 28},
    {CloudMode::Azure, {0, 1, 2, 3}, {0}, 0, 29},
    {CloudMode::Gcp, {0, 1}, {0, 1}, 0, 29},
    {CloudMode::Oci, {0, 1}, {0}, 0, 30},
};

// Usable addresses and the first of them, by walking the block.
struct Walked {
    long usable = 0;
    long first = -1, last = -1;
};
Walked walk(const Documented& d, int length)
{
    Walked w;
    const long size = 1L << (32 - length);
    for (long a = 0; a < size; ++a) {
        if (d.fromStart.count(a) || d.fromEnd.count(size - 1 - a))
            continue;
        ++w.usable;
        if (w.first < 0)
            w.first = a;
        w.last = a;
    }
    return w;
}

TEST(CloudModes, AgreeWithTheDocumentedReservations)
{
    const std::uint32_t base = 0x0A000000;  // 10.0.0.0
    for (const Documented& d : kClouds) {
        SCOPED_TRACE(std::string(cloudRules(d.mode).key));
        long walkedByLength[33] = {};
        for (int length = 12; length <= 32; ++length) {
            const net::Prefix p{net::Address::v4(base), length};
            const bool allowed = length >= d.shortest && length <= d.longest;
            EXPECT_EQ(cloudAllowsLength(d.mode, p), allowed) << length;
            // Blocks too small for a subnet have no usable addresses; larger ones (a VPC's
            // surroundings) count like subnets.
            const Walked w = walk(d, length);
            const long usable = length <= d.longest ? w.usable : 0;
            walkedByLength[length] = allowed ? usable : 0;
            EXPECT_EQ(cloudUsableHosts(d.mode, p).low, static_cast<net::u128>(usable)) << length;
            const auto first = cloudFirstUsable(d.mode, p), last = cloudLastUsable(d.mode, p);
            if (usable == 0) {
                EXPECT_FALSE(first) << length;
                continue;
            }
            ASSERT_TRUE(first && last) << length;
            EXPECT_EQ(first->value, base + static_cast<std::uint32_t>(w.first)) << length;
            EXPECT_EQ(last->value, base + static_cast<std::uint32_t>(w.last)) << length;
        }
        // The length for a need: the longest allowed whose walked count holds it.
        for (long needed : {0L,   1L,   2L,   3L,   5L,    11L,   12L,    27L,    28L,     59L,     60L,
                            123L, 250L, 251L, 252L, 1000L, 4091L, 65531L, 65532L, 200000L, 1048571L}) {
            std::optional<int> expected;
            for (int length = d.longest; length >= std::max(d.shortest, 12) && !expected; --length)
                if (walkedByLength[length] >= needed)
                    expected = length;
            if (!expected && d.shortest < 12)
                continue;  // beyond what the oracle walks
            EXPECT_EQ(cloudLengthFor(d.mode, net::Family::V4, static_cast<net::u128>(needed)), expected) << needed;
        }
    }
}

TEST(CloudModes, StandardRulesOutsideTheCloudsAndForIpv6)
{
    for (CloudMode mode : {CloudMode::None, CloudMode::Aws}) {
        const net::Prefix v6{net::Address::v6(net::u128{0x20010DB8} << 96), 64};
        EXPECT_EQ(cloudUsableHosts(mode, v6), net::hostsOf(v6).usable);
        EXPECT_TRUE(cloudAllowsLength(mode, v6));
        EXPECT_EQ(cloudLengthFor(mode, net::Family::V6, 1), 128);
    }
    // Standard: RFC 3021 links, /32 hosts.
    EXPECT_EQ(cloudLengthFor(CloudMode::None, net::Family::V4, 1), 32);
    EXPECT_EQ(cloudLengthFor(CloudMode::None, net::Family::V4, 2), 31);
    EXPECT_EQ(cloudLengthFor(CloudMode::None, net::Family::V4, 3), 29);
    EXPECT_EQ(cloudLengthFor(CloudMode::Aws, net::Family::V4, 65532), std::nullopt);
    // Names as typed on the command line, in any case.
    EXPECT_EQ(parseCloudMode("Azure"), CloudMode::Azure);
    EXPECT_EQ(parseCloudMode("huawei"), std::nullopt);
}

}  // namespace
}  // namespace mq::plan
