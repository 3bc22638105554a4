#pragma once
// Everything worth knowing about one prefix, as `mqnet info` and the classless window show it.
#include <optional>
#include <string>
#include <vector>

#include "net/address.h"
#include "net/special.h"

namespace mq::net {

struct EmbeddedV4 {
    Address v4;
    std::string_view kind;  // "IPv4-mapped", "NAT64", "6to4", "Teredo client"
};

struct PrefixFacts {
    Prefix prefix;  // as typed
    std::string zone;  // kept from the input, shown only with the address
    Address network;
    u128 netmask = 0;  // both families
    std::optional<u128> wildcard;  // IPv4 only
    std::optional<Address> broadcast;  // IPv4 up to /30
    Address first, last;  // usable hosts (RFC 3021 for /31; /32 and /128 the address)
    Count addresses;
    Count usable;
    std::optional<char> addressClass;  // IPv4 'A'..'E' of the address as typed
    std::string reversePointer;  // PTR name of the address, no trailing dot
    std::vector<std::string> reverseZones;  // covering zones, no trailing dot
    std::optional<EmbeddedV4> embedded;  // of the address as typed
    std::vector<const SpecialEntry*> special;  // holding the prefix, most specific first
    bool global = true;  // the most specific entry holding the address with a set flag decides
};

PrefixFacts describe(const Prefix& p, std::string zone = {});

// The usable hosts of a prefix's network: the rule that describe() and the listings share.
struct Hosts {
    Address first, last;
    std::optional<Address> broadcast;  // IPv4 up to /30
    Count usable;
};
Hosts hostsOf(const Prefix& p);

std::string ptrName(const Address& a);
std::vector<std::string> reverseZones(const Prefix& p);
std::optional<EmbeddedV4> embeddedV4(const Address& a);
std::optional<char> classOf(const Address& a);  // IPv4 only

}  // namespace mq::net
