// The subnet listing: splitting, the 128-bit view over any row count, the
// scroll bar's mapping, jumps, selection and copy limits.
#include "classless/listing.h"

#include "tests/support/net_text.h"

#include <gtest/gtest.h>

#include <random>

namespace mq::classless {
namespace {

using mq::test::P;

SubnetListing listingOf(const char* parent, const char* split, int visible = 20)
{
    SubnetListing l;
    l.setParent(P(parent));
    l.splitText = split;
    EXPECT_TRUE(l.split()) << l.message;
    l.setVisibleRows(visible);
    return l;
}

constexpr u128 kAll = ~static_cast<u128>(0);  // 2^128 - 1, the last row of ::/0 at /128

TEST(SubnetListing, SplitChecksTheLengthAndListsTheRows)
{
    SubnetListing l;
    l.splitText = "30";
    EXPECT_FALSE(l.split());
    EXPECT_NE(l.message, "");
    l.setParent(P("10.1.2.3/8"));
    for (const char* bad : {"7", "33", "/x", "", "-1", "99999999999999999999999999999999999999999"}) {
        l.splitText = bad;
        EXPECT_FALSE(l.split()) << bad;
        EXPECT_NE(l.message.find("from 8 to 32"), std::string::npos) << l.message;
        EXPECT_FALSE(l.shown());
    }
    l.splitText = " /30 ";
    ASSERT_TRUE(l.split());
    EXPECT_EQ(net::toDecimal(l.rowCount()), "4194304");
    EXPECT_EQ(l.cells(0), (std::array<std::string, 5>{"0", "10.0.0.0/30", "10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    EXPECT_EQ(l.cells(l.lastRow()), (std::array<std::string, 5>{"4194303", "10.255.255.252/30", "10.255.255.253",
                                                                "10.255.255.254", "10.255.255.255"}));
    std::string row;
    l.appendRow(row, 5, ',');
    EXPECT_EQ(row, "5,10.0.0.20/30,10.0.0.21,10.0.0.22,10.0.0.23");

    // The listing follows a new prefix at the same length, and goes when that no longer fits.
    l.setParent(P("172.16.0.0/12"));
    ASSERT_TRUE(l.shown());
    EXPECT_EQ(l.cells(0)[1], "172.16.0.0/30");
    l.setParent(P("10.0.0.0/31"));
    EXPECT_FALSE(l.shown());
}

TEST(SubnetListing, ScrollBarMapsTheWholeOf2To128Rows)
{
    SubnetListing l = listingOf("::/0", "128");
    EXPECT_TRUE(l.rowCount().twoTo128);
    EXPECT_EQ(l.lastRow(), kAll);
    EXPECT_EQ(l.lastTop(), kAll - 19);
    EXPECT_EQ(l.scrollMaximum(), kScrollSteps);
    l.setScrollValue(kScrollSteps);
    EXPECT_EQ(l.top(), l.lastTop());
    EXPECT_EQ(l.scrollValue(), kScrollSteps);
    EXPECT_EQ(l.cells(l.top() + 19)[1], "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff/128");
    l.setScrollValue(0);
    EXPECT_EQ(l.top(), 0u);
    // Halfway is row 2^127 - a little; every position maps back to itself.
    l.setScrollValue(kScrollSteps / 2);
    EXPECT_EQ(l.top() >> 100, (static_cast<u128>(1) << 27) - 1);
    std::mt19937 rng(7);
    u128 previous = 0;
    for (int v = 0; v <= kScrollSteps; v += 1 + static_cast<int>(rng() % 50000000)) {
        l.setScrollValue(v);
        EXPECT_GE(l.top(), previous);
        previous = l.top();
        EXPECT_EQ(l.scrollValue(), v);
    }
    // 2^40 rows: the mapping rounds, and still reads back every position set.
    SubnetListing mid = listingOf("2001:db8::/32", "72", 7);
    for (int v : {1, 2, 3, 1000, kScrollSteps / 3, kScrollSteps - 1, kScrollSteps}) {
        mid.setScrollValue(v);
        EXPECT_EQ(mid.scrollValue(), v);
    }
    // A listing that fits an int maps one to one.
    SubnetListing small = listingOf("10.0.0.0/8", "30", 10);
    EXPECT_EQ(small.scrollMaximum(), 4194304 - 10);
    small.setScrollValue(1234);
    EXPECT_EQ(small.top(), 1234u);
}

TEST(SubnetListing, JumpsToRowsAndAddressesNear2To127)
{
    SubnetListing l = listingOf("::/0", "128");
    const u128 half = static_cast<u128>(1) << 127;
    ASSERT_TRUE(l.jump("170141183460469231731687303715884105728"));  // 2^127
    EXPECT_EQ(l.current(), half);
    EXPECT_EQ(l.top(), half);
    EXPECT_EQ(l.cells(l.current())[1], "8000::/128");
    ASSERT_TRUE(l.jump(" 7fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff "));
    EXPECT_EQ(l.current(), half - 1);
    ASSERT_TRUE(l.jump("340282366920938463463374607431768211455"));  // the last row
    EXPECT_EQ(l.current(), kAll);
    EXPECT_EQ(l.top(), l.lastTop());  // the view never runs past the end
    EXPECT_FALSE(l.jump("340282366920938463463374607431768211456"));
    EXPECT_NE(l.message.find("past the last row"), std::string::npos);
    EXPECT_EQ(l.current(), kAll);  // a refused jump leaves the view alone

    SubnetListing v4 = listingOf("10.0.0.0/8", "30");
    EXPECT_TRUE(v4.jump("10.9.8.7"));
    EXPECT_EQ(v4.cells(v4.current())[1], "10.9.8.4/30");
    EXPECT_FALSE(v4.jump("11.0.0.0"));
    EXPECT_NE(v4.message.find("outside"), std::string::npos);
    EXPECT_FALSE(v4.jump("2001:db8::1"));  // the other family lies outside too
    EXPECT_FALSE(v4.jump("ten"));
    EXPECT_NE(v4.message, "");
}

TEST(SubnetListing, MovingSelectingAndCopying)
{
    SubnetListing l = listingOf("10.0.0.0/24", "30", 8);
    l.moveBy(-5, false);  // clamps at the first row
    EXPECT_EQ(l.current(), 0u);
    l.moveBy(3, false);
    l.moveBy(2, true);
    EXPECT_EQ(l.selectionFirst(), 3u);
    EXPECT_EQ(l.selectionLast(), 5u);
    auto text = l.copySelection();
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "3\t10.0.0.12/30\t10.0.0.13\t10.0.0.14\t10.0.0.15\n"
                     "4\t10.0.0.16/30\t10.0.0.17\t10.0.0.18\t10.0.0.19\n"
                     "5\t10.0.0.20/30\t10.0.0.21\t10.0.0.22\t10.0.0.23\n");
    l.moveBy(100, false);  // clamps at the last row and scrolls it into view
    EXPECT_EQ(l.current(), 63u);
    EXPECT_EQ(l.top(), 56u);
    EXPECT_TRUE(l.selectAll());
    const std::string all = l.copySelection().value_or("");
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 64);

