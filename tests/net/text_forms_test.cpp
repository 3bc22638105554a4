// Reading and writing addresses: RFC 4291's text forms in, RFC 5952's canonical form out,
// and the faults a user makes, each named at its place.
#include "tests/support/net_text.h"

#include <gtest/gtest.h>

namespace mq::net {
namespace {

using mq::test::inputOf;

struct Canonical {
    const char* typed;
    const char* canonical;
    const char* expanded;
};

// RFC 4291 section 2.2 forms and RFC 5952 sections 4 and 5.
class CanonicalForm : public ::testing::TestWithParam<Canonical> { };
TEST_P(CanonicalForm, ReadsAndWritesBack)
{
    const Input in = inputOf(GetParam().typed);
    EXPECT_EQ(format(in.prefix.address), GetParam().canonical);
    EXPECT_EQ(formatExpanded(in.prefix.address), GetParam().expanded);
    // The canonical form reads back to the same value.
    EXPECT_EQ(inputOf(GetParam().canonical).prefix.address, in.prefix.address);
}
INSTANTIATE_TEST_SUITE_P(
    Rfc, CanonicalForm,
    ::testing::Values(
        Canonical{"2001:DB8:0:0:8:800:200C:417A", "2001:db8::8:800:200c:417a",
                  "2001:0db8:0000:0000:0008:0800:200c:417a"},
        Canonical{"FF01:0:0:0:0:0:0:101", "ff01::101", "ff01:0000:0000:0000:0000:0000:0000:0101"},
        Canonical{"0:0:0:0:0:0:0:1", "::1", "0000:0000:0000:0000:0000:0000:0000:0001"},
        Canonical{"0:0:0:0:0:0:0:0", "::", "0000:0000:0000:0000:0000:0000:0000:0000"},
        Canonical{"2001:0db8:0000:0000:0000:0000:0000:0001", "2001:db8::1", "2001:0db8:0000:0000:0000:0000:0000:0001"},
        Canonical{"2001:db8:0:0:0::1", "2001:db8::1", "2001:0db8:0000:0000:0000:0000:0000:0001"},
        Canonical{"2001:db8:0::1", "2001:db8::1", "2001:0db8:0000:0000:0000:0000:0000:0001"},
        Canonical{"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1", "2001:0db8:0000:0001:0001:0001:0001:0001"},
        Canonical{"2001:0:0:1:0:0:0:1", "2001:0:0:1::1", "2001:0000:0000:0001:0000:0000:0000:0001"},
        Canonical{"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1", "2001:0db8:0000:0000:0001:0000:0000:0001"},
        Canonical{"2001:db8::aaaa:0:0:1", "2001:db8::aaaa:0:0:1", "2001:0db8:0000:0000:aaaa:0000:0000:0001"},
        Canonical{"1::", "1::", "0001:0000:0000:0000:0000:0000:0000:0000"},
        Canonical{"1:0:0:0:0:0:0:0", "1::", "0001:0000:0000:0000:0000:0000:0000:0000"},
        Canonical{"0:0:0:0:0:FFFF:129.144.52.38", "::ffff:129.144.52.38", "0000:0000:0000:0000:0000:ffff:8190:3426"},
        Canonical{"::ffff:8190:3426", "::ffff:129.144.52.38", "0000:0000:0000:0000:0000:ffff:8190:3426"},
        Canonical{"::13.1.68.3", "::d01:4403", "0000:0000:0000:0000:0000:0000:0d01:4403"},
        Canonical{"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8", "0001:0002:0003:0004:0005:0006:0007:0008"},
        Canonical{"1:2:3:4:5:6:1.2.3.4", "1:2:3:4:5:6:102:304", "0001:0002:0003:0004:0005:0006:0102:0304"},
        Canonical{"0.0.0.0", "0.0.0.0", "0.0.0.0"},
        Canonical{"255.255.255.255", "255.255.255.255", "255.255.255.255"}));

TEST(Parse, LengthsMasksWildcardsRangesAndZones)
{
    struct Case {
        const char* text;
        Input::Kind kind;
        const char* first;
        const char* last;
        int length;
    };
    for (const Case& c :
         {Case{"10.1.2.3/22", Input::Kind::Prefix, "10.1.0.0", "10.1.3.255", 22},
          Case{" 10.1.2.3  255.255.252.0 ", Input::Kind::Prefix, "10.1.0.0", "10.1.3.255", 22},
          Case{"10.1.2.3 0.0.3.255", Input::Kind::Prefix, "10.1.0.0", "10.1.3.255", 22},
          Case{"10.1.2.3/255.255.252.0", Input::Kind::Prefix, "10.1.0.0", "10.1.3.255", 22},
          Case{"10.1.2.3 0.0.0.0", Input::Kind::Prefix, "0.0.0.0", "255.255.255.255", 0},
          Case{"10.1.2.3 255.255.255.255", Input::Kind::Prefix, "10.1.2.3", "10.1.2.3", 32},
          Case{"10.1.2.3", Input::Kind::Address, "10.1.2.3", "10.1.2.3", 32},
          Case{"10.0.0.1-10.0.0.6", Input::Kind::Range, "10.0.0.1", "10.0.0.6", 32},
          Case{"2001:db8::1 - 2001:db8::ff", Input::Kind::Range, "2001:db8::1", "2001:db8::ff", 128},
          Case{"2001:db8::1/32", Input::Kind::Prefix, "2001:db8::", "2001:db8:ffff:ffff:ffff:ffff:ffff:ffff", 32},
          Case{"::/0", Input::Kind::Prefix, "::", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 0}}) {
        const Input in = inputOf(c.text);
        EXPECT_EQ(in.kind, c.kind) << c.text;
        EXPECT_EQ(format(in.range.first), c.first) << c.text;
        EXPECT_EQ(format(in.range.last), c.last) << c.text;
        EXPECT_EQ(in.prefix.length, c.length) << c.text;
    }
    const Input zoned = inputOf("fe80::1%eth0/64");
    EXPECT_EQ(zoned.zone, "eth0");
    EXPECT_EQ(format(zoned.prefix.address), "fe80::1");
    std::string zone;
    const auto bare = parseAddress("FE80::1%2", &zone);
    EXPECT_EQ(format(std::get<Address>(bare)), "fe80::1");
    EXPECT_EQ(zone, "2");
}

TEST(Parse, FaultsNamedWhereTheyAre)
{
    struct Case {
        const char* text;
        const char* described;
    };
    for (const Case& c :
         {Case{"", ": nothing to read at character 1"},
          Case{"10.01.2.3", "10.01.2.3: octet 2 has a leading zero at character 4"},
          Case{"10.1.256.3", "10.1.256.3: octet 3 is above 255 at character 6"},
          Case{"10.1.2", "10.1.2: only 3 octets, 4 needed at character 7"},
          Case{"10.1.2.3.4", "10.1.2.3.4: more than 4 octets at character 9"},
          Case{"10..2.3", "10..2.3: octet 2 is empty at character 4"},
          Case{"10.1.2.x", "10.1.2.x: unexpected character 'x' at character 8"},
          Case{"10.1.2.3/33", "10.1.2.3/33: prefix length 33 is above 32 at character 10"},
          Case{"10.1.2.3/08", "10.1.2.3/08: the prefix length has a leading zero at character 10"},
          Case{"10.1.2.3/", "10.1.2.3/: no prefix length at character 10"},
          Case{"10.1.2.3 255.0.255.0",
               "10.1.2.3 255.0.255.0: 255.0.255.0 is neither a contiguous mask nor a wildcard at character 10"},
          Case{"1:2:3:4:5:6:7", "1:2:3:4:5:6:7: 7 groups, 8 needed at character 14"},
          Case{"1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7:8:9: more than 8 groups at character 17"},
          Case{"1::2::3", "1::2::3: a second '::' at character 5"},
          Case{"1:::2", "1:::2: a third ':' in a row at character 4"},
          Case{":1::2", ":1::2: a single ':' at the start at character 1"},
          Case{"1::2:", "1::2:: a single ':' at the end at character 5"},
          Case{"12345::", "12345::: group 1 has more than 4 hex digits at character 1"},
          Case{"1:2:3:4::5:6:7:8", "1:2:3:4::5:6:7:8: '::' with 8 groups besides at character 8"},
          Case{"::ffff:1.2.3.04", "::ffff:1.2.3.04: octet 4 has a leading zero at character 14"},
          Case{"1:2:3:4:5:6:7:1.2.3.4",
               "1:2:3:4:5:6:7:1.2.3.4: no room for an IPv4 tail after 7 groups at character 15"},
          Case{"fe80::1%", "fe80::1%: an empty zone index at character 8"},
          Case{"10.0.0.1%eth0", "10.0.0.1%eth0: a zone index on an IPv4 address at character 9"},
          Case{"2001:db8::1 64", "2001:db8::1 64: a blank inside an IPv6 address at character 13"},
          Case{"2001:db8::/129", "2001:db8::/129: prefix length 129 is above 128 at character 12"},
          Case{"10.0.0.9-10.0.0.1", "10.0.0.9-10.0.0.1: the last address is before the first at character 10"},
          Case{"10.0.0.1-::1", "10.0.0.1-::1: the range ends are of different families at character 10"},
          Case{"10.0.0.0/8-10.1.0.0", "10.0.0.0/8-10.1.0.0: a range end with a prefix length at character 9"},
          Case{"10.0.0.1-", "10.0.0.1-: no address at character 10"},
          // No blank beside the slash, as every other reader of prefixes.
          Case{"1.2.3.4/ 24", "1.2.3.4/ 24: a blank after the '/' at character 9"},
          Case{"1.2.3.4 /24", "1.2.3.4 /24: a blank before the '/' at character 8"},
          Case{"2001:db8::/\t64", "2001:db8::/\\x0964: a blank after the '/' at character 12"},
          // The text is quoted escaped: a terminal never sees its control bytes.
          Case{"10.0.0.\x1b[2J", "10.0.0.\\x1b[2J: unexpected byte 27 at character 8"}}) {
        const auto r = parseInput(c.text);
        ASSERT_TRUE(std::holds_alternative<ParseError>(r)) << c.text;
        EXPECT_EQ(describe(c.text, std::get<ParseError>(r)), c.described);
    }
}

TEST(Decimal, CountsUpTo2To128)
{
    EXPECT_EQ(toDecimal(Count::powerOfTwo(128)), "340282366920938463463374607431768211456");
    EXPECT_EQ(toDecimal(~u128{0}), "340282366920938463463374607431768211455");
    EXPECT_EQ(toDecimal(Count::powerOfTwo(64)), "18446744073709551616");
    EXPECT_EQ(toDecimal(u128{10000000000000000000ull} * 10), "100000000000000000000");
    EXPECT_EQ(toDecimal(u128{0}), "0");
    EXPECT_EQ(parseDecimal("340282366920938463463374607431768211455"), ~u128{0});
    EXPECT_EQ(parseDecimal("340282366920938463463374607431768211456"), std::nullopt);
    EXPECT_EQ(parseDecimal("12a"), std::nullopt);
    EXPECT_EQ(parseDecimal(""), std::nullopt);
    EXPECT_EQ(parseDecimal("007"), u128{7});
}

}  // namespace
}  // namespace mq::net
