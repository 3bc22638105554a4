#include "tests/core/dar_fixture.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace mq::test {
namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// The line of subnet n as the calculator's own range procedures write it.
std::string selsubLine(FrmdocModel& m, std::int64_t n)
{
    auto& st = m.state();
    st.requestedSubnet = static_cast<double>(n);
    m.selsub1();
    m.selsub2();
    std::string line = signText(static_cast<double>(n)) + "\t";
    m.selsub3();
    return line + st.rangeSubnet + "\t" + st.rangeFirst + "\t" + st.rangeLast + "\t" + st.rangeBroadcast;
}

class DarTest : public DarFixture, public ::testing::Test { };

// ---------------------------------------------------------------- a class C listing, turn sizes

class ClassCListing : public DarFixture, public ::testing::TestWithParam<int> { };

TEST_P(ClassCListing, ListsSubnetsZeroToTheCountWhateverTheTurnSize)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    dar.rowsPerTurn = GetParam();
    dar.open();
    EXPECT_EQ(dar.SSPanel1.caption, "Click START to display subnets 0 to  6");
    EXPECT_TRUE(dar.visible);
    EXPECT_FALSE(dar.SSCommand2.enabled);

    std::vector<std::string> progress;
    sv.onDoEvents = [&] {
        progress.push_back(dar.SSPanel1.caption);
        EXPECT_EQ(dar.SSCommand1.caption, "CANCEL");
        EXPECT_EQ(dar.SSPanel1.top, 0);
        EXPECT_EQ(dar.RichTextBox1Top, 3240);
        EXPECT_TRUE(dar.isRunning());
    };
    dar.SSCommand1_Click();

    ASSERT_EQ(dar.RichTextBox1.rows(), 7);
    EXPECT_EQ(row(0), " 0\t192.168.1.0\t192.168.1.1\t192.168.1.30\t192.168.1.31");
    EXPECT_EQ(row(6), " 6\t192.168.1.192\t192.168.1.193\t192.168.1.222\t192.168.1.223");
    for (int n = 0; n <= 6; ++n)
        EXPECT_EQ(row(n), oracleLine(0xC0A8014D, 24, 3, n));
    EXPECT_EQ(dar.SSPanel1.caption, "Calculating and formatting for subnet  5 of 6");
    EXPECT_EQ(dar.SSCommand1.caption, "START");
    EXPECT_TRUE(dar.SSCommand2.enabled);
    EXPECT_EQ(dar.SSPanel1.top, 3240);
    EXPECT_EQ(dar.RichTextBox1Top, 0);
    EXPECT_FALSE(dar.isRunning());
    EXPECT_EQ(dar.stopFlag(), 1);
    // One turn of the event loop per turn-sized block of lines, none after the last.
    EXPECT_EQ(sv.events, (7 + GetParam() - 1) / GetParam() - 1);
    if (GetParam() == 1) {
        EXPECT_EQ(progress.back(), "Calculating and formatting for subnet  5 of 6");
    }
    // The calculator's range fields hold the last line, as after selsub3 on it.
    EXPECT_EQ(st.listNumber, 6);
    EXPECT_EQ(st.rangeSubnet, "192.168.1.192");
    EXPECT_EQ(st.rangeBroadcast, "192.168.1.223");
    EXPECT_TRUE(sv.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(TurnSizes, ClassCListing, ::testing::Values(1, 2, 3, 6, 7, 65536));

TEST_F(DarTest, ReportHeadFollowsTheCalculator)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    dar.open();
    dar.SSCommand1_Click();
    const std::vector<std::string> head = {
        reportBanner(1),
        "",
        "TCP/IP Host Address chosen: 192.168.1.77",
        "",
        "Results of Subnet Calculation",
        "",
        "Number of Subnet Bits: 3",
        "Subnet Mask: 255.255.255.224",
        "Number of Subnets with above mask: 6",
        "Number of Subnets with subnet zero enabled:  7",
        "Number of Hosts per subnet with above mask: 30",
        "Class of Address: C",
        "Network address: 192.168.1.0",
        "Subnet address: 192.168.1.64",
        "Host address: 192.168.1.77",
        "Number of Hosts Wasted: " + m.SSPanel6[6].caption,
        "",
        "Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address",
        "",
    };
    ASSERT_FALSE(m.SSPanel6[6].caption.empty());
    const auto lines = splitLines(dar.RichTextBox1.text());
    ASSERT_EQ(lines.size(), head.size() + 7);
    for (std::size_t i = 0; i < head.size(); ++i)
        EXPECT_EQ(lines[i], head[i]) << "line " << i + 1;
    EXPECT_EQ(dar.RichTextBox1.text().back(), '\n');

    // Formats: line 1 bold, line 5 bold and italic, line 18 bold; tab stops from line 18.
    for (std::int64_t i = 0; i < dar.RichTextBox1.lineCount(); ++i) {
        const auto f = dar.RichTextBox1.format(i);
        EXPECT_EQ(f.bold, i == 0 || i == 4 || i == 17) << "line " << i + 1;
        EXPECT_EQ(f.italic, i == 4) << "line " << i + 1;
        EXPECT_EQ(f.tabStops, i >= 17) << "line " << i + 1;
    }
}

