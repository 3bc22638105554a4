// dnsmasq's configuration file: one option a line, as the long options of dnsmasq(8) without
// their "--". Each assigned block gets a tag from its DHCP ID, set by its dhcp-range lines
// and matched by its dhcp-option lines, so that a router option reaches its own subnet only.
#include "deploy/dnsmasq.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>

#include "plan/subnet.h"
#include "textio/escape.h"

namespace mq::deploy {

namespace {

using net::Family;
using plan::BlockId;

std::string fqdn(const std::string& name, const std::string& domain)
{
    return domain.empty() ? name : name + "." + domain;
}

// dnsmasq reads a lease time into an int: longer ones are as good as infinite.
std::string leaseTime(std::uint32_t seconds)
{
    return seconds > static_cast<std::uint32_t>(INT_MAX) ? "infinite" : std::to_string(seconds);
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A dhcp-host field that dnsmasq takes for a keyword or a lease time ("ignore", "12h")
// rather than for a name.
bool readAsNoName(std::string_view name)
{
    if (name == "ignore" || name == "infinite")
        return true;
    if (name.size() > 1 && std::string_view("wWdDhHmMsS").find(name.back()) != std::string_view::npos)
        name.remove_suffix(1);
    return allDigits(name);
}

// The name a dhcp-host line gives its host; empty for none. dnsmasq keeps the first label
// and checks the rest against the domain: a host of a sub-domain ("printer.lab") would be
// named in the wrong one, so it gets its address alone and its name from host-record.
std::string dhcpName(const std::string& name, const std::string& domain)
{
    if (name.find('.') != std::string::npos)
        return {};
    // Written whole, a name can never be read as a keyword or a number.
    if (!domain.empty())
        return fqdn(name, domain);
    return readAsNoName(name) ? std::string{} : name;
}

struct Writer {
    const plan::Plan& plan;
    const plan::DhcpIds& ids;
    const plan::HostIndex index;
    const std::string& domain;
    std::string blocks;  // the blocks' sections
    bool ra = false;  // some block is advertised (SLAAC)
    std::vector<Fault> faults;

    Writer(const plan::Plan& p, const plan::DhcpIds& i) : plan(p), ids(i), index(p), domain(p.outputSettings().domain)
    {
    }

    void line(std::string_view key, std::string_view value)
    {
        blocks.append(key).append("=").append(value).append("\n");
    }
    void fault(BlockId id, std::string reason, std::optional<std::size_t> host = {})
    {
        faults.push_back({id, host, blockLabel(plan, id) + ": " + std::move(reason)});
    }
    std::string tag(BlockId id)
    {
        const auto it = ids.find(plan.block(id).prefix);
        if (it == ids.end()) {
            fault(id, "has no DHCP subnet ID");
            return "s0";
        }
        return "s" + std::to_string(it->second);
    }
    std::string lease() const { return leaseTime(plan.outputSettings().validLifetime); }

    void hostLines(BlockId id, Family f);
    void block4(BlockId id, const plan::ResolvedLayout& layout);
    void block6(BlockId id, const plan::ResolvedLayout& layout);
    void block(BlockId id);
};

// The reservations of the block's hosts: by MAC for IPv4; by DUID, else by MAC, for IPv6.
void Writer::hostLines(BlockId id, Family f)
{
    for (std::size_t i : index.of(id)) {
        const plan::Host& h = plan.hosts()[i];
        const auto& address = f == Family::V4 ? h.v4 : h.v6;
        if (!address)
            continue;
        std::string value;
        if (f == Family::V6 && !h.duid.empty())
            value = "id:" + net::formatDuid(h.duid) + ",[" + net::format(*address) + "]";
        else if (h.mac)
            value = net::formatMac(*h.mac) + "," +
                    (f == Family::V4 ? net::format(*address) : "[" + net::format(*address) + "]");
        else
            continue;
        const std::string name = dhcpName(h.name, domain);
        if (!name.empty())
            value += "," + name;
        line("dhcp-host", value);
    }
}

bool hasReservation(const plan::Plan& plan, const plan::HostIndex& index, BlockId id, Family f)
{
    return std::any_of(index.of(id).begin(), index.of(id).end(), [&](std::size_t i) {
        const plan::Host& h = plan.hosts()[i];
        return plan::hostBlock(plan, h, f) == id && (h.mac || (f == Family::V6 && !h.duid.empty()));
    });
}

void Writer::block4(BlockId id, const plan::ResolvedLayout& layout)
{
    const net::Prefix& p = layout.prefix;
    const std::string mask =
        net::format(net::Address::v4(static_cast<std::uint32_t>(net::maskOf(Family::V4, p.length))));
    const bool reservations = hasReservation(plan, index, id, Family::V4);
    if (layout.ranges.empty() && !reservations)
        return;
    const std::string t = tag(id);
    const std::string set = "set:" + t + ",";
    for (const plan::AddressRange& r : layout.ranges)
        line("dhcp-range", set + net::format(r.first) + "," + net::format(r.last) + "," + mask + "," + lease());
    // A subnet of reservations alone: dnsmasq serves only the hosts it knows there.
    if (layout.ranges.empty())
        line("dhcp-range", set + net::format(p.network()) + ",static," + mask + "," + lease());
    // Without a router option of its own dnsmasq would name itself the router.
    std::string router = "tag:" + t + ",option:router";
    if (layout.gateway)
        router += "," + net::format(*layout.gateway);
    line("dhcp-option", router);
    hostLines(id, Family::V4);
}

// dnsmasq advertises only /64 prefixes and serves DHCPv6 ranges on /64 or longer ones.
void Writer::block6(BlockId id, const plan::ResolvedLayout& layout)
{
    const net::Prefix& p = layout.prefix;
    if (layout.delegatedLength > 0) {
        blocks += "# a prefix delegation pool: dnsmasq does not delegate prefixes\n";
        return;
    }
    const bool slaac = layout.dhcp6 != plan::Dhcp6Mode::Stateful;
    const bool reservations = layout.dhcp6 != plan::Dhcp6Mode::Slaac && hasReservation(plan, index, id, Family::V6);
    const bool dhcp = !layout.ranges.empty() || reservations;
    if (slaac && p.length != 64)
        fault(id, "SLAAC needs a /64: dnsmasq advertises no other prefix length");
    if (dhcp && p.length < 64)
        fault(id, "dnsmasq serves DHCPv6 on prefixes of /64 or longer only");
    if (!dhcp && !slaac)
        return;
    const std::string set = "set:" + tag(id) + ",";
    const std::string length = "," + std::to_string(p.length) + "," + lease();
    const std::string tail = (slaac ? ",slaac" : "") + length;
    for (const plan::AddressRange& r : layout.ranges)
        line("dhcp-range", set + net::format(r.first) + "," + net::format(r.last) + tail);
    // Reservations alone are served from a static range; SLAAC alone is advertised only.
    if (layout.ranges.empty())
        line("dhcp-range", set + net::format(p.network()) + (dhcp ? ",static" + tail : ",ra-only" + length));
    ra = ra || slaac;
    if (dhcp)
        hostLines(id, Family::V6);
}

void Writer::block(BlockId id)
{
    // blockLabel escapes the name, so that it can never end its comment line and start an
    // option, and shortens it, keeping the line well under the 1024 bytes dnsmasq reads at
    // a time (the rest of a longer line would be read as a line of its own).
    blocks += "\n# " + blockLabel(plan, id) + "\n";
    const plan::ResolvedLayout layout = plan::resolveLayout(plan, id);
    if (layout.prefix.address.family == Family::V4)
        block4(id, layout);
    else
        block6(id, layout);
}

// One host-record line for each name, with its IPv4 and IPv6 address; a name of more
// addresses of one family takes more lines (dnsmasq keeps one address of each a line).
std::string hostRecords(const plan::Plan& plan, const std::string& domain, std::vector<Fault>& faults)
{
    std::vector<std::string> order;
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> byName;
    for (const NamedAddress& n : dnsNames(plan)) {
        auto [it, added] = byName.try_emplace(n.name);
        if (added)
            order.push_back(n.name);
        (n.address.family == Family::V4 ? it->second.first : it->second.second).push_back(net::format(n.address));
        const std::string full = fqdn(n.name, domain);
        // dnsmasq reads a field of digits alone as a TTL and a dotted quad as an address.
        if (added && allDigits(full.substr(full.rfind('.') + 1)))
            faults.push_back({n.block, n.host,
                              blockLabel(plan, n.block) + ": the name \"" + textio::escaped(full) +
                                  "\" ends in a number, which dnsmasq would not read as a name"});
    }
    std::string out;
    for (const std::string& name : order) {
        const auto& [v4, v6] = byName[name];
        for (std::size_t i = 0; i < std::max(v4.size(), v6.size()); ++i) {
            out += "host-record=" + fqdn(name, domain);
            if (i < v4.size())
                out += "," + v4[i];
            if (i < v6.size())
                out += "," + v6[i];
            out += "\n";
        }
    }
    return out;
}

std::string dnsServers(const plan::OutputSettings& s, Family f)
{
    std::string value;
    for (const net::Address& a : s.dnsServers)
        if (a.family == f)
            value += f == Family::V4 ? "," + net::format(a) : ",[" + net::format(a) + "]";
    if (value.empty())
        return {};
    return std::string("dhcp-option=") + (f == Family::V4 ? "option:dns-server" : "option6:dns-server") + value + "\n";
}

}  // namespace

Written writeDnsmasq(const plan::Plan& plan, const plan::DhcpIds& ids)
{
    std::vector<Fault> faults = checkForOutput(plan, Output::Dnsmasq);
    if (!faults.empty())
        return faults;
    Writer w(plan, ids);
    std::set<BlockId> served;
    for (Family f : {Family::V4, Family::V6})
        for (BlockId id : dhcpBlocks(plan, f))
            served.insert(id);
    for (BlockId id : plan.leaves())
        if (served.count(id))
            w.block(id);
    const std::string records = hostRecords(plan, w.domain, w.faults);
    if (!w.faults.empty())
        return std::move(w.faults);
    const plan::OutputSettings& s = plan.outputSettings();
    std::string text = "# dnsmasq configuration of the address plan: check it with dnsmasq --test --conf-file=FILE\n";
    if (!s.domain.empty())
        text += "domain=" + s.domain + "\n";
    if (!s.interface.empty())
        text += "interface=" + s.interface + "\n";
    text += dnsServers(s, Family::V4) + dnsServers(s, Family::V6);
    if (w.ra)
        text += "enable-ra\n";
    text += w.blocks;
    if (!records.empty())
        text += "\n" + records;
    return std::vector<OutputFile>{{"dnsmasq.conf", std::move(text)}};
}

}  // namespace mq::deploy
