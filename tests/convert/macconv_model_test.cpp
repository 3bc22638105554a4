#include "convert/macconv_model.h"

#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

using test::FakeServices;
using test::Message;

const Message kTwelve{"Please type in 12 characters", MsgIcon::None, "Error"};
const Message kHex{"Please enter a hexidecimal number", MsgIcon::None, "Error"};

struct MacconvTest : ::testing::Test {
    FakeServices fake;
    MacconvModel m{fake};
    void SetUp() override { m.Form_Load(); }

    // Types one character into the upper box as the window does: key down,
    // key press (the character may change), the box takes it, key up.
    void typeUpper(const std::string& keys)
    {
        for (char c : keys) {
            const int code = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
            m.text1_KeyDown(code, 0);
            int ascii = c;
            m.Text1_KeyPress(ascii);
            if (static_cast<int>(m.Text1.text.size()) < m.Text1.maxLength)
                m.Text1.text += static_cast<char>(ascii);
            m.text1_KeyUp(code, 0);
        }
    }
    void typeLower(const std::string& keys)
    {
        for (char c : keys) {
            const int code = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
            m.Text2_KeyDown(code, 0);
            int ascii = c;
            m.Text2_KeyPress(ascii);
            if (static_cast<int>(m.Text2.text.size()) < m.Text2.maxLength)
                m.Text2.text += static_cast<char>(ascii);
            m.Text2_KeyUp(code, 0);
        }
    }
};

TEST_F(MacconvTest, OpensEmptyInCanonicalDirection)
{
    EXPECT_EQ(m.direction(), "c");
    EXPECT_EQ(m.SSCommand4.foreColor, colour::Red);
    EXPECT_EQ(m.SSCommand5.foreColor, kButtonTextColour);
    EXPECT_EQ(m.Text1.maxLength, 12);
    EXPECT_EQ(m.Text2.maxLength, 12);
    EXPECT_EQ(m.SSCommand3[10].caption, "a");
    EXPECT_EQ(m.SSCommand3[15].caption, "f");
}

struct ConvertCase {
    const char* upper;
    const char* lower;
};

class MacConvertBothWays : public MacconvTest, public ::testing::WithParamInterface<ConvertCase> { };

TEST_P(MacConvertBothWays, UpperToLowerAndBack)
{
    m.Text1_GotFocus();
    typeUpper(GetParam().upper);
    m.SSCommand1_Click();
    EXPECT_EQ(m.Text2.text, GetParam().lower);
    EXPECT_EQ(m.Text1.text, GetParam().upper);

    m.Text2_GotFocus();  // empties the upper box
    EXPECT_EQ(m.Text1.text, "");
    typeLower(GetParam().lower);
    m.SSCommand1_Click();
    EXPECT_EQ(m.Text1.text, GetParam().upper);
    EXPECT_EQ(m.direction(), "n");
    EXPECT_TRUE(fake.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Addresses, MacConvertBothWays,
                         ::testing::Values(ConvertCase{"0123456789ab", "80c4a2e691d5"},
                                           ConvertCase{"ffffffffffff", "ffffffffffff"},
                                           ConvertCase{"000000000000", "000000000000"},
                                           ConvertCase{"010000000000", "800000000000"},
                                           ConvertCase{"1a2b3c4d5e6f", "58d43cb27af6"}));

TEST_F(MacconvTest, TypedLettersBecomeLowerCase)
{
    typeUpper("ABCDEF012345");
    EXPECT_EQ(m.Text1.text, "abcdef012345");
    m.SSCommand1_Click();
    EXPECT_EQ(m.Text2.text, "d5b3f780c4a2");
}

struct KeyCase {
    int code;
    int shift;
    bool accepted;
};

class MacKeys : public ::testing::TestWithParam<KeyCase> { };

TEST_P(MacKeys, JudgedOnRelease)
{
    EXPECT_EQ(macKeyAccepted(GetParam().code, GetParam().shift), GetParam().accepted)
        << GetParam().code << " shift " << GetParam().shift;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MacKeys,
    ::testing::Values(KeyCase{8, 0, true}, KeyCase{9, 0, true}, KeyCase{9, 1, true}, KeyCase{10, 0, true},
                      KeyCase{13, 0, true}, KeyCase{16, 1, true}, KeyCase{17, 2, true}, KeyCase{18, 4, true},
                      KeyCase{20, 0, true}, KeyCase{27, 0, true}, KeyCase{33, 0, true}, KeyCase{40, 0, true},
                      KeyCase{45, 0, true}, KeyCase{46, 0, true}, KeyCase{48, 0, true}, KeyCase{57, 0, true},
                      KeyCase{51, 1, false}, KeyCase{48, 1, false}, KeyCase{51, 2, true}, KeyCase{65, 0, true},
                      KeyCase{70, 1, true}, KeyCase{71, 0, false}, KeyCase{90, 0, false}, KeyCase{96, 0, true},
                      KeyCase{105, 0, true}, KeyCase{106, 0, false}, KeyCase{112, 0, true}, KeyCase{123, 0, true},
                      KeyCase{124, 0, false}, KeyCase{144, 0, true}, KeyCase{32, 0, false}, KeyCase{11, 0, false},
                      KeyCase{19, 0, false}, KeyCase{41, 0, false}, KeyCase{47, 0, false}, KeyCase{0, 0, false},
                      KeyCase{186, 0, false}));

TEST_F(MacconvTest, ANonHexKeyEmptiesItsBoxWithAMessage)
{
    typeUpper("12");
    typeUpper("g");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0], kHex);
    EXPECT_EQ(m.Text1.text, "");

    m.Text2_GotFocus();
    typeLower("ab");
    m.Text2_KeyDown(16, 1);
    int hash = '#';
    m.Text2_KeyPress(hash);
    m.Text2.text += static_cast<char>(hash);
    m.Text2_KeyUp(51, 1);  // Shift+3
    EXPECT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(m.Text2.text, "");
}

