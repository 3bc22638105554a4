#pragma once
// The values a plan holds, each read from text, checked and written in one place: the Plan's
// setters check through these, and every window, mqnet option, document and import reads
// through them, adding only where the value came from. A refused text gives a Problem whose
// field names the value ("VLAN") and whose message starts with the text quoted, so that
// describe() reads "VLAN \"x\" is not a VLAN ID from 1 to 4094"; a caller that names the
// value its own way (an option, a column, a label) puts its name in front of the message.
// A check of a value already read gives the same sentence as a reason (empty when sound).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "net/address.h"
#include "net/mac.h"
#include "plan/plan.h"
#include "textio/problem.h"

namespace mq::plan {

// A VLAN ID, 1 to 4094; an empty text (blanks aside) is none, 0. Digits only.
textio::Result<int> parseVlan(std::string_view text);
// "VLAN 4095 is not a VLAN ID from 1 to 4094"; 0 (none) is sound.
std::string checkVlan(int vlan);
// "" for none.
std::string formatVlan(int vlan);

// The addresses kept for network devices at a block's start, 0 to kMaxKept, digits only.
textio::Result<int> parseKept(std::string_view text);
// "kept 2000 is not a number from 0 to 1024".
std::string checkKept(int kept);

// A DHCP range rule: none, upper-half, or FROM-TO, offsets from the block's network address.
struct RangeRuleValue {
    RangeRule rule = RangeRule::None;
    net::u128 from = 0, to = 0;  // Offsets only
    bool operator==(const RangeRuleValue&) const = default;
};
textio::Result<RangeRuleValue> parseRangeRule(std::string_view text);
// Offsets count from the network address (offset 0) and run up: FROM at most TO; a range is
// cut to the addresses its block can lease. "DHCP range 200-100 has its first offset (200)
// above its last (100)".
std::string checkOffsets(net::u128 from, net::u128 to);
// "none", "upper-half", "100-199".
std::string formatRangeRule(const RangeRuleValue& v);

// The plan-wide layout rules: checkKept and, for an offset rule, checkOffsets.
std::string checkLayoutRules(const LayoutRules& rules);

// A host's own fields, blanks around them dropped (a note keeps its text as it is). A name
// is a DNS name (checkHostName); an empty MAC or DUID is none.
// "host name \"a..b\": ...", "MAC \"x\": ...", "DUID \"x\": ...", "note \"x\": ...".
textio::Result<std::string> parseHostName(std::string_view text);
textio::Result<std::optional<net::Mac>> parseHostMac(std::string_view text);
textio::Result<net::Duid> parseHostDuid(std::string_view text);
textio::Result<std::string> parseHostNote(std::string_view text);
// A host's address as a box or a file row gives it, blanks around it allowed: an address of
// either family without a zone (a zone names an interface, not a host). The message leaves
// the value to its caller, who quotes it with its label: "not an address (octet 4 is above
// 255)". The window's box also takes next, ::N and eui64 (plan::hostAddress).
textio::Result<net::Address> parseHostAddress(std::string_view text);

// A time in seconds (a zone's TTLs, a DHCP lifetime): digits, blanks around them allowed,
// 0 to 4294967295 (32 bits, as DHCP and DNS carry it). "\"1h\" is no whole number of
// seconds from 0 to 4294967295".
textio::Result<std::uint32_t> parseSeconds(std::string_view text);

// Server addresses as a box or an option gives them: items separated by commas, blanks or
// both ("10.40.0.53, 2001:db8:40::53"), empty items skipped, each read as
// parseServerAddress reads one. At most most + 1 are read: the one more is enough for
// checkOutputSettings to say how many are too many, and memory stays bounded.
textio::Result<std::vector<net::Address>> parseAddressList(std::string_view text, std::size_t most);

// The roots of a plan as one argument or one box gives them: ROOT[,ROOT...], blanks around
// each allowed and an empty item (",," or a comma at the end) refused. Each root is a network/length prefix
// (ADDRESS MASK and a bare address, as its /32 or /128, also read); host bits are refused
// naming the network, a zone is refused, a range is refused; at most kMaxRoots roots, none
// overlapping another; either family, any mix. The same rule for the window and every command.
textio::Result<std::vector<net::Prefix>> parseRoots(std::string_view text);

}  // namespace mq::plan
