// Subnet option lists, linked choices, refused typing, subnet zero.
#include "core/subnet_options.h"
#include "tests/core/calculator_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mq::test {
namespace {

using Strings = std::vector<std::string>;

TEST(SubnetOptions, ClassCListsWithAndWithoutSubnetZero)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    EXPECT_EQ(c.m.Combo1[0].list, (Strings{"0", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(c.m.Combo1[1].list, (Strings{"255.255.255.0", "255.255.255.192", "255.255.255.224", "255.255.255.240",
                                           "255.255.255.248", "255.255.255.252"}));
    EXPECT_EQ(c.m.Combo1[2].list, (Strings{"0", "2", "6", "14", "30", "62"}));
    EXPECT_EQ(c.m.Combo1[3].list, (Strings{"254", "62", "30", "14", "6", "2"}));
    c.enableSubnetZero(true);
    EXPECT_EQ(c.m.Combo1[0].list, (Strings{"0", "1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(c.m.Combo1[1].list[1], "255.255.255.128");
    EXPECT_EQ(c.m.Combo1[2].list, (Strings{"0", "1", "2", "6", "14", "30", "62"}));
    EXPECT_EQ(c.m.Combo1[3].list, (Strings{"254", "126", "62", "30", "14", "6", "2"}));
}

struct TableCase {
    const char* first;
    bool subnetZero;
    std::size_t rows;
    std::array<const char*, 4> firstRow, secondRow, lastRow;
};

class OptionTable : public ::testing::TestWithParam<TableCase> { };

TEST_P(OptionTable, RowsOfEachClass)
{
    const auto& p = GetParam();
    Calculator c;
    c.enableSubnetZero(p.subnetZero);
    c.setAddress({p.first, "1", "2", "3"});
    for (int box = 0; box < 4; ++box) {
        const auto& list = c.m.Combo1[static_cast<std::size_t>(box)].list;
        ASSERT_EQ(list.size(), p.rows);
        EXPECT_EQ(list.front(), p.firstRow[static_cast<std::size_t>(box)]);
        EXPECT_EQ(list[1], p.secondRow[static_cast<std::size_t>(box)]);
        EXPECT_EQ(list.back(), p.lastRow[static_cast<std::size_t>(box)]);
    }
    // Every row: mask of c + n bits, 2^n - 2 subnets (1 for n = 1), 2^(h0 - n) - 2 hosts.
    const int c0 = std::string(p.first) == "10" ? 8 : std::string(p.first) == "172" ? 16 : 24;
    for (std::size_t r = 0; r < p.rows; ++r) {
        const int n = std::stoi(c.m.Combo1[0].list[r]);
        const std::uint32_t mask = ~std::uint32_t{0} << (32 - c0 - n);
        const std::string dotted = std::to_string(mask >> 24) + "." + std::to_string((mask >> 16) & 255) + "." +
                                   std::to_string((mask >> 8) & 255) + "." + std::to_string(mask & 255);
        EXPECT_EQ(c.m.Combo1[1].list[r], dotted);
        const long long subnets = n == 0 ? 0 : n == 1 ? 1 : (1LL << n) - 2;
        EXPECT_EQ(c.m.Combo1[2].list[r], std::to_string(subnets));
        EXPECT_EQ(c.m.Combo1[3].list[r], std::to_string((1LL << (32 - c0 - n)) - 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, OptionTable,
                         ::testing::Values(TableCase{"10",
                                                     false,
                                                     22,
                                                     {"0", "255.0.0.0", "0", "16777214"},
                                                     {"2", "255.192.0.0", "2", "4194302"},
                                                     {"22", "255.255.255.252", "4194302", "2"}},
                                           TableCase{"10",
                                                     true,
                                                     23,
                                                     {"0", "255.0.0.0", "0", "16777214"},
                                                     {"1", "255.128.0.0", "1", "8388606"},
                                                     {"22", "255.255.255.252", "4194302", "2"}},
                                           TableCase{"172",
                                                     false,
                                                     14,
                                                     {"0", "255.255.0.0", "0", "65534"},
                                                     {"2", "255.255.192.0", "2", "16382"},
                                                     {"14", "255.255.255.252", "16382", "2"}},
                                           TableCase{"172",
                                                     true,
                                                     15,
                                                     {"0", "255.255.0.0", "0", "65534"},
                                                     {"1", "255.255.128.0", "1", "32766"},
                                                     {"14", "255.255.255.252", "16382", "2"}},
                                           TableCase{"192",
                                                     false,
                                                     6,
                                                     {"0", "255.255.255.0", "0", "254"},
                                                     {"2", "255.255.255.192", "2", "62"},
                                                     {"6", "255.255.255.252", "62", "2"}},
                                           TableCase{"192",
                                                     true,
                                                     7,
                                                     {"0", "255.255.255.0", "0", "254"},
                                                     {"1", "255.255.255.128", "1", "126"},
                                                     {"6", "255.255.255.252", "62", "2"}}));

// ---------------------------------------------------------------- linked choices

class LinkedChoice : public ::testing::TestWithParam<int> { };

TEST_P(LinkedChoice, ChoosingInAnyBoxSetsAllFour)
{
    const int box = GetParam();
    const std::array<std::string, 4> row{"6", "255.255.255.252", "62", "2"};
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.choose(box, row[static_cast<std::size_t>(box)]);
    EXPECT_EQ(c.comboTexts(), row);
    EXPECT_EQ(c.st.chosenRow, 5);
    for (const auto& b : c.m.Combo1)
        EXPECT_EQ(b.listIndex, 5);
    EXPECT_EQ(c.m.RichTextBox2.runs,
              (std::vector<TextRun>{
                  {"11111111  11111111  11111111  ", colour::Red}, {"111111", colour::Blue}, {"00", colour::Olive}}));
    EXPECT_EQ(c.m.SSPanel6[4].caption, "192.168.1.76");
}

INSTANTIATE_TEST_SUITE_P(Boxes, LinkedChoice, ::testing::Values(0, 1, 2, 3));

TEST(SubnetOptions, ClickWithoutASelectedRowDoesNothing)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseRow(2, -1);
    EXPECT_EQ(c.st.chosenRow, -1);
    EXPECT_TRUE(c.resultsEmpty());
    EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{}));
}

struct FieldCase {
    const char* letter;
    const char* mask;
    int S, H;
};

class MaskFields : public ::testing::TestWithParam<FieldCase> { };

TEST_P(MaskFields, SubnetFieldLengthAndHostFieldStart)
{
    const auto& p = GetParam();
    auto e = maskDisplayEntry(p.mask, p.letter);
    if (p.H == 0) {
        EXPECT_FALSE(e.has_value());
        return;
    }
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->subnetFieldLength, p.S);
    EXPECT_EQ(e->hostFieldStart, p.H);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, MaskFields,
    ::testing::Values(FieldCase{"A", "255.255.0.0", 8, 19}, FieldCase{"A", "255.128.0.0", 1, 12},
                      FieldCase{"A", "255.255.128.0", 11, 22}, FieldCase{"A", "255.255.255.0", 18, 29},
                      FieldCase{"A", "255.255.255.128", 21, 32}, FieldCase{"A", "255.255.255.252", 26, 37},
                      FieldCase{"B", "255.255.0.0", 0, 21}, FieldCase{"B", "255.255.255.0", 8, 29},
                      FieldCase{"B", "255.255.255.252", 16, 37}, FieldCase{"C", "255.255.255.0", 0, 31},
                      FieldCase{"C", "255.255.255.252", 6, 37}, FieldCase{"B", "255.128.0.0", 0, 0},
                      FieldCase{"C", "255.255.254.0", 0, 0}, FieldCase{"D", "255.255.255.0", 0, 0},
                      FieldCase{"A", "255.255.255.254", 0, 0}, FieldCase{"A", "", 0, 0}));

TEST(SubnetOptions, MaskWithoutAnEntryLeavesTheFieldLengths)
{
    Calculator c;
    c.setAddress({"172", "16", "37", "200"});
    c.chooseMask("255.255.240.0");
    ASSERT_EQ(c.st.subnetFieldLength, 4);
    c.m.Combo1[1].text = "255.128.0.0";  // not offered for class B
    c.m.combo1change();
    EXPECT_EQ(c.st.subnetFieldLength, 4);
    EXPECT_EQ(c.st.hostFieldStart, 25);
}

// ---------------------------------------------------------------- refused typing, subnet zero

TEST(SubnetOptions, AnyKeyInAChoiceBoxIsRefused)
{
    for (int key : std::vector<int>{37, 40, 65, 53, 46}) {
        Calculator c;
        c.setAddress({"192", "168", "1", "77"});
        c.chooseMask("255.255.255.224");
        c.m.Combo1_KeyDown(key % 4, key, 0);
        EXPECT_EQ(c.sv.messages, (std::vector<Message>{{"Input not allowed, please choose optons from the drop menu",
                                                        MsgIcon::Exclamation, "Error"}}));
        EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{}));
        EXPECT_TRUE(c.resultsEmpty());
        EXPECT_EQ(c.m.Combo1[0].list.size(), 6u);
    }
}

TEST(SubnetOptions, SubnetZeroRebuildsTheListsAndDropsTheChoice)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    const auto runs1 = c.m.RichTextBox1.runs;
    ASSERT_EQ(runs1.size(), 3u);
    c.enableSubnetZero(true);
    EXPECT_EQ(c.st.subnetZero, "y");
    EXPECT_EQ(c.m.SSCheck1.value, 1);
    EXPECT_EQ(c.comboTexts(), (std::array<std::string, 4>{}));
    EXPECT_TRUE(c.resultsEmpty());
    EXPECT_EQ(c.m.Combo1[0].list.size(), 7u);
    EXPECT_EQ(c.m.RichTextBox1.runs, runs1);
    EXPECT_TRUE(c.choicesEnabled());
    c.enableSubnetZero(false);
    EXPECT_EQ(c.st.subnetZero, "n");
    EXPECT_EQ(c.m.Combo1[0].list.size(), 6u);
}

TEST(SubnetOptions, SubnetZeroBeforeAnAddressKeepsTheBoxesDisabled)
{
    Calculator c;
    c.typeKeys(0, "10");
    c.enableSubnetZero(true);
    EXPECT_EQ(c.m.Combo1[0].list.size(), 23u);
    EXPECT_TRUE(c.choicesDisabled());
}

TEST(SubnetOptions, ClassBoxWithoutALetterChangesNothing)
{
    Calculator c;
    c.setAddress({"192", "168", "1", "77"});
    c.chooseMask("255.255.255.224");
    c.m.setText1("");
    EXPECT_EQ(c.m.Combo1[1].list.size(), 6u);
    EXPECT_EQ(c.comboTexts()[1], "255.255.255.224");
    EXPECT_TRUE(c.choicesEnabled());
    EXPECT_TRUE(c.resultsEmpty());  // the class box's change still clears the results
}

}  // namespace
}  // namespace mq::test
