// Subnet numbers, moving between subnets, the subnet dialog, the fifty-row
// listing, copying grid cells.
#include "tests/core/calculator_fixture.h"

#include <gtest/gtest.h>

namespace mq::test {
namespace {

using Row = std::array<std::string, 5>;
using Octets = std::array<std::string, 4>;

Octets octets(const Calculator& c)
{
    return {c.m.Text3[0].text, c.m.Text3[1].text, c.m.Text3[2].text, c.m.Text3[3].text};
}

struct NumberCase {
    std::array<const char*, 4> octets;
    const char* mask;
    bool subnetZero;
    const char* number;
};

class SubnetNumber : public ::testing::TestWithParam<NumberCase> { };

TEST_P(SubnetNumber, ShownInText2)
{
    const auto& p = GetParam();
    Calculator c;
    c.enableSubnetZero(p.subnetZero);
    c.setAddress({p.octets[0], p.octets[1], p.octets[2], p.octets[3]});
    c.chooseMask(p.mask);
    EXPECT_EQ(c.m.Text2.text, p.number);
}

INSTANTIATE_TEST_SUITE_P(Examples, SubnetNumber,
                         ::testing::Values(NumberCase{{"192", "168", "1", "77"}, "255.255.255.224", false, "2"},
                                           NumberCase{{"192", "168", "1", "230"}, "255.255.255.224", false, "7"},
                                           NumberCase{{"192", "168", "1", "5"}, "255.255.255.224", false, "0"},
                                           NumberCase{{"172", "16", "37", "200"}, "255.255.255.192", false, "151"},
                                           NumberCase{{"172", "16", "37", "200"}, "255.255.240.0", false, "2"},
                                           NumberCase{{"10", "200", "3", "4"}, "255.224.0.0", false, "6"},
                                           NumberCase{{"10", "1", "77", "9"}, "255.255.240.0", false, "20"},
                                           NumberCase{{"10", "255", "255", "254"}, "255.255.255.252", false, "4194303"},
                                           NumberCase{{"10", "1", "1", "5"}, "255.255.255.240", false, "4112"},
                                           NumberCase{{"10", "128", "0", "1"}, "255.128.0.0", true, "1"},
                                           NumberCase{{"10", "1", "2", "3"}, "255.0.0.0", false, "1"},
                                           NumberCase{{"172", "16", "2", "3"}, "255.255.0.0", false, "1"},
                                           NumberCase{{"192", "168", "2", "3"}, "255.255.255.0", false, "1"}));

// ---------------------------------------------------------------- the fifty-row listing

TEST(RangeGrid, HeadingsAfterLoad)
{
    Calculator c;
    EXPECT_EQ(c.gridRow(0),
              (Row{"Subnet ", "Subnet Address", "Starting Address", "Ending Address", "Broadcast Address"}));
    EXPECT_EQ(c.m.MSFlexGrid1.colWidth, (std::vector<int>{1000, 1750, 1750, 1750, 1750}));
    EXPECT_EQ(c.m.MSFlexGrid1.colAlignment, (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(c.m.Fgi(2, 3), 13);
    EXPECT_EQ(c.m.Fgi(50, 4), 254);
}

TEST(RangeGrid, ClassCListingStopsBeforeTheBroadcastSubnet)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.gridRow(1), (Row{"2", "192.168.1.64", "192.168.1.65", "192.168.1.94", "192.168.1.95"}));
    EXPECT_EQ(c.gridRow(2), (Row{"3", "192.168.1.96", "192.168.1.97", "192.168.1.126", "192.168.1.127"}));
    EXPECT_EQ(c.gridRow(5), (Row{"6", "192.168.1.192", "192.168.1.193", "192.168.1.222", "192.168.1.223"}));
    for (int r = 6; r <= 50; ++r)
        EXPECT_EQ(c.gridRow(r), Row{}) << r;
    EXPECT_EQ(c.gridRow(0)[0], "Subnet ");
    // Again without a change: the same rows.
    const auto cells = c.m.MSFlexGrid1.cells;
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.m.MSFlexGrid1.cells, cells);
    EXPECT_TRUE(c.sv.messages.empty());
    // The listing does not move the calculator.
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "77"}));
    EXPECT_EQ(c.m.Text2.text, "2");
}