TEST_F(DarTest, TheOwnMaskListsOneLineAndKeepsTheMessage)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.0");
    ASSERT_EQ(m.Combo1[2].text, "0");
    dar.open();
    dar.SSCommand1_Click();
    ASSERT_EQ(dar.RichTextBox1.rows(), 1);
    EXPECT_EQ(row(0), " 0\t192.168.1.0\t192.168.1.1\t192.168.1.254\t192.168.1.255");
    EXPECT_EQ(dar.SSPanel1.caption, "Click START to display subnets 0 to  0");
    EXPECT_EQ(sv.events, 0);
    EXPECT_EQ(dar.RichTextBox1.line(9), "Number of Subnets with subnet zero enabled:  1");
}

TEST_F(DarTest, ClassAWithTwentyTwoSubnetBitsListsEverySubnet)
{
    calculate({"10", "1", "2", "3"}, "255.255.255.252");
    ASSERT_EQ(m.Combo1[2].text, "4194302");
    dar.open();
    EXPECT_EQ(dar.SSPanel1.caption, "Click START to display subnets 0 to  4194302");
    dar.SSCommand1_Click();
    ASSERT_EQ(dar.RichTextBox1.rows(), 4194303);
    EXPECT_EQ(row(0), " 0\t10.0.0.0\t10.0.0.1\t10.0.0.2\t10.0.0.3");
    EXPECT_EQ(row(4194302), " 4194302\t10.255.255.248\t10.255.255.249\t10.255.255.250\t10.255.255.251");
    EXPECT_EQ(dar.SSPanel1.caption, "Calculating and formatting for subnet  4194301 of 4194302");
    EXPECT_GT(sv.events, 10);  // the event loop turned along the way
    EXPECT_EQ(dar.RichTextBox1.runCount(), 1u);
    EXPECT_EQ(dar.RichTextBox1.line(dar.RichTextBox1.lineCount()), "");
}

// ---------------------------------------------------------------- cancel, finish, reopen

TEST_F(DarTest, CancelKeepsTheLinesWrittenAndAFreshStartBeginsAtZero)
{
    calculate({"10", "1", "2", "3"}, "255.255.255.252");
    dar.rowsPerTurn = 1000;
    dar.open();
    sv.onDoEvents = [&] {
        if (sv.events == 3)
            dar.SSCommand1_Click();  // the same button, now reading CANCEL
        if (sv.events == 3) {
            EXPECT_EQ(dar.SSPanel1.top, 0);
            EXPECT_EQ(dar.RichTextBox1Top, 3240);
            EXPECT_FALSE(dar.isRunning());
        }
    };
    dar.SSCommand1_Click();
    EXPECT_EQ(sv.events, 3);
    EXPECT_EQ(dar.RichTextBox1.rows(), 3000);
    EXPECT_EQ(row(2999), oracleLine(0x0A010203, 8, 22, 2999));
    EXPECT_EQ(dar.SSPanel1.caption, "Calculating and formatting for subnet  2999 of 4194302");
    EXPECT_EQ(dar.SSCommand1.caption, "START");
    EXPECT_TRUE(dar.SSCommand2.enabled);
    EXPECT_EQ(dar.stopFlag(), 0);

    // START again: the report is cleared and begins at subnet 0.
    sv.onDoEvents = [&] {
        if (sv.events == 4) {
            EXPECT_EQ(dar.RichTextBox1.rows(), 1000);
        }
    };
    dar.SSCommand1_Click();
    EXPECT_EQ(dar.RichTextBox1.rows(), 4194303);
    EXPECT_EQ(row(0), " 0\t10.0.0.0\t10.0.0.1\t10.0.0.2\t10.0.0.3");
    EXPECT_EQ(dar.RichTextBox1.headCount(), 19);
}

