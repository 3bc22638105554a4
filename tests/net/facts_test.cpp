// The facts of a prefix, the registry tables at the edges of every block, and the
// reverse zones, against values worked out by hand from the RFCs.
#include "net/facts.h"
#include "tests/support/net_text.h"

#include <gtest/gtest.h>

namespace mq::net {
namespace {

using mq::test::P;

std::string text(const std::optional<Address>& a)
{
    return a ? format(*a) : "-";
}

struct Hostly {
    const char* prefix;
    const char* network;
    const char* first;
    const char* last;
    const char* broadcast;
    const char* addresses;
    const char* usable;
};

class HostRange : public ::testing::TestWithParam<Hostly> { };
TEST_P(HostRange, NetworkFirstLastBroadcastAndCounts)
{
    const Hostly& c = GetParam();
    const PrefixFacts f = describe(P(c.prefix));
    EXPECT_EQ(format(f.network), c.network);
    EXPECT_EQ(format(f.first), c.first);
    EXPECT_EQ(format(f.last), c.last);
    EXPECT_EQ(text(f.broadcast), c.broadcast);
    EXPECT_EQ(toDecimal(f.addresses), c.addresses);
    EXPECT_EQ(toDecimal(f.usable), c.usable);
}
INSTANTIATE_TEST_SUITE_P(
    Rfc3021AndIpv6, HostRange,
    ::testing::Values(Hostly{"10.1.2.3/22", "10.1.0.0", "10.1.0.1", "10.1.3.254", "10.1.3.255", "1024", "1022"},
                      Hostly{"192.0.2.9/30", "192.0.2.8", "192.0.2.9", "192.0.2.10", "192.0.2.11", "4", "2"},
                      Hostly{"192.0.2.9/31", "192.0.2.8", "192.0.2.8", "192.0.2.9", "-", "2", "2"},
                      Hostly{"192.0.2.9/32", "192.0.2.9", "192.0.2.9", "192.0.2.9", "-", "1", "1"},
                      Hostly{"0.0.0.0/0", "0.0.0.0", "0.0.0.1", "255.255.255.254", "255.255.255.255", "4294967296",
                             "4294967294"},
                      Hostly{"2001:db8::5/64", "2001:db8::", "2001:db8::1", "2001:db8::ffff:ffff:ffff:ffff", "-",
                             "18446744073709551616", "18446744073709551615"},
                      Hostly{"2001:db8::5/126", "2001:db8::4", "2001:db8::5", "2001:db8::7", "-", "4", "3"},
                      Hostly{"2001:db8::5/127", "2001:db8::4", "2001:db8::4", "2001:db8::5", "-", "2", "2"},
                      Hostly{"2001:db8::5/128", "2001:db8::5", "2001:db8::5", "2001:db8::5", "-", "1", "1"},
                      Hostly{"::/0", "::", "::1", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "-",
                             "340282366920938463463374607431768211456", "340282366920938463463374607431768211455"}));

TEST(Facts, MasksClassAndEmbeddedAddress)
{
    const PrefixFacts v4 = describe(P("172.16.5.4/20"));
    EXPECT_EQ(format(Address::v4(static_cast<std::uint32_t>(v4.netmask))), "255.255.240.0");
    EXPECT_EQ(format(Address::v4(static_cast<std::uint32_t>(*v4.wildcard))), "0.0.15.255");
    EXPECT_EQ(v4.addressClass, 'B');
    const PrefixFacts v6 = describe(P("2001:db8::/64"));
    EXPECT_EQ(format(Address::v6(v6.netmask)), "ffff:ffff:ffff:ffff::");
    EXPECT_FALSE(v6.wildcard);
    EXPECT_FALSE(v6.addressClass);
    for (auto [a, c] : {std::pair{"0.0.0.0", 'A'},
                        {"127.255.255.255", 'A'},
                        {"128.0.0.0", 'B'},
                        {"191.255.0.0", 'B'},
                        {"192.0.0.0", 'C'},
                        {"223.0.0.0", 'C'},
                        {"224.0.0.0", 'D'},
                        {"239.0.0.0", 'D'},
                        {"240.0.0.0", 'E'},
                        {"255.255.255.255", 'E'}})
        EXPECT_EQ(classOf(P(a).address), c) << a;

    struct Embedded {
        const char* address;
        const char* v4;
        const char* kind;
    };
    for (const Embedded& e :
         {Embedded{"::ffff:192.0.2.1", "192.0.2.1", "IPv4-mapped"},
          Embedded{"64:ff9b::c000:221", "192.0.2.33", "NAT64"}, Embedded{"2002:c000:204::1", "192.0.2.4", "6to4"},
          // RFC 4380 section 4's example: client 192.0.2.45 behind port 40000.
          Embedded{"2001:0:4136:e378:8000:63bf:3fff:fdd2", "192.0.2.45", "Teredo client"}}) {
        const auto got = embeddedV4(P(e.address).address);
        ASSERT_TRUE(got) << e.address;
        EXPECT_EQ(format(got->v4), e.v4);
        EXPECT_EQ(got->kind, e.kind);
    }
    EXPECT_FALSE(embeddedV4(P("64:ff9b:1::1").address));
    EXPECT_FALSE(embeddedV4(P("192.0.2.1").address));
}

TEST(Facts, ReversePointerAndZones)
{
    EXPECT_EQ(ptrName(P("192.0.2.5").address), "5.2.0.192.in-addr.arpa");
    EXPECT_EQ(ptrName(P("2001:db8::567:89ab").address),
              "b.a.9.8.7.6.5.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
    using Zones = std::vector<std::string>;
    EXPECT_EQ(reverseZones(P("10.2.0.0/23")), (Zones{"0.2.10.in-addr.arpa", "1.2.10.in-addr.arpa"}));
    EXPECT_EQ(reverseZones(P("10.2.0.0/15")), (Zones{"2.10.in-addr.arpa", "3.10.in-addr.arpa"}));
    EXPECT_EQ(reverseZones(P("10.2.0.0/16")), (Zones{"2.10.in-addr.arpa"}));
    EXPECT_EQ(reverseZones(P("10.2.0.0/7")).size(), 2u);
    EXPECT_EQ(reverseZones(P("10.2.3.64/26")), (Zones{"3.2.10.in-addr.arpa"}));
    EXPECT_EQ(reverseZones(P("10.2.3.4/32")), (Zones{"3.2.10.in-addr.arpa"}));
    EXPECT_EQ(reverseZones(P("0.0.0.0/0")), (Zones{"in-addr.arpa"}));
    EXPECT_EQ(reverseZones(P("::/0")), (Zones{"ip6.arpa"}));
    EXPECT_EQ(reverseZones(P("2001:db8::/32")), (Zones{"8.b.d.0.1.0.0.2.ip6.arpa"}));
    const Zones eight = reverseZones(P("2001:db8::/29"));
    ASSERT_EQ(eight.size(), 8u);
    EXPECT_EQ(eight.front(), "8.b.d.0.1.0.0.2.ip6.arpa");
    EXPECT_EQ(eight.back(), "f.b.d.0.1.0.0.2.ip6.arpa");
    EXPECT_EQ(reverseZones(P("::1/128")).size(), 1u);
}

// Each block holds its first and last address and not the neighbours outside it.
TEST(SpecialRegistry, EveryRowHoldsExactlyItsBlock)
{
    for (Family f : {Family::V4, Family::V6}) {
        for (const SpecialEntry& e : specialRegistry(f)) {
            const Prefix block = P(e.blockText);
            EXPECT_EQ(block, e.block) << e.blockText;
            const auto holds = [&](const Address& a) {
                for (const SpecialEntry* h : specialEntriesHolding({a, a.bits()}))
                    if (h == &e)
                        return true;
                return false;
            };
            EXPECT_TRUE(holds(block.network())) << e.blockText;
            EXPECT_TRUE(holds(block.last())) << e.blockText;
            const u128 top = f == Family::V4 ? 0xFFFFFFFFu : ~u128{0};
            if (block.network().value > 0) {
                EXPECT_FALSE(holds({block.network().value - 1, f})) << e.blockText;
            }
            if (block.last().value < top) {
                EXPECT_FALSE(holds({block.last().value + 1, f})) << e.blockText;
            }
        }
    }
    EXPECT_EQ(specialRegistry(Family::V4).size(), 26u);  // 25 rows, one of them naming two blocks
    EXPECT_EQ(specialRegistry(Family::V6).size(), 25u);
}

TEST(SpecialRegistry, MostSpecificFirstAndTheFlagThatDecides)
{
    struct Case {
        const char* prefix;
        std::vector<std::string> blocks;
        bool global;
    };
    for (const Case& c :
         {Case{"192.0.0.9", {"192.0.0.9/32", "192.0.0.0/24"}, true},
          Case{"192.0.0.171/32", {"192.0.0.171/32", "192.0.0.0/24"}, false},
          Case{"192.0.0.0/23", {}, false},  // no block holds the /23; its address lies in 192.0.0.0/24
          Case{"192.88.99.2", {"192.88.99.2/32", "192.88.99.0/24"}, false},
          Case{"192.88.99.1", {"192.88.99.0/24"}, true},  // terminated: no flags, nothing decided
          Case{"10.1.2.3/30", {"10.0.0.0/8"}, false}, Case{"0.0.0.0", {"0.0.0.0/32", "0.0.0.0/8"}, false},
          Case{"8.8.8.8", {}, true}, Case{"2001:1::3", {"2001:1::3/128", "2001::/23"}, true},
          Case{"2001::1", {"2001::/32", "2001::/23"}, false},  // TEREDO says N/A; 2001::/23 decides
          Case{"2001:10::1", {"2001:10::/28", "2001::/23"}, false}, Case{"2002::1", {"2002::/16"}, true},
          Case{"::ffff:8.8.8.8", {"::ffff:0:0/96"}, false}, Case{"2001:db8:1::/31", {}, false},
          Case{"2001:db6::/31", {}, true}}) {
        const PrefixFacts f = describe(P(c.prefix));
        std::vector<std::string> blocks;
        for (const SpecialEntry* e : f.special)
            blocks.emplace_back(e->blockText);
        EXPECT_EQ(blocks, c.blocks) << c.prefix;
        EXPECT_EQ(f.global, c.global) << c.prefix;
    }
}

TEST(SpecialRegistry, BadgesNameTheFlagOrItsAbsence)
{
    const auto badge = [](const char* a) { return badgeText(*describe(P(a)).special.front()); };
    EXPECT_EQ(badge("10.0.0.1"), "Private-Use, RFC 1918, not globally reachable");
    EXPECT_EQ(badge("0.0.0.1"), "\"This network\", RFC 791, Section 3.2, not globally reachable");
    EXPECT_EQ(badge("192.0.0.9"), "Port Control Protocol Anycast, RFC 7723, globally reachable");
    EXPECT_EQ(badge("192.88.99.1"), "Deprecated (6to4 Relay Anycast), RFC 7526, terminated 2015-03");
    EXPECT_EQ(badge("2002::"), "6to4, RFC 3056, globally reachable: N/A");
}

}  // namespace
}  // namespace mq::net
