// Every fault of a plan's subnets, found by sorting rather than by comparing pairs, so that
// a plan of 100,000 hosts is checked in a blink.
#include <algorithm>
#include <array>
#include <set>
#include <unordered_map>

#include "plan/allocations.h"
#include "plan/plan.h"
#include "plan/subnet.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::plan {

namespace {

std::string rangeText(const AddressRange& r)
{
    return r.first == r.last ? net::format(r.first) : net::format(r.first) + "-" + net::format(r.last);
}

bool inside(const AddressRange& r, const net::Address& a)
{
    return !(a < r.first) && !(r.last < a);
}

// Why an address may not be handed out in p, or nothing. /31 and /32 (and /127, /128) use
// every address; IPv6 has no broadcast, but its network is the subnet-router anycast.
std::string misplaced(const net::Prefix& p, const net::Address& a)
{
    if (!p.contains(a))
        return "lies outside the block";
    if (p.address.bits() - p.length < 2)
        return {};
    if (a == p.network())
        return "is the network address";
    if (p.address.family == net::Family::V4 && a == p.last())
        return "is the broadcast address";
    return {};
}

// FNV-1a of the name in lower case: equal names (in any case) hash alike.
std::uint64_t nameHash(std::string_view name)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        h = (h ^ u) * 1099511628211ULL;
    }
    return h;
}

std::string addressList(const std::vector<net::Address>& addresses)
{
    std::string out;
    for (const net::Address& a : addresses)
        out += (out.empty() ? "" : ", ") + net::format(a);
    return out;
}

class Checker {
public:
    explicit Checker(const Plan& plan) : plan_(plan), index_(plan)
    {
        blocks_.reserve(plan.hosts().size());
        for (const Host& h : plan.hosts())
            blocks_.push_back({hostBlock(plan, h, net::Family::V4), hostBlock(plan, h, net::Family::V6)});
    }
    void block(BlockId b);
    void pairs();
    void unplaced();
    void duplicates();
    void outputs(const OutputSettings& s);
    std::vector<SubnetProblem> done();

private:
    std::string label(BlockId b) const
    {
        if (b == kNoBlock)
            return {};
        const Block& k = plan_.block(b);
        return net::formatNetwork(k.prefix) +
               (k.name.empty() ? "" : " (" + textio::escaped(k.name, textio::kQuotedValue) + ")") + ": ";
    }
    std::string host(std::size_t i) const
    {
        return "host " + textio::escaped(plan_.hosts()[i].name, textio::kQuotedValue) + ": ";
    }
    void add(BlockId b, std::optional<std::size_t> h, std::string message)
    {
        SubnetProblem& p = problems_.emplace_back();
        p.block = b;
        p.host = h;
        p.message = label(b) + (h ? host(*h) : "") + message;
    }
    BlockId blockOfHost(std::size_t i) const { return blocks_[i][0] != kNoBlock ? blocks_[i][0] : blocks_[i][1]; }
    BlockId blockOf(std::size_t i, net::Family f) const { return blocks_[i][f == net::Family::V6]; }
    void ranges(BlockId b, const ResolvedLayout& l);
    void hosts(BlockId b, const ResolvedLayout& l);
    void nameClashes(const OutputSettings& s);
    void leasedServers(const OutputSettings& s);
    void delegations(const OutputSettings& s);

    const Plan& plan_;
    HostIndex index_;
    std::vector<std::array<BlockId, 2>> blocks_;  // of each host: its IPv4 and IPv6 blocks
    std::vector<SubnetProblem> problems_;
};

void Checker::block(BlockId b)
{
    const ResolvedLayout l = resolveLayout(plan_, b);
    if (l.gateway)
        if (auto why = misplaced(l.prefix, *l.gateway); !why.empty())
            add(b, {}, "the gateway " + net::format(*l.gateway) + " " + why);
    ranges(b, l);
    hosts(b, l);
}

void Checker::ranges(BlockId b, const ResolvedLayout& l)
{
    const net::Prefix& p = l.prefix;
    for (const AddressRange& r : l.ranges) {
        const std::string what = "the range " + rangeText(r);
        if (!p.contains(r.first) || !p.contains(r.last)) {
            add(b, {}, what + " lies outside the block");
            continue;
        }
        if (const std::string space = unservedSpace(r.first, r.last); !space.empty())
            add(b, {}, what + " lies in " + space + ", where no DHCP client is served");
        for (const net::Address& end : {p.network(), p.last()})
            if (auto why = misplaced(p, end); !why.empty() && inside(r, end))
                add(b, {}, what + " holds the " + (end == p.network() ? "network" : "broadcast") + " address");
        if (l.delegatedLength)
            add(b, {}, what + " hands out addresses in a prefix-delegation pool");
        if (l.gateway && inside(r, *l.gateway))
            add(b, {}, what + " holds the gateway " + net::format(*l.gateway));
        for (const AddressRange& k : l.kept)
            if (!(k.last < r.first) && !(r.last < k.first))
                add(b, {}, what + " overlaps the kept addresses " + rangeText(k));
    }
    std::vector<AddressRange> sorted = l.ranges;
    std::sort(sorted.begin(), sorted.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t i = 1, reach = 0; i < sorted.size(); ++i) {
        if (!(sorted[reach].last < sorted[i].first))
            add(b, {}, "the ranges " + rangeText(sorted[reach]) + " and " + rangeText(sorted[i]) + " overlap");
        if (sorted[reach].last < sorted[i].last)
            reach = i;
    }
}

