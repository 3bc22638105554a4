#include "convert/bindec_model.h"

#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

using test::FakeServices;
using test::Message;

// Types as the text box does: each character through the key filter, then
// into the box while the length limit allows.
void type(BindecModel& m, const std::string& keys)
{
    for (char c : keys) {
        int k = static_cast<unsigned char>(c);
        m.Text4_KeyPress(k);
        if (k == 0)
            continue;
        if (k == 8) {
            if (!m.Text4.text.empty())
                m.Text4.text.pop_back();
        } else if (m.Text4.maxLength == 0 || static_cast<int>(m.Text4.text.size()) < m.Text4.maxLength) {
            m.Text4.text += static_cast<char>(k);
        }
    }
}

int keypadIndex(char c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

void press(BindecModel& m, const std::string& captions)
{
    for (char c : captions)
        m.SSCommand2_Click(keypadIndex(c));
}

struct BindecTest : ::testing::Test {
    FakeServices fake;
    BindecModel m{fake};
    void SetUp() override { m.Form_Load(); }
    void results(const std::string& bin, const std::string& dec, const std::string& hex)
    {
        EXPECT_EQ(m.Text1[0].text, bin);
        EXPECT_EQ(m.Text1[1].text, dec);
        EXPECT_EQ(m.Text1[2].text, hex);
    }
};

struct ConvertCase {
    int mode;
    const char* typed;  // through the key filter
    const char* keypad;  // through the keypad, after the typing
    const char* bin;
    const char* dec;
    const char* hex;
};

class BindecConvert : public BindecTest, public ::testing::WithParamInterface<ConvertCase> { };

TEST_P(BindecConvert, ShowsAllThreeBases)
{
    const auto& c = GetParam();
    m.SSOption1_Click(c.mode);
    type(m, c.typed);
    press(m, c.keypad);
    m.SSCommand3_Click();
    EXPECT_TRUE(fake.messages.empty()) << fake.messages.front().text;
    results(c.bin, c.dec, c.hex);
}

const std::string ones31(31, '1');
const std::string ones32(32, '1');

INSTANTIATE_TEST_SUITE_P(
    Inputs, BindecConvert,
    ::testing::Values(ConvertCase{0, "1010", "", "1010", "10", "A"}, ConvertCase{0, "0001", "", "0001", "1", "1"},
                      ConvertCase{0, ones31.c_str(), "", ones31.c_str(), "2147483647", "7FFFFFFF"},
                      ConvertCase{0, "", "101", "101", "5", "5"}, ConvertCase{0, "0", "", "0", "0", "0"},
                      ConvertCase{1, "255", "", "11111111", "255", "FF"},
                      ConvertCase{1, "2147483647", "", ones31.c_str(), "2147483647", "7FFFFFFF"},
                      ConvertCase{1, "0", "", "0", "0", "0"}, ConvertCase{1, "007", "", "111", "007", "7"},
                      ConvertCase{1, "", "4096", "1000000000000", "4096", "1000"},
                      ConvertCase{2, "ff", "", "11111111", "255", "ff"},
                      ConvertCase{2, "", "FF", "11111111", "255", "FF"},
                      ConvertCase{2, "ffffffff", "", ones32.c_str(), "4294967295", "ffffffff"},
                      ConvertCase{2, "", "80000000", "10000000000000000000000000000000", "2147483648", "80000000"},
                      ConvertCase{2, "0", "", "0", "0", "0"}, ConvertCase{2, "1a", "C", "110101100", "428", "1aC"}));

struct FilterCase {
    int mode;
    const char* keys;
    const char* entered;
};

class BindecFilter : public BindecTest, public ::testing::WithParamInterface<FilterCase> { };

TEST_P(BindecFilter, DropsCharactersTheModeDoesNotTake)
{
    m.SSOption1_Click(GetParam().mode);
    type(m, GetParam().keys);
    EXPECT_EQ(m.Text4.text, GetParam().entered);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, BindecFilter,
    ::testing::Values(FilterCase{0, "1201x1", "1011"}, FilterCase{0, "11\b0", "10"},
                      FilterCase{1, "12a3.4-5 ", "12345"}, FilterCase{1, "9\b\b7", "7"},
                      FilterCase{2, "aAfFgG09", "af09"}, FilterCase{2, "A", ""},
                      FilterCase{0, "11111111111111111111111111111111111", "1111111111111111111111111111111"},
                      FilterCase{1, "123456789012", "1234567890"}, FilterCase{2, "0123456789", "01234567"}));

TEST_F(BindecTest, OpensInBinaryModeWithOnlyZeroAndOneOnTheKeypad)
{
    EXPECT_EQ(m.mode(), "bin");
    EXPECT_TRUE(m.SSOption1[0].value);
    EXPECT_FALSE(m.SSOption1[1].value || m.SSOption1[2].value);
    EXPECT_EQ(m.Text4.maxLength, 31);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.SSCommand2[static_cast<std::size_t>(i)].enabled, i < 2) << i;
    EXPECT_EQ(m.SSCommand2[15].caption, "F");
    EXPECT_EQ(m.SSCommand3.caption, "Enter");
    EXPECT_EQ(m.SSCommand1.caption, "Clear Input");
    EXPECT_EQ(m.SSFrame1.caption, "Mode");
}

struct ModeCase {
    int index;
    const char* mode;
    int limit;
    int keys;
};

