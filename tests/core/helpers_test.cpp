#include "core/helpers.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

struct NumberCase {
    const char* text;
    double value;
};

class LeadingNumber : public ::testing::TestWithParam<NumberCase> { };

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart)
{
    EXPECT_DOUBLE_EQ(leadingNumber(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumber,
                         ::testing::Values(NumberCase{"12a", 12}, NumberCase{"ab", 0}, NumberCase{"", 0},
                                           NumberCase{" 3", 3}, NumberCase{"010", 10}, NumberCase{"-5", -5},
                                           NumberCase{".5", 0.5}, NumberCase{"2.5x", 2.5}, NumberCase{"+7", 7},
                                           NumberCase{"-", 0}, NumberCase{".", 0}, NumberCase{"1.", 1},
                                           NumberCase{"  -0.25", -0.25}));

TEST(NumberTexts, SignPositionAndPlainForms)
{
    EXPECT_EQ(signText(128), " 128");
    EXPECT_EQ(signText(0), " 0");
    EXPECT_EQ(signText(-5), "-5");
    EXPECT_EQ(plainNumber(0.5), ".5");
    EXPECT_EQ(plainNumber(-0.5), "-.5");
    EXPECT_EQ(plainNumber(4194302), "4194302");
    EXPECT_EQ(plainNumber(2.5), "2.5");
    EXPECT_EQ(signText(0.5), " .5");
}

TEST(NumberTexts, WholeTextNumbers)
{
    EXPECT_TRUE(isNumber("12"));
    EXPECT_TRUE(isNumber(" 12 "));
    EXPECT_TRUE(isNumber("-1.5"));
    EXPECT_FALSE(isNumber("12a"));
    EXPECT_FALSE(isNumber(""));
    EXPECT_FALSE(isNumber("abc"));
    EXPECT_FALSE(isNumber("1 2"));
}

TEST(Substrings, MidNeverReadsPastTheText)
{
    EXPECT_EQ(mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(mid("abc", 3, 10), "c");
    EXPECT_EQ(mid("abc", 4, 1), "");
    EXPECT_EQ(mid("abc", 1, 0), "");
    EXPECT_EQ(mid("abc", 0, 2), "a");
    EXPECT_EQ(trim("  a b  "), "a b");
}

}  // namespace
}  // namespace mq