void Checker::hosts(BlockId b, const ResolvedLayout& l)
{
    const bool v4 = l.prefix.address.family == net::Family::V4;
    for (std::size_t i : index_.of(b)) {
        const Host& h = plan_.hosts()[i];
        const net::Address a = v4 ? *h.v4 : *h.v6;
        const auto at = [&a] { return net::format(a) + " "; };
        if (auto why = misplaced(l.prefix, a); !why.empty())
            add(b, i, at() + why);
        const bool device = h.role == HostRole::Gateway || h.role == HostRole::Router;
        if (!device && l.gateway && a == *l.gateway)
            add(b, i, at() + "is the gateway (only a gateway or router host may have it)");
        for (const AddressRange& k : l.kept)
            if (!device && inside(k, a))
                add(b, i, at() + "is kept for network devices (only a gateway or router host may have it)");
        for (const AddressRange& r : l.ranges)
            if (inside(r, a))
                add(b, i, at() + "lies inside the range " + rangeText(r));
    }
}

// A host of a dual-stack segment has its two addresses in the segment's two blocks.
void Checker::pairs()
{
    if (!plan_.isDualStack())
        return;
    std::unordered_map<BlockId, BlockId> partner;
    for (const AllocationRow& row : allocationRows(plan_))
        if (row.v4 != kNoBlock && row.v6 != kNoBlock) {
            partner[row.v4] = row.v6;
            partner[row.v6] = row.v4;
        }
    const auto partnerOf = [&](BlockId b) {
        const auto it = partner.find(b);
        return it == partner.end() ? kNoBlock : it->second;
    };
    const auto& hosts = plan_.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        if (!hosts[i].v4 || !hosts[i].v6)
            continue;
        const BlockId b4 = blockOf(i, net::Family::V4), b6 = blockOf(i, net::Family::V6);
        if (const BlockId p4 = partnerOf(b6); p4 != kNoBlock && p4 != b4)
            add(p4, i, net::format(*hosts[i].v4) + " lies outside the block");
        else if (const BlockId p6 = partnerOf(b4); p6 != kNoBlock && p6 != b6)
            add(p6, i, net::format(*hosts[i].v6) + " lies outside the block");
    }
}

void Checker::unplaced()
{
    const auto& hosts = plan_.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        for (const auto* a : {&hosts[i].v4, &hosts[i].v6})
            if (*a && blockOf(i, (*a)->family) == kNoBlock)
                add(kNoBlock, i, net::format(**a) + " lies in no assigned block");
        // Refused by every edit, but a plan may come from elsewhere.
        if (auto why = checkHostName(hosts[i].name); !why.empty())
            add(blockOfHost(i), i, "the name " + why);
    }
}

void Checker::duplicates()
{
    const auto& hosts = plan_.hosts();
    std::vector<std::pair<net::Address, std::size_t>> addresses;
    std::vector<std::pair<net::Mac, std::size_t>> macs;
    std::vector<std::pair<std::uint64_t, std::size_t>> names;  // by a hash of the name
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        for (const auto* a : {&hosts[i].v4, &hosts[i].v6})
            if (*a)
                addresses.emplace_back(**a, i);
        if (hosts[i].mac)
            macs.emplace_back(*hosts[i].mac, i);
        names.emplace_back(nameHash(hosts[i].name), i);
    }
    // Sorted by value, then by host: each repeat names the first host that has the value.
    const auto repeats = [&](auto& list, auto report) {
        std::sort(list.begin(), list.end());
        for (std::size_t i = 1, first = 0; i < list.size(); ++i) {
            if (list[i].first != list[first].first)
                first = i;
            else if (list[i].second != list[first].second)
                report(list[i].second, list[first].second, list[i].first);
        }
    };
    const auto other = [&](std::size_t j) { return "host " + textio::escaped(hosts[j].name, textio::kQuotedValue); };
    repeats(addresses, [&](std::size_t i, std::size_t j, const net::Address& a) {
        add(blockOf(i, a.family), i, net::format(a) + " is also the address of " + other(j));
    });
    repeats(macs, [&](std::size_t i, std::size_t j, const net::Mac& m) {
        add(blockOfHost(i), i, "the MAC " + net::formatMac(m) + " is also the MAC of " + other(j));
    });
    // Names are the same in any case; hashes group them, and the names in a group are compared.
    std::sort(names.begin(), names.end());
    for (std::size_t run = 0; run < names.size();) {
        std::size_t end = run + 1;
        while (end < names.size() && names[end].first == names[run].first)
            ++end;
        for (std::size_t k = run + 1; k < end; ++k) {
            const std::size_t i = names[k].second;
            for (std::size_t e = run; e < k; ++e)
                if (textio::equalsIgnoringCase(hosts[names[e].second].name, hosts[i].name)) {
                    add(blockOfHost(i), i, "the name is also the name of " + other(names[e].second));
                    break;
                }
        }
        run = end;
    }
}

