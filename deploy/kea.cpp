#include "deploy/kea.h"

#include "textio/json.h"

namespace mq::deploy {

namespace {

using textio::json::Layout;
using textio::json::Writer;

struct Context {
    const Prepared& m;
    net::Family family;
    std::vector<const PreparedBlock*> blocks;  // the family's DHCP blocks
    std::string dnsServers;  // the family's servers, "a, b"
};

void option(Writer& j, const char* name, std::string_view data)
{
    j.beginObject();
    j.key("name");
    j.rawString(name);
    j.key("data");
    j.string(data);
    j.end();
}

void writeOptions(Writer& j, const Context& c, const plan::ResolvedLayout& l)
{
    const std::string& domain = c.m.settings().domain;
    const bool v4 = c.family == net::Family::V4;
    const bool router = v4 && l.gateway;
    if (!router && c.dnsServers.empty() && domain.empty())
        return;
    j.key("option-data");
    j.beginArray(Layout::Indented);
    if (router)
        option(j, "routers", net::format(*l.gateway));
    if (!c.dnsServers.empty())
        option(j, v4 ? "domain-name-servers" : "dns-servers", c.dnsServers);
    if (!domain.empty())
        option(j, v4 ? "domain-name" : "domain-search", domain);
    j.end();
}

void writePools(Writer& j, const Context& c, const plan::ResolvedLayout& l)
{
    // An IPv6 block hands out addresses only with stateful DHCPv6, and a prefix-delegation
    // block hands out prefixes instead.
    const bool v6 = c.family == net::Family::V6;
    const bool addresses = !v6 || (l.dhcp6 != plan::Dhcp6Mode::Slaac && l.delegatedLength == 0);
    if (addresses && !l.ranges.empty()) {
        j.key("pools");
        j.beginArray(Layout::Indented);
        for (const plan::AddressRange& r : l.ranges) {
            j.beginObject();
            j.key("pool");
            j.string(net::format(r.first) + " - " + net::format(r.last));
            j.end();
        }
        j.end();
    }
    if (v6 && l.delegatedLength > 0) {
        j.key("pd-pools");
        j.beginArray(Layout::Indented);
        j.beginObject();
        j.key("prefix");
        j.string(net::format(l.prefix.network()));
        j.key("prefix-len");
        j.number(l.prefix.length);
        j.key("delegated-len");
        j.number(l.delegatedLength);
        j.end();
        j.end();
    }
}

void writeReservation(Writer& j, const Context& c, const plan::ResolvedLayout& l, const Reservation& r)
{
    j.beginObject();
    j.key(r.by == ClientBy::Mac ? "hw-address" : "duid");
    j.string(r.client);
    const std::string a = net::format(r.address);
    if (c.family == net::Family::V4) {
        j.key("ip-address");
        j.string(a);
    } else if (l.delegatedLength == 0) {
        j.key("ip-addresses");
        j.beginArray();
        j.string(a);
        j.end();
    } else {
        // A host inside a prefix-delegation block is a router given the prefix that holds
        // its address; the address itself then lies on the link behind it, not on this one.
        j.key("prefixes");
        j.beginArray();
        j.string(net::formatNetwork({r.address, l.delegatedLength}));
        j.end();
    }
    j.key("hostname");
    j.string(r.name);
    j.end();
}

void writeSubnet(Writer& j, const Context& c, const PreparedBlock& b)
{
    const plan::ResolvedLayout& l = b.layout;
    j.beginObject(Layout::Indented);
    j.key("id");
    j.number(*b.dhcpId);
    j.key("subnet");
    j.string(net::formatNetwork(l.prefix));
    // A DHCPv6 client on the server's own link writes from its link-local address, so Kea
    // ties such a client to a subnet by the interface alone (relayed ones by the relay's
    // link address); DHCPv4 finds the subnet from the interface's own address instead.
    const std::string& iface = c.m.settings().interface;
    if (c.family == net::Family::V6 && !iface.empty()) {
        j.key("interface");
        j.string(iface);
    }
    writePools(j, c, l);
    writeOptions(j, c, l);
    if (!b.reservations.empty()) {
        j.key("reservations");
        j.beginArray(Layout::Indented);
        for (const Reservation& r : b.reservations)
            writeReservation(j, c, l, r);
        j.end();
    }
    j.end();
}

void writeSubnets(Writer& j, const Context& c)
{
    j.beginArray(Layout::Indented);
    for (const PreparedBlock* b : c.blocks)
        writeSubnet(j, c, *b);
    j.end();
}

// Kea keeps one memfile per server and the two families' files differ in form: the DHCPv6
// server gets a file of its own beside the DHCPv4 one, named as Kea names its defaults
// (kea-leases4.csv, kea-leases6.csv).
std::string leaseFileOf(const std::string& file, net::Family f)
{
    if (f == net::Family::V4 || file.empty())
        return file;
    const std::size_t slash = file.rfind('/');
    std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        dot = file.size();
    std::string out = file;
    if (dot > 0 && out[dot - 1] == '4')
        out[dot - 1] = '6';
    else
        out.insert(dot, "6");
    return out;
}

void writeWhole(Writer& j, const Context& c)
{
    const plan::OutputSettings& s = c.m.settings();
    const bool v4 = c.family == net::Family::V4;
    j.beginObject(Layout::Indented);
    j.key(v4 ? "Dhcp4" : "Dhcp6");
    j.beginObject(Layout::Indented);
    j.key("interfaces-config");
    j.beginObject(Layout::Indented);
    j.key("interfaces");
    j.beginArray();
    j.string(s.interface.empty() ? "*" : s.interface);
    j.end();
    j.end();
    j.key("lease-database");
    j.beginObject(Layout::Indented);
    j.key("type");
    j.rawString("memfile");
    j.key("persist");
    j.boolean(true);
    if (!s.leaseFile.empty()) {
        j.key("name");
        j.string(leaseFileOf(s.leaseFile, c.family));
    }
    j.key("lfc-interval");  // the file is compacted hourly, as Kea's own examples do
    j.number(3600);
    j.end();
    if (!v4) {
        j.key("preferred-lifetime");
        j.number(s.preferredLifetime);
    }
    j.key("valid-lifetime");
    j.number(s.validLifetime);
    j.key(v4 ? "subnet4" : "subnet6");
    writeSubnets(j, c);
    j.end();
    j.end();
}

}  // namespace

Written writeKea(const Prepared& m, net::Family family, KeaForm form)
{
    if (const textio::Problems& p = m.problems(family == net::Family::V4 ? Output::Kea4 : Output::Kea6); !p.empty())
        return p;
    Context c{m, family, m.dhcpBlocks(family), {}};
    for (const net::Address& a : m.settings().dnsServers)
        if (a.family == family)
            c.dnsServers += (c.dnsServers.empty() ? "" : ", ") + net::format(a);

    const bool v4 = family == net::Family::V4;
    OutputFile file;
    Writer j(file.text);
    if (form == KeaForm::Whole) {
        file.name = v4 ? "kea-dhcp4.conf" : "kea-dhcp6.conf";
        writeWhole(j, c);
    } else {
        file.name = v4 ? "subnet4.json" : "subnet6.json";
        writeSubnets(j, c);
    }
    file.text += '\n';
    return std::vector<OutputFile>{std::move(file)};
}

}  // namespace mq::deploy
