// Address entry: key filter, change handling, class, binary displays.
#include "tests/core/calculator_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace mq::test {
namespace {

// ---------------------------------------------------------------- class of the first octet

struct ClassCase {
    const char* first;
    const char* letter;
    Colour colour;
    std::size_t rows;  // options listed without subnet zero
};

class FirstOctetClass : public ::testing::TestWithParam<ClassCase> { };

TEST_P(FirstOctetClass, LetterColourAndLists)
{
    const auto& p = GetParam();
    Calculator c;
    c.setAddress({"5", "6", "7", "8"});
    c.m.setText3(0, p.first);
    EXPECT_EQ(c.m.Text1.text, p.letter);
    EXPECT_EQ(c.st.classLetter, p.letter);
    EXPECT_EQ(c.m.Text1.foreColor, p.colour);
    for (const auto& box : c.m.Combo1) {
        EXPECT_EQ(box.list.size(), p.rows);
        EXPECT_EQ(box.text, "");
    }
    const bool abc = p.rows > 0;
    const bool filled = std::string(p.first) != "";
    EXPECT_EQ(c.choicesEnabled(), abc && filled);
    if (!abc || !filled) {
        EXPECT_TRUE(c.choicesDisabled());
        EXPECT_TRUE(c.m.RichTextBox1.runs.empty());
        EXPECT_TRUE(c.m.RichTextBox2.runs.empty());
    }
    EXPECT_TRUE(c.sv.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, FirstOctetClass,
    ::testing::Values(ClassCase{"0", "A", colour::Red, 22}, ClassCase{"", "A", colour::Red, 22},
                      ClassCase{"1", "A", colour::Red, 22}, ClassCase{"127", "A", colour::Red, 22},
                      ClassCase{"128", "B", colour::Blue, 14}, ClassCase{"191", "B", colour::Blue, 14},
                      ClassCase{"192", "C", colour::Olive, 6}, ClassCase{"223", "C", colour::Olive, 6},
                      ClassCase{"224", "D", colour::Purple, 0}, ClassCase{"239", "D", colour::Purple, 0},
                      ClassCase{"240", "E", colour::Purple, 0}, ClassCase{"255", "E", colour::Purple, 0}));

TEST(AddressEntry, TypingOneNineTwoClassifiesAAC)
{
    Calculator c;
    std::vector<std::string> letters;
    std::vector<std::size_t> rows;
    for (char ch : std::string("192")) {
        c.key(0, ch);
        letters.push_back(c.m.Text1.text);
        rows.push_back(c.m.Combo1[0].list.size());
    }
    EXPECT_EQ(letters, (std::vector<std::string>{"A", "A", "C"}));
    EXPECT_EQ(rows, (std::vector<std::size_t>{22, 22, 6}));
    EXPECT_EQ(c.m.Text1.foreColor, colour::Olive);
    EXPECT_EQ(c.m.Text3[0].text, "192");
}

TEST(AddressEntry, EveryAcceptedFirstOctetChangeRebuildsTheLists)
{
    Calculator c;
    c.setAddress({"1", "2", "3", "4"});
    ASSERT_EQ(c.m.Combo1[0].list.size(), 22u);
    // The flag changes without the check box: only a rebuild shows it.
    c.st.subnetZero = "y";
    c.key(0, '0');  // "10": still class A
    EXPECT_EQ(c.m.Text1.text, "A");
    EXPECT_EQ(c.m.Combo1[0].list.size(), 23u);
    EXPECT_EQ(c.m.Combo1[0].item(1), "1");
}

TEST(AddressEntry, ClassDAndELeaveDisplaysEmptyThenOctetChangesEnableEmptyLists)
{
    for (const char* first : {"224", "255"}) {
        Calculator c;
        c.setAddress({"10", "1", "2", "3"});
        c.chooseMask("255.255.0.0");
        ASSERT_FALSE(c.m.RichTextBox2.runs.empty());
        c.m.setText3(0, first);
        EXPECT_TRUE(c.m.RichTextBox1.runs.empty()) << first;
        EXPECT_TRUE(c.m.RichTextBox2.runs.empty()) << first;
        EXPECT_TRUE(c.choicesDisabled()) << first;
        EXPECT_TRUE(c.resultsEmpty()) << first;
        c.m.setText3(2, "9");
        EXPECT_TRUE(c.choicesEnabled()) << first;
        for (const auto& box : c.m.Combo1)
            EXPECT_TRUE(box.list.empty()) << first;
        EXPECT_TRUE(c.m.RichTextBox1.runs.empty()) << first;
        EXPECT_TRUE(c.sv.messages.empty()) << first;
    }
}

// ---------------------------------------------------------------- key filter

struct KeyCase {
    int key;
    int passed;  // KeyAscii afterwards
    int beeps;
    int focusMoves;  // "{TAB}" sent
};

class KeyFilter : public ::testing::TestWithParam<KeyCase> { };

TEST_P(KeyFilter, DropsAllButDigitsAndBackspace)
{
    const auto& p = GetParam();
    Calculator c;
    int k = p.key;
    c.m.Text3_KeyPress(1, k);
    EXPECT_EQ(k, p.passed);
    EXPECT_EQ(c.sv.beeps, p.beeps);
    EXPECT_EQ(c.sv.focusMoves.size(), static_cast<std::size_t>(p.focusMoves));
    if (p.focusMoves) {
        EXPECT_EQ(c.sv.focusMoves[0], "{TAB}");
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFilter,
                         ::testing::Values(KeyCase{'.', 0, 1, 1}, KeyCase{'0', '0', 0, 0}, KeyCase{'9', '9', 0, 0},
                                           KeyCase{8, 8, 0, 0}, KeyCase{'a', 0, 1, 0}, KeyCase{' ', 0, 1, 0},
                                           KeyCase{'-', 0, 1, 0}, KeyCase{',', 0, 1, 0}, KeyCase{13, 0, 1, 0},
                                           KeyCase{'/', 0, 1, 0}, KeyCase{':', 0, 1, 0}));

TEST(AddressEntry, DotNeverShowsInTheField)
{
    Calculator c;
    c.typeKeys(0, "19.2");
    EXPECT_EQ(c.m.Text3[0].text, "192");
    EXPECT_EQ(c.sv.beeps, 1);
    EXPECT_EQ(c.sv.focusMoves, (std::vector<std::string>{"{TAB}"}));
}

// ---------------------------------------------------------------- rejected octets

TEST(AddressEntry, OctetThreeOverLimitIsRejectedAfterTheDisplaysWereCleared)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    ASSERT_FALSE(c.resultsEmpty());
    c.sv.focusMoves.clear();
    c.m.setText3(2, "300");
    EXPECT_EQ(c.sv.messages, (std::vector<Message>{{"Invalid entry", MsgIcon::None, "Maskquill"}}));
    EXPECT_EQ(c.sv.focusMoves, (std::vector<std::string>{"Text3(2)"}));
    EXPECT_TRUE(c.choicesDisabled());
    EXPECT_TRUE(c.resultsEmpty());
    EXPECT_TRUE(c.m.RichTextBox1.runs.empty());
    EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{}));
    EXPECT_EQ(c.m.Text3[2].text, "300");

