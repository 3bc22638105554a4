// The plan's addresses as NetBox's and phpIPAM's IP-address imports take them, and its DHCP
// ranges as NetBox's IP-range import does (how each carries our fields: hosts_io.h).
#include <set>

#include "interchange/fields.h"
#include "interchange/hosts_shared.h"
#include "net/mac.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::interchange {

namespace {

// One address a block holds, as the IPAM files write it: a host's, the gateway or a kept one.
struct AddressItem {
    net::Address address;
    const plan::Host* host = nullptr;  // nullptr: the gateway or a kept address
    bool gateway = false;
};

// Every address of the block, in address order of its kind: gateway, kept, then the hosts.
template <class Fn> void forEachAddress(const plan::Plan& plan, plan::BlockId id, const plan::HostIndex& index, Fn fn)
{
    const plan::ResolvedLayout r = plan::resolveLayout(plan, id);
    if (r.gateway)
        fn(AddressItem{*r.gateway, nullptr, true}, r);
    for (const plan::AddressRange& k : r.kept)
        for (net::u128 v = k.first.value;; ++v) {
            fn(AddressItem{{v, k.first.family}, nullptr, false}, r);
            if (v == k.last.value)
                break;
        }
    const net::Family f = plan.block(id).prefix.address.family;
    for (std::size_t i : index.of(id)) {
        const plan::Host& h = plan.hosts()[i];
        const auto& a = f == net::Family::V4 ? h.v4 : h.v6;
        if (a)
            fn(AddressItem{*a, &h, false}, r);
    }
}

// The block's own tenant, role or VRF, else the plan's.
const std::string& own(const plan::BlockIpam* ipam, std::string plan::BlockIpam::*value, const std::string& plans)
{
    return ipam && !(ipam->*value).empty() ? ipam->*value : plans;
}

// The plan's tags joined by commas, as the prefix export writes them; refused (error) when
// one is no slug.
std::string planTags(const plan::IpamValues& values, std::string& error)
{
    std::string tags;
    for (const std::string& t : values.tags) {
        if (auto why = plan::checkSlug(t); !why.empty()) {
            error = "the tag " + textio::quoted(t) + " " + why;
            return {};
        }
        tags += (tags.empty() ? "" : ",") + t;
    }
    return tags;
}

const char* netboxStatus(const AddressItem& item, const plan::ResolvedLayout& r)
{
    if (!item.host)
        return item.gateway ? "active" : "reserved";
    if (item.host->role == plan::HostRole::Reserved)
        return "reserved";
    // A fixed address handed out by the block's DHCP server: a reservation.
    if ((item.host->mac || !item.host->duid.empty()) && !r.ranges.empty())
        return "dhcp";
    return "active";
}

std::string netboxComments(const plan::Host& h)
{
    std::string out;
    if (h.mac)
        out += "MAC: " + net::formatMac(*h.mac);
    if (!h.duid.empty())
        out += (out.empty() ? "DUID: " : "\nDUID: ") + net::formatDuid(h.duid);
    return out;
}

}  // namespace

std::string roleTag(plan::HostRole role)
{
    return role == plan::HostRole::Other ? std::string() : std::string("role-") + plan::roleName(role);
}

std::optional<plan::HostRole> roleOfTag(std::string_view tag)
{
    if (!tag.starts_with("role-"))
        return std::nullopt;
    auto role = plan::parseRole(tag.substr(5));
    if (role && roleTag(*role) != tag)
        return std::nullopt;  // only the spelling we write
    return role;
}

WriteResult netboxAddressesCsv(const plan::Plan& plan, const plan::IpamValues& values)
{
    WriteResult w;
    const std::string tags = planTags(values, w.error);
    if (!w.error.empty())
        return w;
    std::string out = "address,status,role,dns_name,description,tenant,vrf,comments,tags\r\n";
    std::set<std::string> roleTags;
    const plan::HostIndex index(plan);
    for (plan::BlockId id : assignedLeaves(plan)) {
        const plan::BlockIpam* ipam = plan.blockIpam(id);
        const std::string& tenant = own(ipam, &plan::BlockIpam::tenant, values.tenant);
        const std::string& vrf = own(ipam, &plan::BlockIpam::vrf, values.vrf);
        const std::string length = "/" + std::to_string(plan.block(id).prefix.length);
        forEachAddress(plan, id, index, [&](const AddressItem& item, const plan::ResolvedLayout& r) {
            std::string rowTags = tags;
            if (item.host && item.host->role != plan::HostRole::Other) {
                roleTags.insert(roleTag(item.host->role));
                rowTags += (rowTags.empty() ? "" : ",") + roleTag(item.host->role);
            }
            const std::string description = item.host      ? item.host->note
                                            : item.gateway ? "gateway"
                                                           : "kept for network devices";
            textio::appendCsvRow(out,
                                 {net::format(item.address) + length, netboxStatus(item, r), "",
                                  item.host ? std::string_view(item.host->name) : "", description, tenant, vrf,
                                  item.host ? netboxComments(*item.host) : "", rowTags},
                                 "\r\n");
        });
    }
    if (!roleTags.empty()) {
        std::string names;
        for (const std::string& t : roleTags)
            names += (names.empty() ? "" : ", ") + t;
        w.notices.push_back(
            textio::lineProblem(0, "the hosts' roles are written as tags, which NetBox's import looks up by slug: "
                                   "create the tags " +
                                       names + " first"));
    }
    w.text = std::move(out);
    return w;
}

