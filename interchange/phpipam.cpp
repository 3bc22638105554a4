#include "interchange/phpipam.h"

#include <algorithm>

#include "interchange/fields.h"
#include "interchange/table.h"
#include "net/parse.h"
#include "plan/fields.h"
#include "textio/csv.h"
#include "textio/escape.h"
#include "textio/fields.h"
#include "textio/utf8.h"

namespace mq::interchange {

using textio::trimBlanks;

namespace {

// Characters PHP's htmlentities (HTML 4.01 entities) turns into "&name;": phpIPAM's import
// passes each value through it before it refuses ; ' and " in a description.
bool becomesEntity(char32_t c)
{
    static constexpr std::pair<char32_t, char32_t> kRanges[] = {
        {0x00A0, 0x00FF}, {0x0152, 0x0153}, {0x0160, 0x0161}, {0x0178, 0x0178}, {0x0192, 0x0192}, {0x02C6, 0x02C6},
        {0x02DC, 0x02DC}, {0x0391, 0x03A1}, {0x03A3, 0x03A9}, {0x03B1, 0x03C9}, {0x03D1, 0x03D2}, {0x03D6, 0x03D6},
        {0x2002, 0x2003}, {0x2009, 0x2009}, {0x200C, 0x200F}, {0x2013, 0x2014}, {0x2018, 0x201A}, {0x201C, 0x201E},
        {0x2020, 0x2022}, {0x2026, 0x2026}, {0x2030, 0x2030}, {0x2032, 0x2033}, {0x2039, 0x203A}, {0x203E, 0x203E},
        {0x2044, 0x2044}, {0x20AC, 0x20AC}, {0x2111, 0x2111}, {0x2118, 0x2118}, {0x211C, 0x211C}, {0x2122, 0x2122},
        {0x2135, 0x2135}, {0x2190, 0x2194}, {0x21B5, 0x21B5}, {0x21D0, 0x21D4}, {0x2200, 0x2200}, {0x2202, 0x2203},
        {0x2205, 0x2205}, {0x2207, 0x2209}, {0x220B, 0x220B}, {0x220F, 0x220F}, {0x2211, 0x2212}, {0x2217, 0x2217},
        {0x221A, 0x221A}, {0x221D, 0x221E}, {0x2220, 0x2220}, {0x2227, 0x222B}, {0x2234, 0x2234}, {0x223C, 0x223C},
        {0x2245, 0x2245}, {0x2248, 0x2248}, {0x2260, 0x2261}, {0x2264, 0x2265}, {0x2282, 0x2284}, {0x2286, 0x2287},
        {0x2295, 0x2295}, {0x2297, 0x2297}, {0x22A5, 0x22A5}, {0x22C5, 0x22C5}, {0x2308, 0x230B}, {0x2329, 0x232A},
        {0x25CA, 0x25CA}, {0x2660, 0x2660}, {0x2663, 0x2663}, {0x2665, 0x2666}};
    if (c == '&' || c == '<' || c == '>')
        return true;
    for (const auto& [from, to] : kRanges)
        if (c >= from && c <= to)
            return true;
    return false;
}

// The first character of a description that phpIPAM's import refuses, directly (; ' ")
// or as the ; of the entity htmlentities makes of it; empty when there is none.
std::string refusedInDescription(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        // A plan's names and notes are UTF-8; a stray byte stands for itself.
        const std::size_t n = std::max<std::size_t>(textio::utf8SequenceAt(text, i), 1);
        const char32_t cp = textio::utf8CodePointAt(text, i, n);
        if (cp == ';' || cp == '\'' || cp == '"' || becomesEntity(cp))
            return std::string(text.substr(i, n));
        i += n;
    }
    return {};
}

// phpIPAM's import-subnets-check: a VRF of letters, digits, - and _ (anything else fails
// every row), a VLAN domain of letters, digits, -, _ and blanks.
bool onlyOf(std::string_view text, std::string_view extra)
{
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              extra.find(c) != std::string_view::npos))
            return false;
    return true;
}

}  // namespace

WriteResult writePhpipamCsv(const std::vector<FlatBlock>& blocks, const plan::IpamValues& values,
                            const ExportOptions& options)
{
    WriteResult r;
    if (trimBlanks(values.section).empty()) {
        r.error = "phpIPAM's import needs the name of a section: set the plan's section";
        return r;
    }
    if (!onlyOf(values.domain, "-_ ")) {
        r.error = "the VLAN domain " + textio::quoted(values.domain) +
                  " fails every row of phpIPAM's import: it takes letters, digits, -, _ and blanks";
        return r;
    }
    std::string out = "Section,Subnet,Mask,Description,VLAN,Domain,VRF\r\n";
    if (!values.customer.empty())
        r.notices.push_back(
            textio::lineProblem(0, "the customer " + textio::quoted(values.customer) +
                                       " is not written: phpIPAM's subnet import does not read a Customer column"));
    std::size_t line = 1;
    for (const FlatBlock& b : blocks) {
        if (b.freeLeaf() ? !(options.includeFree || b.root) : !handedToIpam(b))
            continue;
        ++line;
        const std::string item = net::formatNetwork(b.prefix);
        const std::string& vrf = b.ipam.vrf.empty() ? values.vrf : b.ipam.vrf;
        if (!onlyOf(vrf, "-_")) {
            r = {};
            r.error = "the VRF " + textio::quoted(vrf) + (b.ipam.vrf.empty() ? "" : " of " + item) +
                      " fails every row of phpIPAM's import: it takes letters, digits, - and _";
            return r;
        }
        const std::string description = oneLine(b.name.empty() ? b.note : b.name);
        if (description.find_first_of(";'\"") != std::string::npos)
            r.notices.push_back(textio::lineProblem(line, item + ": phpIPAM refuses a description holding ; ' or \" (" +
                                                              textio::quoted(description) + ")"));
        else if (const std::string bad = refusedInDescription(description); !bad.empty())
            r.notices.push_back(textio::lineProblem(
                line, item + ": phpIPAM refuses this description: its import makes an HTML entity of " +
                          textio::quoted(bad) + " and refuses the entity's ; (" + textio::quoted(description) + ")"));
        textio::appendCsvRow(out,
                             {oneLine(values.section), item, std::to_string(b.prefix.length), description,
                              b.vlan ? std::to_string(*b.vlan) : "", oneLine(values.domain), vrf},
                             "\r\n");
    }
    r.text = std::move(out);
    return r;
}