TEST_F(MacconvTest, TooShortSourceIsRefusedAndBoxesStay)
{
    typeUpper("0123456789a");
    m.SSCommand1_Click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0], kTwelve);
    EXPECT_EQ(m.Text1.text, "0123456789a");
    EXPECT_EQ(m.Text2.text, "");

    m.SSCommand6_Click();
    m.SSCommand1_Click();
    EXPECT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1], kTwelve);
}

TEST_F(MacconvTest, PastedTextLongerThanTwelveIsRefusedNotCut)
{
    m.Text2.text = "0123456789abc";
    m.SSCommand1_Click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0], kTwelve);
    EXPECT_EQ(m.Text1.text, "");
    EXPECT_EQ(m.Text2.text, "0123456789abc");
}

TEST_F(MacconvTest, WithTextInBothBoxesTheUpperIsConverted)
{
    m.Text1.text = "0123456789ab";
    m.Text2.text = "ffffffffffff";
    m.SSCommand1_Click();
    EXPECT_EQ(m.Text2.text, "80c4a2e691d5");
    EXPECT_EQ(m.Text1.text, "0123456789ab");
}

TEST_F(MacconvTest, PastedNonHexSourceIsRefusedAndBoxesStay)
{
    for (const char* pasted : {"01:23:45:67:", "0123456789xy", "0123 4567 89"}) {
        fake.reset();
        m.Text1.text = pasted;
        m.Text2.text = "keep";
        m.SSCommand1_Click();
        ASSERT_EQ(fake.messages.size(), 1u) << pasted;
        EXPECT_EQ(fake.messages[0], kHex);
        EXPECT_EQ(m.Text1.text, pasted);
        EXPECT_EQ(m.Text2.text, "keep");
    }
    m.Text1.text = "0123456789AB";  // pasted upper case
    m.SSCommand1_Click();
    EXPECT_EQ(m.Text2.text, "80c4a2e691d5");
}

TEST_F(MacconvTest, AKeyInABoxEmptiesTheOther)
{
    typeUpper("0123456789ab");
    m.SSCommand1_Click();
    ASSERT_EQ(m.Text2.text, "80c4a2e691d5");
    m.text1_KeyDown(37, 0);  // even an arrow key
    EXPECT_EQ(m.Text2.text, "");
    m.Text2.text = "x";
    m.Text2_KeyDown(8, 0);
    EXPECT_EQ(m.Text1.text, "");
}

TEST_F(MacconvTest, DirectionButtonsAndFocusSwapColoursAndEmptyTheOtherBox)
{
    m.Text1.text = "aa";
    m.Text2.text = "bb";
    m.SSCommand5_Click();
    EXPECT_EQ(m.direction(), "n");
    EXPECT_EQ(m.Text1.text, "");
    EXPECT_EQ(m.Text2.text, "bb");
    EXPECT_EQ(m.SSCommand5.foreColor, colour::Red);
    EXPECT_EQ(m.SSCommand4.foreColor, kButtonTextColour);

    m.Text1.text = "cc";
    m.SSCommand4_Click();
    EXPECT_EQ(m.direction(), "c");
    EXPECT_EQ(m.Text2.text, "");
    EXPECT_EQ(m.Text1.text, "cc");
    EXPECT_EQ(m.SSCommand4.foreColor, colour::Red);
    EXPECT_EQ(m.SSCommand5.foreColor, kButtonTextColour);

    m.Text2_GotFocus();
    EXPECT_EQ(m.direction(), "n");
    EXPECT_EQ(m.Text1.text, "");
    m.Text1_GotFocus();
    EXPECT_EQ(m.direction(), "c");
}

TEST_F(MacconvTest, KeypadWritesIntoTheDirectionsBoxUpToTwelve)
{
    for (int i : {0, 1, 10, 15})
        m.SSCommand3_Click(i);
    EXPECT_EQ(m.Text1.text, "01af");
    m.SSCommand5_Click();
    for (int i = 0; i < 14; ++i)
        m.SSCommand3_Click(i);
    EXPECT_EQ(m.Text2.text, "0123456789ab");
    EXPECT_EQ(fake.beeps, 2);
    m.SSCommand3_Click(16);
    EXPECT_EQ(m.Text2.text, "0123456789ab");
}

TEST_F(MacconvTest, BackOneRemovesALetterAndEmptiesTheOtherBox)
{
    m.Text1.text = "12ab";
    m.Text2.text = "stale";
    m.SSCommand7_Click();
    EXPECT_EQ(m.Text1.text, "12a");
    EXPECT_EQ(m.Text2.text, "");

    m.SSCommand6_Click();
    m.Text2.text = "keep";
    m.SSCommand7_Click();  // empty input box: nothing happens
    EXPECT_EQ(m.Text2.text, "keep");
    EXPECT_EQ(m.Text1.text, "");
}

TEST_F(MacconvTest, ClearKeepsTheDirectionAndDoneOnlyHides)
{
    int hidden = 0;
    m.hideWindow = [&] { ++hidden; };
    m.SSCommand5_Click();
    m.Text2.text = "0123";
    m.SSCommand2_Click();
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(m.Text2.text, "0123");
    EXPECT_EQ(m.direction(), "n");
    m.Text1.text = "x";
    m.SSCommand6_Click();
    EXPECT_EQ(m.Text1.text, "");
    EXPECT_EQ(m.Text2.text, "");
    EXPECT_EQ(m.direction(), "n");
    m.Form_Load();
    EXPECT_EQ(m.direction(), "c");
}

}  // namespace
}  // namespace mq