    c.m.setText3(2, "30");
    EXPECT_EQ(c.sv.messages.size(), 1u);
    EXPECT_TRUE(c.choicesEnabled());
    EXPECT_EQ(c.m.RichTextBox1.text(), "11000000  10101000  00011110  01001101");
}

TEST(AddressEntry, RejectedOctetThreeShowsAsOnesWhenOctetFourChanges)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.m.setText3(2, "300");
    ASSERT_EQ(c.sv.messages.size(), 1u);
    c.m.setText3(3, "78");
    EXPECT_EQ(c.sv.messages.size(), 1u);  // only the changed field is checked
    EXPECT_TRUE(c.choicesDisabled());  // but nothing may be chosen while 300 stands
    EXPECT_EQ(c.st.octetBits[2], "11111111");
    EXPECT_EQ(c.m.RichTextBox1.text(), "11000000  10101000  11111111  01001110");
}

TEST(AddressEntry, FirstOctetOverLimitKeepsThePreviousClassAndDisplays)
{
    Calculator c;
    c.setAddress({"172", "16", "5", "9"});
    c.chooseMask("255.255.255.0");
    const auto display1 = c.m.RichTextBox1.runs;
    const auto display2 = c.m.RichTextBox2.runs;
    const auto results = c.m.SSPanel6;
    c.sv.focusMoves.clear();
    c.m.setText3(0, "999");
    EXPECT_EQ(c.sv.messages,
              (std::vector<Message>{{"Address MUST start between 1 and 223", MsgIcon::None, "Maskquill"}}));
    EXPECT_EQ(c.sv.focusMoves, (std::vector<std::string>{"Text3(0)"}));
    EXPECT_TRUE(c.choicesDisabled());
    EXPECT_EQ(c.m.Text1.text, "B");
    EXPECT_EQ(c.m.Text1.foreColor, colour::Blue);
    EXPECT_EQ(c.m.RichTextBox1.runs, display1);
    EXPECT_EQ(c.m.RichTextBox2.runs, display2);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(c.m.SSPanel6[i].caption, results[i].caption);
    EXPECT_EQ(c.comboTexts()[1], "255.255.255.0");
}

