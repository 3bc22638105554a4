#include "reports/results_report.h"
#include "tests/reports/report_fixtures.h"
#include "vlsm/form10_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace mq::test {
namespace {

const std::string kBanner = "Maskquill for Win95 V5.1 (c) 2026 The Maskquill developers";

using RowFn = std::function<std::string(int)>;

struct FileCase {
    const char* name;
    std::array<std::string, 4> octets;
    std::string mask;
    std::string head;  // everything up to the grid part, CR LF included
    int firstSubnet;
    int rowCount;
    RowFn row;  // the expected row for subnet n, without its line end
};

std::string classBRow(int n)
{
    std::string p = "172.16." + std::to_string(n) + ".";
    return std::to_string(n) + "\t" + p + "0\t" + p + "1\t" + p + "254\t" + p + "255";
}

std::string classCRow(int n)
{
    std::string p = "192.168.10.";
    return std::to_string(n) + "\t" + p + std::to_string(4 * n) + "\t" + p + std::to_string(4 * n + 1) + "\t" + p +
           std::to_string(4 * n + 2) + "\t" + p + std::to_string(4 * n + 3);
}

std::string classARow(int n)
{
    std::string p = "10." + std::to_string(n) + ".";
    return std::to_string(n) + "\t" + p + "0.0\t" + p + "0.1\t" + p + "255.254\t" + p + "255.255";
}

const std::vector<FileCase>& fileCases()
{
    static const std::vector<FileCase> cases{
        {"FullPageOfFiftyRows",
         {"172", "16", "5", "10"},
         "255.255.255.0",
         kBanner + "\r\n\r\n\r\n"
                   "TCP/IP Host Address chosen: 172.16.5.10\r\n"
                   "\r\n"
                   "Results of Subnet Calculation\r\n"
                   "\r\n"
                   "Number of Subnet Bits: 8\r\n"
                   "Subnet Mask: 255.255.255.0\r\n"
                   "Number of Subnets with above mask: 254\r\n"
                   "Number of Hosts per subnet with above mask: 254\r\n"
                   "\r\n"
                   "Class of Address: B\r\n"
                   "Network address: 172.16.0.0\r\n"
                   "Subnet address: 172.16.5.0\r\n"
                   "Host address: 172.16.5.10\r\n"
                   "Number of Hosts Wasted: 1018\r\n"
                   "Subnet Range starting address: 172.16.5.1\r\n"
                   "Subnet Range ending address: 172.16.5.254\r\n"
                   "Subnet Range broadcast address: 172.16.5.255\r\n"
                   "\r\n"
                   "Subnet Range for calculated subnet mask is as follows:\r\n"
                   "\r\n",
         5,
         50,
         classBRow},
        {"ThirtySevenRowsToTheLastSubnet",
         {"192", "168", "10", "105"},
         "255.255.255.252",
         kBanner + "\r\n\r\n\r\n"
                   "TCP/IP Host Address chosen: 192.168.10.105\r\n"
                   "\r\n"
                   "Results of Subnet Calculation\r\n"
                   "\r\n"
                   "Number of Subnet Bits: 6\r\n"
                   "Subnet Mask: 255.255.255.252\r\n"
                   "Number of Subnets with above mask: 62\r\n"
                   "Number of Hosts per subnet with above mask: 2\r\n"
                   "\r\n"
                   "Class of Address: C\r\n"
                   "Network address: 192.168.10.0\r\n"
                   "Subnet address: 192.168.10.104\r\n"
                   "Host address: 192.168.10.105\r\n"
                   "Number of Hosts Wasted: 130\r\n"
                   "Subnet Range starting address: 192.168.10.105\r\n"
                   "Subnet Range ending address: 192.168.10.106\r\n"
                   "Subnet Range broadcast address: 192.168.10.107\r\n"
                   "\r\n"
                   "Subnet Range for calculated subnet mask is as follows:\r\n"
                   "\r\n",
         26,
         37,
         classCRow},
        {"OctetsKeepTheirLeadingZeros",
         {"010", "001", "002", "003"},
         "255.255.0.0",
         kBanner + "\r\n\r\n\r\n"
                   "TCP/IP Host Address chosen: 010.001.002.003\r\n"
                   "\r\n"
                   "Results of Subnet Calculation\r\n"
                   "\r\n"
                   "Number of Subnet Bits: 8\r\n"
                   "Subnet Mask: 255.255.0.0\r\n"
                   "Number of Subnets with above mask: 254\r\n"
                   "Number of Hosts per subnet with above mask: 65534\r\n"
                   "\r\n"
                   "Class of Address: A\r\n"
                   "Network address: 010.0.0.0\r\n"
                   "Subnet address: 10.1.0.0\r\n"
                   "Host address: 010.001.002.003\r\n"
                   "Number of Hosts Wasted: 131578\r\n"
                   "Subnet Range starting address: 10.1.0.1\r\n"
                   "Subnet Range ending address: 10.1.255.254\r\n"
                   "Subnet Range broadcast address: 10.1.255.255\r\n"
                   "\r\n"
                   "Subnet Range for calculated subnet mask is as follows:\r\n"
                   "\r\n",
         1,
         50,
         classARow},
        {"EmptyGridEndsAfterTheRangeHeading",
         {"192", "168", "10", "5"},
         "255.255.255.0",
         kBanner + "\r\n\r\n\r\n"
                   "TCP/IP Host Address chosen: 192.168.10.5\r\n"
                   "\r\n"
                   "Results of Subnet Calculation\r\n"
                   "\r\n"
                   "Number of Subnet Bits: 0\r\n"
                   "Subnet Mask: 255.255.255.0\r\n"
                   "Number of Subnets with above mask: 0\r\n"
                   "Number of Hosts per subnet with above mask: 254\r\n"
                   "\r\n"
                   "Class of Address: C\r\n"
                   "Network address: 192.168.10.0\r\n"
                   "Subnet address: 192.168.10.0\r\n"
                   "Host address: 192.168.10.5\r\n"
                   "Number of Hosts Wasted: 0\r\n"
                   "Subnet Range starting address: 192.168.10.1\r\n"
                   "Subnet Range ending address: 192.168.10.254\r\n"
                   "Subnet Range broadcast address: 192.168.10.255\r\n"
                   "\r\n"
                   "Subnet Range for calculated subnet mask is as follows:\r\n"
                   "\r\n",
         0,
         0,
         nullptr},
    };
    return cases;
}

std::string expectedFile(const FileCase& c)
{
    std::string text = c.head;
    if (c.rowCount == 0)
        return text;
    text += "Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address\r\n\r\n";
    for (int n = c.firstSubnet; n < c.firstSubnet + c.rowCount; ++n)
        text += c.row(n) + "\r\n";
    return text;
}

class CalculatorFile : public ::testing::TestWithParam<FileCase> { };

TEST_P(CalculatorFile, IsByteExact)
{
    const FileCase& c = GetParam();
    CalculatorWindow w;
    w.type(c.octets);
    w.chooseMask(c.mask);
    std::string file = crlfText(calculatorFileLines(calculatorReportInput(w.model)));
    EXPECT_EQ(file, expectedFile(c));
    // Every line break is CR LF; no bare LF or CR anywhere.
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\n') {
            ASSERT_TRUE(i > 0 && file[i - 1] == '\r') << "bare LF at " << i;
        }
        if (file[i] == '\r') {
            ASSERT_TRUE(i + 1 < file.size() && file[i + 1] == '\n') << "bare CR at " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Reports, CalculatorFile, ::testing::ValuesIn(fileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Rows stop at the first empty subnet number, even when later rows hold text,
// and never run past row 50 or the end of a short grid.
struct GridCase {
    const char* name;
    int gridRows;
    std::vector<int> filledRows;
    int expectedRows;
};

class CalculatorGrid : public ::testing::TestWithParam<GridCase> { };

TEST_P(CalculatorGrid, RowsEndAtFirstEmptySubnetNumber)
{
    const GridCase& c = GetParam();
    CalculatorReportInput in;
    in.choices = {"2", "255.255.255.192", "2", "62"};
    in.grid = Grid(c.gridRows, 5);
    for (int r : c.filledRows)
        for (int col = 0; col < 5; ++col)
            in.grid.setTextMatrix(r, col, "r" + std::to_string(r) + "c" + std::to_string(col));
    auto lines = calculatorFileLines(in);
    const std::size_t fixed = 23;
    ASSERT_GE(lines.size(), fixed);
    std::vector<std::string> tail(lines.begin() + fixed, lines.end());
    if (c.expectedRows == 0) {
        EXPECT_TRUE(tail.empty());
        return;
    }
    ASSERT_EQ(tail.size(), static_cast<std::size_t>(c.expectedRows) + 2);
    EXPECT_EQ(tail[0], "Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address");
    EXPECT_EQ(tail[1], "");
    for (int r = 1; r <= c.expectedRows; ++r) {
        std::string p = "r" + std::to_string(r) + "c";
        EXPECT_EQ(tail[static_cast<std::size_t>(r + 1)], p + "0\t" + p + "1\t" + p + "2\t" + p + "3\t" + p + "4");
    }
}

std::vector<int> range(int from, int to)
{
    std::vector<int> v;
    for (int i = from; i <= to; ++i)
        v.push_back(i);
    return v;
}

INSTANTIATE_TEST_SUITE_P(Reports, CalculatorGrid,
                         ::testing::Values(GridCase{"GapStopsTheList", 51, {1, 2, 3, 5, 6}, 3},
                                           GridCase{"RowOneEmptyMeansNoHeading", 51, {2, 3}, 0},
                                           GridCase{"NoRowBeyondFifty", 60, range(1, 59), 50},
                                           GridCase{"ShortGrid", 4, {1, 2, 3}, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CalculatorPrintout, LinesFontsAndOrder)
{
    CalculatorWindow w;
    w.type({"192", "168", "10", "105"});
    w.chooseMask("255.255.255.252");
    auto lines = calculatorPrintLines(calculatorReportInput(w.model));

    std::vector<PrintLine> expected{
        {kBanner, 12, true, false},
        {"", 12, true, false},
        {"", 12, true, false},
        {"TCP/IP Host Address chosen: 192.168.10.105", 10, false, false},
        {"", 10, false, false},
        {"Class of Address: C", 10, false, false},
        {"", 10, false, false},
        {"Results of Subnet Calculation", 10, false, true},
        {"", 10, false, false},
        {"Number of Subnet Bits: 6", 10, false, false},
        {"Subnet Mask: 255.255.255.252", 10, false, false},
        {"Number of Subnets with above mask: 62", 10, false, false},
        {"Number of Hosts per subnet with above mask: 2", 10, false, false},
        {"Network address: 192.168.10.0", 10, false, false},
        {"Subnet address: 192.168.10.104", 10, false, false},
        {"Subnet Range starting address: 192.168.10.105", 10, false, false},
        {"Subnet Range ending address: 192.168.10.106", 10, false, false},
        {"Subnet Range broadcast address: 192.168.10.107", 10, false, false},
        {"", 10, false, false},
        {"Subnet Range for calculated subnet mask is as follows:", 10, false, true},
        {"", 10, false, false},
        {"Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address", 8, false, false},
        {"", 8, false, false},
    };
    for (int n = 26; n <= 62; ++n)
        expected.push_back({classCRow(n), 8, false, false});
    EXPECT_EQ(lines, expected);
}

TEST(CalculatorPrintout, EmptyGridPrintsNoHeading)
{
    CalculatorWindow w;
    w.type({"192", "168", "10", "5"});
    w.chooseMask("255.255.255.0");
    auto lines = calculatorPrintLines(calculatorReportInput(w.model));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), (PrintLine{"", 10, false, false}));
    EXPECT_EQ(lines[lines.size() - 2].text, "Subnet Range for calculated subnet mask is as follows:");
}

TEST(CalculatorReport, NoChoiceMeansNoResults)
{
    CalculatorWindow w;
    w.type({"192", "168", "10", "5"});
    EXPECT_FALSE(hasResults(calculatorReportInput(w.model)));
    w.chooseMask("255.255.255.0", false);
    EXPECT_TRUE(hasResults(calculatorReportInput(w.model)));
}

// A VLSM run with address 192.168.1 and four segments of 20, 50, 2 and 10
// hosts, made through the assistant's own Continue button.
std::vector<std::string> vlsmExampleRun()
{
    FakeServices services;
    Form10Model w(services);
    w.Form_Load();
    w.Text1[0].text = "192";
    w.Text1[1].text = "168";
    w.Text1[2].text = "1";
    w.SSCommand1_Click();
    w.Combo1.setText("4");
    w.SSCommand1_Click();
    const char* hosts[] = {"20", "50", "2", "10"};
    for (std::size_t i = 0; i < 4; ++i)
        w.Text2[i].text = hosts[i];
    w.SSCommand1_Click();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(w.step(), 0);
    return vlsmReportInput(w);
}

TEST(VlsmFile, IsByteExact)
{
    const std::string expected = "Maskquill for Win95 V5.1  (c) 2026 The Maskquill developers\r\n"
                                 "\r\n"
                                 "Results of Class C VLSM Quill\r\n"
                                 "\r\n"
                                 "Suggested VLSM for the following subnets entered are:\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "Number of segments chosen is 4\r\n"
                                 "\r\n"
                                 "Segment 1 has 20 hosts\r\n"
                                 "Segment 2 has 50 hosts\r\n"
                                 "Segment 3 has 2 hosts\r\n"
                                 "Segment 4 has 10 hosts\r\n"
                                 "\r\n"
                                 "Subnet 2 lower address is 192.168.1.129\r\n"
                                 "Subnet 2 upper address is 192.168.1.190\r\n"
                                 "Subnet mask for segment 2 is 255.255.255.192\r\n"
                                 "\r\n"
                                 "Subnet 1 lower address is 192.168.1.97\r\n"
                                 "Subnet 1 upper address is 192.168.1.126\r\n"
                                 "Subnet mask for segment 1 is 255.255.255.224\r\n"
                                 "\r\n"
                                 "Subnet 4 lower address is 192.168.1.81\r\n"
                                 "Subnet 4 upper address is 192.168.1.94\r\n"
                                 "Subnet mask for segment 4 is 255.255.255.240\r\n"
                                 "\r\n"
                                 "Subnet 3 lower address is 192.168.1.77\r\n"
                                 "Subnet 3 upper address is 192.168.1.78\r\n"
                                 "Subnet mask for segment 3 is 255.255.255.252\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "N.B. The VLSM details calculated are suggested figures only\r\n"
                                 "\r\n"
                                 "\r\n";
    EXPECT_EQ(crlfText(vlsmFileLines(vlsmExampleRun())), expected);
}

TEST(VlsmPrintout, LinesFontsAndOrder)
{
    std::vector<PrintLine> expected{
        {"Maskquill for Win95 V5.1  (c) 2026 The Maskquill developers", 12, true, false},
        {"", 12, false, false},
        {"", 12, false, false},
        {"Results of Class C VLSM Quill are:", 10, false, true},
        {"", 10, false, false},
    };
    for (const char* item : {"", "Number of segments chosen is 4", "", "Segment 1 has 20 hosts"})
        expected.push_back({item, 10, false, false});
    std::vector<std::string> run = vlsmExampleRun();
    ASSERT_GT(run.size(), 4u);
    run.resize(4);
    EXPECT_EQ(vlsmPrintLines(run), expected);
    EXPECT_FALSE(hasResults(std::vector<std::string>{}));
    // A list holding only an empty line still has something to report.
    EXPECT_TRUE(hasResults(std::vector<std::string>{""}));
}

TEST(Banner, BlanksBeforeTheNotice)
{
    EXPECT_EQ(reportBanner(1), kBanner);
    EXPECT_EQ(reportBanner(2), "Maskquill for Win95 V5.1  (c) 2026 The Maskquill developers");
}

}  // namespace
}  // namespace mq::test
