#include "convert/mac_convert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace mq {
namespace {

// Reference: reverse the bits of each byte with integer arithmetic.
std::string reverseBytes(std::uint64_t mac)
{
    std::uint64_t out = 0;
    for (int byte = 0; byte < 6; ++byte) {
        const unsigned b = static_cast<unsigned>(mac >> (8 * byte)) & 0xFF;
        unsigned r = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (b & (1u << bit))
                r |= 1u << (7 - bit);
        out |= std::uint64_t{r} << (8 * byte);
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%012llx", static_cast<unsigned long long>(out));
    return buf;
}

struct MacCase {
    const char* in;
    const char* out;
};

class Canon : public ::testing::TestWithParam<MacCase> { };

TEST_P(Canon, ReversesTheBitsOfEachByteBothWays)
{
    EXPECT_EQ(canon(GetParam().in), GetParam().out);
    EXPECT_EQ(canon(GetParam().out), GetParam().in);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, Canon,
    ::testing::Values(MacCase{"0123456789ab", "80c4a2e691d5"}, MacCase{"ffffffffffff", "ffffffffffff"},
                      MacCase{"000000000000", "000000000000"}, MacCase{"010000000000", "800000000000"},
                      // Published bit-reversal vectors.
                      MacCase{"1a2b3c4d5e6f", "58d43cb27af6"}, MacCase{"00000c112233", "0000308844cc"},
                      MacCase{"400037460001", "0200ec620080"}, MacCase{"100001020304", "08008040c020"}));

TEST(Canon, TwiceAppliedGivesRandomAddressesBack)
{
    std::mt19937_64 rng(42);
    for (int i = 0; i < 5000; ++i) {
        const std::uint64_t mac = rng() & 0xFFFFFFFFFFFFull;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%012llx", static_cast<unsigned long long>(mac));
        const auto once = canon(buf);
        ASSERT_TRUE(once);
        EXPECT_EQ(*once, reverseBytes(mac)) << buf;
        EXPECT_EQ(canon(*once), std::string(buf));
    }
}

TEST(Canon, UpperCaseReadsAsLowerAndExtraCharactersAreIgnored)
{
    EXPECT_EQ(canon("1A2B3C4D5E6F"), "58d43cb27af6");
    EXPECT_EQ(canon("0123456789abXYZ"), "80c4a2e691d5");
}

TEST(Canon, RefusesShortOrNonHexText)
{
    for (const char* bad : {"", "0123456789a", "0123456789ag", "01:23:45:67:", "g00000000000", " 0123456789a"})
        EXPECT_EQ(canon(bad), std::nullopt) << '"' << bad << '"';
}

TEST(ReverseNibble, EveryDigit)
{
    const std::string digits = "0123456789abcdef";
    for (unsigned v = 0; v < 16; ++v) {
        const unsigned r = ((v & 1) << 3) | ((v & 2) << 1) | ((v & 4) >> 1) | ((v & 8) >> 3);
        EXPECT_EQ(reverseNibble(digits[v]), digits[r]) << v;
    }
    EXPECT_EQ(reverseNibble('B'), 'd');
    EXPECT_EQ(reverseNibble('g'), std::nullopt);
    EXPECT_EQ(reverseNibble('\0'), std::nullopt);
}

}  // namespace
}  // namespace mq