// While any field holds a value over 255 nothing is chosen, moved to or listed,
// so no panel or grid row shows an impossible address; the field's correction
// brings the choices back.
struct RejectedCase {
    const char* what;
    std::function<void(Calculator&)> leave;
    int field;
    const char* correction;
};

class RejectedOctet : public ::testing::TestWithParam<RejectedCase> { };

TEST_P(RejectedOctet, NothingIsChosenMovedOrListedUntilTheFieldIsCorrected)
{
    const RejectedCase& rc = GetParam();
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.m.SSCommand1_Click();
    rc.leave(c);
    EXPECT_TRUE(c.choicesDisabled());

    const FrmdocModel before = c.m;
    const std::size_t messages = c.sv.messages.size();
    c.sv.answers = {"1"};
    if (!c.m.Combo1[1].list.empty())
        c.chooseRow(1, 2);
    c.m.SSCommand4_Click();
    c.m.SSCommand6_Click();
    c.m.SSCommand2_Click();
    c.m.SSCommand1_Click();
    EXPECT_TRUE(c.sv.prompts.empty());
    EXPECT_EQ(c.sv.messages.size(), messages);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c.m.Text3[i].text, before.Text3[i].text);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(c.m.SSPanel6[i].caption, before.SSPanel6[i].caption) << i;
    EXPECT_EQ(c.m.Text2.text, before.Text2.text);
    EXPECT_EQ(c.m.MSFlexGrid1.cells, before.MSFlexGrid1.cells);
    EXPECT_TRUE(c.choicesDisabled());

    c.m.setText3(rc.field, rc.correction);
    EXPECT_TRUE(c.choicesEnabled());
}

