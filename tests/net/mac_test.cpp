// MAC and DUID text forms, and the EUI-64 and ULA addresses made from them.
#include <gtest/gtest.h>

#include "net/mac.h"
#include "net/parse.h"

namespace mq::net {
namespace {

TEST(Mac, ReadsEveryCommonFormAndRefusesTheRest)
{
    const char* good[] = {"00:1A:2b:3c:4D:5e", "00-1a-2b-3c-4d-5e", "001a.2b3c.4d5e", "001A2B3C4D5E",
                          "  00:1a:2b:3c:4d:5e\t"};
    for (const char* text : good) {
        const auto m = parseMac(text);
        ASSERT_TRUE(std::holds_alternative<Mac>(m)) << text;
        EXPECT_EQ(formatMac(std::get<Mac>(m)), "00:1a:2b:3c:4d:5e") << text;
    }
    const std::pair<const char*, const char*> bad[] = {
        {"", "empty"},
        {"00:1a:2b:3c:4d", "6 bytes, not 5"},
        {"00:1a:2b:3c:4d:5e:6f", "6 bytes, not 7"},
        {"0:1a:2b:3c:4d:5e", "1 hex digits, not 2"},
        {"00:1a-2b:3c:4d:5e", "'-' is not a hex digit"},
        {"001a.2b3c.4d5", "3 hex digits, not 4"},
        {"00:1a:2b:3c:4d:5g", "'g' is not a hex digit"},
        {"001a2b3c4d5", "odd number"},
        {"00::1a:2b:3c:4d", "0 hex digits"},
    };
    for (const auto& [text, reason] : bad) {
        const auto m = parseMac(text);
        ASSERT_TRUE(std::holds_alternative<ParseError>(m)) << text;
        EXPECT_NE(std::get<ParseError>(m).message.find(reason), std::string::npos)
            << text << ": " << std::get<ParseError>(m).message;
    }
}

TEST(Mac, DuidsAreThreeTo130HexPairs)
{
    for (const char* text : {"00:01:00:01:2a:3b", "00-01-00-01-2A-3B", "000100012a3b"}) {
        const auto d = parseDuid(text);
        ASSERT_TRUE(std::holds_alternative<Duid>(d)) << text;
        EXPECT_EQ(formatDuid(std::get<Duid>(d)), "00:01:00:01:2a:3b");
    }
    EXPECT_TRUE(std::holds_alternative<Duid>(parseDuid(std::string(260, 'a'))));
    for (const std::string& text : {std::string("00:01"), std::string(262, 'a'), std::string("00:01:0x")})
        EXPECT_TRUE(std::holds_alternative<ParseError>(parseDuid(text))) << text;
}

TEST(Mac, Eui64FlipsTheUniversalBitAndNeedsAShortEnoughIpv6Prefix)
{
    const Mac m = std::get<Mac>(parseMac("00:1a:2b:3c:4d:5e"));
    EXPECT_EQ(eui64InterfaceId(m), 0x021a2bfffe3c4d5eULL);
    const Mac local = std::get<Mac>(parseMac("02:00:00:00:00:01"));
    EXPECT_EQ(eui64InterfaceId(local), 0x000000fffe000001ULL);
    const auto a = eui64Address(std::get<Prefix>(parsePrefix("2001:db8:1:2::/64", HostBits::Refuse)), m);
    ASSERT_TRUE(std::holds_alternative<Address>(a));
    EXPECT_EQ(format(std::get<Address>(a)), "2001:db8:1:2:21a:2bff:fe3c:4d5e");
    for (const char* p : {"2001:db8::/80", "10.0.0.0/8"})
        EXPECT_TRUE(
            std::holds_alternative<ParseError>(eui64Address(std::get<Prefix>(parsePrefix(p, HostBits::Refuse)), m)))
            << p;
}

TEST(Mac, UlaIsA48InFd00WithTheLow40BitsOfTheId)
{
    const Prefix p = ulaPrefix(0xFFFF'12'3456'789AULL);
    EXPECT_EQ(formatNetwork(p), "fd12:3456:789a::/48");
    const std::uint64_t a = randomUlaGlobalId(), b = randomUlaGlobalId();
    EXPECT_LT(a, std::uint64_t{1} << 40);
    EXPECT_NE(a, b);  // a 2^-40 chance of a false failure
}

}  // namespace
}  // namespace mq::net
