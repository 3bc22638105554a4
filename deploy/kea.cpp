#include "deploy/kea.h"

#include <map>

#include "net/mac.h"
#include "plan/subnet.h"
#include "textio/escape.h"
#include "textio/json.h"

namespace mq::deploy {

namespace {

using textio::json::Layout;
using textio::json::Writer;

// What a reservation names its client by. Kea matches DHCPv4 clients by hardware address
// first, and DHCPv6 ones by DUID (the identifier DHCPv6 itself is built on): a host with
// both is reserved by the one its family prefers.
enum class Id : std::uint8_t { None, Mac, Duid };

Id reservedBy(const plan::Host& h, net::Family f)
{
    if (f == net::Family::V4)
        return h.mac ? Id::Mac : !h.duid.empty() ? Id::Duid : Id::None;
    return !h.duid.empty() ? Id::Duid : h.mac ? Id::Mac : Id::None;
}

const std::optional<net::Address>& addressOf(const plan::Host& h, net::Family f)
{
    return f == net::Family::V4 ? h.v4 : h.v6;
}

struct Context {
    const plan::Plan& plan;
    net::Family family;
    const plan::DhcpIds& ids;
    plan::HostIndex index;
    std::vector<plan::BlockId> blocks;  // dhcpBlocks
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
    const std::string& domain = c.plan.outputSettings().domain;
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

void writeReservation(Writer& j, const Context& c, const plan::ResolvedLayout& l, const plan::Host& h)
{
    j.beginObject();
    if (reservedBy(h, c.family) == Id::Mac) {
        j.key("hw-address");
        j.string(net::formatMac(*h.mac));
    } else {
        j.key("duid");
        j.string(net::formatDuid(h.duid));
    }
    const net::Address& a = *addressOf(h, c.family);
    if (c.family == net::Family::V4) {
        j.key("ip-address");
        j.string(net::format(a));
    } else if (l.delegatedLength == 0) {
        j.key("ip-addresses");
        j.beginArray();
        j.string(net::format(a));
        j.end();
    } else {
        // A host inside a prefix-delegation block is a router given the prefix that holds
        // its address; the address itself then lies on the link behind it, not on this one.
        j.key("prefixes");
        j.beginArray();
        j.string(net::formatNetwork({a, l.delegatedLength}));
        j.end();
    }
    j.key("hostname");
    j.string(h.name);
    j.end();
}

void writeSubnet(Writer& j, const Context& c, plan::BlockId id, std::uint32_t keaId)
{
    const plan::ResolvedLayout l = plan::resolveLayout(c.plan, id);
    j.beginObject(Layout::Indented);
    j.key("id");
    j.number(keaId);
    j.key("subnet");
    j.string(net::formatNetwork(l.prefix));
    // A DHCPv6 client on the server's own link writes from its link-local address, so Kea
    // ties such a client to a subnet by the interface alone (relayed ones by the relay's
    // link address); DHCPv4 finds the subnet from the interface's own address instead.
    const std::string& iface = c.plan.outputSettings().interface;
    if (c.family == net::Family::V6 && !iface.empty()) {
        j.key("interface");
        j.string(iface);
    }
    writePools(j, c, l);
    writeOptions(j, c, l);
    bool any = false;
    for (std::size_t i : c.index.of(id)) {
        const plan::Host& h = c.plan.hosts()[i];
        if (reservedBy(h, c.family) == Id::None)
            continue;  // a static host: nothing to match it by
        if (!any) {
            j.key("reservations");
            j.beginArray(Layout::Indented);
            any = true;
        }
        writeReservation(j, c, l, h);
    }
    if (any)
        j.end();
    j.end();
}

void writeSubnets(Writer& j, const Context& c)
{
    j.beginArray(Layout::Indented);
    for (plan::BlockId id : c.blocks)
        writeSubnet(j, c, id, c.ids.at(c.plan.block(id).prefix));
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
    const plan::OutputSettings& s = c.plan.outputSettings();
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

// Kea reserves a delegated prefix to one client: two hosts of a prefix-delegation block whose
// addresses lie in one delegated prefix cannot both be given it.
void addPrefixFaults(const Context& c, std::vector<Fault>& faults)
{
    if (c.family != net::Family::V6)
        return;
    for (plan::BlockId id : c.blocks) {
        const plan::SubnetLayout* own = c.plan.subnetLayout(id);
        if (!own || own->delegatedLength == 0)
            continue;
        std::map<net::Prefix, std::size_t> given;
        for (std::size_t i : c.index.of(id)) {
            const plan::Host& h = c.plan.hosts()[i];
            if (reservedBy(h, c.family) == Id::None)
                continue;
            const net::Prefix d = net::Prefix{*h.v6, own->delegatedLength}.masked();
            if (const auto [at, fresh] = given.emplace(d, i); !fresh)
                faults.push_back({id, i,
                                  blockLabel(c.plan, id) + ": host " + textio::quoted(h.name) + ": the delegated prefix " +
                                      net::formatNetwork(d) + " that holds its address is host " +
                                      textio::quoted(c.plan.hosts()[at->second].name) + "'s already"});
        }
    }
}

}  // namespace

Written writeKea(const plan::Plan& plan, net::Family family, KeaForm form, const plan::DhcpIds& ids)
{
    std::vector<Fault> faults = checkForOutput(plan, family == net::Family::V4 ? Output::Kea4 : Output::Kea6);
    if (!faults.empty())
        return faults;
    Context c{plan, family, ids, plan::HostIndex(plan), dhcpBlocks(plan, family), {}};
    for (plan::BlockId id : c.blocks)
        if (!ids.contains(plan.block(id).prefix))
            faults.push_back({id, {}, blockLabel(plan, id) + ": has no Kea subnet ID"});
    addPrefixFaults(c, faults);
    if (!faults.empty())
        return faults;
    for (const net::Address& a : plan.outputSettings().dnsServers)
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