void Checker::outputs(const OutputSettings& s)
{
    if (auto why = checkOutputSettings(s); !why.empty())
        add(kNoBlock, {}, "settings: " + why);
    nameClashes(s);
    leasedServers(s);
    delegations(s);
}

// A block delegated by RFC 2317 is one the plan hands out: the child zone is its PTRs'.
void Checker::delegations(const OutputSettings& s)
{
    for (const net::Prefix& p : s.delegated) {
        const BlockId leaf = plan_.leafAt(p.address);
        const char* why = nullptr;
        if (leaf == kNoBlock)
            why = "lies in no root of the plan";
        else if (plan_.block(leaf).prefix.length < p.length)
            why = "lies inside a block of the plan that is not split to it";
        else if (plan_.block(leaf).prefix.length > p.length)
            why = "is split; delegate its parts";
        else if (plan_.block(leaf).state == BlockState::Free)
            why = "is free; only an assigned block is delegated";
        if (why)
            add(kNoBlock, {}, "settings: delegated block " + net::formatNetwork(p) + " " + why);
    }
}

// A name stands once in the domain's zone: a host named as a name server that is given
// addresses of its own would lose the one set of addresses or the other.
void Checker::nameClashes(const OutputSettings& s)
{
    if (s.domain.empty())
        return;
    const std::string domain = "." + textio::lowerCase(s.domain);
    std::unordered_map<std::string, std::size_t> servers;  // the name in the domain, lower case
    for (std::size_t k = 0; k < s.nameServers.size(); ++k) {
        const std::string name = textio::lowerCase(s.nameServers[k].name);
        if (!s.nameServers[k].addresses.empty() && name.size() > domain.size() && name.ends_with(domain))
            servers.emplace(name.substr(0, name.size() - domain.size()), k);
    }
    if (servers.empty())
        return;
    const auto& hosts = plan_.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        const auto it = servers.find(textio::lowerCase(hosts[i].name));
        if (it == servers.end())
            continue;
        const NameServer& ns = s.nameServers[it->second];
        std::vector<net::Address> own, given = ns.addresses;
        for (const auto* a : {&hosts[i].v4, &hosts[i].v6})
            if (*a)
                own.push_back(**a);
        std::sort(own.begin(), own.end());
        std::sort(given.begin(), given.end());
        if (own != given)
            add(blockOfHost(i), i,
                "the name is also the name server " + textio::quoted(ns.name) + "'s, which is given " +
                    addressList(given) +
                    "; give the name server no address (the host's become its) or the host another name");
    }
}

// A server's address inside a DHCP range is one the DHCP server may lease to a client.
void Checker::leasedServers(const OutputSettings& s)
{
    std::vector<std::pair<std::string, net::Address>> given;
    for (const net::Address& a : s.dnsServers)
        given.emplace_back("the DNS server ", a);
    for (const NameServer& ns : s.nameServers)
        for (const net::Address& a : ns.addresses)
            given.emplace_back("the name server " + textio::quoted(ns.name) + "'s address ", a);
    for (const auto& [what, a] : given) {
        const BlockId b = plan_.leafAt(a);
        if (b == kNoBlock || plan_.block(b).state != BlockState::Assigned)
            continue;
        for (const AddressRange& r : resolveLayout(plan_, b).ranges)
            if (inside(r, a))
                add(b, {},
                    what + net::format(a) + " lies inside the range " + rangeText(r) +
                        "; the DHCP server may lease it to a client");
    }
}

std::vector<SubnetProblem> Checker::done()
{
    // Block by block in address order; faults of no block last.
    std::stable_sort(problems_.begin(), problems_.end(), [&](const SubnetProblem& x, const SubnetProblem& y) {
        if (x.block == kNoBlock || y.block == kNoBlock)
            return x.block != kNoBlock && y.block == kNoBlock;
        return plan_.block(x.block).prefix < plan_.block(y.block).prefix;
    });
    return std::move(problems_);
}

}  // namespace

std::vector<SubnetProblem> checkSubnets(const Plan& plan)
{
    Checker c(plan);
    for (BlockId b : plan.leaves())
        if (plan.block(b).state != BlockState::Free)
            c.block(b);
    c.pairs();
    c.unplaced();
    c.duplicates();
    c.outputs(plan.outputSettings());
    return c.done();
}

std::vector<SubnetProblem> checkOutputs(const Plan& plan, const OutputSettings& s)
{
    Checker c(plan);
    c.outputs(s);
    return c.done();
}

std::string checkNewOutputs(const Plan& plan, const OutputSettings& s)
{
    if (auto why = checkOutputSettings(s); !why.empty())
        return why;
    std::set<std::string> old;
    for (SubnetProblem& p : checkOutputs(plan, plan.outputSettings()))
        old.insert(std::move(p.message));
    for (SubnetProblem& p : checkOutputs(plan, s))
        if (!old.count(p.message))
            return std::move(p.message);
    return {};
}

}  // namespace mq::plan
