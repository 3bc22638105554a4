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
    return {plan.ipamValues(), plan.settings().cloud};
}

void keepValues(plan::Plan& plan, const PlanValues& values)
{
    plan::IpamValues v = plan.ipamValues();
    for (auto field : {&plan::IpamValues::tenant, &plan::IpamValues::role, &plan::IpamValues::vrf,
                       &plan::IpamValues::section, &plan::IpamValues::domain, &plan::IpamValues::customer,
                       &plan::IpamValues::vlanGroup, &plan::IpamValues::site})
        if (!(values.ipam.*field).empty())
            v.*field = values.ipam.*field;
    if (!values.ipam.tags.empty())
        v.tags = values.ipam.tags;
    plan.setIpamValues(std::move(v));
    if (values.cloud != plan::CloudMode::None) {
        plan::Settings s = plan.settings();
        s.cloud = values.cloud;
        plan.setSettings(s);
    }
}

std::vector<plan::ImportItem> importItemsOf(const std::vector<FlatBlock>& blocks)
{
    std::vector<plan::ImportItem> out;
    out.reserve(blocks.size());
    for (const FlatBlock& b : blocks) {
        plan::ImportItem i;
        i.prefix = b.prefix;
        i.name = b.name;
        i.note = b.note;
        i.colour = b.colour;
        i.line = b.line;
        i.ipam = b.ipam;
        i.container = b.container;
        i.state = b.container ? plan::BlockState::Free : b.state;
        if (i.state != plan::BlockState::Free)
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
    case Format::Netbox: return writeNetboxCsv(blocksOf(plan), values.ipam, options);
    case Format::Phpipam: return writePhpipamCsv(blocksOf(plan), values.ipam, options);
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
            r.notices.push_back(textio::lineProblem(0, net::formatNetwork(plan.block(other).prefix) +
                                                           " is left out: visualsubnetcalc holds one IPv4 root, " +
                                                           net::formatNetwork(plan.block(root).prefix)));
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
            parent.container = true;
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
    out.values.ipam = std::move(r.values);
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

ImportRead readTableForImport(Format format, const RecordSource& source)
{
    if (format != Format::List && format != Format::Netbox && format != Format::Phpipam) {
        ImportRead out;
        out.error = "a workbook holds a list, NetBox or phpIPAM table; visualsubnetcalc is read from its JSON or link";
        return out;
    }
    return importOf(format == Format::Netbox    ? readNetboxTable(source)
                    : format == Format::Phpipam ? readPhpipamTable(source)
                                                : readPrefixTable(source),
                    format);
}

ImportReport reportImport(const ImportRead& read, const plan::ImportCheck& check)
{
    ImportReport out;
    out.notes = read.notices;
    for (const auto& r : check.refused)
        out.notes.push_back(textio::lineProblem(r.line, net::formatNetwork(read.items[r.item].prefix) + ": " +
                                                            r.message + "; not placed"));
    std::stable_sort(out.notes.begin(), out.notes.end(),
                     [](const textio::Problem& x, const textio::Problem& y) { return x.line < y.line; });
    std::set<std::size_t> placed;
    for (std::size_t i : check.accepted)
        placed.insert(read.items[i].line);
    for (const auto& r : check.refused)
        if (r.line)
            out.notPlaced.insert(r.line);
    for (const auto& n : read.notices)
        if (n.line)
            (placed.count(n.line) ? out.changed : out.notPlaced).insert(n.line);
    return out;
}

}  // namespace mq::interchange