TEST(RangeGrid, ClassBListingFillsFiftyRows)
{
    Calculator c;
    c.setAddress({"172", "16", "37", "200"});
    c.chooseMask("255.255.255.192");
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.gridRow(1), (Row{"151", "172.16.37.192", "172.16.37.193", "172.16.37.254", "172.16.37.255"}));
    EXPECT_EQ(c.gridRow(50), (Row{"200", "172.16.50.0", "172.16.50.1", "172.16.50.62", "172.16.50.63"}));
    for (int r = 1; r <= 50; ++r)
        EXPECT_EQ(c.gridRow(r)[0], std::to_string(150 + r));
}

TEST(RangeGrid, ShorterListingClearsTheRowsOfTheLastOne)
{
    Calculator c;
    c.setAddress({"172", "16", "37", "200"});
    c.chooseMask("255.255.255.192");
    c.m.SSCommand1_Click();
    c.setAddress({"192", "168", "1", "200"});
    c.chooseMask("255.255.255.248");  // subnet 25 of 30
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.gridRow(1), (Row{"25", "192.168.1.200", "192.168.1.201", "192.168.1.206", "192.168.1.207"}));
    EXPECT_EQ(c.gridRow(6)[0], "30");
    for (int r = 7; r <= 50; ++r)
        EXPECT_EQ(c.gridRow(r), Row{}) << r;
}

struct RefusedCase {
    std::array<const char*, 4> octets;
    const char* mask;
};

class RefusedListing : public ::testing::TestWithParam<RefusedCase> { };

TEST_P(RefusedListing, CurrentSubnetOutsideTheRange)
{
    const auto& p = GetParam();
    Calculator c;
    c.setAddress({p.octets[0], p.octets[1], p.octets[2], p.octets[3]});
    c.chooseMask(p.mask);
    c.m.MSFlexGrid1.setTextMatrix(3, 2, "old");
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.sv.messages, (std::vector<Message>{{"Cannot display output as chosen subnet is outside range",
                                                    MsgIcon::Exclamation, "Warning"}}));
    for (int r = 1; r <= 50; ++r)
        EXPECT_EQ(c.gridRow(r), Row{}) << r;
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedListing,
                         ::testing::Values(RefusedCase{{"10", "1", "2", "3"}, "255.0.0.0"},
                                           RefusedCase{{"172", "16", "2", "3"}, "255.255.0.0"},
                                           RefusedCase{{"192", "168", "1", "77"}, "255.255.255.0"},
                                           RefusedCase{{"192", "168", "1", "230"}, "255.255.255.224"}));

TEST(RangeGrid, NoResultsNoListing)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.m.MSFlexGrid1.setTextMatrix(1, 1, "old");
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.gridRow(1), Row{});
    EXPECT_TRUE(c.sv.messages.empty());
}

struct OneBitCase {
    const char* last;
    std::vector<Row> rows;
};

class OneSubnetBit : public ::testing::TestWithParam<OneBitCase> { };

