#pragma once
// The reasons a prepared plan cannot give each output, and what dnsmasq makes of a block:
// the rule its checks and its writer both follow.
#include <array>
#include <string_view>

#include "deploy/model.h"

namespace mq::deploy::checks {

// Every output's problems, indexed by Output.
std::array<textio::Problems, 4> problemsOf(const Prepared& m);

// What dnsmasq makes of a block. An IPv4 block is served when it has ranges or reservations.
// An IPv6 block is advertised for SLAAC unless its DHCPv6 is stateful alone, and served by
// DHCPv6 when it has ranges or (unless SLAAC alone) reservations; a prefix-delegation pool
// neither (dnsmasq delegates no prefixes).
struct DnsmasqService {
    bool slaac = false;
    bool dhcp = false;
};
DnsmasqService dnsmasqService(const PreparedBlock& b);

bool allDigits(std::string_view text);

}  // namespace mq::deploy::checks
