#pragma once
// Configuration written from a plan for the servers that run the network: Kea (DHCPv4 and
// DHCPv6), dnsmasq, and BIND master files with a named.conf fragment. The plan is first
// prepared (deploy/model.h): checked once for every output, which is refused whole, with
// every reason found, each naming its block and host: nothing is written half.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "net/address.h"
#include "plan/plan.h"
#include "textio/problem.h"

namespace mq::deploy {

enum class Output : std::uint8_t { Kea4, Kea6, Dnsmasq, Zones };

// Every reason the plan cannot give this output with the IDs it would hand out, empty when
// it can: the plan's own checkSubnets problems (the output settings' among them), and what
// the output itself needs (a DHCPv4 range needs a gateway for its routers option; zones
// need a domain and a name server; an IPv6 zone cut no longer than any assigned block it
// meets; what the server can express). Each problem names its block and host in block and
// host, and its message says the whole of it: "10.40.1.0/24 (office): has DHCP ranges but
// no gateway; its DHCP clients would get no router". block is kNoBlock for a plan-wide one
// (a setting).
textio::Problems checkForOutput(const plan::Plan& plan, Output output);

// A file of an output: its name (a plain file name, safe on every disk: letters, digits,
// '.', '-' and '_') and its whole text.
struct OutputFile {
    std::string name;
    std::string text;
    bool operator==(const OutputFile&) const = default;
};
using Written = std::variant<std::vector<OutputFile>, textio::Problems>;

// The Kea subnet ID of every block of dhcpBlocks (both families): the plan's own (Plan::dhcpIds) where it has one,
// and for the others fresh ones, above every ID the plan has used, in leaf order. The same
// plan always gives the same IDs. Entries of blocks no longer assigned are kept, so that an
// ID is never handed to another prefix.
plan::DhcpIds assignDhcpIds(const plan::Plan& plan);

// A name DNS and dnsmasq give an address: every host's address, and every block's gateway
// that no host stands on. A gateway is named after its block ("office-gw": the block's name
// made a label, or "gw-10-40-1-1" from its address when it has no usable name); the two
// blocks of a dual-stack segment give one name both addresses. Names are relative to the
// plan's domain: a host named whole inside it (pc1.campus.example, as an import before the
// domain was set may leave it) is named there once ("pc1"; "" for the domain itself). In
// plan order: the hosts in the order of hosts(), then the gateways in leaf order.
struct NamedAddress {
    std::string name;
    net::Address address;
    plan::BlockId block = plan::kNoBlock;
    std::optional<std::size_t> host{};  // nullopt for a gateway
    std::string fqdn;  // the name whole, without the final dot (the name alone without a domain)
};
std::vector<NamedAddress> dnsNames(const plan::Plan& plan);

// The blocks a DHCP server hands addresses out in: the assigned leaves of the family that
// are not reserved (kept back by the user), in leaf order.
std::vector<plan::BlockId> dhcpBlocks(const plan::Plan& plan, net::Family family);

// "10.40.1.0/24 (office)", or the prefix alone for a block without a name: how every
// message names a block.
std::string blockLabel(const plan::Plan& plan, plan::BlockId id);

}  // namespace mq::deploy