TEST_P(OneSubnetBit, NeverListsPastTheLastSubnet)
{
    const auto& p = GetParam();
    Calculator c;
    c.enableSubnetZero(true);
    c.setAddress({"192", "168", "1", p.last});
    c.chooseMask("255.255.255.128");
    c.m.SSCommand1_Click();
    EXPECT_TRUE(c.sv.messages.empty());
    for (int r = 1; r <= 50; ++r) {
        const Row expected = r <= static_cast<int>(p.rows.size()) ? p.rows[static_cast<std::size_t>(r - 1)] : Row{};
        EXPECT_EQ(c.gridRow(r), expected) << r;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Subnets, OneSubnetBit,
    ::testing::Values(OneBitCase{"200", {Row{"1", "192.168.1.128", "192.168.1.129", "192.168.1.254", "192.168.1.255"}}},
                      OneBitCase{"5", {Row{"0", "192.168.1.0", "192.168.1.1", "192.168.1.126", "192.168.1.127"}}}));

TEST(RangeGrid, ClassAListingAtTheTopOfTheRange)
{
    Calculator c;
    c.setAddress({"10", "255", "255", "200"});
    c.chooseMask("255.255.255.252");
    ASSERT_EQ(c.m.Text2.text, "4194290");
    c.m.SSCommand1_Click();
    EXPECT_EQ(c.gridRow(1), (Row{"4194290", "10.255.255.200", "10.255.255.201", "10.255.255.202", "10.255.255.203"}));
    EXPECT_EQ(c.gridRow(13), (Row{"4194302", "10.255.255.248", "10.255.255.249", "10.255.255.250", "10.255.255.251"}));
    EXPECT_EQ(c.gridRow(14), Row{});
}

// Listing 50 subnets must not change what the typed address computes with
// another mask.
TEST(RangeGrid, ListingKeepsTheTypedAddressForTheNextMask)
{
    struct Case {
        Octets address;
        const char* listMask;
        const char* nextMask;
        std::array<const char*, 4> expected;  // subnet, start, end, broadcast
    };
    const Case cases[] = {
        {{"172", "16", "37", "200"},
         "255.255.255.192",
         "255.255.240.0",
         {"172.16.32.0", "172.16.32.1", "172.16.47.254", "172.16.47.255"}},
        {{"192", "168", "1", "77"},
         "255.255.255.248",
         "255.255.255.224",
         {"192.168.1.64", "192.168.1.65", "192.168.1.94", "192.168.1.95"}},
        {{"10", "1", "77", "9"},
         "255.255.255.252",
         "255.255.240.0",
         {"10.1.64.0", "10.1.64.1", "10.1.79.254", "10.1.79.255"}},
    };
    for (const auto& k : cases) {
        Calculator c;
        c.setAddress(k.address);
        c.chooseMask(k.listMask);
        c.m.SSCommand1_Click();
        ASSERT_FALSE(c.gridRow(2)[0].empty());
        c.chooseMask(k.nextMask);
        EXPECT_EQ(c.m.SSPanel6[4].caption, k.expected[0]) << k.nextMask;
        EXPECT_EQ(c.m.SSPanel6[0].caption, k.expected[1]) << k.nextMask;
        EXPECT_EQ(c.m.SSPanel6[1].caption, k.expected[2]) << k.nextMask;
        EXPECT_EQ(c.m.SSPanel6[2].caption, k.expected[3]) << k.nextMask;
        EXPECT_EQ(c.m.SSPanel6[5].caption, k.address[0] + "." + k.address[1] + "." + k.address[2] + "." + k.address[3]);
    }
}

// ---------------------------------------------------------------- previous and next subnet

TEST(SubnetMoves, NextAndPreviousRewriteTheAddress)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.m.SSCommand6_Click();
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "97"}));
    EXPECT_EQ(c.m.Text2.text, "3");
    EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{"3", "255.255.255.224", "6", "30"}));
    EXPECT_EQ(c.m.SSPanel6[4].caption, "192.168.1.96");
    EXPECT_EQ(c.m.SSPanel6[5].caption, "192.168.1.97");
    EXPECT_EQ(c.m.SSPanel1.caption, "Host address is a valid address");
    EXPECT_EQ(c.st.keepResults, "n");
    EXPECT_EQ(c.m.RichTextBox1.text(), "11000000  10101000  00000001  01100001");
    EXPECT_EQ(charColours(c.m.RichTextBox1), fieldColours(30, 34));

    for (int i = 0; i < 3; ++i)
        c.m.SSCommand4_Click();
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "1"}));
    EXPECT_EQ(c.m.Text2.text, "0");
    EXPECT_EQ(c.m.SSPanel1.caption, "WARNING - Host address is in subnet zero");
    EXPECT_EQ(c.m.SSPanel1.foreColor, colour::Red);
    c.m.SSCommand4_Click();  // nothing below subnet zero
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "1"}));
    EXPECT_TRUE(c.sv.messages.empty());
}

TEST(SubnetMoves, NextStopsAtTheSubnetCount)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "200"});
    c.chooseMask("255.255.255.224");
    ASSERT_EQ(c.m.Text2.text, "6");
    c.m.SSCommand6_Click();
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "200"}));
    EXPECT_EQ(c.m.Text2.text, "6");
}

TEST(SubnetMoves, EmptySubnetNumberDoesNothing)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "200"});
    c.m.SSCommand6_Click();
    c.m.SSCommand4_Click();
    c.m.SSCommand2_Click();
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "200"}));
    EXPECT_TRUE(c.sv.prompts.empty());
    EXPECT_TRUE(c.resultsEmpty());
}

