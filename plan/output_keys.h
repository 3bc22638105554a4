#pragma once
// Every output setting once: its key in the document's "outputs", its option of `mqnet plan
// outputs`, its name and place in the planner's Outputs dialog, and the kind of value it
// holds. The document reads and writes the settings in this order, mqnet lists them in it,
// and the dialog lays out its boxes from it, so a setting of a kind they know is added here
// alone (beside its member of OutputSettings and what the writers in deploy/ make of it).
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "plan/outputs.h"

namespace mq::plan {

enum class OutputValue : std::uint8_t {
    Name,  // a DNS name; typed, the blanks around it and a final dot go
    Text,  // typed, the blanks around it go
    Seconds,  // a whole number of seconds, 0 to 4294967295
    Servers,  // addresses (dnsServers)
    NameServers,  // names, each with its addresses (nameServers)
    ZoneCut4,  // 8, 16 or 24 (zoneCut4)
    ZoneCut6,  // 0 for one zone per root, or a length (zoneCut6)
    Naming,  // slash or dash (naming)
    Rfc2317,  // none or all (rfc2317)
    Delegated,  // blocks, network/length (delegated)
    YesNo,  // (emptyReverseZones)
};

// The boxes of the Outputs dialog.
enum class OutputBox : std::uint8_t { NamesAndDhcp, Zones };

struct OutputKey {
    std::string_view key;  // in the document: "valid_lifetime"
    std::string_view option;  // of mqnet plan outputs: "--valid-lifetime"
    std::string_view field;  // the dialog's name of it, which its messages begin with: "Valid lifetime"
    OutputValue value;
    OutputBox box;
    int row;  // the dialog's row in its box, from 0
    std::string_view label;  // the dialog's label, with the letter of its shortcut: "Valid li&fetime (s):"
    std::string_view description;  // what a screen reader says of the dialog's field
    std::string_view placeholder = {};  // the dialog shows it in an empty field
    std::string OutputSettings::*text = nullptr;  // Name and Text
    std::uint32_t OutputSettings::*seconds = nullptr;  // Seconds
};

inline constexpr OutputKey kOutputKeys[] = {
    {"domain", "--domain", "Domain", OutputValue::Name, OutputBox::NamesAndDhcp, 0, "&Domain:",
     "The forward zone and the DHCP domain name, such as campus.example", "campus.example", &OutputSettings::domain},
    {"hostmaster", "--hostmaster", "Hostmaster", OutputValue::Name, OutputBox::NamesAndDhcp, 3,
     "&Hostmaster:", "The zones' mailbox as a name (hostmaster.campus.example); empty for hostmaster in the domain",
     "hostmaster in the domain", &OutputSettings::hostmaster},
    {"interface", "--interface", "Interface", OutputValue::Text, OutputBox::NamesAndDhcp, 4, "&Interface:",
     "The interface the DHCP server listens on; empty for every one", "every interface", &OutputSettings::interface},
    {"lease_file", "--lease-file", "Lease file", OutputValue::Text, OutputBox::NamesAndDhcp, 5,
     "&Lease file:", "The path of Kea's lease file; empty for the server's default", "the server's default",
     &OutputSettings::leaseFile},
    {"dns_servers", "--dns-server", "DNS servers", OutputValue::Servers, OutputBox::NamesAndDhcp, 1, "D&NS servers:",
     "Addresses DHCP hands out as DNS servers, separated by commas; IPv4 ones by DHCPv4, IPv6 ones by DHCPv6"},
    {"name_servers", "--name-server", "Name servers", OutputValue::NameServers, OutputBox::NamesAndDhcp, 2,
     "Name ser&vers:",
     "Every zone's name servers, one a line: NAME, or NAME=ADDRESS when the name lies in the domain; the first "
     "is the primary",
     "ns1.campus.example=10.40.2.4"},
    {"ttl",
     "--ttl",
     "TTL",
     OutputValue::Seconds,
     OutputBox::Zones,
     0,
     "&TTL (s):",
     "The zones' default time to live, in seconds",
     {},
     nullptr,
     &OutputSettings::ttl},
    {"refresh",
     "--refresh",
     "Refresh",
     OutputValue::Seconds,
     OutputBox::Zones,
     1,
     "&Refresh (s):",
     "How often secondaries check the zone, in seconds",
     {},
     nullptr,
     &OutputSettings::refresh},
    {"retry",
     "--retry",
     "Retry",
     OutputValue::Seconds,
     OutputBox::Zones,
     2,
     "Retr&y (s):",
     "How soon secondaries try again after a failed check, in seconds",
     {},
     nullptr,
     &OutputSettings::retry},
    {"expire",
     "--expire",
     "Expire",
     OutputValue::Seconds,
     OutputBox::Zones,
     3,
     "&Expire (s):",
     "How long secondaries keep answering without reaching the primary, seconds",
     {},
     nullptr,
     &OutputSettings::expire},
    {"minimum",
     "--minimum",
     "Negative TTL",
     OutputValue::Seconds,
     OutputBox::Zones,
     4,
     "Ne&gative TTL (s):",
     "How long resolvers keep a name that does not exist, in seconds (the SOA minimum)",
     {},
     nullptr,
     &OutputSettings::minimum},
    {"valid_lifetime",
     "--valid-lifetime",
     "Valid lifetime",
     OutputValue::Seconds,
     OutputBox::NamesAndDhcp,
     6,
     "Valid li&fetime (s):",
     "How long a DHCP lease lasts, in seconds",
     {},
     nullptr,
     &OutputSettings::validLifetime},
    {"preferred_lifetime",
     "--preferred-lifetime",
     "Preferred lifetime",
     OutputValue::Seconds,
     OutputBox::NamesAndDhcp,
     7,
     "&Preferred lifetime (s):",
     "DHCPv6's preferred lifetime, in seconds",
     {},
     nullptr,
     &OutputSettings::preferredLifetime},
    {"zone_cut4", "--zone-cut", "IPv4 zone cut", OutputValue::ZoneCut4, OutputBox::Zones, 5,
     "IPv4 &zone cut:", "One IPv4 reverse zone per /8, /16 or /24"},
    {"zone_cut6", "--zone-cut6", "IPv6 zone cut", OutputValue::ZoneCut6, OutputBox::Zones, 6,
     "IPv6 zone c&ut:", "One IPv6 reverse zone per root, or per prefix of this length (a multiple of 4)"},
    {"naming", "--naming", "RFC 2317 zone names", OutputValue::Naming, OutputBox::Zones, 7, "RFC 2317 z&one names:",
     "How the zone of an IPv4 block longer than /24 is named: by first address and length, or by first and last "
     "address"},
    {"rfc2317", "--rfc2317", "RFC 2317 child zones", OutputValue::Rfc2317, OutputBox::Zones, 8,
     "RFC 231&7 child zones:",
     "Whether an IPv4 block longer than /24 has its PTRs in the zone at the cut, or a child zone of its own (RFC "
     "2317: CNAMEs and NS records in the zone at the cut)"},
    {"delegated", "--delegate", "Delegated blocks", OutputValue::Delegated, OutputBox::Zones, 9, "Delegated blocks:",
     "Blocks longer than /24 given a child zone of their own, separated by commas", "10.40.1.64/26, 10.40.1.128/27"},
    {"empty_reverse_zones", "--empty-reverse-zones", "Empty reverse zones", OutputValue::YesNo, OutputBox::Zones, 10,
     "Write empty reverse zones",
     "Writes every reverse zone at the cut that covers an assigned block, even one that names no address, so that "
     "the server answers NXDOMAIN for it"},
};
inline constexpr std::size_t kOutputKeyCount = std::size(kOutputKeys);

// The entry of a key, by its place in kOutputKeys (kOutputKeyCount when there is none).
constexpr std::size_t outputKeyIndex(std::string_view key)
{
    std::size_t i = 0;
    while (i < kOutputKeyCount && kOutputKeys[i].key != key)
        ++i;
    return i;
}

// The dialog's object name of a setting: its key in lower camel case ("validLifetime").
inline std::string outputFieldName(const OutputKey& k)
{
    std::string name;
    bool word = false;
    for (char c : k.key) {
        if (c == '_')
            word = true;
        else
            name += word && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        word = word && c == '_';
    }
    return name;
}

}  // namespace mq::plan