WriteResult netboxRangesCsv(const plan::Plan& plan, const plan::IpamValues& values)
{
    WriteResult w;
    const std::string tags = planTags(values, w.error);
    if (!w.error.empty())
        return w;
    std::string out = "start_address,end_address,status,role,description,tenant,vrf,mark_utilized,tags\r\n";
    for (plan::BlockId id : assignedLeaves(plan)) {
        const plan::Block& b = plan.block(id);
        const plan::BlockIpam* ipam = plan.blockIpam(id);
        const std::string length = "/" + std::to_string(b.prefix.length);
        const std::string description = b.name.empty() ? "DHCP" : "DHCP " + b.name;
        for (const plan::AddressRange& r : plan::resolveLayout(plan, id).ranges)
            textio::appendCsvRow(out,
                                 {net::format(r.first) + length, net::format(r.last) + length, "active",
                                  own(ipam, &plan::BlockIpam::role, values.role), oneLine(description),
                                  own(ipam, &plan::BlockIpam::tenant, values.tenant),
                                  own(ipam, &plan::BlockIpam::vrf, values.vrf), "true", tags},
                                 "\r\n");
    }
    w.text = std::move(out);
    return w;
}

namespace {

// phpIPAM's note: the role (when its other columns do not tell it) and the DUID as words.
std::string phpipamNote(const plan::Host& h)
{
    std::string out;
    if (h.role != plan::HostRole::Other && h.role != plan::HostRole::Reserved && h.role != plan::HostRole::Gateway)
        out = std::string("role=") + plan::roleName(h.role);
    if (!h.duid.empty())
        out += (out.empty() ? "duid=" : " duid=") + net::formatDuid(h.duid);
    return out;
}

}  // namespace

WriteResult phpipamAddressesCsv(const plan::Plan& plan, const plan::IpamValues& values)
{
    WriteResult w;
    if (textio::trimBlanks(values.section).empty()) {
        w.error = "phpIPAM's import needs the name of a section: set the plan's section";
        return w;
    }
    std::string out = "section,ip_addr,hostname,description,vrf,subnet,mac,owner,device,note,tag,is_gateway\r\n";
    const plan::HostIndex index(plan);
    std::size_t line = 1;
    for (plan::BlockId id : assignedLeaves(plan)) {
        const plan::BlockIpam* ipam = plan.blockIpam(id);
        const std::string& vrf = own(ipam, &plan::BlockIpam::vrf, values.vrf);
        const std::string subnet = net::formatNetwork(plan.block(id).prefix);
        forEachAddress(plan, id, index, [&](const AddressItem& item, const plan::ResolvedLayout&) {
            ++line;
            const plan::Host* h = item.host;
            const std::string description = h ? oneLine(h->note) : item.gateway ? "gateway" : "kept";
            if (description.find_first_of(";'\"") != std::string::npos)
                w.notices.push_back(textio::lineProblem(
                    line, net::format(item.address) + ": phpIPAM refuses a description holding ; ' or \" (" +
                              textio::quoted(description) + ")"));
            const bool reserved = h ? h->role == plan::HostRole::Reserved : !item.gateway;
            const bool gateway = h ? h->role == plan::HostRole::Gateway : item.gateway;
            textio::appendCsvRow(out,
                                 {oneLine(values.section), net::format(item.address), h ? h->name : "", description,
                                  vrf, subnet, h && h->mac ? net::formatMac(*h->mac) : "", "", "",
                                  h ? phpipamNote(*h) : "", reserved ? "Reserved" : "Used", gateway ? "1" : "0"},
                                 "\r\n");
        });
    }
    w.text = std::move(out);
    return w;
}

}  // namespace mq::interchange
