// The plan's subnets and hosts in the formats of our own: the per-subnet CSV, the hosts CSV
// and /etc/hosts (the IPAM files are hosts_ipam_out.cpp's).
#include "interchange/hosts_io.h"
#include "interchange/hosts_shared.h"

#include "net/facts.h"
#include "net/mac.h"
#include "plan/csv.h"

namespace mq::interchange {

namespace {

constexpr struct {
    HostExport what;
    const char* key;
} kExports[] = {{HostExport::Subnets, "subnets"},
                {HostExport::Hosts, "hosts"},
                {HostExport::NetboxAddresses, "netbox-ip"},
                {HostExport::NetboxRanges, "netbox-ranges"},
                {HostExport::PhpipamAddresses, "phpipam-ip"},
                {HostExport::EtcHosts, "etc-hosts"}};

std::string addressText(const std::optional<net::Address>& a)
{
    return a ? net::format(*a) : std::string();
}

std::string countText(const net::Count& c)
{
    return net::toDecimal(c);
}

std::string subnetsCsv(const plan::Plan& plan, textio::CsvReader reader)
{
    std::string out;
    textio::appendCsvRow(out, kSubnetColumns, "\r\n");
    const plan::HostIndex index(plan);
    for (plan::BlockId id : assignedLeaves(plan))
        textio::appendCsvRow(out, subnetCells(plan, id, index), "\r\n", reader);
    return out;
}

std::string hostsCsv(const plan::Plan& plan, textio::CsvReader reader)
{
    std::string out;
    textio::appendCsvRow(out, kHostColumns, "\r\n");
    for (const plan::Host& h : plan.hosts())
        textio::appendCsvRow(out, hostCells(plan, h), "\r\n", reader);
    return out;
}

std::string etcHosts(const plan::Plan& plan)
{
    std::string out = "# Hosts of the network plan, written by Maskquill\n";
    for (const plan::Host& h : plan.hosts())
        for (const auto& a : {h.v4, h.v6})
            if (a)
                out += net::format(*a) + "\t" + h.name + "\n";
    return out;
}

}  // namespace

std::vector<std::string> subnetCells(const plan::Plan& plan, plan::BlockId id, const plan::HostIndex& index)
{
    const plan::Block& b = plan.block(id);
    const plan::ResolvedLayout r = plan::resolveLayout(plan, id);
    const plan::SubnetCounts counts = plan::countSubnet(plan, id, index);
    const net::Family f = b.prefix.address.family;
    const net::u128 mask = net::maskOf(f, b.prefix.length);
    const net::u128 all = net::maskOf(f, net::familyBits(f));
    const net::Hosts h = net::hostsOf(b.prefix);
    return {b.name,
            b.vlan ? std::to_string(b.vlan) : "",
            net::formatNetwork(b.prefix),
            net::format({mask, f}),
            net::format({all & ~mask, f}),
            net::format(b.prefix.network()),
            addressText(r.gateway),
            addressText(r.firstUsable),
            addressText(r.lastUsable),
            addressText(h.broadcast),
            rangesText(r.ranges),
            rangesText(r.kept),
            std::to_string(counts.statics),
            countText(counts.usable),
            countText(counts.free)};
}

std::vector<std::string> hostCells(const plan::Plan& plan, const plan::Host& h)
{
    std::string blocks, segment;
    for (net::Family f : {net::Family::V4, net::Family::V6}) {
        const plan::BlockId id = plan::hostBlock(plan, h, f);
        if (id == plan::kNoBlock)
            continue;
        blocks += (blocks.empty() ? "" : " ") + net::formatNetwork(plan.block(id).prefix);
        if (segment.empty())
            segment = plan.block(id).name;
    }
    return {h.name,
            addressText(h.v4),
            addressText(h.v6),
            h.mac ? net::formatMac(*h.mac) : "",
            h.duid.empty() ? "" : net::formatDuid(h.duid),
            plan::roleName(h.role),
            h.note,
            blocks,
            segment};
}

std::optional<HostExport> parseHostExport(std::string_view key)
{
    for (const auto& e : kExports)
        if (key == e.key)
            return e.what;
    return std::nullopt;
}

const char* hostExportKey(HostExport what)
{
    for (const auto& e : kExports)
        if (e.what == what)
            return e.key;
    return "";
}

std::vector<plan::BlockId> assignedLeaves(const plan::Plan& plan)
{
    std::vector<plan::BlockId> out;
    for (plan::BlockId id : plan.leaves())
        if (plan.block(id).state != plan::BlockState::Free)
            out.push_back(id);
    return out;
}

std::string rangesText(const std::vector<plan::AddressRange>& ranges)
{
    std::string out;
    for (const plan::AddressRange& r : ranges)
        out += (out.empty() ? "" : " ") + net::format(r.first) + "-" + net::format(r.last);
    return out;
}

WriteResult exportHosts(const plan::Plan& plan, HostExport what, const plan::IpamValues& values,
                        textio::CsvReader reader)
{
    WriteResult r;
    switch (what) {
    case HostExport::Subnets: r.text = subnetsCsv(plan, reader); break;
    case HostExport::Hosts: r.text = hostsCsv(plan, reader); break;
    case HostExport::EtcHosts: r.text = etcHosts(plan); break;
    case HostExport::NetboxAddresses: return netboxAddressesCsv(plan, values);
    case HostExport::NetboxRanges: return netboxRangesCsv(plan, values);
    case HostExport::PhpipamAddresses: return phpipamAddressesCsv(plan, values);
    }
    return r;
}

std::vector<std::string> hostFormulaWarnings(const plan::Plan& plan)
{
    std::vector<std::string> out;
    for (const plan::Host& h : plan.hosts())
        if (textio::readsAsFormula(h.note))
            out.push_back(plan::formulaWarning("host " + h.name, "note", h.note));
    return out;
}

}  // namespace mq::interchange
