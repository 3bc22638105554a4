// The plan prepared for its outputs: each assigned block's layout resolved once, one host
// index, the reservations under the one rule, the names, the IDs, then every check.
#include "deploy/model.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "deploy/checks.h"
#include "net/mac.h"
#include "plan/outputs.h"
#include "textio/fields.h"

namespace mq::deploy {

namespace {

using plan::BlockId;
using plan::Plan;

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

// Every host's name in the domain: a name given whole inside it is made relative here, once,
// for every output. Each is the start of the host's own name.
std::vector<std::string_view> namesInDomain(const Plan& plan)
{
    const std::string& domain = plan.outputSettings().domain;
    std::vector<std::string_view> out;
    out.reserve(plan.hosts().size());
    for (const plan::Host& h : plan.hosts()) {
        const std::string_view name = h.name;
        const std::optional<std::string> inside = plan::nameInDomain(name, domain);
        out.push_back(inside ? name.substr(0, inside->size()) : name);
    }
    return out;
}

std::string whole(std::string_view name, const std::string& domain)
{
    if (domain.empty())
        return std::string(name);
    return name.empty() ? domain : std::string(name) + "." + domain;
}

std::vector<NamedAddress> namesOf(const Plan& plan, const std::vector<std::string_view>& names,
                                  const std::vector<PreparedBlock>& blocks)
{
    const std::string& domain = plan.outputSettings().domain;
    std::vector<NamedAddress> out;
    std::unordered_map<std::string, int> taken;  // lower-case name: bit 1 IPv4, bit 2 IPv6
    std::set<net::Address> hostAddresses;
    std::set<std::string> hostNames;
    const auto& hosts = plan.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        const std::string lower = textio::lowerCase(names[i]);
        hostNames.insert(lower);
        for (const auto* a : {&hosts[i].v4, &hosts[i].v6}) {
            if (!*a)
                continue;
            const net::Family f = (*a)->family;
            out.push_back({std::string(names[i]), **a, plan::hostBlock(plan, hosts[i], f), i, whole(names[i], domain)});
            taken[lower] |= f == net::Family::V4 ? 1 : 2;
            hostAddresses.insert(**a);
        }
    }
    for (const PreparedBlock& b : blocks) {
        const std::optional<net::Address>& gw = b.layout.gateway;
        if (!gw || hostAddresses.count(*gw))
            continue;
        const int bit = gw->family == net::Family::V4 ? 1 : 2;
        const auto freeFor = [&](const std::string& n) {
            return !hostNames.count(n) && !(taken.count(n) && (taken[n] & bit));
        };
        const std::string label = labelOf(plan.block(b.id).name);
        std::string name = label.empty() ? addressName(*gw) : label + "-gw";
        if (!freeFor(name))
            name = addressName(*gw);
        for (int k = 2; !freeFor(name); ++k)
            name = addressName(*gw) + "-" + std::to_string(k);
        taken[name] |= bit;
        out.push_back({name, *gw, b.id, {}, whole(name, domain)});
    }
    return out;
}

std::vector<Reservation> reservationsOf(const Plan& plan, const plan::HostIndex& index, const PreparedBlock& b,
                                        const std::vector<std::string_view>& names)
{
    std::vector<Reservation> out;
    const net::Family f = b.layout.prefix.address.family;
    for (std::size_t i : index.of(b.id)) {
        const plan::Host& h = plan.hosts()[i];
        const std::optional<net::Address>& a = f == net::Family::V4 ? h.v4 : h.v6;
        const std::optional<ClientBy> by = reservedBy(h, f);
        if (!a || !by)
            continue;
        out.push_back({i, *by, *by == ClientBy::Mac ? net::formatMac(*h.mac) : net::formatDuid(h.duid), *a,
                       names[i].empty() ? h.name : std::string(names[i])});
    }
    return out;
}

}  // namespace

std::optional<ClientBy> reservedBy(const plan::Host& h, net::Family f)
{
    if (f == net::Family::V6 && !h.duid.empty())
        return ClientBy::Duid;
    if (h.mac)
        return ClientBy::Mac;
    if (!h.duid.empty())
        return ClientBy::Duid;
    return std::nullopt;
}

std::vector<const PreparedBlock*> Prepared::dhcpBlocks(net::Family family) const
{
    std::vector<const PreparedBlock*> out;
    for (const PreparedBlock& b : blocks_)
        if (b.dhcp && b.layout.prefix.address.family == family)
            out.push_back(&b);
    return out;
}

Prepared prepare(const Plan& plan, plan::DhcpIds ids, Outputs outputs)
{
    Prepared m;
    m.plan_ = &plan;
    m.for_ = outputs;
    m.ids_ = std::move(ids);
    const bool dhcp = m.madeFor(Output::Kea4) || m.madeFor(Output::Kea6) || m.madeFor(Output::Dnsmasq);
    const std::optional<plan::HostIndex> index = dhcp ? std::optional<plan::HostIndex>(plan) : std::nullopt;
    const std::vector<std::string_view> names = namesInDomain(plan);
    for (BlockId id : plan.leaves()) {
        const plan::Block& block = plan.block(id);
        if (block.state == plan::BlockState::Free)
            continue;
        PreparedBlock b{id,
                        plan::resolveLayout(plan, id),
                        blockLabel(plan, id),
                        block.state == plan::BlockState::Assigned,
                        std::nullopt,
                        {}};
        if (const auto it = m.ids_.find(block.prefix); it != m.ids_.end())
            b.dhcpId = it->second;
        if (index && b.dhcp)
            b.reservations = reservationsOf(plan, *index, b, names);
        m.blocks_.push_back(std::move(b));
    }
    if (m.madeFor(Output::Dnsmasq) || m.madeFor(Output::Zones))
        m.names_ = namesOf(plan, names, m.blocks_);
    m.problems_ = checks::problemsOf(m);
    return m;
}

}  // namespace mq::deploy
