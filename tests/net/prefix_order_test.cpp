// Prefixes in order (family first, then address, then length) and read from text under
// each host-bit policy.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/net_text.h"

namespace mq::net {
namespace {

using mq::test::inputOf;

Prefix prefixOf(std::string_view text)
{
    return inputOf(text).prefix;
}

TEST(PrefixOrder, FamilyThenAddressThenLength)
{
    // ::1 has a lower value than any IPv4 address but sorts after all of them.
    const std::vector<const char*> sorted = {"0.0.0.0/0",   "10.0.0.0/8",         "10.0.0.0/16",
                                             "10.0.0.1/32", "255.255.255.255/32", "::/0",
                                             "::1/128",     "2001:db8::/32",      "2001:db8::/48"};
    std::vector<Prefix> shuffled;
    for (const char* t : sorted)
        shuffled.push_back(prefixOf(t));
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[1], shuffled[6]);
    std::sort(shuffled.begin(), shuffled.end());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(shuffled[i], prefixOf(sorted[i])) << sorted[i];
    EXPECT_LT(Address::v4(0xFFFFFFFF), Address::v6(1));
    EXPECT_NE(Address::v4(1), Address::v6(1));
}

struct Case {
    const char* text;
    HostBits policy;
    PrefixForms forms;
    const char* prefix;  // what is read, or nullptr when refused
    ParseError::Fault fault;
    const char* message;  // the refusal's message, when refused
};

using F = ParseError::Fault;
constexpr PrefixForms kAll{.address = true, .zone = true};

class ParsePrefix : public ::testing::TestWithParam<Case> { };
TEST_P(ParsePrefix, ReadsOrRefusesAsThePolicySays)
{
    const Case& c = GetParam();
    const auto r = parsePrefix(c.text, c.policy, c.forms);
    if (c.prefix) {
        ASSERT_TRUE(std::holds_alternative<Prefix>(r)) << std::get<ParseError>(r).message;
        EXPECT_EQ(std::get<Prefix>(r), prefixOf(c.prefix));
        return;
    }
    ASSERT_TRUE(std::holds_alternative<ParseError>(r));
    EXPECT_EQ(std::get<ParseError>(r).fault, c.fault);
    EXPECT_EQ(std::get<ParseError>(r).message, c.message);
}
INSTANTIATE_TEST_SUITE_P(
    Policies, ParsePrefix,
    ::testing::Values(
        Case{"10.1.0.0/16", HostBits::Refuse, {}, "10.1.0.0/16", F::Text, ""},
        Case{"10.1.0.0/16", HostBits::Suggest, {}, "10.1.0.0/16", F::Text, ""},
        Case{"10.1.2.3/16", HostBits::Keep, {}, "10.1.2.3/16", F::Text, ""},
        Case{"10.1.2.3 255.255.0.0", HostBits::Clear, {}, "10.1.0.0/16", F::Text, ""},
        Case{"10.1.2.3/16", HostBits::Refuse, {}, nullptr, F::HostBits, "has host bits set"},
        Case{"2001:db8::1/32",
             HostBits::Suggest,
             {},
             nullptr,
             F::HostBits,
             "has host bits set; did you mean 2001:db8::/32?"},
        Case{"10.1.2/16", HostBits::Clear, kAll, nullptr, F::Text, "only 3 octets, 4 needed"},
        Case{"10.0.0.0-10.0.0.255", HostBits::Keep, kAll, nullptr, F::Range, "is a range"},
        Case{"10.1.2.3", HostBits::Refuse, {}, nullptr, F::Address, "is an address, not a prefix"},
        Case{"10.1.2.3", HostBits::Refuse, kAll, "10.1.2.3/32", F::Text, ""},
        Case{"fe80::1%eth0", HostBits::Refuse, {.address = true}, "fe80::1/128", F::Text, ""},
        Case{"fe80::%eth0/64", HostBits::Clear, {.address = true}, nullptr, F::Zone, "a prefix has no zone"},
        Case{"fe80::1%eth0/64", HostBits::Clear, kAll, "fe80::/64", F::Text, ""}));

}  // namespace
}  // namespace mq::net