TEST_F(DarTest, FinishHidesAndReopeningResetsButtonsButKeepsTheReport)
{
    calculate({"172", "16", "37", "200"}, "255.255.255.192");
    dar.open();
    dar.SSCommand1_Click();
    const std::string report = dar.RichTextBox1.text();
    ASSERT_EQ(dar.RichTextBox1.rows(), 1023);

    dar.SSCommand3_Click();
    EXPECT_FALSE(dar.visible);
    EXPECT_EQ(dar.RichTextBox1.text(), report);

    calculate({"10", "0", "0", "1"}, "255.255.0.0");  // the calculator moves on
    m.SSCommand5_Click();
    dar.open();
    EXPECT_TRUE(dar.visible);
    EXPECT_TRUE(dar.SSCommand1.enabled);
    EXPECT_EQ(dar.SSCommand1.caption, "START");
    EXPECT_FALSE(dar.SSCommand2.enabled);
    EXPECT_EQ(dar.SSPanel1.caption, "Click START to display subnets 0 to  254");
    EXPECT_EQ(dar.SSPanel1.top, 0);
    EXPECT_EQ(dar.RichTextBox1Top, 3240);
    EXPECT_EQ(dar.RichTextBox1.text(), report);

    dar.SSCommand1_Click();
    EXPECT_EQ(dar.RichTextBox1.rows(), 255);
    EXPECT_EQ(dar.RichTextBox1.line(2), "TCP/IP Host Address chosen: 10.0.0.1");
}

// ---------------------------------------------------------------- the calculator changes during a run

TEST_F(DarTest, ACalculatorChangeChangesOnlyTheLinesStillToCome)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    dar.rowsPerTurn = 2;
    dar.open();
    sv.onDoEvents = [&] {
        if (sv.events == 1) {
            // The user types another address and picks a longer mask.
            m.setText3(2, "9");
            chooseMask("255.255.255.240");
        }
    };
    dar.SSCommand1_Click();
    ASSERT_EQ(dar.RichTextBox1.rows(), 15);  // 0..14: the new count, read as the run went
    EXPECT_EQ(row(0), oracleLine(0xC0A8014D, 24, 3, 0));
    EXPECT_EQ(row(1), oracleLine(0xC0A8014D, 24, 3, 1));
    for (int n = 2; n <= 14; ++n)
        EXPECT_EQ(row(n), oracleLine(0xC0A8094D, 24, 4, n)) << n;
    EXPECT_EQ(dar.SSPanel1.caption, "Calculating and formatting for subnet  13 of 14");
    // The head keeps what was chosen at START.
    EXPECT_EQ(dar.RichTextBox1.line(7), "Subnet Mask: 255.255.255.224");
}

TEST_F(DarTest, ACountThatDropsBelowTheLinesWrittenEndsTheRun)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.240");
    dar.rowsPerTurn = 5;
    dar.open();
    sv.onDoEvents = [&] {
        if (sv.events == 2)
            chooseMask("255.255.255.224");  // 6 subnets; 10 lines are written already
        ASSERT_LT(sv.events, 10) << "the run went on past the count";
    };
    dar.SSCommand1_Click();
    ASSERT_EQ(dar.RichTextBox1.rows(), 11);
    EXPECT_EQ(row(9), oracleLine(0xC0A8014D, 24, 4, 9));
    // Subnet 10 worked out under the 3-bit mask, as the range procedures do it.
    DarFixture ref;
    ref.calculate({"192", "168", "1", "77"}, "255.255.255.224");
    EXPECT_EQ(row(10), selsubLine(ref.m, 10));
    EXPECT_EQ(row(10), " 10\t192.168.1.224\t192.168.1.225\t192.168.1.254\t192.168.1.255");
    EXPECT_EQ(dar.SSCommand1.caption, "START");
    EXPECT_EQ(dar.stopFlag(), 1);
}

