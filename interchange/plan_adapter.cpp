#include "interchange/plan_adapter.h"

#include <algorithm>

#include "interchange/netbox.h"
#include "interchange/phpipam.h"
#include "interchange/prefix_list.h"
#include "interchange/vsc.h"
#include "plan/csv.h"

namespace mq::interchange {

PlanValues valuesOf(const plan::Plan& plan)
{
    const plan::IpamValues& v = plan.ipamValues();
    PlanValues out;
    out.tenant = v.tenant;
    out.role = v.role;
    out.vrf = v.vrf;
    out.tags = v.tags;
    out.section = v.section;
    out.domain = v.domain;
    out.customer = v.customer;
    out.vlanGroup = v.vlanGroup;
    out.site = v.site;
    out.cloud = plan.settings().cloud;
    return out;
}

void keepValues(plan::Plan& plan, const PlanValues& values)
{
    plan::IpamValues v = plan.ipamValues();
    auto take = [](std::string& to, const std::string& from) {
        if (!from.empty())
            to = from;
    };
    take(v.tenant, values.tenant);
    take(v.role, values.role);
    take(v.vrf, values.vrf);
    take(v.section, values.section);
    take(v.domain, values.domain);
    take(v.customer, values.customer);
    take(v.vlanGroup, values.vlanGroup);
    take(v.site, values.site);
    if (!values.tags.empty())
        v.tags = values.tags;
    plan.setIpamValues(std::move(v));
    if (values.cloud != plan::CloudMode::None) {
        plan::Settings s = plan.settings();
        s.cloud = values.cloud;
        plan.setSettings(s);
    }
}

std::vector<plan::ImportItem> importItemsOf(const std::vector<ExportBlock>& blocks)
{
    std::vector<plan::ImportItem> out;
    out.reserve(blocks.size());
    for (const ExportBlock& b : blocks) {
        plan::ImportItem i;
        i.prefix = b.prefix;
        i.name = b.name;
        i.note = b.note;
        i.colour = b.colour;
        i.line = b.line;
        i.ipam = b.ipam;
        switch (b.status) {
        case Status::Container: i.state = plan::ImportState::Split; break;
        case Status::Active: i.state = plan::ImportState::Assigned; break;
        case Status::Reserved:
        case Status::Deprecated: i.state = plan::ImportState::Reserved; break;
        case Status::Free: i.state = plan::ImportState::Free; break;
        }
        if (i.state == plan::ImportState::Assigned || i.state == plan::ImportState::Reserved)
            i.vlan = b.vlan.value_or(0);
        out.push_back(std::move(i));
    }
    return out;
}

std::optional<Format> parseFormat(std::string_view key)
{
    constexpr std::pair<std::string_view, Format> kKeys[] = {
        {"netbox", Format::Netbox},    {"phpipam", Format::Phpipam}, {"vsc-json", Format::VscJson},
        {"vsc-link", Format::VscLink}, {"list", Format::List},       {"csv", Format::Csv}};
    for (const auto& [k, f] : kKeys)
        if (k == key)
            return f;
    return std::nullopt;
}

WriteResult exportPlan(const plan::Plan& plan, Format format, const PlanValues& values, const ExportOptions& options)
{
    switch (format) {
    case Format::Netbox: return writeNetboxCsv(blocksOf(plan), values, options);
    case Format::Phpipam: return writePhpipamCsv(blocksOf(plan), values, options);
    case Format::Csv: return WriteResult{plan::leavesCsv(plan), {}, {}};
    case Format::List: return WriteResult{{}, {}, "a list is read, not written: choose another format"};
    case Format::VscJson:
    case Format::VscLink: break;
    }
    const plan::BlockId root = plan.rootOf(net::Family::V4);
    if (root == plan::kNoBlock)
        return WriteResult{{}, {}, "visualsubnetcalc holds IPv4 plans only, and this plan has no IPv4 root"};
    const auto blocks = blocksOf(plan, root);
    WriteResult r = format == Format::VscJson ? writeVscJson(blocks, values.cloud) : writeVscLink(blocks, values.cloud);
    for (plan::BlockId other : plan.roots())
        if (other != root)
            r.notices.push_back({0, net::formatNetwork(plan.block(other).prefix) +
                                        " is left out: visualsubnetcalc holds one IPv4 root, " +
                                        net::formatNetwork(plan.block(root).prefix)});
    return r;
}

namespace {

// An IPAM nests its prefixes: one that holds others of the file is their parent, kept as a
// split block with its name and note rather than refused as an overlap. Equal prefixes stay
// a clash. O(n log n): in address order, the larger first, with a stack of open parents.
void markParents(std::vector<plan::ImportItem>& items)
{
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return items[a].prefix < items[b].prefix; });
    std::vector<std::size_t> open;
    for (std::size_t i : order) {
        const net::Prefix& p = items[i].prefix;
        while (!open.empty() &&
               !(items[open.back()].prefix.address.family == p.address.family && items[open.back()].prefix.contains(p)))
            open.pop_back();
        if (!open.empty() && items[open.back()].prefix.length < p.length) {
            plan::ImportItem& parent = items[open.back()];
            parent.state = plan::ImportState::Split;
            parent.vlan = 0;
            parent.ipam.status = "container";  // read from the file: written back though it may carry no name
        }
        open.push_back(i);
    }
}

ImportRead importOf(ReadResult r, Format format)
{
    ImportRead out;
    out.items = importItemsOf(r.blocks);
    if (format != Format::List)
        markParents(out.items);
    out.values = std::move(r.values);
    out.notices = std::move(r.notices);
    out.error = std::move(r.error);
    return out;
}

}  // namespace

ImportRead readForImport(Format format, std::string_view text)
{
    ImportRead out;
    if (format == Format::VscJson || format == Format::VscLink) {
        VscRead r = format == Format::VscJson ? readVscJson(text) : readVscLink(text);
        if (!r.tree) {
            out.error = std::move(r.error);
            return out;
        }
        out.items = importItemsOf(r.tree->blocks);
        out.values.cloud = r.tree->mode;
        out.notices = std::move(r.tree->notices);
        return out;
    }
    if (format == Format::Csv) {
        out.error = "the plan's CSV is written, not read: import a list, NetBox or phpIPAM CSV, or visualsubnetcalc";
        return out;
    }
    return importOf(format == Format::Netbox    ? readNetboxCsv(text)
                    : format == Format::Phpipam ? readPhpipamCsv(text)
                                                : readPrefixList(text),
                    format);
}

ImportRead readListForImport(std::FILE* in)
{
    return importOf(readPrefixList(in), Format::List);
}

}  // namespace mq::interchange
