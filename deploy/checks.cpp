// Why a prepared plan cannot give an output: the plan's own problems, what every output of a
// kind needs (a router for DHCPv4 ranges, one host to a DUID, the zones' domain and name
// servers), and, once those are met, what one server needs of its own (subnet IDs, what
// Kea and dnsmasq can express).
#include "deploy/checks.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "net/mac.h"
#include "plan/outputs.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::deploy::checks {

namespace {

using net::Family;
using plan::BlockId;
using textio::Problem;
using textio::Problems;

Problem problem(BlockId block, std::optional<std::size_t> host, std::string message)
{
    Problem p;
    p.block = block;
    p.host = host;
    p.message = std::move(message);
    return p;
}

// A problem of the plan's subnets as the one problem record: the one place the two meet.
Problem fromSubnetProblem(plan::SubnetProblem p)
{
    return problem(p.block, p.host, std::move(p.message));
}

Problems& of(std::array<Problems, 4>& all, Output o)
{
    return all[static_cast<std::size_t>(o)];
}

// DHCPv4 hands every client its router: a block with ranges must have a gateway.
void addRouterFaults(const Prepared& m, Problems& out)
{
    for (const PreparedBlock* b : m.dhcpBlocks(Family::V4))
        if (!b->layout.ranges.empty() && !b->layout.gateway)
            out.push_back(problem(b->id, {},
                                  b->label + ": has DHCP ranges but no gateway; its DHCP clients would get no router"));
}

// The MAC is checked plan-wide by checkSubnets; a DUID names one client too, and Kea and
// dnsmasq refuse two reservations of one.
void addDuidFaults(const plan::Plan& plan, Problems& out)
{
    std::map<net::Duid, std::size_t> seen;
    const auto& hosts = plan.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        if (hosts[i].duid.empty())
            continue;
        auto [at, fresh] = seen.emplace(hosts[i].duid, i);
        if (!fresh) {
            const Family f = hosts[i].v6 ? Family::V6 : Family::V4;
            out.push_back(problem(plan::hostBlock(plan, hosts[i], f), i,
                                  "host " + textio::quoted(hosts[i].name) + ": DUID " + net::formatDuid(hosts[i].duid) +
                                      " is host " + textio::quoted(hosts[at->second].name) + "'s too"));
        }
    }
}

// Two hosts whose names are one in the domain (pc1, and pc1.campus.example named whole)
// would share their records. Names the same but for case checkSubnets reports already.
void addNameFaults(const Prepared& m, Problems& out)
{
    const auto& hosts = m.plan().hosts();
    const auto whole = [&](const NamedAddress& n) { return n.host && n.name.size() != hosts[*n.host].name.size(); };
    if (std::none_of(m.names().begin(), m.names().end(), whole))
        return;  // the names are the hosts' own, which checkSubnets finds each once
    std::unordered_map<std::string, std::size_t> first;  // the lower-case name: the host that has it
    std::set<std::size_t> told;
    for (const NamedAddress& n : m.names()) {
        if (!n.host)
            continue;
        const std::size_t i = *n.host;
        const auto [at, fresh] = first.try_emplace(textio::lowerCase(n.name), i);
        const std::size_t j = at->second;
        if (!fresh && j != i && !textio::equalsIgnoringCase(hosts[i].name, hosts[j].name) && told.insert(i).second)
            out.push_back(problem(n.block, i,
                                  "host " + textio::quoted(hosts[i].name) + ": in the domain the name is also host " +
                                      textio::quoted(hosts[j].name) + "'s"));
    }
}

void addZoneFaults(const Prepared& m, const Problems& names, Problems& out)
{
    const plan::OutputSettings& s = m.settings();
    if (s.domain.empty())
        out.push_back(problem(plan::kNoBlock, {}, "settings: zones need a domain"));
    if (s.nameServers.empty())
        out.push_back(problem(plan::kNoBlock, {}, "settings: zones need at least one name server"));
    std::set<std::string> known;
    for (const NamedAddress& n : m.names()) {
        known.insert(textio::lowerCase(n.name));
        if (!s.domain.empty() && n.fqdn.size() > 253)
            out.push_back(problem(n.block, n.host,
                                  "host " + textio::quoted(n.name) + ": with the domain " + textio::quoted(s.domain) +
                                      " the name is longer than 253 bytes"));
    }
    for (const plan::NameServer& ns : s.nameServers) {
        const std::optional<std::string> inside = plan::nameInDomain(ns.name, s.domain);
        if (inside && ns.addresses.empty() && !known.count(textio::lowerCase(*inside)))
            out.push_back(problem(plan::kNoBlock, {},
                                  "settings: name server " + textio::quoted(ns.name) +
                                      " lies in the domain but has no address: give it one, or a host of that name"));
    }
    out.insert(out.end(), names.begin(), names.end());
    if (s.zoneCut6 == 0)
        return;
    for (const PreparedBlock& b : m.blocks()) {
        const net::Prefix& p = b.layout.prefix;
        if (p.address.family == Family::V6 && p.length < s.zoneCut6)
            out.push_back(problem(b.id, {},
                                  b.label + ": the IPv6 zone cut /" + std::to_string(s.zoneCut6) +
                                      " lies inside the block; cut at /" + std::to_string(p.length / 4 * 4) +
                                      " or shorter"));
    }
}