TEST_F(DarTest, ClearedOrUnusableCalculatorEndsTheRunWithoutHarm)
{
    struct Case {
        const char* what;
        std::function<void(DarFixture&)> change;
    };
    const std::vector<Case> cases = {
        {"octet changed: results cleared", [](DarFixture& f) { f.m.setText3(3, "1"); }},
        {"class D address", [](DarFixture& f) { f.m.setText3(0, "230"); }},
        {"calculator gone", [](DarFixture& f) { f.dar.setCalculator(nullptr); }},
        {"octet 2 rejected", [](DarFixture& f) { f.m.setText3(1, "300"); }},
        {"first octet rejected: the results stay", [](DarFixture& f) { f.m.setText3(0, "999"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DarFixture f;
        f.calculate({"172", "16", "37", "200"}, "255.255.255.192");
        f.dar.rowsPerTurn = 4;
        f.dar.open();
        f.sv.onDoEvents = [&] {
            if (f.sv.events == 1)
                c.change(f);
            ASSERT_LT(f.sv.events, 5);
        };
        f.dar.SSCommand1_Click();
        EXPECT_LE(f.dar.RichTextBox1.rows(), 5);
        EXPECT_GE(f.dar.RichTextBox1.rows(), 4);
        EXPECT_EQ(f.row(3), oracleLine(0xAC1025C8, 16, 10, 3));
        for (std::int64_t r = 0; r < f.dar.RichTextBox1.rows(); ++r)
            EXPECT_EQ(f.row(r).find("300"), std::string::npos) << f.row(r);
        EXPECT_EQ(f.row(4).find("999"), std::string::npos);
        EXPECT_EQ(f.dar.SSCommand1.caption, "START");
        EXPECT_TRUE(f.dar.SSCommand2.enabled);
        EXPECT_FALSE(f.dar.isRunning());
        // What was listed is what gets saved, line for line.
        StringSink rtf;
        ASSERT_TRUE(f.dar.RichTextBox1.writeRtf(rtf));
        std::size_t pars = 0;
        for (std::size_t p = 0; (p = rtf.bytes.find("\\par\r\n", p)) != std::string::npos; ++p)
            ++pars;
        EXPECT_EQ(static_cast<std::int64_t>(pars), f.dar.RichTextBox1.lineCount());
        std::string last = f.row(f.dar.RichTextBox1.rows() - 1);
        std::string escaped;
        RtfWriter::appendEscaped(last, escaped);
        EXPECT_NE(rtf.bytes.find(escaped + "\\par"), std::string::npos) << last;
    }
}

TEST_F(DarTest, StartDoesNothingWhileAnOctetIsRejected)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    m.setText3(0, "999");  // the results stay on screen, so the window opens
    m.SSCommand5_Click();
    dar.open();
    const std::string message = dar.SSPanel1.caption;
    dar.SSCommand1_Click();
    EXPECT_EQ(dar.RichTextBox1.lineCount(), 0);
    EXPECT_EQ(sv.events, 0);
    EXPECT_FALSE(dar.SSCommand2.enabled);
    EXPECT_EQ(dar.SSPanel1.caption, message);
    EXPECT_EQ(dar.SSPanel1.top, kDarTopUpper);

    m.setText3(0, "192");
    chooseMask("255.255.255.224");
    dar.SSCommand1_Click();
    EXPECT_EQ(dar.RichTextBox1.rows(), 7);
}

// ---------------------------------------------------------------- the fast lines against selsub

struct MaskCase {
    std::array<std::string, 4> address;
    std::uint32_t value;
    int classBits;
};

class EveryMask : public ::testing::TestWithParam<MaskCase> { };

TEST_P(EveryMask, LinesEqualTheRangeProceduresAndTheOracle)
{
    const auto& p = GetParam();
    for (bool zero : {false, true}) {
        DarFixture f;
        f.enableSubnetZero(zero);
        f.setAddress(p.address);
        DarFixture ref;  // the same calculation, for selsub1..selsub3
        ref.enableSubnetZero(zero);
        ref.setAddress(p.address);
        const auto masks = f.m.Combo1[1].list;
        ASSERT_FALSE(masks.empty());
        std::mt19937 rng(1234);
        for (const auto& mask : masks) {
            SCOPED_TRACE(mask + (zero ? " with subnet zero" : ""));
            f.chooseMask(mask);
            ref.chooseMask(mask);
            f.dar.open();
            f.dar.SSCommand1_Click();
            const int b = std::stoi(f.m.Combo1[0].text);
            const auto count = static_cast<std::int64_t>(leadingNumber(f.m.Combo1[2].text));
            ASSERT_EQ(f.dar.RichTextBox1.rows(), count + 1);
            std::vector<std::int64_t> sample;
            if (count < 1100) {
                for (std::int64_t n = 0; n <= count; ++n)
                    sample.push_back(n);
            } else {
                std::uniform_int_distribution<std::int64_t> pick(0, count);
                sample = {0, 1, count - 1, count};
                for (int i = 0; i < 300; ++i)
                    sample.push_back(pick(rng));
            }
            for (auto n : sample) {
                const std::string line = f.row(n);
                ASSERT_EQ(line, selsubLine(ref.m, n)) << "subnet " << n;
                ASSERT_EQ(line, oracleLine(p.value, p.classBits, b, n)) << "subnet " << n;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, EveryMask,
                         ::testing::Values(MaskCase{{"10", "200", "37", "9"}, 0x0AC82509, 8},
                                           MaskCase{{"126", "0", "0", "1"}, 0x7E000001, 8},
                                           MaskCase{{"172", "16", "37", "200"}, 0xAC1025C8, 16},
                                           MaskCase{{"191", "255", "1", "1"}, 0xBFFF0101, 16},
                                           MaskCase{{"192", "168", "1", "77"}, 0xC0A8014D, 24},
                                           MaskCase{{"223", "255", "255", "254"}, 0xDFFFFFFE, 24}));

// ---------------------------------------------------------------- Save

TEST_F(DarTest, SaveWritesTheReportAsRichTextAndHides)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    dar.open();
    dar.SSCommand1_Click();
    sv.saveAnswers.push_back(std::string("/tmp/ranges.rtf"));
    dar.SSCommand2_Click();
    ASSERT_EQ(sv.saveFilters.size(), 1u);
    EXPECT_EQ(sv.saveFilters[0], "Rich Text Files (*.rtf)|*.rtf|");
    ASSERT_EQ(writer.files.count("/tmp/ranges.rtf"), 1u);
    const std::string& rtf = writer.files["/tmp/ranges.rtf"];
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("192.168.1.192\\tab 192.168.1.193\\tab 192.168.1.222\\tab 192.168.1.223\\par"),
              std::string::npos);
    EXPECT_FALSE(dar.visible);
    EXPECT_TRUE(sv.messages.empty());
}

TEST_F(DarTest, CancelledDialogOrFailedWriteKeepsTheWindowOpen)
{
    calculate({"192", "168", "1", "77"}, "255.255.255.224");
    dar.open();
    dar.SSCommand1_Click();
    writer.files["/tmp/old.rtf"] = "old content";

    sv.saveAnswers.push_back(std::nullopt);
    dar.SSCommand2_Click();
    sv.saveAnswers.push_back(std::string());
    dar.SSCommand2_Click();
    EXPECT_EQ(writer.calls, 0);
    EXPECT_TRUE(dar.visible);
    EXPECT_TRUE(sv.messages.empty());

    writer.failWrites = true;
    sv.saveAnswers.push_back(std::string("/tmp/old.rtf"));
    dar.SSCommand2_Click();
    EXPECT_TRUE(dar.visible);
    EXPECT_EQ(writer.files["/tmp/old.rtf"], "old content");
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_EQ(sv.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(sv.messages[0].title, "Maskquill");
    EXPECT_NE(sv.messages[0].text.find("/tmp/old.rtf"), std::string::npos);
    EXPECT_NE(sv.messages[0].text.find("No space left on device"), std::string::npos);
}

}  // namespace
}  // namespace mq::test
