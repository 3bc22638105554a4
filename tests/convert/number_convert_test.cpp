#include "convert/number_convert.h"

#include <gtest/gtest.h>

#include <random>

namespace mq {
namespace {

// Independent reference: shifts and masks on a 64-bit integer.
std::string binaryOf(std::uint64_t v)
{
    if (v == 0)
        return "0";
    std::string s;
    for (; v != 0; v >>= 1)
        s.insert(s.begin(), static_cast<char>('0' + (v & 1)));
    return s;
}

std::string hexOf(std::uint64_t v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
    return buf;
}

struct BbinCase {
    const char* text;
    int length;
    std::uint64_t value;
};

class Bbin : public ::testing::TestWithParam<BbinCase> { };

TEST_P(Bbin, SumsTheOnes)
{
    EXPECT_EQ(bbin(GetParam().text, GetParam().length), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, Bbin,
                         ::testing::Values(BbinCase{"1010", 4, 10}, BbinCase{"0001", 4, 1}, BbinCase{"", 0, 0},
                                           BbinCase{"0", 1, 0}, BbinCase{"1", 1, 1},
                                           BbinCase{"1111111111111111111111111111111", 31, 2147483647},
                                           BbinCase{"12x1", 4, 9},  // only "1" counts
                                           BbinCase{"1010", 2, 2},  // the length decides
                                           BbinCase{"10", 9, 2}));  // never past the text

TEST(Bbin, SaturatesInsteadOfWrapping)
{
    EXPECT_EQ(bbin(std::string(64, '1'), 64), UINT64_MAX);
    EXPECT_EQ(bbin(std::string(70, '1'), 70), UINT64_MAX);
    EXPECT_EQ(bbin("1" + std::string(63, '0'), 64), std::uint64_t{1} << 63);
}

TEST(Dbin, MatchesTheReferenceOverSampledValues)
{
    std::mt19937 rng(7);
    std::vector<std::uint32_t> values{0, 1, 2, 3, 7, 255, 256, 2147483647u, 2147483648u, 4294967295u};
    for (int i = 0; i < 2000; ++i)
        values.push_back(static_cast<std::uint32_t>(rng()) >> (rng() % 32));
    for (auto v : values) {
        const std::string digits = dbin(v);
        EXPECT_EQ(digits, binaryOf(v)) << v;
        EXPECT_EQ(bbin(digits, static_cast<int>(digits.size())), v);
    }
    EXPECT_EQ(dbin(0), "0");
    EXPECT_EQ(dbin(4294967295u), std::string(32, '1'));
}

struct HbinCase {
    const char* text;
    std::uint64_t value;
};

class Hbin : public ::testing::TestWithParam<HbinCase> { };

TEST_P(Hbin, ReadsFromTheRight)
{
    const std::string t = GetParam().text;
    EXPECT_EQ(hbin(t, static_cast<int>(t.size())), GetParam().value) << t;
}

INSTANTIATE_TEST_SUITE_P(Texts, Hbin,
                         ::testing::Values(HbinCase{"ff", 255}, HbinCase{"FF", 255}, HbinCase{"0", 0}, HbinCase{"", 0},
                                           HbinCase{"FFFFFFFF", 4294967295u}, HbinCase{"7fffffff", 2147483647},
                                           HbinCase{"a0B1", 0xA0B1}, HbinCase{"1g", 16},  // a non-digit counts as 0
                                           HbinCase{"00000010", 16}));

TEST(Hbin, SaturatesBeyondSixteenDigits)
{
    EXPECT_EQ(hbin("FFFFFFFFFFFFFFFF", 16), UINT64_MAX);
    EXPECT_EQ(hbin("123456789ABCDEF01", 17), UINT64_MAX);
}

TEST(Calchex, UpperCaseWithoutLeadingZerosUpToTheLimit)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>(rng()) >> (1 + rng() % 31);
        EXPECT_EQ(calchex(std::to_string(v)), hexOf(v)) << v;
    }
    EXPECT_EQ(calchex("0"), "0");
    EXPECT_EQ(calchex("10"), "A");
    EXPECT_EQ(calchex("007"), "7");
    EXPECT_EQ(calchex("2147483647"), "7FFFFFFF");
    EXPECT_EQ(calchex(""), "0");
    EXPECT_EQ(calchex("2147483648"), std::nullopt);
    EXPECT_EQ(calchex("4294967295"), std::nullopt);
    EXPECT_EQ(calchex("99999999999999999999"), std::nullopt);
}

}  // namespace
}  // namespace mq