TEST(SubnetMoves, ClassAMoveAcrossOctets)
{
    Calculator c;
    c.setAddress({"10", "1", "255", "200"});
    c.chooseMask("255.255.255.0");  // 16 subnet bits
    ASSERT_EQ(c.m.Text2.text, "511");
    c.m.SSCommand6_Click();
    EXPECT_EQ(octets(c), (Octets{"10", "2", "0", "1"}));
    EXPECT_EQ(c.m.Text2.text, "512");
    EXPECT_EQ(c.m.SSPanel6[2].caption, "10.2.0.255");
}

TEST(SubnetMoves, LeadingZerosOfTheClassOctetsDrop)
{
    Calculator c;
    c.setAddress({"010", "01", "2", "3"});
    c.chooseMask("255.255.255.0");
    c.m.SSCommand6_Click();
    EXPECT_EQ(octets(c), (Octets{"10", "1", "3", "1"}));
    EXPECT_EQ(c.m.Text1.text, "A");
}

// ---------------------------------------------------------------- subnet number dialog

struct DialogCase {
    const char* name;
    bool subnetZero;
    std::vector<std::string> answers;
    std::vector<Message> messages;
    const char* lastOctet;  // after the dialog
    const char* number;  // Text2 after the dialog
};

void PrintTo(const DialogCase& c, std::ostream* os)
{
    *os << c.name;
}

const Message kTooHigh{"Subnet number entered too high \n\rPlease enter a number up to  6", MsgIcon::Exclamation,
                       "Warning"};
const Message kZero{"Subnet zero not enabled\n\rPlease enter a number up to  6", MsgIcon::Exclamation, "Warning"};
const Message kNotNumber{"Please enter a number", MsgIcon::Critical, "Input Error"};

class SubnetDialog : public ::testing::TestWithParam<DialogCase> { };

TEST_P(SubnetDialog, AnswersAndMessages)
{
    const auto& p = GetParam();
    Calculator c;
    c.enableSubnetZero(p.subnetZero);
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.sv.answers.assign(p.answers.begin(), p.answers.end());
    c.m.SSCommand2_Click();
    EXPECT_EQ(c.sv.messages, p.messages);
    // Asked once, then again after every refused answer.
    ASSERT_EQ(c.sv.prompts.size(), p.messages.size() + 1);
    for (const auto& q : c.sv.prompts) {
        EXPECT_EQ(q.prompt, "Enter a subnet number between 1 and  6");
        EXPECT_EQ(q.title, "Request a Subnet Number");
        EXPECT_EQ(q.defaultText, "1");
    }
    EXPECT_EQ(c.m.Text3[3].text, p.lastOctet);
    EXPECT_EQ(c.m.Text2.text, p.number);
    EXPECT_TRUE(c.sv.answers.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, SubnetDialog,
                         ::testing::Values(DialogCase{"three", false, {"3"}, {}, "97", "3"},
                                           DialogCase{"blank_three", false, {" 3 "}, {}, "97", "3"},
                                           DialogCase{"cancel", false, {""}, {}, "77", "2"},
                                           DialogCase{"too_high", false, {"7", ""}, {kTooHigh}, "77", "2"},
                                           DialogCase{"zero_off", false, {"0", ""}, {kZero}, "77", "2"},
                                           DialogCase{"zero_on", true, {"0"}, {}, "1", "0"},
                                           DialogCase{"letters", false, {"abc", ""}, {kNotNumber}, "77", "2"},
                                           DialogCase{
                                               "number_then_letters", false, {"3x", ""}, {kNotNumber}, "77", "2"},
                                           DialogCase{"negative", false, {"-1", ""}, {kNotNumber}, "77", "2"},
                                           DialogCase{"fraction", false, {"2.5", ""}, {kNotNumber}, "77", "2"},
                                           DialogCase{"all_refused_then_three",
                                                      false,
                                                      {"7", "0", "abc", "-1", "2.5", "3"},
                                                      {kTooHigh, kZero, kNotNumber, kNotNumber, kNotNumber},
                                                      "97",
                                                      "3"},
                                           DialogCase{"highest", false, {"6"}, {}, "193", "6"}),
                         [](const auto& info) { return info.param.name; });

TEST(SubnetDialogResults, AcceptedAnswerRecalculatesEverything)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.sv.answers = {"3"};
    c.m.SSCommand2_Click();
    EXPECT_EQ(octets(c), (Octets{"192", "168", "1", "97"}));
    EXPECT_EQ(c.m.SSPanel6[4].caption, "192.168.1.96");
    EXPECT_EQ(c.m.SSPanel6[0].caption, "192.168.1.97");
    EXPECT_EQ(c.m.SSPanel6[1].caption, "192.168.1.126");
    EXPECT_EQ(c.m.SSPanel6[2].caption, "192.168.1.127");
    EXPECT_EQ(c.m.SSPanel6[5].caption, "192.168.1.97");
    EXPECT_EQ(c.m.SSPanel6[6].caption, "74");
    EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{"3", "255.255.255.224", "6", "30"}));
}

