// The classless form: what each typed text shows, how errors keep the last
// results, and how the prefix controls and the box follow each other.
#include "classless/form.h"

#include <gtest/gtest.h>

namespace mq::classless {
namespace {

struct Typed {
    const char* text;
    int length;
    const char* network;
    const char* first;
    const char* last;
    const char* broadcast;  // "" when none is shown
    const char* cls;  // "" for IPv6
};

void PrintTo(const Typed& t, std::ostream* os)
{
    *os << '"' << t.text << '"';
}

class TypedText : public ::testing::TestWithParam<Typed> { };

TEST_P(TypedText, ShowsItsPrefix)
{
    const Typed& t = GetParam();
    ClasslessForm f;
    f.setInput(t.text);
    ASSERT_EQ(f.error, "") << t.text;
    EXPECT_EQ(f.prefix, t.length);
    EXPECT_EQ(f.maskIndex, t.length);
    EXPECT_EQ(f.field(FieldId::Network).value, t.network);
    EXPECT_EQ(f.field(FieldId::First).value, t.first);
    EXPECT_EQ(f.field(FieldId::Last).value, t.last);
    EXPECT_EQ(f.field(FieldId::Broadcast).value, t.broadcast);
    EXPECT_EQ(f.field(FieldId::Broadcast).shown, t.broadcast[0] != 0);
    EXPECT_EQ(f.field(FieldId::Class).value, t.cls);
    EXPECT_EQ(f.field(FieldId::Wildcard).shown, t.cls[0] != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TypedText,
    ::testing::Values(Typed{"10.1.2.3/22", 22, "10.1.0.0/22", "10.1.0.1", "10.1.3.254", "10.1.3.255", "A"},
                      Typed{"10.1.2.3 255.255.252.0", 22, "10.1.0.0/22", "10.1.0.1", "10.1.3.254", "10.1.3.255", "A"},
                      Typed{"10.1.2.3 0.0.3.255", 22, "10.1.0.0/22", "10.1.0.1", "10.1.3.254", "10.1.3.255", "A"},
                      // A bare address takes its class's mask; classes D and E have none.
                      Typed{"10.1.2.3", 8, "10.0.0.0/8", "10.0.0.1", "10.255.255.254", "10.255.255.255", "A"},
                      Typed{"172.16.5.4", 16, "172.16.0.0/16", "172.16.0.1", "172.16.255.254", "172.16.255.255", "B"},
                      Typed{"192.168.1.7", 24, "192.168.1.0/24", "192.168.1.1", "192.168.1.254", "192.168.1.255", "C"},
                      Typed{"224.0.0.9", 32, "224.0.0.9/32", "224.0.0.9", "224.0.0.9", "", "D"},
                      Typed{"192.0.2.1/31", 31, "192.0.2.0/31", "192.0.2.0", "192.0.2.1", "", "C"},
                      Typed{"2001:db8:85a3::8a2e:370:7334/64", 64, "2001:db8:85a3::/64", "2001:db8:85a3::1",
                            "2001:db8:85a3:0:ffff:ffff:ffff:ffff", "", ""},
                      Typed{"2001:DB8::1", 64, "2001:db8::/64", "2001:db8::1", "2001:db8::ffff:ffff:ffff:ffff", "", ""},
                      // A range shows the smallest prefix that holds it.
                      Typed{"10.0.0.0 - 10.0.1.255", 23, "10.0.0.0/23", "10.0.0.1", "10.0.1.254", "10.0.1.255", "A"}));

TEST(ClasslessForm, RangeShowsItsPrefixesAndSize)
{
    ClasslessForm f;
    f.setInput("10.0.0.1-10.0.0.6");
    EXPECT_EQ(f.prefix, 29);
    EXPECT_EQ(f.field(FieldId::Range).value, "10.0.0.1 - 10.0.0.6");
    EXPECT_EQ(f.field(FieldId::RangeAddresses).value, "6");
    EXPECT_EQ(f.field(FieldId::RangePrefixes).value, "10.0.0.1/32, 10.0.0.2/31, 10.0.0.4/31, 10.0.0.6/32");
    f.setInput(":: - ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff");
    EXPECT_EQ(f.field(FieldId::RangeAddresses).value, "340282366920938463463374607431768211456");
    EXPECT_EQ(f.field(FieldId::RangePrefixes).value, "::/0");
    f.setInput("10.0.0.0/24");
    EXPECT_FALSE(f.field(FieldId::Range).shown);  // no range left over from before
}

TEST(ClasslessForm, TextThatDoesNotReadKeepsTheLastResults)
{
    ClasslessForm f;
    f.setInput("10.1.2.3/22");
    for (const char* bad : {"10.1.2.3/33", "10.1.2.", "010.1.2.3", "2001:db8::g", "10.0.0.9 - 10.0.0.1"}) {
        f.setInput(bad);
        EXPECT_NE(f.error, "") << bad;
        EXPECT_EQ(f.input, bad);
        EXPECT_EQ(f.field(FieldId::Network).value, "10.1.0.0/22") << bad;
        EXPECT_EQ(f.prefix, 22);
    }
    // A text that does not read says whose results are still on show, its own text escaped.
    f.setInput("10.1.2.3/2\x1b[2J");
    EXPECT_EQ(f.error.rfind("10.1.2.3/2\\x1b[2J: ", 0), 0u) << f.error;
    EXPECT_EQ(f.notice, "The results below are still those of 10.1.2.3/22.");
    // An empty box is not an error: it says what to type, and no results of before stay.
    f.setInput(" ");
    EXPECT_EQ(f.error, "");
    EXPECT_EQ(f.notice, kEmptyNotice);
    EXPECT_FALSE(f.hasResults());
    EXPECT_TRUE(f.resultLines().empty());
    for (const Field& fld : f.fields)
        EXPECT_FALSE(fld.shown || !fld.value.empty()) << fld.name;
    EXPECT_TRUE(f.badges.empty() && f.addressBits.empty());
    f.setInput("bad");
    EXPECT_EQ(f.notice, kEmptyNotice);
    f.setInput("10.1.2.3/20");
    EXPECT_EQ(f.notice, "");
    EXPECT_EQ(f.error, "");
    EXPECT_EQ(f.field(FieldId::Network).value, "10.1.0.0/20");
}

TEST(ClasslessForm, PrefixControlsRewriteTheBoxAndFollowIt)
{
    ClasslessForm f;
    EXPECT_EQ(f.maskList.size(), 33u);
    f.setInput("10.1.2.3 255.255.252.0");
    f.setPrefix(24);
    EXPECT_EQ(f.input, "10.1.2.3/24");
    EXPECT_EQ(f.field(FieldId::Netmask).value, "255.255.255.0");
    f.chooseMask(16);
    EXPECT_EQ(f.input, "10.1.2.3/16");
    EXPECT_EQ(f.maskList[16], "/16  255.255.0.0");
    // A change while the box holds an error starts from the last good address.
    f.setInput("10.1.2.3/4x");
    f.setPrefix(12);
    EXPECT_EQ(f.input, "10.1.2.3/12");
    EXPECT_EQ(f.error, "");

    f.setInput("fe80::1%eth0/64");
    EXPECT_EQ(f.prefixMaximum, 128);
    ASSERT_EQ(f.maskList.size(), 129u);
    EXPECT_EQ(f.maskList[32], "/32  ffff:ffff::");
    EXPECT_EQ(f.field(FieldId::Address).value, "fe80::1%eth0");
    f.setPrefix(10);
    EXPECT_EQ(f.input, "fe80::1%eth0/10");
    f.setPrefix(129);  // out of range: ignored
    EXPECT_EQ(f.input, "fe80::1%eth0/10");
}

TEST(ClasslessForm, BinaryHexAndBadges)
{
    ClasslessForm f;
    f.setInput("10.1.2.3/22");
    ASSERT_EQ(f.addressBits.size(), 1u);
    const BitLine want = {{"00001010", BitKind::Network},
                          {".", BitKind::Gap},
                          {"00000001", BitKind::Network},
                          {".", BitKind::Gap},
                          {"000000", BitKind::Network},
                          {"10", BitKind::Host},
                          {".", BitKind::Gap},
                          {"00000011", BitKind::Host}};
    EXPECT_EQ(f.addressBits[0], want);
    EXPECT_EQ(f.field(FieldId::AddressHex).value, "0x0a010203");
    EXPECT_EQ(f.field(FieldId::MaskHex).value, "0xfffffc00");
    ASSERT_EQ(f.badges.size(), 1u);
    EXPECT_EQ(f.badges[0], "Private-Use, RFC 1918, not globally reachable");
    EXPECT_EQ(f.field(FieldId::Global).value, "no");

    f.setInput("2001:db8::1/36");
    ASSERT_EQ(f.maskBits.size(), 4u);  // 32 bits a line
    std::string bits;
    int network = 0;
    for (const BitLine& line : f.maskBits)
        for (const BitRun& r : line) {
            bits += r.text;
            if (r.kind == BitKind::Network)
                network += static_cast<int>(r.text.size());
        }
    EXPECT_EQ(bits.substr(0, 66), "1111111111111111:11111111111111111111000000000000:0000000000000000");
    EXPECT_EQ(network, 36);
    EXPECT_EQ(f.field(FieldId::AddressHex).value, "0x20010db8000000000000000000000001");
    EXPECT_FALSE(f.badges.empty());
    EXPECT_NE(f.badges[0].find("Documentation"), std::string::npos);
}

}  // namespace
}  // namespace mq::classless