INSTANTIATE_TEST_SUITE_P(Ways, RejectedOctet,
                         ::testing::Values(RejectedCase{"first octet 999 over a calculation",
                                                        [](Calculator& c) { c.m.setText3(0, "999"); }, 0, "192"},
                                           RejectedCase{"octet 3 left at 300",
                                                        [](Calculator& c) { c.m.setText3(2, "300"); }, 2, "30"},
                                           RejectedCase{"octet 4 changed beside a rejected octet 3",
                                                        [](Calculator& c) {
                                                            c.m.setText3(2, "300");
                                                            c.m.setText3(3, "78");
                                                        },
                                                        2, "3"},
                                           RejectedCase{"first octet accepted beside a rejected octet 3",
                                                        [](Calculator& c) {
                                                            c.m.setText3(2, "300");
                                                            c.m.setText3(0, "10");
                                                        },
                                                        2, "3"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// ---------------------------------------------------------------- binary displays

struct DisplayCase {
    std::array<const char*, 4> octets;
    const char* red;
    const char* olive;
};

class AddressDisplay : public ::testing::TestWithParam<DisplayCase> { };

TEST_P(AddressDisplay, TwoRunsBeforeAMaskIsChosen)
{
    const auto& p = GetParam();
    Calculator c;
    c.typeAddress({p.octets[0], p.octets[1], p.octets[2], p.octets[3]});
    EXPECT_EQ(c.m.RichTextBox1.runs, (std::vector<TextRun>{{p.red, colour::Red}, {p.olive, colour::Olive}}));
    EXPECT_TRUE(c.m.RichTextBox2.runs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Classes, AddressDisplay,
    ::testing::Values(DisplayCase{{"172", "16", "5", "9"}, "10101100  00010000  ", "00000101  00001001"},
                      DisplayCase{{"10", "0", "0", "1"}, "00001010  ", "00000000  00000000  00000001"},
                      DisplayCase{{"192", "168", "1", "255"}, "11000000  10101000  00000001  ", "11111111"},
                      DisplayCase{{"010", "0", "00", "1"}, "00001010  ", "00000000  00000000  00000001"},
                      DisplayCase{{"0", "0", "0", "0"}, "00000000  ", "00000000  00000000  00000000"}));

TEST(AddressEntry, DisplayWaitsForAllFourOctets)
{
    Calculator c;
    c.typeKeys(0, "10");
    c.typeKeys(1, "1");
    c.typeKeys(2, "2");
    EXPECT_TRUE(c.m.RichTextBox1.runs.empty());
    EXPECT_TRUE(c.choicesDisabled());
    c.typeKeys(3, "3");
    EXPECT_TRUE(c.choicesEnabled());
    EXPECT_EQ(c.m.RichTextBox1.text(), "00001010  00000001  00000010  00000011");
    c.key(3, 8);  // backspace empties octet 4 again
    EXPECT_TRUE(c.m.RichTextBox1.runs.empty());
    EXPECT_TRUE(c.choicesDisabled());
}

struct MaskRunsCase {
    std::array<const char*, 4> octets;
    const char* mask;
    int L, H;
    const char* maskText;
};

class MaskedDisplays : public ::testing::TestWithParam<MaskRunsCase> { };

TEST_P(MaskedDisplays, ThreeFieldsInBothBoxes)
{
    const auto& p = GetParam();
    Calculator c;
    c.setAddress({p.octets[0], p.octets[1], p.octets[2], p.octets[3]});
    const std::string address = c.m.RichTextBox1.text();
    c.chooseMask(p.mask);
    EXPECT_EQ(c.m.RichTextBox1.text(), address);
    EXPECT_EQ(c.m.RichTextBox2.text(), p.maskText);
    EXPECT_EQ(charColours(c.m.RichTextBox1), fieldColours(p.L, p.H));
    EXPECT_EQ(charColours(c.m.RichTextBox2), fieldColours(p.L, p.H));
    // An empty subnet field gives no blue run at all.
    EXPECT_EQ(c.m.RichTextBox2.runs.size(), p.H == p.L + 1 ? 2u : 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskedDisplays,
    ::testing::Values(
        MaskRunsCase{{"10", "1", "2", "3"}, "255.255.0.0", 10, 19, "11111111  11111111  00000000  00000000"},
        MaskRunsCase{{"10", "1", "2", "3"}, "255.0.0.0", 10, 11, "11111111  00000000  00000000  00000000"},
        MaskRunsCase{{"10", "1", "2", "3"}, "255.255.255.252", 10, 37, "11111111  11111111  11111111  11111100"},
        MaskRunsCase{{"172", "16", "5", "9"}, "255.255.255.192", 20, 33, "11111111  11111111  11111111  11000000"},
        MaskRunsCase{{"172", "16", "5", "9"}, "255.255.0.0", 20, 21, "11111111  11111111  00000000  00000000"},
        MaskRunsCase{{"192", "168", "1", "77"}, "255.255.255.192", 30, 33, "11111111  11111111  11111111  11000000"},
        MaskRunsCase{{"192", "168", "1", "77"}, "255.255.255.0", 30, 31, "11111111  11111111  11111111  00000000"}));

TEST(AddressEntry, OctetChangeAfterAMaskReturnsToTheTwoRunDisplay)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.192");
    ASSERT_EQ(c.m.RichTextBox1.runs.size(), 3u);
    c.m.setText3(3, "78");
    EXPECT_EQ(c.m.RichTextBox1.runs.size(), 2u);
    EXPECT_EQ(c.m.RichTextBox1.runs[1].text, "01001110");
    EXPECT_TRUE(c.resultsEmpty());
    EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{}));
    EXPECT_EQ(c.m.Combo1[1].list.size(), 6u);  // lists stay
}

// ---------------------------------------------------------------- octet procedures

struct OctetCase {
    const char* bits;
    int n;
    const char* cleared;  // bintodec
    const char* filled;  // bintodec1
};

class OctetProcedures : public ::testing::TestWithParam<OctetCase> { };

TEST_P(OctetProcedures, LeadingBitsKeptRestClearedOrSet)
{
    const auto& p = GetParam();
    Calculator c;
    c.st.octetBits[2] = p.bits;
    c.m.bintodec(p.n, 2);
    EXPECT_EQ(c.st.octetValue[2], p.cleared);
    c.m.bintodec1(p.n, 2);
    EXPECT_EQ(c.st.octetValue[2], p.filled);
}

INSTANTIATE_TEST_SUITE_P(Octets, OctetProcedures,
                         ::testing::Values(OctetCase{"11000101", 3, " 192", " 223"},
                                           OctetCase{"11000101", 0, " 0", " 255"},
                                           OctetCase{"11000101", 8, " 197", " 197"},
                                           OctetCase{"00000000", 8, " 0", " 0"},
                                           OctetCase{"11111111", 1, " 128", " 255"},
                                           OctetCase{"01111111", 1, " 0", " 127"}, OctetCase{"", 4, " 0", " 15"}));

// ---------------------------------------------------------------- keepResults and clearf

TEST(AddressEntry, WhileKeepingResultsAChangeOnlySetsTheEnabledState)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    const auto runs1 = c.m.RichTextBox1.runs;
    const auto bits = c.st.octetBits;
    c.st.keepResults = "y";
    c.m.setText3(0, "10");
    EXPECT_EQ(c.m.Text1.text, "C");
    EXPECT_EQ(c.m.Combo1[0].list.size(), 6u);
    EXPECT_EQ(c.m.RichTextBox1.runs, runs1);
    EXPECT_EQ(c.st.octetBits, bits);
    EXPECT_EQ(c.m.SSPanel6[4].caption, "192.168.1.64");
    EXPECT_EQ(c.comboTexts()[1], "255.255.255.224");
    c.m.setText3(3, "");
    EXPECT_TRUE(c.choicesDisabled());
    EXPECT_EQ(c.m.SSPanel6[4].caption, "192.168.1.64");
    c.m.setText3(3, "5");
    EXPECT_TRUE(c.choicesEnabled());
    EXPECT_TRUE(c.sv.messages.empty());
}

TEST(AddressEntry, ClearfEmptiesOnlyTheResults)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.m.SSCommand1_Click();
    const auto grid = c.m.MSFlexGrid1.cells;
    const auto runs1 = c.m.RichTextBox1.runs;
    c.m.clearf();
    EXPECT_TRUE(c.resultsEmpty());
    EXPECT_EQ(c.m.RichTextBox1.runs, runs1);
    EXPECT_EQ(c.m.MSFlexGrid1.cells, grid);
    EXPECT_EQ(c.m.Text1.text, "C");
    EXPECT_EQ(c.comboTexts()[1], "255.255.255.224");
    EXPECT_EQ(c.m.Text3[3].text, "77");
}

// Texts that only a paste could bring: no crash, the window's messages apply.
TEST(AddressEntry, PastedTextsDoNotCrash)
{
    const std::string longDigits(400, '9');
    for (const std::string& text : {longDigits, std::string("1e9"), std::string("-7"), std::string(".5"),
                                    std::string("12.7"), std::string("  4"), std::string("x")}) {
        for (int index = 0; index < 4; ++index) {
            Calculator c;
            c.setAddress({"10", "1", "2", "3"});
            c.chooseMask("255.255.255.0");
            c.m.setText3(index, text);
            const bool over = leadingNumber(text) > 255;
            EXPECT_EQ(c.sv.messages.size(), over ? 1u : 0u) << text << " in " << index;
            if (!over && !c.m.Combo1[1].list.empty()) {
                c.chooseMask(c.m.Combo1[1].list.back());
                c.m.SSCommand1_Click();
                c.m.SSCommand6_Click();
            }
        }
    }
}

}  // namespace
}  // namespace mq::test
