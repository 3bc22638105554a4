#pragma once
// What the plan keeps for the configuration written from it: the DHCP and DNS settings
// (domain, servers, lifetimes, zone cuts), the Kea subnet ID of every block that has had
// one (Kea ties its leases to them, so a block keeps its ID from one export to the next),
// and each reverse or forward zone's last serial with a hash of the content it was given
// for (a serial rises only when its zone's content changes). The writers are in deploy/.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "net/address.h"
#include "net/parse.h"

namespace mq::plan {

// RFC 2317 names a classless child zone by its first address and length ("64/26") or by
// its first and last addresses ("64-127"); both are common.
enum class ReverseNaming : std::uint8_t { Slash, Dash };

// Which IPv4 blocks longer than /24 get an RFC 2317 child zone of their own (CNAMEs and NS
// records in the zone at the cut, the PTRs in the child): none (a site that serves its own
// /24s keeps the PTRs in them), or all. Blocks can also be delegated one by one.
enum class Rfc2317 : std::uint8_t { None, All };

constexpr std::size_t kMaxDnsServers = 8;
constexpr std::size_t kMaxNameServers = 8;
constexpr std::size_t kMaxDelegated = 4096;

struct NameServer {
    std::string name;  // a DNS name, absolute without the final dot: "ns1.campus.example"
    // Its address, written into the forward zone when the name lies in the plan's domain
    // and no host of the plan has it; needed then (a zone's NS must resolve).
    std::vector<net::Address> addresses{};
    bool operator==(const NameServer&) const = default;
};

struct OutputSettings {
    std::string domain;  // the forward zone and the DHCP domain name: "campus.example"
    std::vector<net::Address> dnsServers;  // handed out by DHCP: IPv4 ones by DHCPv4, IPv6 by DHCPv6
    std::vector<NameServer> nameServers;  // every zone's NS records, the first the SOA's primary
    std::string hostmaster;  // the SOA's mailbox as a name, "hostmaster.campus.example"; "" for hostmaster.<domain>
    // Zone TTLs, seconds (RFC 1035 section 3.3.13; the minimum is the negative-caching TTL of
    // RFC 2308).
    std::uint32_t ttl = 3600, refresh = 86400, retry = 7200, expire = 1209600, minimum = 3600;
    // DHCP lifetimes, seconds.
    std::uint32_t validLifetime = 86400;  // both families
    std::uint32_t preferredLifetime = 43200;  // DHCPv6
    std::string interface;  // the interface the DHCP server listens on; "" for every one ("*")
    std::string leaseFile;  // the memfile lease database's path; "" for the server's default
    int zoneCut4 = 24;  // IPv4 reverse zones per /8, /16 or /24
    int zoneCut6 =
        0;  // IPv6 reverse zones per /N (a multiple of 4); 0: one per root, its length rounded down to a nibble
    ReverseNaming naming = ReverseNaming::Slash;
    Rfc2317 rfc2317 = Rfc2317::None;
    // Blocks given an RFC 2317 child zone whatever rfc2317 says: assigned IPv4 blocks longer
    // than /24.
    std::vector<net::Prefix> delegated{};
    // Every reverse zone at the cut that covers an assigned block is written even when it
    // holds no name, so that the server answers NXDOMAIN for addresses nobody has.
    bool emptyReverseZones = true;
    bool operator==(const OutputSettings&) const = default;
};
// Empty when the settings can be written into a configuration, else the first reason,
// naming the field: "domain: \"campus..example\" has an empty label". A server's address
// must be one a client can reach (unservedSpace); a name server's or the hostmaster's name
// has a dot (qualifyNames gives it one).
std::string checkOutputSettings(const OutputSettings& s);

// A name server or hostmaster named without a dot lies in the domain: "ns2" is
// ns2.campus.example, not the root's ns2. Completes such names when s has a domain; every
// edit of the settings passes through here before checkOutputSettings.
void qualifyNames(OutputSettings& s);

// A host's name as the plan keeps it, when a file gives it whole: relative to the domain
// when it lies inside it ("h34" of h34.campus.example, compared without case; "" for the
// domain itself), else nullopt (the name lies outside, or the plan has no domain).
std::optional<std::string> nameInDomain(std::string_view name, std::string_view domain);

// A server's address as typed: parseAddress, but a zone index is refused rather than
// dropped (it names an interface of the machine that typed it, and means nothing in a
// configuration served to others).
net::Parsed<net::Address> parseServerAddress(std::string_view text);

// The delegated blocks as typed, "10.40.1.64/26, 10.40.1.128/27" (commas or blanks between),
// in address order; or the reason an item does not read, quoting it: a network/length
// each, a prefix with host bits set refused naming its network.
std::variant<std::vector<net::Prefix>, std::string> parseDelegatedList(std::string_view text);

// The space of first..last that no server stands in and no client is handed an address
// of, "127.0.0.0/8 (loopback)", or "" when the addresses lie outside it: "this network",
// loopback, multicast and the limited broadcast, and IPv6's unspecified, loopback and
// multicast addresses.
std::string unservedSpace(const net::Address& first, const net::Address& last);

// Kea subnet IDs: 1 to 4294967294.
using DhcpIds = std::map<net::Prefix, std::uint32_t>;
constexpr std::uint32_t kMaxDhcpId = 4294967294u;

struct ZoneSerial {
    std::uint32_t serial = 0;  // YYYYMMDDnn
    std::uint64_t hash = 0;  // of the zone's content without its serial
    bool operator==(const ZoneSerial&) const = default;
};
using ZoneSerials = std::map<std::string, ZoneSerial>;  // by zone name, "5.40.10.in-addr.arpa"

}  // namespace mq::plan
