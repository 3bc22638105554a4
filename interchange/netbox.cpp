#include "interchange/netbox.h"

#include "interchange/fields.h"
#include "interchange/table.h"
#include "plan/fields.h"
#include "plan/plan.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::interchange {

using textio::trimBlanks;

namespace {

// A root is written as a container even when it is a free leaf; a free leaf (written only
// when free space is asked for) is reserved, kept for later use.
const char* statusText(const FlatBlock& b)
{
    if (b.container || (b.freeLeaf() && b.root))
        return "container";
    if (b.state == plan::BlockState::Assigned)
        return "active";
    if (b.state == plan::BlockState::Reserved && b.ipam.status == "deprecated")
        return "deprecated";
    return "reserved";
}

// NetBox's status into the block: container, active, reserved, or deprecated (reserved here,
// the IPAM's status kept). False when the text is none of these.
bool readStatus(std::string_view text, FlatBlock& b)
{
    const std::string s = textio::lowerCase(trimBlanks(text));
    if (s == "container") {
        b.container = true;
        b.state = plan::BlockState::Free;
        b.ipam.status = s;
    } else if (s == "active") {
        b.state = plan::BlockState::Assigned;
    } else if (s == "reserved" || s == "deprecated") {
        b.state = plan::BlockState::Reserved;
        if (s == "deprecated")
            b.ipam.status = s;
    } else {
        return false;
    }
    return true;
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

WriteResult writeNetboxCsv(const std::vector<FlatBlock>& blocks, const plan::IpamValues& values,
                           const ExportOptions& options)
{
    WriteResult r;
    std::string tags;
    for (const std::string& t : values.tags) {
        // NetBox's import form looks tags up by slug: a name fails the whole import.
        if (auto why = plan::checkSlug(t); !why.empty()) {
            r.error = "the tag " + textio::quoted(t) + " " + why;
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
    for (const FlatBlock& b : blocks) {
        if (b.freeLeaf() ? !(options.includeFree || b.root) : !handedToIpam(b))
            continue;
        const std::string prefix = net::formatNetwork(b.prefix), vlan = b.vlan ? std::to_string(*b.vlan) : "";
        vlans = vlans || b.vlan;
        std::vector<std::string_view> row = {prefix,
                                             statusText(b),
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
        r.notices.push_back(textio::lineProblem(
            0, "VLANs are written by their ID alone, which NetBox refuses where two VLAN groups hold "
               "the ID: give the VLAN group or site"));
    return r;
}

namespace {

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

// The columns of NetBox's prefix import, in the order of Column.
enum Column : std::size_t {
    Prefix,
    Status,
    Description,
    Vlan,
    Comments,
    Tenant,
    Role,
    Vrf,
    Tags,
    Pool,
    VlanGroup,
    VlanSite
};
constexpr TableColumn kColumns[] = {{"prefix"},   {"status"},          {"description"}, {"vlan"},
                                    {"comments"}, {"tenant"},          {"role"},        {"vrf"},
                                    {"tags"},     {"is_pool", "pool"}, {"vlan_group"},  {"vlan_site"}};

// The description as the name, the comments as the note; a description too long for a
// name is kept whole at the head of the note.
void readTexts(const TableRow& row, const std::string& item, FlatBlock& b)
{
    bool cut = false;
    b.name = asName(row.field(Description), &cut);
    b.note = withLf(row.field(Comments));
    if (cut) {
        row.notice(item + ": the description is longer than a name may be; the whole text is kept in the note");
        b.note = b.note.empty() ? withLf(row.field(Description)) : withLf(row.field(Description)) + "\n" + b.note;
    }
}

// The VLAN ID, written alone or as NetBox's own export names a VLAN: "Staff (110)".
void readVlan(const TableRow& row, const std::string& item, FlatBlock& b)
{
    std::string_view vlan = trimBlanks(row.field(Vlan));
    if (vlan.ends_with(')') && vlan.rfind('(') != std::string_view::npos)
        vlan = vlan.substr(vlan.rfind('(') + 1, vlan.size() - vlan.rfind('(') - 2);
    if (const auto v = plan::parseVlan(vlan); !v)
        row.notice(item + ": " + textio::describe(v.problem()) + "; left out");
    else if (*v > 0)
        b.vlan = *v;
}

// The plan-wide values of the first row that has them: VLAN group, site, and the tags that
// are slugs.
void readPlanValues(const TableRow& row, const std::string& item, plan::IpamValues& values)
{
    if (values.vlanGroup.empty())
        values.vlanGroup = trimBlanks(row.field(VlanGroup));
    if (values.site.empty())
        values.site = trimBlanks(row.field(VlanSite));
    if (!values.tags.empty())
        return;
    for (std::string& tag : splitTags(row.field(Tags))) {
        if (auto why = plan::checkSlug(tag); !why.empty()) {
            row.notice(item + ": the tag " + textio::quoted(tag) + " " + why + "; left out");
            continue;
        }
        values.tags.push_back(std::move(tag));
    }
}

std::optional<FlatBlock> readRow(const TableRow& row, plan::IpamValues& values)
{
    FlatBlock b;
    bool cleared = false;
    if (std::string why = parsePrefixField(row.field(Prefix), b.prefix, &cleared); !why.empty()) {
        row.notice(textio::quoted(row.field(Prefix)) + ": " + why + "; the row is left out");
        return std::nullopt;
    }
    const std::string item = net::formatNetwork(b.prefix);
    if (cleared)
        row.notice(textio::quoted(row.field(Prefix)) + ": host bits cleared, read as " + item);
    if (!trimBlanks(row.field(Status)).empty() && !readStatus(row.field(Status), b))
        row.notice(item + ": status " + textio::quoted(row.field(Status)) +
                   " is not container, active, reserved or deprecated; read as active");
    readTexts(row, item, b);
    readVlan(row, item, b);
    b.ipam.tenant = trimBlanks(row.field(Tenant));
    b.ipam.role = trimBlanks(row.field(Role));
    b.ipam.vrf = trimBlanks(row.field(Vrf));
    // NetBox's prefix list shows "Global" for a prefix in no VRF, and exports it so.
    if (b.ipam.vrf == "Global")
        b.ipam.vrf.clear();
    if (auto pool = parseBool(row.field(Pool)))
        b.ipam.pool = *pool;
    else
        row.notice(item + ": is_pool " + textio::quoted(row.field(Pool)) + " is not true or false; read as false");
    readPlanValues(row, item, values);
    return b;
}

}  // namespace

ReadResult readNetboxCsv(std::string_view text)
{
    const char separator = csvDelimiterOf(text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text);
    return readNetboxTable(csvRecords(text, separator));
}

ReadResult readNetboxTable(const RecordSource& source)
{
    return readTable(source, kColumns, "prefix", readRow);
}

}  // namespace mq::interchange
