#include "interchange/netbox.h"

#include "interchange/fields.h"
#include "plan/plan.h"
#include "textio/csv.h"
#include "textio/fields.h"

namespace mq::interchange {

using textio::csvColumn;
using textio::CsvRecord;
using textio::CsvTable;
using textio::readCsv;
using textio::trimBlanks;

namespace {

const char* statusText(Status s)
{
    switch (s) {
    case Status::Container: return "container";
    case Status::Active: return "active";
    case Status::Deprecated: return "deprecated";
    case Status::Reserved:
    case Status::Free: break;
    }
    return "reserved";
}

std::optional<Status> parseStatus(std::string_view text)
{
    const std::string s = textio::lowerCase(trimBlanks(text));
    if (s == "container")
        return Status::Container;
    if (s == "active")
        return Status::Active;
    if (s == "reserved")
        return Status::Reserved;
    if (s == "deprecated")
        return Status::Deprecated;
    return std::nullopt;
}

std::vector<std::string> splitTags(std::string_view text)
{
    std::vector<std::string> tags;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = text.find(',', from);
        const std::string_view tag =
            trimBlanks(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (!tag.empty())
            tags.emplace_back(tag);
        if (comma == std::string_view::npos)
            break;
        from = comma + 1;
    }
    return tags;
}

}  // namespace

WriteResult writeNetboxCsv(const std::vector<ExportBlock>& blocks, const PlanValues& values,
                           const ExportOptions& options)
{
    WriteResult r;
    std::string tags;
    for (const std::string& t : values.tags) {
        // NetBox's import form looks tags up by slug: a name fails the whole import.
        if (auto why = plan::checkSlug(t); !why.empty()) {
            r.error = "the tag " + quotedItem(t) + " " + why;
            return r;
        }
        if (!tags.empty())
            tags += ',';
        tags += t;
    }
    const bool vlanScope = !values.vlanGroup.empty() || !values.site.empty();
    std::string& out = r.text;
    out = "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags";
    out += vlanScope ? ",vlan_group,vlan_site\r\n" : "\r\n";
    auto own = [](const std::string& mine, const std::string& plans) -> const std::string& {
        return mine.empty() ? plans : mine;
    };
    bool vlans = false;
    for (const ExportBlock& b : blocks) {
        if (b.status == Status::Free ? !(options.includeFree || b.root) : !handedToIpam(b))
            continue;
        const Status status = b.status == Status::Free && b.root                              ? Status::Container
                              : b.status == Status::Reserved && b.ipam.status == "deprecated" ? Status::Deprecated
                                                                                              : b.status;
        const std::string prefix = net::formatNetwork(b.prefix), vlan = b.vlan ? std::to_string(*b.vlan) : "";
        vlans = vlans || b.vlan;
        std::vector<std::string_view> row = {prefix,
                                             statusText(status),
                                             b.name,
                                             vlan,
                                             own(b.ipam.tenant, values.tenant),
                                             own(b.ipam.role, values.role),
                                             own(b.ipam.vrf, values.vrf),
                                             b.ipam.pool ? "true" : "false",
                                             b.note,
                                             tags};
        if (vlanScope)
            row.insert(row.end(), {values.vlanGroup, values.site});
        textio::appendCsvRow(out, row, "\r\n");
    }
    // NetBox's PrefixImportForm finds a VLAN by its ID within vlan_group and vlan_site: an ID
    // alone fails where two groups hold it.
    if (vlans && !vlanScope)
        r.notices.push_back({0, "VLANs are written by their ID alone, which NetBox refuses where two VLAN groups hold "
                                "the ID: give the VLAN group or site"});
    return r;
}

namespace {

// The delimiter of NetBox's export (its user's csv_delimiter preference: comma, semicolon,
// pipe or tab), found in the header as NetBox's own import guesses it.
char delimiterOf(std::string_view text)
{
    const std::string_view first = text.substr(0, text.find('\n'));
    for (char c : {',', ';', '\t', '|'})
        if (first.find(c) != std::string_view::npos)
            return c;
    return ',';
}

// A comment as NetBox keeps it, with its line breaks (a browser sends CR LF) as LF.
std::string withLf(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            out += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n')
            out += '\n';
    }
    return out;
}

std::optional<bool> parseBool(std::string_view text)
{
    const std::string s = textio::lowerCase(trimBlanks(text));
    if (s == "true" || s == "yes" || s == "1" || s == "\xE2\x9C\x94")
        return true;  // NetBox's export shows a tick
    if (s.empty() || s == "false" || s == "no" || s == "0" || s == "\xE2\x9C\x98")
        return false;
    return std::nullopt;
}

}  // namespace

