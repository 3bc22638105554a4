#include "net/special.h"

#include <algorithm>

namespace mq::net {

namespace {

constexpr Address v6(std::uint64_t high, std::uint64_t low) { return Address::v6(u128{high} << 64 | low); }

// The IANA IPv4 and IPv6 Special-Purpose Address Space as of 2025-10-09, rows in the
// registry's order; the NAT64/DNS64 discovery row names two blocks and gives two entries.
// Columns: block, its text, name, RFC, source, destination, forwardable, globally reachable,
// reserved by protocol, allocation, termination.
constexpr SpecialEntry kV4[] = {
    {{Address::v4(0x00000000u), 8}, "0.0.0.0/8", "\"This network\"", "RFC 791, Section 3.2",
     true, false, false, false, true, "1981-09", "N/A"},
    {{Address::v4(0x00000000u), 32}, "0.0.0.0/32", "\"This host on this network\"", "RFC 1122, Section 3.2.1.3",
     true, false, false, false, true, "1981-09", "N/A"},
    {{Address::v4(0x0a000000u), 8}, "10.0.0.0/8", "Private-Use", "RFC 1918",
     true, true, true, false, false, "1996-02", "N/A"},
    {{Address::v4(0x64400000u), 10}, "100.64.0.0/10", "Shared Address Space", "RFC 6598",
     true, true, true, false, false, "2012-04", "N/A"},
    {{Address::v4(0x7f000000u), 8}, "127.0.0.0/8", "Loopback", "RFC 1122, Section 3.2.1.3",
     false, false, false, false, true, "1981-09", "N/A"},
    {{Address::v4(0xa9fe0000u), 16}, "169.254.0.0/16", "Link Local", "RFC 3927",
     true, true, false, false, true, "2005-05", "N/A"},
    {{Address::v4(0xac100000u), 12}, "172.16.0.0/12", "Private-Use", "RFC 1918",
     true, true, true, false, false, "1996-02", "N/A"},
    {{Address::v4(0xc0000000u), 24}, "192.0.0.0/24", "IETF Protocol Assignments", "RFC 6890, Section 2.1",
     false, false, false, false, false, "2010-01", "N/A"},
    {{Address::v4(0xc0000000u), 29}, "192.0.0.0/29", "IPv4 Service Continuity Prefix", "RFC 7335",
     true, true, true, false, false, "2011-06", "N/A"},
    {{Address::v4(0xc0000008u), 32}, "192.0.0.8/32", "IPv4 dummy address", "RFC 7600",
     true, false, false, false, false, "2015-03", "N/A"},
    {{Address::v4(0xc0000009u), 32}, "192.0.0.9/32", "Port Control Protocol Anycast", "RFC 7723",
     true, true, true, true, false, "2015-10", "N/A"},
    {{Address::v4(0xc000000au), 32}, "192.0.0.10/32", "Traversal Using Relays around NAT Anycast", "RFC 8155",
     true, true, true, true, false, "2017-02", "N/A"},
    {{Address::v4(0xc00000aau), 32}, "192.0.0.170/32", "NAT64/DNS64 Discovery", "RFC 8880, RFC 7050, Section 2.2",
     false, false, false, false, true, "2013-02", "N/A"},
    {{Address::v4(0xc00000abu), 32}, "192.0.0.171/32", "NAT64/DNS64 Discovery", "RFC 8880, RFC 7050, Section 2.2",
     false, false, false, false, true, "2013-02", "N/A"},
    {{Address::v4(0xc0000200u), 24}, "192.0.2.0/24", "Documentation (TEST-NET-1)", "RFC 5737",
     false, false, false, false, false, "2010-01", "N/A"},
    {{Address::v4(0xc01fc400u), 24}, "192.31.196.0/24", "AS112-v4", "RFC 7535",
     true, true, true, true, false, "2014-12", "N/A"},
    {{Address::v4(0xc034c100u), 24}, "192.52.193.0/24", "AMT", "RFC 7450",
     true, true, true, true, false, "2014-12", "N/A"},
    {{Address::v4(0xc0586300u), 24}, "192.88.99.0/24", "Deprecated (6to4 Relay Anycast)", "RFC 7526",
     std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, "2001-06", "2015-03"},
    {{Address::v4(0xc0586302u), 32}, "192.88.99.2/32", "6a44-relay anycast address", "RFC 6751",
     true, true, true, false, false, "2012-10", "N/A"},
    {{Address::v4(0xc0a80000u), 16}, "192.168.0.0/16", "Private-Use", "RFC 1918",
     true, true, true, false, false, "1996-02", "N/A"},
    {{Address::v4(0xc0af3000u), 24}, "192.175.48.0/24", "Direct Delegation AS112 Service", "RFC 7534",
     true, true, true, true, false, "1996-01", "N/A"},
    {{Address::v4(0xc6120000u), 15}, "198.18.0.0/15", "Benchmarking", "RFC 2544",
     true, true, true, false, false, "1999-03", "N/A"},
    {{Address::v4(0xc6336400u), 24}, "198.51.100.0/24", "Documentation (TEST-NET-2)", "RFC 5737",
     false, false, false, false, false, "2010-01", "N/A"},
    {{Address::v4(0xcb007100u), 24}, "203.0.113.0/24", "Documentation (TEST-NET-3)", "RFC 5737",
     false, false, false, false, false, "2010-01", "N/A"},
    {{Address::v4(0xf0000000u), 4}, "240.0.0.0/4", "Reserved", "RFC 1112, Section 4",
     false, false, false, false, true, "1989-08", "N/A"},
    {{Address::v4(0xffffffffu), 32}, "255.255.255.255/32", "Limited Broadcast", "RFC 8190, RFC 919, Section 7",
     false, true, false, false, true, "1984-10", "N/A"},
};
constexpr SpecialEntry kV6[] = {
    {{v6(0x0000000000000000ull, 0x0000000000000001ull), 128}, "::1/128", "Loopback Address", "RFC 4291",
     false, false, false, false, true, "2006-02", "N/A"},
    {{v6(0x0000000000000000ull, 0x0000000000000000ull), 128}, "::/128", "Unspecified Address", "RFC 4291",
     true, false, false, false, true, "2006-02", "N/A"},
    {{v6(0x0000000000000000ull, 0x0000ffff00000000ull), 96}, "::ffff:0:0/96", "IPv4-mapped Address", "RFC 4291",
     false, false, false, false, true, "2006-02", "N/A"},
    {{v6(0x0064ff9b00000000ull, 0x0000000000000000ull), 96}, "64:ff9b::/96", "IPv4-IPv6 Translat.", "RFC 6052",
     true, true, true, true, false, "2010-10", "N/A"},
    {{v6(0x0064ff9b00010000ull, 0x0000000000000000ull), 48}, "64:ff9b:1::/48", "IPv4-IPv6 Translat.", "RFC 8215",
     true, true, true, false, false, "2017-06", "N/A"},
    {{v6(0x0100000000000000ull, 0x0000000000000000ull), 64}, "100::/64", "Discard-Only Address Block", "RFC 6666",
     true, true, true, false, false, "2012-06", "N/A"},
    {{v6(0x0100000000000001ull, 0x0000000000000000ull), 64}, "100:0:0:1::/64", "Dummy IPv6 Prefix", "RFC 9780",
     true, false, false, false, false, "2025-04", "N/A"},
    {{v6(0x2001000000000000ull, 0x0000000000000000ull), 23}, "2001::/23", "IETF Protocol Assignments", "RFC 2928",
     false, false, false, false, false, "2000-09", "N/A"},
    {{v6(0x2001000000000000ull, 0x0000000000000000ull), 32}, "2001::/32", "TEREDO", "RFC 4380, RFC 8190",
     true, true, true, std::nullopt, false, "2006-01", "N/A"},
    {{v6(0x2001000100000000ull, 0x0000000000000001ull), 128}, "2001:1::1/128", "Port Control Protocol Anycast", "RFC 7723",
     true, true, true, true, false, "2015-10", "N/A"},
    {{v6(0x2001000100000000ull, 0x0000000000000002ull), 128}, "2001:1::2/128", "Traversal Using Relays around NAT Anycast", "RFC 8155",
     true, true, true, true, false, "2017-02", "N/A"},
    {{v6(0x2001000100000000ull, 0x0000000000000003ull), 128}, "2001:1::3/128", "DNS-SD Service Registration Protocol Anycast", "RFC 9665",
     true, true, true, true, false, "2024-04", "N/A"},
    {{v6(0x2001000200000000ull, 0x0000000000000000ull), 48}, "2001:2::/48", "Benchmarking", "RFC 5180, RFC Errata 1752",
     true, true, true, false, false, "2008-04", "N/A"},
    {{v6(0x2001000300000000ull, 0x0000000000000000ull), 32}, "2001:3::/32", "AMT", "RFC 7450",
     true, true, true, true, false, "2014-12", "N/A"},
    {{v6(0x2001000401120000ull, 0x0000000000000000ull), 48}, "2001:4:112::/48", "AS112-v6", "RFC 7535",
     true, true, true, true, false, "2014-12", "N/A"},
    {{v6(0x2001001000000000ull, 0x0000000000000000ull), 28}, "2001:10::/28", "Deprecated (previously ORCHID)", "RFC 4843",
     std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, "2007-03", "2014-03"},
    {{v6(0x2001002000000000ull, 0x0000000000000000ull), 28}, "2001:20::/28", "ORCHIDv2", "RFC 7343",
     true, true, true, true, false, "2014-07", "N/A"},
    {{v6(0x2001003000000000ull, 0x0000000000000000ull), 28}, "2001:30::/28", "Drone Remote ID Protocol Entity Tags (DETs) Prefix", "RFC 9374",
     true, true, true, true, false, "2022-12", "N/A"},
    {{v6(0x20010db800000000ull, 0x0000000000000000ull), 32}, "2001:db8::/32", "Documentation", "RFC 3849",
     false, false, false, false, false, "2004-07", "N/A"},
    {{v6(0x2002000000000000ull, 0x0000000000000000ull), 16}, "2002::/16", "6to4", "RFC 3056",
     true, true, true, std::nullopt, false, "2001-02", "N/A"},
    {{v6(0x2620004f80000000ull, 0x0000000000000000ull), 48}, "2620:4f:8000::/48", "Direct Delegation AS112 Service", "RFC 7534",
     true, true, true, true, false, "2011-05", "N/A"},
    {{v6(0x3fff000000000000ull, 0x0000000000000000ull), 20}, "3fff::/20", "Documentation", "RFC 9637",
     false, false, false, false, false, "2024-07", "N/A"},
    {{v6(0x5f00000000000000ull, 0x0000000000000000ull), 16}, "5f00::/16", "Segment Routing (SRv6) SIDs", "RFC 9602",
     true, true, true, false, false, "2024-04", "N/A"},
    {{v6(0xfc00000000000000ull, 0x0000000000000000ull), 7}, "fc00::/7", "Unique-Local", "RFC 4193, RFC 8190",
     true, true, true, false, false, "2005-10", "N/A"},
    {{v6(0xfe80000000000000ull, 0x0000000000000000ull), 10}, "fe80::/10", "Link-Local Unicast", "RFC 4291",
     true, true, false, false, true, "2006-02", "N/A"},
};

}  // namespace

std::span<const SpecialEntry> specialRegistry(Family f) {
  if (f == Family::V4) return kV4;
  return kV6;
}

std::vector<const SpecialEntry*> specialEntriesHolding(const Prefix& p) {
  std::vector<const SpecialEntry*> found;
  for (const SpecialEntry& e : specialRegistry(p.address.family))
    if (e.block.contains(p)) found.push_back(&e);
  std::stable_sort(found.begin(), found.end(),
                   [](const SpecialEntry* a, const SpecialEntry* b) { return a->block.length > b->block.length; });
  return found;
}

std::string badgeText(const SpecialEntry& e) {
  std::string s(e.name);
  s += ", ";
  s += e.rfc;
  if (e.globallyReachable)
    s += *e.globallyReachable ? ", globally reachable" : ", not globally reachable";
  else if (e.termination != "N/A")
    s += ", terminated " + std::string(e.termination);
  else
    s += ", globally reachable: N/A";
  return s;
}

}  // namespace mq::net