void addKeaFaults(const Prepared& m, Family family, Problems& out)
{
    const std::vector<const PreparedBlock*> blocks = m.dhcpBlocks(family);
    for (const PreparedBlock* b : blocks)
        if (!b->dhcpId)
            out.push_back(problem(b->id, {}, b->label + ": has no Kea subnet ID"));
    if (family != Family::V6)
        return;
    // Kea reserves a delegated prefix to one client: two hosts of a prefix-delegation block
    // whose addresses lie in one delegated prefix cannot both be given it.
    const auto& hosts = m.plan().hosts();
    for (const PreparedBlock* b : blocks) {
        if (b->layout.delegatedLength == 0)
            continue;
        std::map<net::Prefix, std::size_t> given;
        for (const Reservation& r : b->reservations) {
            const net::Prefix d = net::Prefix{r.address, b->layout.delegatedLength}.masked();
            if (const auto [at, fresh] = given.emplace(d, r.host); !fresh)
                out.push_back(problem(b->id, r.host,
                                      b->label + ": host " + textio::quoted(hosts[r.host].name) +
                                          ": the delegated prefix " + net::formatNetwork(d) +
                                          " that holds its address is host " + textio::quoted(hosts[at->second].name) +
                                          "'s already"));
        }
    }
}

// dnsmasq advertises only /64 prefixes and serves DHCPv6 ranges on /64 or longer ones; it
// reads a name whose last label is digits alone as a number.
void addDnsmasqFaults(const Prepared& m, Problems& out)
{
    for (const PreparedBlock& b : m.blocks()) {
        if (!b.dhcp)
            continue;
        const DnsmasqService s = dnsmasqService(b);
        if (b.layout.prefix.address.family == Family::V6) {
            if (s.slaac && b.layout.prefix.length != 64)
                out.push_back(
                    problem(b.id, {}, b.label + ": SLAAC needs a /64: dnsmasq advertises no other prefix length"));
            if (s.dhcp && b.layout.prefix.length < 64)
                out.push_back(problem(b.id, {}, b.label + ": dnsmasq serves DHCPv6 on prefixes of /64 or longer only"));
        }
        if ((s.dhcp || s.slaac) && !b.dhcpId)
            out.push_back(problem(b.id, {}, b.label + ": has no DHCP subnet ID"));
    }
    std::set<std::string> seen;
    for (const NamedAddress& n : m.names()) {
        if (!seen.insert(n.name).second || !allDigits(n.fqdn.substr(n.fqdn.rfind('.') + 1)))
            continue;
        out.push_back(problem(n.block, n.host,
                              blockLabel(m.plan(), n.block) + ": the name \"" + textio::escaped(n.fqdn) +
                                  "\" ends in a number, which dnsmasq would not read as a name"));
    }
}

}  // namespace

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

DnsmasqService dnsmasqService(const PreparedBlock& b)
{
    const plan::ResolvedLayout& l = b.layout;
    if (l.prefix.address.family == Family::V4)
        return {false, !l.ranges.empty() || std::any_of(b.reservations.begin(), b.reservations.end(),
                                                        [](const Reservation& r) { return r.by == ClientBy::Mac; })};
    if (l.delegatedLength > 0)
        return {};
    const bool reservations = l.dhcp6 != plan::Dhcp6Mode::Slaac && !b.reservations.empty();
    return {l.dhcp6 != plan::Dhcp6Mode::Stateful, !l.ranges.empty() || reservations};
}

std::array<Problems, 4> problemsOf(const Prepared& m)
{
    Problems common;
    for (plan::SubnetProblem& p : plan::checkSubnets(m.plan()))
        common.push_back(fromSubnetProblem(std::move(p)));  // the output settings' own among them
    std::array<Problems, 4> all{common, common, common, std::move(common)};
    for (Output o : {Output::Kea4, Output::Dnsmasq})
        if (m.madeFor(o))
            addRouterFaults(m, of(all, o));
    if (m.madeFor(Output::Kea4) || m.madeFor(Output::Kea6) || m.madeFor(Output::Dnsmasq)) {
        Problems duids;
        addDuidFaults(m.plan(), duids);
        for (Output o : {Output::Kea4, Output::Kea6, Output::Dnsmasq})
            of(all, o).insert(of(all, o).end(), duids.begin(), duids.end());
    }
    Problems names;
    addNameFaults(m, names);  // of the names made, for dnsmasq and the zones
    of(all, Output::Dnsmasq).insert(of(all, Output::Dnsmasq).end(), names.begin(), names.end());
    if (m.madeFor(Output::Zones))
        addZoneFaults(m, names, of(all, Output::Zones));
    // What one server needs of its own, once the plan is sound for it.
    const auto sound = [&](Output o) { return m.madeFor(o) && of(all, o).empty(); };
    if (sound(Output::Kea4))
        addKeaFaults(m, Family::V4, of(all, Output::Kea4));
    if (sound(Output::Kea6))
        addKeaFaults(m, Family::V6, of(all, Output::Kea6));
    if (sound(Output::Dnsmasq))
        addDnsmasqFaults(m, of(all, Output::Dnsmasq));
    for (Output o : {Output::Kea4, Output::Kea6, Output::Dnsmasq, Output::Zones})
        if (!m.madeFor(o))
            of(all, o) = {problem(plan::kNoBlock, {}, "the plan was not prepared for this output")};
    return all;
}

}  // namespace mq::deploy::checks
