// dnsmasq's configuration file: one option a line, as the long options of dnsmasq(8) without
// their "--". Each assigned block gets a tag from its DHCP ID, set by its dhcp-range lines
// and matched by its dhcp-option lines, so that a router option reaches its own subnet only.
#include "deploy/dnsmasq.h"

#include <algorithm>
#include <climits>
#include <map>

#include "deploy/checks.h"

namespace mq::deploy {

namespace {

using net::Family;

// dnsmasq reads a lease time into an int: longer ones are as good as infinite.
std::string leaseTime(std::uint32_t seconds)
{
    return seconds > static_cast<std::uint32_t>(INT_MAX) ? "infinite" : std::to_string(seconds);
}

// A dhcp-host field that dnsmasq takes for a keyword or a lease time ("ignore", "12h")
// rather than for a name.
bool readAsNoName(std::string_view name)
{
    if (name == "ignore" || name == "infinite")
        return true;
    if (name.size() > 1 && std::string_view("wWdDhHmMsS").find(name.back()) != std::string_view::npos)
        name.remove_suffix(1);
    return checks::allDigits(name);
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
        return name + "." + domain;
    return readAsNoName(name) ? std::string{} : name;
}

struct Writer {
    const Prepared& m;
    const std::string& domain;
    std::string blocks;  // the blocks' sections
    bool ra = false;  // some block is advertised (SLAAC)

    explicit Writer(const Prepared& model) : m(model), domain(model.settings().domain) { }

    void line(std::string_view key, std::string_view value)
    {
        blocks.append(key).append("=").append(value).append("\n");
    }
    static std::string tag(const PreparedBlock& b) { return "s" + std::to_string(*b.dhcpId); }
    std::string lease() const { return leaseTime(m.settings().validLifetime); }

    void hostLines(const PreparedBlock& b);
    void block4(const PreparedBlock& b);
    void block6(const PreparedBlock& b);
    void block(const PreparedBlock& b);
};

// A reservation by MAC, or by DUID ("id:") as reservedBy says; in DHCPv4 by MAC only.
void Writer::hostLines(const PreparedBlock& b)
{
    const bool v4 = b.layout.prefix.address.family == Family::V4;
    for (const Reservation& r : b.reservations) {
        if (v4 && r.by == ClientBy::Duid)
            continue;
        std::string value = (r.by == ClientBy::Duid ? "id:" : "") + r.client + "," +
                            (v4 ? net::format(r.address) : "[" + net::format(r.address) + "]");
        const std::string name = dhcpName(r.name, domain);
        if (!name.empty())
            value += "," + name;
        line("dhcp-host", value);
    }
}

void Writer::block4(const PreparedBlock& b)
{
    const plan::ResolvedLayout& layout = b.layout;
    const net::Prefix& p = layout.prefix;
    const std::string mask =
        net::format(net::Address::v4(static_cast<std::uint32_t>(net::maskOf(Family::V4, p.length))));
    if (!checks::dnsmasqService(b).dhcp)
        return;
    const std::string t = tag(b);
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
    hostLines(b);
}

// dnsmasq advertises only /64 prefixes and serves DHCPv6 ranges on /64 or longer ones: the
// model refuses any other.
void Writer::block6(const PreparedBlock& b)
{
    const plan::ResolvedLayout& layout = b.layout;
    const net::Prefix& p = layout.prefix;
    if (layout.delegatedLength > 0) {
        blocks += "# a prefix delegation pool: dnsmasq does not delegate prefixes\n";
        return;
    }
    const auto [slaac, dhcp] = checks::dnsmasqService(b);
    if (!dhcp && !slaac)
        return;
    const std::string set = "set:" + tag(b) + ",";
    const std::string length = "," + std::to_string(p.length) + "," + lease();
    const std::string tail = (slaac ? ",slaac" : "") + length;
    for (const plan::AddressRange& r : layout.ranges)
        line("dhcp-range", set + net::format(r.first) + "," + net::format(r.last) + tail);
    // Reservations alone are served from a static range; SLAAC alone is advertised only.
    if (layout.ranges.empty())
        line("dhcp-range", set + net::format(p.network()) + (dhcp ? ",static" + tail : ",ra-only" + length));
    ra = ra || slaac;
    if (dhcp)
        hostLines(b);
}

void Writer::block(const PreparedBlock& b)
{
    // The label escapes the name, so that it can never end its comment line and start an
    // option, and shortens it, keeping the line well under the 1024 bytes dnsmasq reads at
    // a time (the rest of a longer line would be read as a line of its own).
    blocks += "\n# " + b.label + "\n";
    if (b.layout.prefix.address.family == Family::V4)
        block4(b);
    else
        block6(b);
}

// One host-record line for each name, with its IPv4 and IPv6 address; a name of more
// addresses of one family takes more lines (dnsmasq keeps one address of each a line).
std::string hostRecords(const Prepared& m)
{
    std::vector<const NamedAddress*> order;
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> byName;
    for (const NamedAddress& n : m.names()) {
        auto [it, added] = byName.try_emplace(n.name);
        if (added)
            order.push_back(&n);
        (n.address.family == Family::V4 ? it->second.first : it->second.second).push_back(net::format(n.address));
    }
    std::string out;
    for (const NamedAddress* n : order) {
        const auto& [v4, v6] = byName[n->name];
        for (std::size_t i = 0; i < std::max(v4.size(), v6.size()); ++i) {
            out += "host-record=" + n->fqdn;
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

Written writeDnsmasq(const Prepared& m)
{
    if (const textio::Problems& p = m.problems(Output::Dnsmasq); !p.empty())
        return p;
    Writer w(m);
    for (const PreparedBlock& b : m.blocks())
        if (b.dhcp)
            w.block(b);
    const std::string records = hostRecords(m);
    const plan::OutputSettings& s = m.settings();
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