TEST(SubnetDialogResults, ClassBCountInThePrompt)
{
    Calculator c;
    c.setAddress({"172", "16", "37", "200"});
    c.chooseMask("255.255.255.192");
    c.sv.answers = {"1023", "1000"};
    c.m.SSCommand2_Click();
    ASSERT_EQ(c.sv.prompts.size(), 2u);
    EXPECT_EQ(c.sv.prompts[0].prompt, "Enter a subnet number between 1 and  1022");
    EXPECT_EQ(c.sv.messages,
              (std::vector<Message>{{"Subnet number entered too high \n\rPlease enter a number up to  1022",
                                     MsgIcon::Exclamation, "Warning"}}));
    EXPECT_EQ(octets(c), (Octets{"172", "16", "250", "1"}));
    EXPECT_EQ(c.m.Text2.text, "1000");
}

// ---------------------------------------------------------------- copying cells

struct CopyCase {
    std::array<int, 4> selection;  // Row, Col, RowSel, ColSel
    const char* text;
};

class CopyCells : public ::testing::TestWithParam<CopyCase> { };

TEST_P(CopyCells, CellsThreeBlanksAndCarriageReturns)
{
    const auto& p = GetParam();
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.m.SSCommand1_Click();
    c.m.MSFlexGrid1.row = p.selection[0];
    c.m.MSFlexGrid1.col = p.selection[1];
    c.m.MSFlexGrid1.rowSel = p.selection[2];
    c.m.MSFlexGrid1.colSel = p.selection[3];
    c.m.MSFlexGrid1_MouseUp();
    c.m.MSFlexGrid1_Click();
    c.m.SSCommand3_Click();
    EXPECT_EQ(c.sv.clipboard, p.text);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CopyCells,
    ::testing::Values(CopyCase{{1, 1, 2, 2}, "192.168.1.64   192.168.1.65   \r192.168.1.96   192.168.1.97   \r"},
                      CopyCase{{2, 2, 1, 1}, "192.168.1.64   192.168.1.65   \r192.168.1.96   192.168.1.97   \r"},
                      CopyCase{{3, 0, 3, 0}, "4   \r"},
                      CopyCase{{0, 3, 1, 4}, "Ending Address   Broadcast Address   \r192.168.1.94   192.168.1.95   \r"},
                      CopyCase{{5, 0, 6, 0}, "6   \r   \r"}));

TEST(CopyCellsDefault, WithoutAMouseUpTheFirstHeadingIsCopied)
{
    Calculator c;
    c.m.SSCommand3_Click();
    EXPECT_EQ(c.sv.clipboard, "Subnet    \r");
}

// ---------------------------------------------------------------- whole range window

TEST(AddressRangeWindow, OpensOnlyWithAResult)
{
    Calculator c;
    int opened = 0;
    c.m.showAddressRange = [&] { ++opened; };
    c.setAddress({"192", "168", "1", "77"});
    c.m.SSCommand5_Click();
    EXPECT_EQ(opened, 0);
    c.chooseMask("255.255.255.224");
    c.m.SSCommand5_Click();
    EXPECT_EQ(opened, 1);
    c.m.showAddressRange = nullptr;
    c.m.SSCommand5_Click();  // nobody to open it: no crash
}

}  // namespace
}  // namespace mq::test