ReadResult readNetboxCsv(std::string_view text)
{
    ReadResult r;
    CsvTable table = readCsv(text, delimiterOf(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text));
    if (!table.error.empty()) {
        r.error = table.error;
        return r;
    }
    if (table.records.empty()) {
        r.error = "the file is empty: a header line with a \"prefix\" column is expected";
        return r;
    }
    const CsvRecord& header = table.records.front();
    const std::size_t cPrefix = csvColumn(header, "prefix");
    if (cPrefix == std::string::npos) {
        r.error = "line " + std::to_string(header.line) + ": the header has no \"prefix\" column";
        return r;
    }
    const std::size_t cStatus = csvColumn(header, "status"), cDescription = csvColumn(header, "description"),
                      cVlan = csvColumn(header, "vlan"), cComments = csvColumn(header, "comments"),
                      cTenant = csvColumn(header, "tenant"), cRole = csvColumn(header, "role"),
                      cVrf = csvColumn(header, "vrf"), cTags = csvColumn(header, "tags"),
                      cPool = csvColumn(header, "is_pool") != std::string::npos ? csvColumn(header, "is_pool")
                                                                                : csvColumn(header, "pool"),
                      cVlanGroup = csvColumn(header, "vlan_group"), cVlanSite = csvColumn(header, "vlan_site");
    for (std::size_t i = 1; i < table.records.size(); ++i) {
        const CsvRecord& rec = table.records[i];
        auto field = [&](std::size_t c) -> std::string_view {
            return c < rec.fields.size() ? std::string_view(rec.fields[c]) : std::string_view();
        };
        auto notice = [&](std::string text) { r.notices.push_back({rec.line, std::move(text)}); };
        ExportBlock b;
        b.line = rec.line;
        bool cleared = false;
        if (std::string why = parsePrefixField(field(cPrefix), b.prefix, &cleared); !why.empty()) {
            notice(quotedItem(field(cPrefix)) + ": " + why + "; the row is left out");
            continue;
        }
        const std::string item = net::formatNetwork(b.prefix);
        if (cleared)
            notice(quotedItem(field(cPrefix)) + ": host bits cleared, read as " + item);
        if (cStatus != std::string::npos && !trimBlanks(field(cStatus)).empty()) {
            if (auto s = parseStatus(field(cStatus))) {
                b.status = *s;
            } else {
                notice(item + ": status " + quotedItem(field(cStatus)) +
                       " is not container, active, reserved or deprecated; read as active");
            }
        }
        if (b.status == Status::Container)
            b.ipam.status = "container";
        if (b.status == Status::Deprecated)
            b.ipam.status = "deprecated";
        bool cut = false;
        b.name = asName(field(cDescription), &cut);
        b.note = withLf(field(cComments));
        if (cut) {
            notice(item + ": the description is longer than a name may be; the whole text is kept in the note");
            b.note = b.note.empty() ? withLf(field(cDescription)) : withLf(field(cDescription)) + "\n" + b.note;
        }
        // NetBox's own export names a VLAN as "Staff (110)": the ID is in the brackets.
        std::string_view vlan = trimBlanks(field(cVlan));
        if (vlan.ends_with(')') && vlan.rfind('(') != std::string_view::npos)
            vlan = vlan.substr(vlan.rfind('(') + 1, vlan.size() - vlan.rfind('(') - 2);
        bool badVlan = false;
        b.vlan = parseVlanField(vlan, &badVlan);
        if (badVlan)
            notice(item + ": VLAN " + quotedItem(field(cVlan)) + " is not a VLAN ID from 1 to 4094; left out");
        b.ipam.tenant = trimBlanks(field(cTenant));
        b.ipam.role = trimBlanks(field(cRole));
        b.ipam.vrf = trimBlanks(field(cVrf));
        // NetBox's prefix list shows "Global" for a prefix in no VRF, and exports it so.
        if (b.ipam.vrf == "Global")
            b.ipam.vrf.clear();
        if (auto pool = parseBool(field(cPool)))
            b.ipam.pool = *pool;
        else
            notice(item + ": is_pool " + quotedItem(field(cPool)) + " is not true or false; read as false");
        if (r.values.vlanGroup.empty())
            r.values.vlanGroup = trimBlanks(field(cVlanGroup));
        if (r.values.site.empty())
            r.values.site = trimBlanks(field(cVlanSite));
        if (r.values.tags.empty()) {
            for (std::string& tag : splitTags(field(cTags))) {
                if (auto why = plan::checkSlug(tag); !why.empty()) {
                    notice(item + ": the tag " + quotedItem(tag) + " " + why + "; left out");
                    continue;
                }
                r.values.tags.push_back(std::move(tag));
            }
        }
        r.blocks.push_back(std::move(b));
    }
    shareCommonValues(r);
    return r;
}

}  // namespace mq::interchange
