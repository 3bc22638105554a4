#include "interchange/phpipam.h"

#include <algorithm>

#include "interchange/fields.h"
#include "net/parse.h"
#include "textio/csv.h"
#include "textio/fields.h"
#include "textio/utf8.h"

namespace mq::interchange {

using textio::csvColumn;
using textio::CsvRecord;
using textio::CsvTable;
using textio::readCsv;
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

WriteResult writePhpipamCsv(const std::vector<ExportBlock>& blocks, const PlanValues& values,
                            const ExportOptions& options)
{
    WriteResult r;
    if (trimBlanks(values.section).empty()) {
        r.error = "phpIPAM's import needs the name of a section: set the plan's section";
        return r;
    }
    if (!onlyOf(values.domain, "-_ ")) {
        r.error = "the VLAN domain " + quotedItem(values.domain) +
                  " fails every row of phpIPAM's import: it takes letters, digits, -, _ and blanks";
        return r;
    }
    std::string out = "Section,Subnet,Mask,Description,VLAN,Domain,VRF\r\n";
    if (!values.customer.empty())
        r.notices.push_back({0, "the customer " + quotedItem(values.customer) +
                                    " is not written: phpIPAM's subnet import does not read a Customer column"});
    std::size_t line = 1;
    for (const ExportBlock& b : blocks) {
        if (b.status == Status::Free ? !(options.includeFree || b.root) : !handedToIpam(b))
            continue;
        ++line;
        const std::string item = net::formatNetwork(b.prefix);
        const std::string& vrf = b.ipam.vrf.empty() ? values.vrf : b.ipam.vrf;
        if (!onlyOf(vrf, "-_")) {
            r = {};
            r.error = "the VRF " + quotedItem(vrf) + (b.ipam.vrf.empty() ? "" : " of " + item) +
                      " fails every row of phpIPAM's import: it takes letters, digits, - and _";
            return r;
        }
        const std::string description = oneLine(b.name.empty() ? b.note : b.name);
        if (description.find_first_of(";'\"") != std::string::npos)
            r.notices.push_back(
                {line, item + ": phpIPAM refuses a description holding ; ' or \" (" + quotedItem(description) + ")"});
        else if (const std::string bad = refusedInDescription(description); !bad.empty())
            r.notices.push_back(
                {line, item + ": phpIPAM refuses this description: its import makes an HTML entity of " +
                           quotedItem(bad) + " and refuses the entity's ; (" + quotedItem(description) + ")"});
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

}  // namespace

ReadResult readPhpipamCsv(std::string_view text)
{
    ReadResult r;
    std::string_view first = text.substr(0, text.find('\n'));
    const char separator =
        first.find(',') == std::string_view::npos && first.find(';') != std::string_view::npos ? ';' : ',';
    CsvTable table = readCsv(text, separator);
    if (!table.error.empty()) {
        r.error = table.error;
        return r;
    }
    if (table.records.empty()) {
        r.error = "the file is empty: a header line with a \"Subnet\" column is expected";
        return r;
    }
    const CsvRecord& header = table.records.front();
    const std::size_t cSubnet = csvColumn(header, "subnet");
    if (cSubnet == std::string::npos) {
        r.error = "line " + std::to_string(header.line) + ": the header has no \"Subnet\" column";
        return r;
    }
    const std::size_t cSection = csvColumn(header, "section"), cMask = csvColumn(header, "mask"),
                      cDescription = csvColumn(header, "description"), cVlan = csvColumn(header, "vlan"),
                      cDomain = csvColumn(header, "domain") != std::string::npos ? csvColumn(header, "domain")
                                                                                 : csvColumn(header, "vlan domain"),
                      cVrf = csvColumn(header, "vrf"), cCustomer = csvColumn(header, "customer");
    for (std::size_t i = 1; i < table.records.size(); ++i) {
        const CsvRecord& rec = table.records[i];
        auto field = [&](std::size_t c) -> std::string_view {
            return c < rec.fields.size() ? trimBlanks(rec.fields[c]) : std::string_view();
        };
        auto notice = [&](std::string text) { r.notices.push_back({rec.line, std::move(text)}); };
        std::string subnet(field(cSubnet));
        if (subnet.find('/') == std::string::npos) {
            // The mask in its own column: as a length, or dotted.
            auto address = net::parseAddress(subnet);
            const net::Family family = std::holds_alternative<net::Address>(address)
                                           ? std::get<net::Address>(address).family
                                           : net::Family::V4;
            auto mask = parseMask(field(cMask), family);
            if (!mask) {
                notice(quotedItem(subnet) + ": no mask in the Subnet or Mask column (" + quotedItem(field(cMask)) +
                       "); the row is left out");
                continue;
            }
            subnet += "/" + std::to_string(*mask);
        }
        ExportBlock b;
        b.line = rec.line;
        b.status = Status::Active;
        bool cleared = false;
        if (std::string why = parsePrefixField(subnet, b.prefix, &cleared); !why.empty()) {
            notice(quotedItem(subnet) + ": " + why + "; the row is left out");
            continue;
        }
        const std::string item = net::formatNetwork(b.prefix);
        if (cleared)
            notice(quotedItem(subnet) + ": host bits cleared, read as " + item);
        bool cut = false;
        b.name = asName(field(cDescription), &cut);
        if (cut) {
            notice(item + ": the description is longer than a name may be; the whole text is kept in the note");
            b.note = std::string(field(cDescription));
        }
        std::string_view vlan = field(cVlan);
        // phpIPAM's import and export write no VLAN as na, n/a or nan, in any case.
        std::string lower;
        for (char c : vlan)
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower == "na" || lower == "n/a" || lower == "nan")
            vlan = {};
        bool badVlan = false;
        b.vlan = parseVlanField(vlan, &badVlan);
        if (badVlan)
            notice(item + ": VLAN " + quotedItem(vlan) + " is not a VLAN ID from 1 to 4094; left out");
        if (r.values.section.empty())
            r.values.section = field(cSection);
        if (r.values.domain.empty())
            r.values.domain = field(cDomain);
        b.ipam.vrf = field(cVrf);
        if (r.values.customer.empty())
            r.values.customer = field(cCustomer);
        r.blocks.push_back(std::move(b));
    }
    shareCommonValues(r);
    return r;
}

}  // namespace mq::interchange