    // Huge listings refuse Ctrl+A and copies past the limit, naming the row count.
    SubnetListing big = listingOf("::/0", "128");
    EXPECT_FALSE(big.selectAll());
    EXPECT_NE(big.message.find("340282366920938463463374607431768211456 rows"), std::string::npos);
    big.moveEnd(true);
    EXPECT_FALSE(big.copySelection());
    EXPECT_NE(big.message.find("too many to copy"), std::string::npos);
    big.moveTo(kAll - 2, false);
    big.moveEnd(true);
    const std::string last3 = big.copySelection().value_or("");
    EXPECT_EQ(std::count(last3.begin(), last3.end(), '\n'), 3);
}

TEST(SubnetListing, OffsetsStayInside128Bits)
{
    EXPECT_EQ(offsetClamped(5, -9, 100), 0u);
    EXPECT_EQ(offsetClamped(kAll - 1, 5, kAll), kAll);
    EXPECT_EQ(offsetClamped(0, LLONG_MIN, kAll), 0u);
    EXPECT_EQ(offsetClamped(kAll, LLONG_MIN, kAll), kAll - static_cast<u128>(LLONG_MAX) - 1);
    EXPECT_EQ(offsetClamped(7, 3, 9), 9u);
    std::string s;
    appendDecimal(s, kAll);
    EXPECT_EQ(s, "340282366920938463463374607431768211455");
}

}  // namespace
}  // namespace mq::classless