namespace {

// A mask column: a length ("24") or a dotted IPv4 mask ("255.255.255.0").
std::optional<int> parseMask(std::string_view text, net::Family family)
{
    text = trimBlanks(text);
    if (text.empty())
        return std::nullopt;
    if (text.find('.') == std::string_view::npos) {
        int v = 0;
        for (char c : text) {
            if (c < '0' || c > '9' || v > 128)
                return std::nullopt;
            v = v * 10 + (c - '0');
        }
        if (v > net::familyBits(family))
            return std::nullopt;
        return v;
    }
    if (family != net::Family::V4)
        return std::nullopt;
    auto parsed = net::parseInput(std::string("0.0.0.0 ") + std::string(text));
    if (auto* in = std::get_if<net::Input>(&parsed); in && in->kind == net::Input::Kind::Prefix)
        return in->prefix.length;
    return std::nullopt;
}

// The columns of phpIPAM's subnet import, in the order of Column ("VLAN Domain" is the
// domain in phpIPAM's own export).
enum Column : std::size_t { Subnet, Section, Mask, Description, Vlan, Domain, Vrf, Customer };
constexpr TableColumn kColumns[] = {
    {"subnet"}, {"section"}, {"mask"}, {"description"}, {"vlan"}, {"domain", "vlan domain"}, {"vrf"}, {"customer"}};

// The subnet as network/length: the mask may stand after '/', or in the Mask column as a
// length or dotted. Empty when neither has one (the notice given).
std::string subnetOf(const TableRow& row)
{
    std::string subnet(trimBlanks(row.field(Subnet)));
    if (subnet.find('/') != std::string::npos)
        return subnet;
    auto address = net::parseAddress(subnet);
    const net::Family family =
        std::holds_alternative<net::Address>(address) ? std::get<net::Address>(address).family : net::Family::V4;
    const std::string_view maskText = trimBlanks(row.field(Mask));
    auto mask = parseMask(maskText, family);
    if (!mask) {
        row.notice(textio::quoted(subnet) + ": no mask in the Subnet or Mask column (" + textio::quoted(maskText) +
                   "); the row is left out");
        return {};
    }
    return subnet + "/" + std::to_string(*mask);
}

// The VLAN ID; phpIPAM's import and export write no VLAN as na, n/a or nan, in any case.
void readVlan(const TableRow& row, const std::string& item, FlatBlock& b)
{
    std::string_view vlan = trimBlanks(row.field(Vlan));
    const std::string lower = textio::lowerCase(vlan);
    if (lower == "na" || lower == "n/a" || lower == "nan")
        vlan = {};
    if (const auto v = plan::parseVlan(vlan); !v)
        row.notice(item + ": " + textio::describe(v.problem()) + "; left out");
    else if (*v > 0)
        b.vlan = *v;
}

std::optional<FlatBlock> readRow(const TableRow& row, plan::IpamValues& values)
{
    auto field = [&](Column c) { return trimBlanks(row.field(c)); };
    const std::string subnet = subnetOf(row);
    if (subnet.empty())
        return std::nullopt;
    FlatBlock b;
    b.state = plan::BlockState::Assigned;
    bool cleared = false;
    if (std::string why = parsePrefixField(subnet, b.prefix, &cleared); !why.empty()) {
        row.notice(textio::quoted(subnet) + ": " + why + "; the row is left out");
        return std::nullopt;
    }
    const std::string item = net::formatNetwork(b.prefix);
    if (cleared)
        row.notice(textio::quoted(subnet) + ": host bits cleared, read as " + item);
    bool cut = false;
    b.name = asName(field(Description), &cut);
    if (cut) {
        row.notice(item + ": the description is longer than a name may be; the whole text is kept in the note");
        b.note = std::string(field(Description));
    }
    readVlan(row, item, b);
    if (values.section.empty())
        values.section = field(Section);
    if (values.domain.empty())
        values.domain = field(Domain);
    b.ipam.vrf = field(Vrf);
    if (values.customer.empty())
        values.customer = field(Customer);
    return b;
}

}  // namespace

ReadResult readPhpipamCsv(std::string_view text)
{
    std::string_view first = text.substr(0, text.find('\n'));
    const char separator =
        first.find(',') == std::string_view::npos && first.find(';') != std::string_view::npos ? ';' : ',';
    return readPhpipamTable(csvRecords(text, separator));
}

ReadResult readPhpipamTable(const RecordSource& source)
{
    return readTable(source, kColumns, "Subnet", readRow);
}

}  // namespace mq::interchange
