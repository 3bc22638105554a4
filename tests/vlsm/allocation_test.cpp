#include "vlsm/allocation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mq::vlsm {
namespace {

using Lines = std::vector<std::string>;

Lines run(const std::vector<std::string>& hosts, const std::string& prefix = "192.168.1.")
{
    AddressMap map;
    Lines lines;
    assignAll(hosts, prefix, map, lines);
    return lines;
}

// The lines of one placed segment.
Lines placed(int n, const std::string& prefix, int low, int high, int mask)
{
    std::string s = std::to_string(n);
    return {"Subnet " + s + " lower address is " + prefix + std::to_string(low),
            "Subnet " + s + " upper address is " + prefix + std::to_string(high),
            "Subnet mask for segment " + s + " is 255.255.255." + std::to_string(mask), ""};
}

Lines operator+(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(VlsmAssignment, FourSegmentExampleLineForLine)
{
    const Lines expected = {"Segment 1 has 20 hosts",
                            "Segment 2 has 50 hosts",
                            "Segment 3 has 2 hosts",
                            "Segment 4 has 10 hosts",
                            "",
                            "Subnet 2 lower address is 192.168.1.129",
                            "Subnet 2 upper address is 192.168.1.190",
                            "Subnet mask for segment 2 is 255.255.255.192",
                            "",
                            "Subnet 1 lower address is 192.168.1.97",
                            "Subnet 1 upper address is 192.168.1.126",
                            "Subnet mask for segment 1 is 255.255.255.224",
                            "",
                            "Subnet 4 lower address is 192.168.1.81",
                            "Subnet 4 upper address is 192.168.1.94",
                            "Subnet mask for segment 4 is 255.255.255.240",
                            "",
                            "Subnet 3 lower address is 192.168.1.77",
                            "Subnet 3 upper address is 192.168.1.78",
                            "Subnet mask for segment 3 is 255.255.255.252",
                            ""};
    EXPECT_EQ(run({"20", "50", "2", "10"}), expected);
}

TEST(VlsmAssignment, ThreeSegmentsOfSixtyLeaveTheThirdWithoutPlace)
{
    const std::string p = "192.168.1.";
    Lines expected = Lines{"Segment 1 has 60 hosts", "Segment 2 has 60 hosts", "Segment 3 has 60 hosts", ""} +
                     placed(1, p, 129, 190, 192) + placed(2, p, 65, 126, 192) +
                     Lines{"Cannot assign a subnet mask to subnet 3", ""};
    EXPECT_EQ(run({"60", "60", "60"}), expected);
}

TEST(VlsmAssignment, AFailedSegmentDoesNotStopTheFollowingOnes)
{
    const std::string p = "200.1.2.";
    Lines expected = Lines{"Segment 1 has 60 hosts", "Segment 2 has 60 hosts", "Segment 3 has 60 hosts",
                           "Segment 4 has 1 hosts", ""} +
                     placed(1, p, 129, 190, 192) + placed(2, p, 65, 126, 192) +
                     Lines{"Cannot assign a subnet mask to subnet 3", ""} + placed(4, p, 193, 194, 252);
    EXPECT_EQ(run({"60", "60", "60", "1"}, p), expected);
}

TEST(VlsmAssignment, ThirtySegmentsOfTwoAllFitAlternatingFromTheMiddle)
{
    std::vector<std::string> hosts(30, "2");
    Lines lines = run(hosts);
    ASSERT_EQ(lines.size(), 31u + 30u * 4u);
    // Block order: 128, then 124 below, 132 above, 120, 136, ...
    for (int k = 0; k < 30; ++k) {
        int step = (k + 1) / 2;
        int first = k == 0 ? 128 : (k % 2 == 1 ? 128 - 4 * step : 128 + 4 * step);
        Lines want = placed(k + 1, "192.168.1.", first + 1, first + 2, 252);
        Lines got(lines.begin() + 31 + 4 * k, lines.begin() + 35 + 4 * k);
        EXPECT_EQ(got, want) << "segment " << k + 1;
    }
}

TEST(VlsmAssignment, EqualHostCountsArePlacedInEntryOrder)
{
    const std::string p = "192.168.1.";
    Lines lines = run({"4", "4", "10", "4", "10"}, p);
    Lines expected = Lines{"Segment 1 has 4 hosts", "Segment 2 has 4 hosts",  "Segment 3 has 10 hosts",
                           "Segment 4 has 4 hosts", "Segment 5 has 10 hosts", ""} +
                     placed(3, p, 129, 142, 240) + placed(5, p, 113, 126, 240) + placed(1, p, 145, 150, 248) +
                     placed(2, p, 105, 110, 248) + placed(4, p, 153, 158, 248);
    EXPECT_EQ(lines, expected);
}

TEST(VlsmAssignment, TwoEqualSegmentsEnteredThirdAndFifth)
{
    const std::string p = "192.168.1.";
    Lines lines = run({"1", "2", "10", "3", "10"}, p);
    Lines tail(lines.begin() + 6, lines.begin() + 14);
    EXPECT_EQ(tail, placed(3, p, 129, 142, 240) + placed(5, p, 113, 126, 240));
}

struct SizeCase {
    const char* hosts;
    int size;
    int mask;
};

class BlockSizes : public ::testing::TestWithParam<SizeCase> { };

// One segment alone takes the block starting at 128 of its size.
TEST_P(BlockSizes, OneSegmentTakesTheMiddleBlockOfItsSize)
{
    const auto& c = GetParam();
    Lines lines = run({c.hosts});
    Lines want = Lines{std::string("Segment 1 has ") + c.hosts + " hosts", ""} +
                 placed(1, "192.168.1.", 129, 128 + c.size - 2, c.mask);
    EXPECT_EQ(lines, want);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, BlockSizes,
                         ::testing::Values(SizeCase{"1", 4, 252}, SizeCase{"2", 4, 252}, SizeCase{"3", 8, 248},
                                           SizeCase{"6", 8, 248}, SizeCase{"7", 16, 240}, SizeCase{"14", 16, 240},
                                           SizeCase{"15", 32, 224}, SizeCase{"30", 32, 224}, SizeCase{"31", 64, 192},
                                           SizeCase{"62", 64, 192}, SizeCase{"1.5", 4, 252}, SizeCase{"2.5", 8, 248},
                                           SizeCase{"5x", 8, 248}));

TEST(VlsmAssignment, PrefixIsKeptExactlyAsTyped)
{
    Lines lines = run({"05"}, "192.168.001.");
    EXPECT_EQ(lines[0], "Segment 1 has 05 hosts");
    EXPECT_EQ(lines[2], "Subnet 1 lower address is 192.168.001.129");
    EXPECT_EQ(lines[3], "Subnet 1 upper address is 192.168.001.134");
}

struct CheckCase {
    std::vector<std::string> hosts;
    bool accepted;
    std::string message;
    int boxToEmpty;
};

class HostCountCheck : public ::testing::TestWithParam<CheckCase> { };

TEST_P(HostCountCheck, StopsAtTheFirstBadBox)
{
    const auto& c = GetParam();
    HostCheck r = checkHostCounts(c.hosts);
    EXPECT_EQ(r.accepted, c.accepted);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.boxToEmpty, c.boxToEmpty);
}

std::string range(const std::string& v)
{
    return "Class C segment cant handle " + v + "\r\nhosts in a subnet\r\nPlease enter a number between 1 and 62";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HostCountCheck,
    ::testing::Values(CheckCase{{"1", "62", "5x", "1."}, true, "", -1}, CheckCase{{"0"}, false, range("0"), 0},
                      CheckCase{{"00"}, false, range("0"), 0}, CheckCase{{"ab"}, false, range("0"), 0},
                      CheckCase{{"-5"}, false, range("-5"), 0}, CheckCase{{".5"}, false, range(".5"), 0},
                      CheckCase{{"99"}, false, range("99"), 0}, CheckCase{{"63"}, false, range("63"), 0},
                      CheckCase{{"10", "70"}, false, range("70"), 1},
                      CheckCase{{"10", "", "3", "70"}, false, "Please enter data in all fields", -1},
                      CheckCase{{"10", "70", ""}, false, range("70"), 1},
                      CheckCase{{"", "70"}, false, "Please enter data in all fields", -1}));

TEST(VlsmSort, LargestFirstAndStableAmongEquals)
{
    auto segs = makeSegments({"10", "20", "10", "62", "1", "20", "10"});
    sortSegments(segs);
    std::vector<int> order;
    for (const auto& s : segs)
        order.push_back(s.number);
    EXPECT_EQ(order, (std::vector<int>{4, 2, 6, 1, 3, 7, 5}));
}

TEST(VlsmSort, FractionsCountByTheirValue)
{
    auto segs = makeSegments({"2", "2.5", "2.4"});
    sortSegments(segs);
    EXPECT_EQ(segs[0].number, 2);
    EXPECT_EQ(segs[1].number, 3);
    EXPECT_EQ(segs[2].number, 1);
}

TEST(VlsmAssignment, ValuesOutsideTheTableAreNotPlaced)
{
    AddressMap map;
    Lines lines;
    EXPECT_FALSE(classc(63, 7, "192.0.0.", map, lines).has_value());
    EXPECT_FALSE(classc(0, 8, "192.0.0.", map, lines).has_value());
    EXPECT_EQ(lines,
              (Lines{"Cannot assign a subnet mask to subnet 7", "", "Cannot assign a subnet mask to subnet 8", ""}));
    EXPECT_EQ(map.takenCount(), 0);
}

}  // namespace
}  // namespace mq::vlsm