class BindecMode : public BindecTest, public ::testing::WithParamInterface<ModeCase> { };

TEST_P(BindecMode, SetsLimitAndKeypadEmptiesInputKeepsResults)
{
    type(m, "11");
    m.SSCommand3_Click();
    type(m, "1");
    m.SSOption1_Click(GetParam().index);
    EXPECT_EQ(m.mode(), GetParam().mode);
    EXPECT_EQ(m.Text4.text, "");
    EXPECT_EQ(m.Text4.maxLength, GetParam().limit);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.SSCommand2[static_cast<std::size_t>(i)].enabled, i < GetParam().keys) << i;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m.SSOption1[static_cast<std::size_t>(i)].value, i == GetParam().index);
    results("11", "3", "3");
}

INSTANTIATE_TEST_SUITE_P(Modes, BindecMode,
                         ::testing::Values(ModeCase{0, "bin", 31, 2}, ModeCase{1, "dec", 10, 10},
                                           ModeCase{2, "hex", 8, 16}));

TEST_F(BindecTest, KeypadKeepsToTheLengthLimitAndIgnoresDisabledKeys)
{
    m.SSOption1_Click(2);
    press(m, "123456789");
    EXPECT_EQ(m.Text4.text, "12345678");
    EXPECT_EQ(fake.beeps, 1);
    m.SSOption1_Click(0);
    press(m, "1F20");
    EXPECT_EQ(m.Text4.text, "10");
    m.SSCommand2_Click(16);
    m.SSCommand2_Click(-1);
    EXPECT_EQ(m.Text4.text, "10");
}

TEST_F(BindecTest, ClearInputEmptiesOnlyTheInput)
{
    type(m, "101");
    m.SSCommand3_Click();
    m.SSCommand1_Click();
    EXPECT_EQ(m.Text4.text, "");
    results("101", "5", "5");
}

TEST_F(BindecTest, EmptyInputIsRefusedAndResultsStay)
{
    type(m, "1");
    m.SSCommand3_Click();
    m.SSCommand1_Click();
    m.SSCommand3_Click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0], (Message{"Please enter a number", MsgIcon::Critical, "Error"}));
    results("1", "1", "1");
}

TEST_F(BindecTest, DecimalAboveTheLimitIsRefusedWithEmptyResults)
{
    type(m, "1");
    m.SSCommand3_Click();
    m.SSOption1_Click(1);
    type(m, "2147483648");
    m.SSCommand3_Click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0],
              (Message{"Number too large, please re-enter a number less than 2147483647", MsgIcon::Critical, "Error"}));
    EXPECT_EQ(m.Text4.text, "2147483648");
    results("", "", "");
    m.SSCommand1_Click();
    type(m, "9999999999");
    m.SSCommand3_Click();
    EXPECT_EQ(fake.messages.size(), 2u);
}

TEST_F(BindecTest, TooLargeDecimalBoxLeavesTheHexBoxEmpty)
{
    m.Text1[1].text = "4294967295";
    m.Text1[2].text = "old";
    EXPECT_FALSE(m.calchex());
    EXPECT_EQ(m.Text1[2].text, "");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "Number too large, please re-enter a number less than 2147483647");
}

struct PastedCase {
    int mode;
    const char* text;
    const char* message;
};

class BindecPasted : public BindecTest, public ::testing::WithParamInterface<PastedCase> { };

TEST_P(BindecPasted, TextThatSkippedTheFilterIsRefusedWithoutResults)
{
    type(m, "110");
    m.SSCommand3_Click();
    m.SSOption1_Click(GetParam().mode);
    m.Text4.text = GetParam().text;  // as a paste puts it there
    m.SSCommand3_Click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0], (Message{GetParam().message, MsgIcon::Critical, "Error"}));
    EXPECT_EQ(m.Text4.text, GetParam().text);
    results("110", "6", "6");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BindecPasted,
    ::testing::Values(PastedCase{0, "1021", "Please enter a binary number: the digits 0 and 1 only"},
                      PastedCase{0, " 101", "Please enter a binary number: the digits 0 and 1 only"},
                      PastedCase{1, "abc", "Please enter a decimal number: the digits 0 to 9 only"},
                      PastedCase{1, "-5", "Please enter a decimal number: the digits 0 to 9 only"},
                      PastedCase{1, "1.5", "Please enter a decimal number: the digits 0 to 9 only"},
                      PastedCase{1, "1e9", "Please enter a decimal number: the digits 0 to 9 only"},
                      PastedCase{2, "0x1F", "Please enter a hexadecimal number: the digits 0 to 9 and A to F only"},
                      PastedCase{2, "12G", "Please enter a hexadecimal number: the digits 0 to 9 and A to F only"},
                      PastedCase{2, "123456789", "Please enter a number of at most 8 digits"},
                      PastedCase{0, "11111111111111111111111111111111", "Please enter a number of at most 31 digits"},
                      PastedCase{1, "00000000001", "Please enter a number of at most 10 digits"}));

TEST_F(BindecTest, PastedUpperCaseHexIsTaken)
{
    m.SSOption1_Click(2);
    m.Text4.text = "DEADBEEF";
    m.SSCommand3_Click();
    EXPECT_TRUE(fake.messages.empty());
    results("11011110101011011011111011101111", "3735928559", "DEADBEEF");
}

}  // namespace
}  // namespace mq
