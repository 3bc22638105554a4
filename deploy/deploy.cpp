// What every output shares: the checks that refuse a plan, the Kea subnet IDs, and the
// names DNS and dnsmasq give each address.
#include "deploy/deploy.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "net/mac.h"
#include "plan/subnet.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::deploy {

namespace {

using plan::BlockId;
using plan::Plan;

bool isAssignedLeaf(const Plan& plan, BlockId id)
{
    const plan::Block& b = plan.block(id);
    return b.children.empty() && b.state != plan::BlockState::Free;
}

// A block's name made a DNS label: lower-case letters and digits kept, every run of other
// characters one '-', none at the ends, at most 60 bytes so that "-gw" still fits.
std::string labelOf(std::string_view name)
{
    std::string out;
    for (char c : textio::lowerCase(name)) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (keep)
            out += c;
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    if (out.size() > 60) {
        out.resize(60);
        while (!out.empty() && out.back() == '-')
            out.pop_back();
    }
    return out;
}

// "gw-10-40-1-1", "gw-2001-db8-40-10--1".
std::string addressName(const net::Address& a)
{
    std::string text = net::format(a);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '.' || c == ':'; }, '-');
    if (text.back() == '-')
        text += '0';
    return "gw-" + text;
}

// DHCPv4 hands every client its router: a block with ranges must have a gateway.
void addRouterFaults(const Plan& plan, std::vector<Fault>& faults)
{
    for (BlockId id : dhcpBlocks(plan, net::Family::V4)) {
        const plan::ResolvedLayout layout = plan::resolveLayout(plan, id);
        if (!layout.ranges.empty() && !layout.gateway)
            faults.push_back(
                {id,
                 {},
                 blockLabel(plan, id) + ": has DHCP ranges but no gateway; its DHCP clients would get no router"});
    }
}

// The MAC is checked plan-wide by checkSubnets; a DUID names one client too, and Kea and
// dnsmasq refuse two reservations of one.
void addDuidFaults(const Plan& plan, std::vector<Fault>& faults)
{
    std::map<net::Duid, std::size_t> seen;
    const auto& hosts = plan.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        if (hosts[i].duid.empty())
            continue;
        auto [at, fresh] = seen.emplace(hosts[i].duid, i);
        if (!fresh) {
            const net::Family f = hosts[i].v6 ? net::Family::V6 : net::Family::V4;
            faults.push_back({plan::hostBlock(plan, hosts[i], f), i,
                              "host " + textio::quoted(hosts[i].name) + ": DUID " + net::formatDuid(hosts[i].duid) +
                                  " is host " + textio::quoted(hosts[at->second].name) + "'s too"});
        }
    }
}

bool inDomain(const std::string& name, const std::string& domain)
{
    const std::string n = textio::lowerCase(name), d = textio::lowerCase(domain);
    return n == d || (n.size() > d.size() && n.compare(n.size() - d.size(), d.size(), d) == 0 &&
                      n[n.size() - d.size() - 1] == '.');
}

void addZoneFaults(const Plan& plan, std::vector<Fault>& faults)
{
    const plan::OutputSettings& s = plan.outputSettings();
    if (s.domain.empty())
        faults.push_back({plan::kNoBlock, {}, "settings: zones need a domain"});
    if (s.nameServers.empty())
        faults.push_back({plan::kNoBlock, {}, "settings: zones need at least one name server"});
    const std::vector<NamedAddress> names = dnsNames(plan);
    std::set<std::string> known;
    for (const NamedAddress& n : names) {
        known.insert(textio::lowerCase(n.name));
        if (!s.domain.empty() && n.name.size() + 1 + s.domain.size() > 253)
            faults.push_back({n.block, n.host,
                              "host " + textio::quoted(n.name) + ": with the domain " + textio::quoted(s.domain) +
                                  " the name is longer than 253 bytes"});
    }
    for (const plan::NameServer& ns : s.nameServers) {
        if (s.domain.empty() || !ns.addresses.empty() || !inDomain(ns.name, s.domain))
            continue;
        const std::string relative =
            ns.name.size() > s.domain.size() ? ns.name.substr(0, ns.name.size() - s.domain.size() - 1) : "";
        if (!known.count(textio::lowerCase(relative)))
            faults.push_back({plan::kNoBlock,
                              {},
                              "settings: name server " + textio::quoted(ns.name) +
                                  " lies in the domain but has no address: give it one, or a host of that name"});
    }
    if (s.zoneCut6 == 0)
        return;
    for (BlockId id : plan.leaves()) {
        const net::Prefix& p = plan.block(id).prefix;
        if (isAssignedLeaf(plan, id) && p.address.family == net::Family::V6 && p.length < s.zoneCut6)
            faults.push_back({id,
                              {},
                              blockLabel(plan, id) + ": the IPv6 zone cut /" + std::to_string(s.zoneCut6) +
                                  " lies inside the block; cut at /" + std::to_string(p.length / 4 * 4) +
                                  " or shorter"});
    }
}

}  // namespace

