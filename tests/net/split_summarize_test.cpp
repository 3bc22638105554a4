// Any row of a split without walking to it, and summaries that cover exactly the input.
#include "net/bits.h"
#include "net/split.h"
#include "net/summarize.h"
#include "tests/support/net_text.h"

#include <gtest/gtest.h>

#include <random>

namespace mq::net {
namespace {

using mq::test::inputOf;

std::string rowText(const SubnetRow& r)
{
    return toDecimal(r.index) + "," + formatNetwork(r.network) + "," + format(r.first) + "," + format(r.last) + "," +
           (r.broadcast ? format(*r.broadcast) : "");
}

std::vector<std::string> texts(const std::vector<Prefix>& ps)
{
    std::vector<std::string> out;
    for (const Prefix& p : ps)
        out.push_back(formatNetwork(p));
    return out;
}

// The bit helpers against a bit-by-bit count, on each side of the 64-bit halves.
TEST(Bits, LengthsZerosAndMasksAcrossBothHalves)
{
    for (int k = 0; k <= 128; ++k) {
        const u128 ones = lowBits(k);
        int count = 0;
        for (u128 v = ones; v; v >>= 1)
            count += static_cast<int>(v & 1);
        EXPECT_EQ(count, k);
        EXPECT_EQ(bitLength(ones), k);
        if (k == 128)
            continue;
        const u128 bit = u128{1} << k;
        EXPECT_EQ(bitLength(bit), k + 1);
        EXPECT_EQ(trailingZeros(bit), k);
        EXPECT_EQ(trailingZeros(bit | (bit << 1)), k);
        EXPECT_EQ(shiftedLeft(1, k), bit);
        EXPECT_EQ(shiftedRight(bit, k), 1u);
    }
    EXPECT_EQ(trailingZeros(0), 128);
    EXPECT_EQ(shiftedLeft(1, 128), 0u);
    EXPECT_EQ(shiftedRight(~u128{0}, 128), 0u);
    EXPECT_EQ(familyMask(Family::V4), lowBits(32));
    EXPECT_EQ(familyMask(Family::V6), lowBits(128));
}

TEST(Split, RowsAtBothEndsOfHugeSplitsAndTheRowOfAnAddress)
{
    const Splitter a(inputOf("10.9.9.9/8").prefix, 30);  // host bits of the parent ignored
    ASSERT_TRUE(a.valid());
    EXPECT_EQ(toDecimal(a.rowCount()), "4194304");
    EXPECT_EQ(rowText(a.row(0)), "0,10.0.0.0/30,10.0.0.1,10.0.0.2,10.0.0.3");
    EXPECT_EQ(rowText(a.row(a.lastIndex())), "4194303,10.255.255.252/30,10.255.255.253,10.255.255.254,10.255.255.255");
    EXPECT_EQ(a.rowOf(inputOf("10.1.0.6").prefix.address), u128{16385});
    EXPECT_EQ(a.rowOf(inputOf("11.0.0.0").prefix.address), std::nullopt);
    EXPECT_EQ(rowText(Splitter(inputOf("192.0.2.0/24").prefix, 31).row(3)), "3,192.0.2.6/31,192.0.2.6,192.0.2.7,");

    const Splitter b(inputOf("2001:db8::/8").prefix, 128);
    EXPECT_EQ(toDecimal(b.rowCount()), "1329227995784915872903807060280344576");  // 2^120
    EXPECT_EQ(rowText(b.row(b.lastIndex())),
              "1329227995784915872903807060280344575,20ff:ffff:ffff:ffff:ffff:ffff:ffff:ffff/128,"
              "20ff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,20ff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,");
    EXPECT_EQ(b.rowOf(b.row(u128{1} << 100).first), u128{1} << 100);

    const Splitter whole(inputOf("::/0").prefix, 128);
    EXPECT_EQ(toDecimal(whole.rowCount()), "340282366920938463463374607431768211456");
    EXPECT_EQ(whole.lastIndex(), ~u128{0});
    EXPECT_EQ(rowText(Splitter(inputOf("::/0").prefix, 0).row(0)),
              "0,::/0,::1,ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,");
    EXPECT_EQ(rowText(Splitter(inputOf("2001:db8::/64").prefix, 65).row(1)),
              "1,2001:db8:0:0:8000::/65,2001:db8::8000:0:0:1,2001:db8::ffff:ffff:ffff:ffff,");

    EXPECT_FALSE(Splitter(inputOf("10.0.0.0/8").prefix, 7).valid());
    EXPECT_FALSE(Splitter(inputOf("10.0.0.0/8").prefix, 33).valid());
    EXPECT_TRUE(Splitter(inputOf("10.0.0.0/8").prefix, 8).valid());
}

TEST(Summarize, RangesToPrefixes)
{
    EXPECT_EQ(texts(rangeToPrefixes(inputOf("10.0.0.1-10.0.0.6").range)),
              (std::vector<std::string>{"10.0.0.1/32", "10.0.0.2/31", "10.0.0.4/31", "10.0.0.6/32"}));
    EXPECT_EQ(texts(rangeToPrefixes(inputOf("0.0.0.0-255.255.255.255").range)),
              (std::vector<std::string>{"0.0.0.0/0"}));
    EXPECT_EQ(texts(rangeToPrefixes(inputOf(":: - ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff").range)),
              (std::vector<std::string>{"::/0"}));
    EXPECT_EQ(texts(rangeToPrefixes(inputOf("::1-ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff").range)).size(), 128u);
    EXPECT_EQ(texts(rangeToPrefixes(inputOf("255.255.255.255-255.255.255.255").range)),
              (std::vector<std::string>{"255.255.255.255/32"}));
}

TEST(Summarize, MixedFamiliesOverlapsAndNeighboursJoin)
{
    std::vector<Range> in;
    for (const char* t : {"2001:db8::/33", "10.0.1.0/24", "2001:db8:8000::/33", "10.0.0.0/24", "10.0.0.7",
                          "192.0.2.0/25", "192.0.2.100-192.0.2.200", "::1", "255.255.255.255", "0.0.0.0"})
        in.push_back(inputOf(t).range);
    EXPECT_EQ(texts(summarize(in)),
              (std::vector<std::string>{"0.0.0.0/32", "10.0.0.0/23", "192.0.2.0/25", "192.0.2.128/26", "192.0.2.192/29",
                                        "192.0.2.200/32", "255.255.255.255/32", "::1/128", "2001:db8::/32"}));
    EXPECT_EQ(texts(summarize({inputOf("0.0.0.0/1").range, inputOf("128.0.0.0/1").range, inputOf("1.2.3.4").range})),
              (std::vector<std::string>{"0.0.0.0/0"}));
    EXPECT_TRUE(summarize({}).empty());
}

// Against a bitmap of a small space: the summary covers exactly the addresses given,
// is sorted, and no two of its prefixes could be one.
TEST(Summarize, RandomRangesAgainstABitmap)
{
    std::mt19937 rng(12);
    for (int round = 0; round < 200; ++round) {
        std::vector<bool> want(1024);
        std::vector<Range> in;
        for (int k = std::uniform_int_distribution<int>(0, 12)(rng); k > 0; --k) {
            std::uint32_t a = std::uniform_int_distribution<std::uint32_t>(0, 1023)(rng);
            std::uint32_t b =
                std::min<std::uint32_t>(1023, a + std::uniform_int_distribution<std::uint32_t>(0, 90)(rng));
            for (std::uint32_t v = a; v <= b; ++v)
                want[v] = true;
            in.push_back({Address::v4(0x0A000000 + a), Address::v4(0x0A000000 + b)});
        }
        std::vector<bool> got(1024);
        const std::vector<Prefix> out = summarize(in);
        for (std::size_t i = 0; i < out.size(); ++i) {
            for (u128 v = out[i].network().value; v <= out[i].last().value; ++v)
                got[static_cast<std::size_t>(v - 0x0A000000)] = true;
            if (i > 0) {
                ASSERT_LT(out[i - 1].last().value, out[i].network().value);
                const bool siblings = out[i - 1].length == out[i].length &&
                                      Prefix{out[i - 1].address, out[i].length - 1}.contains(out[i].address);
                EXPECT_FALSE(siblings) << formatNetwork(out[i - 1]) << " " << formatNetwork(out[i]);
            }
        }
        ASSERT_EQ(got, want) << "round " << round;
    }
}

}  // namespace
}  // namespace mq::net