std::string blockLabel(const Plan& plan, BlockId id)
{
    const plan::Block& b = plan.block(id);
    std::string label = net::formatNetwork(b.prefix);
    if (!b.name.empty())
        label += " (" + textio::escaped(b.name, textio::kQuotedValue) + ")";
    return label;
}

std::vector<BlockId> dhcpBlocks(const Plan& plan, net::Family family)
{
    std::vector<BlockId> out;
    for (BlockId id : plan.leaves()) {
        const plan::Block& b = plan.block(id);
        if (b.state == plan::BlockState::Assigned && b.prefix.address.family == family)
            out.push_back(id);
    }
    return out;
}

std::vector<Fault> checkForOutput(const Plan& plan, Output output)
{
    std::vector<Fault> faults;
    for (plan::SubnetProblem& p : plan::checkSubnets(plan))
        faults.push_back({p.block, p.host, std::move(p.message)});  // the output settings' own among them
    if (output == Output::Kea4 || output == Output::Dnsmasq)
        addRouterFaults(plan, faults);
    if (output != Output::Zones)
        addDuidFaults(plan, faults);
    else
        addZoneFaults(plan, faults);
    return faults;
}

plan::DhcpIds assignDhcpIds(const Plan& plan)
{
    plan::DhcpIds ids = plan.dhcpIds();
    std::set<std::uint32_t> used;
    for (const auto& [prefix, id] : ids)
        used.insert(id);
    // Fresh IDs go above every ID used; only once those run out are the gaps below taken.
    std::uint32_t next = used.empty() ? 0 : *used.rbegin();
    const auto fresh = [&]() -> std::uint32_t {
        if (next < plan::kMaxDhcpId) {
            used.insert(++next);
            return next;
        }
        for (std::uint32_t k = 1; k <= plan::kMaxDhcpId; ++k)
            if (used.insert(k).second)
                return k;
        return 0;
    };
    for (net::Family f : {net::Family::V4, net::Family::V6})
        for (BlockId id : dhcpBlocks(plan, f))
            if (!ids.count(plan.block(id).prefix))
                ids[plan.block(id).prefix] = fresh();
    return ids;
}

std::vector<NamedAddress> dnsNames(const Plan& plan)
{
    std::vector<NamedAddress> out;
    std::unordered_map<std::string, int> taken;  // lower-case name: bit 1 IPv4, bit 2 IPv6
    std::set<net::Address> hostAddresses;
    const auto& hosts = plan.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        for (const auto* a : {&hosts[i].v4, &hosts[i].v6}) {
            if (!*a)
                continue;
            const net::Family f = (*a)->family;
            out.push_back({hosts[i].name, **a, plan::hostBlock(plan, hosts[i], f), i});
            taken[textio::lowerCase(hosts[i].name)] |= f == net::Family::V4 ? 1 : 2;
            hostAddresses.insert(**a);
        }
    }
    std::set<std::string> hostNames;
    for (const plan::Host& h : hosts)
        hostNames.insert(textio::lowerCase(h.name));
    for (BlockId id : plan.leaves()) {
        if (!isAssignedLeaf(plan, id))
            continue;
        const std::optional<net::Address> gw = plan::resolveLayout(plan, id).gateway;
        if (!gw || hostAddresses.count(*gw))
            continue;
        const int bit = gw->family == net::Family::V4 ? 1 : 2;
        const auto freeFor = [&](const std::string& n) {
            return !hostNames.count(n) && !(taken.count(n) && (taken[n] & bit));
        };
        const std::string label = labelOf(plan.block(id).name);
        std::string name = label.empty() ? addressName(*gw) : label + "-gw";
        if (!freeFor(name))
            name = addressName(*gw);
        for (int k = 2; !freeFor(name); ++k)
            name = addressName(*gw) + "-" + std::to_string(k);
        taken[name] |= bit;
        out.push_back({name, *gw, id, {}});
    }
    return out;
}

}  // namespace mq::deploy
