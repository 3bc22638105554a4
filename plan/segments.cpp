#include "plan/segments.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "plan/fields.h"
#include "textio/escape.h"
#include "textio/fields.h"
#include "textio/lines.h"

namespace mq::plan {

// The fields of one line (or the cells of one row), before they are read.
struct SegmentFields {
    std::vector<std::string_view> raw;  // as written between separators
    std::vector<std::string_view> trimmed;
    bool tabs = false;
};

namespace {

using Column = SegmentLines::Column;
using Fields = SegmentFields;

bool digits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// "1,000" or "12,345,678": digits in groups of three after the first, commas between.
bool groupedThousands(std::string_view s)
{
    const auto comma = s.find(',');
    if (comma == std::string_view::npos || comma == 0 || comma > 3 || !digits(s.substr(0, comma)))
        return false;
    for (std::size_t at = comma; at < s.size(); at += 4)
        if (s[at] != ',' || s.size() - at < 4 || !digits(s.substr(at + 1, 3)))
            return false;
    return (s.size() - comma) % 4 == 0;
}

// "2.5": a fraction, no thousands separator ("1.000" may be either, and is called one).
bool fraction(std::string_view s)
{
    const auto dot = s.find('.');
    return dot != std::string_view::npos && digits(s.substr(0, dot)) && digits(s.substr(dot + 1)) &&
           s.size() - dot - 1 != 3;
}

// "25", "12.5", "25%": a plain decimal, no sign or exponent.
std::optional<double> parseGrowth(std::string_view s)
{
    if (!s.empty() && s.back() == '%')
        s.remove_suffix(1);
    s = textio::trimBlanks(s);
    const auto dot = s.find('.');
    if (!digits(s.substr(0, dot)) || (dot != std::string_view::npos && !digits(s.substr(dot + 1))))
        return std::nullopt;
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size() || v > 1'000'000)
        return std::nullopt;
    return v;
}

std::optional<int> parseNumber(std::string_view s, int max)
{
    if (!digits(s) || s.size() > 6)
        return std::nullopt;
    const int v = std::stoi(std::string(s));
    return v <= max ? std::optional(v) : std::nullopt;
}

// "vlan 10", "vlan=10", "vlan:10" (any case); or a bare number where a header says so.
// The number is read as every VLAN is (parseVlan); without one the whole field is refused.
textio::Result<int> readVlan(std::string_view s, bool bare)
{
    std::string_view number = s;
    if (!bare && s.size() >= 5 && textio::lowerCase(s.substr(0, 4)) == "vlan") {
        number = textio::trimBlanks(s.substr(4));
        if (!number.empty() && (number.front() == '=' || number.front() == ':'))
            number = textio::trimBlanks(number.substr(1));
    }
    return parseVlan(number.empty() ? s : number);
}

bool looksLikeVlan(std::string_view s)
{
    return s.size() >= 4 && textio::lowerCase(s.substr(0, 4)) == "vlan";
}

std::optional<Column> columnNamed(std::string_view header)
{
    const std::string h = textio::lowerCase(header);
    if (h == "name" || h == "segment")
        return Column::Name;
    if (h == "hosts" || h == "host" || h == "host count")
        return Column::Hosts;
    if (h == "growth" || h == "growth%" || h == "growth %")
        return Column::Growth;
    if (h == "length" || h == "len" || h == "/len" || h == "prefix length" || h == "ipv4 length")
        return Column::Length;
    if (h == "length6" || h == "/len6" || h == "ipv6 length")
        return Column::Length6;
    if (h == "vlan" || h == "vlan id")
        return Column::Vlan;
    return std::nullopt;
}

Fields split(std::string_view line)
{
    Fields f;
    f.tabs = line.find('\t') != std::string_view::npos;
    const char sep = f.tabs ? '\t' : ',';
    for (std::size_t from = 0;;) {
        const std::size_t at = line.find(sep, from);
        f.raw.push_back(line.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        f.trimmed.push_back(textio::trimBlanks(f.raw.back()));
        if (at == std::string_view::npos)
            break;
        from = at + 1;
    }
    return f;
}

// A length field: "/28", or "28" where a header names the column.
std::string takeLength(std::string_view field, bool bare, std::vector<int>& lengths)
{
    std::string_view digitsPart = field;
    if (!field.empty() && field.front() == '/')
        digitsPart.remove_prefix(1);
    else if (!bare)
        return "";  // not a length
    const auto l = parseNumber(digitsPart, 128);
    if (!l)
        return "prefix length " + textio::quoted(field, textio::kQuotedChars) + " is not /0 to /128";
    if (lengths.size() == 2)
        return "more than two prefix lengths (one IPv4, one IPv6)";
    lengths.push_back(*l);
    return {};
}

// Lengths as the fields gave them: a lone one above 32 is IPv6's; of two, the IPv4 one
// is the first, unless only the first is above 32.
std::string assignLengths(const std::vector<int>& lengths, Segment& seg)
{
    if (lengths.size() == 1) {
        (lengths[0] > 32 ? seg.fixedLength6 : seg.fixedLength) = lengths[0];
    } else if (lengths.size() == 2) {
        if (lengths[0] > 32 && lengths[1] > 32)
            return "two IPv6 prefix lengths; give one IPv4 and one IPv6 length";
        const bool swap = lengths[0] > 32;
        seg.fixedLength = lengths[swap ? 1 : 0];
        seg.fixedLength6 = lengths[swap ? 0 : 1];
    }
    return {};
}

std::string lengthName(int l)
{
    return "/" + std::to_string(l);
}

std::string fieldsExpected()
{
    return "expected name, hosts[, growth%][, /len][, /len][, vlan N]";
}

// The segment of one line, built a field at a time.
struct SegmentBuilder {
    Segment seg;
    bool hasHosts = false;
    bool tabs = false;  // a tab-separated line: a cell holds one value, "1,000" included

    std::string name(std::string_view v)
    {
        if (v.empty())
            return "the name is empty";
        if (auto r = checkName(v); !r.empty())
            return "the name " + r;
        seg.name = std::string(v);
        return {};
    }

    std::string hosts(std::string_view v)
    {
        // A cell of a spreadsheet range holds one value: its thousands separators are just that.
        std::string plain(v);
        if (tabs && groupedThousands(v))
            std::erase(plain, ',');
        const auto hosts = digits(plain) ? net::parseDecimal(plain) : std::nullopt;
        if (!hosts) {
            if (!fraction(v) && v.find_first_of(",.' ") != std::string_view::npos &&
                std::any_of(v.begin(), v.end(), ::isdigit))
                return "hosts " + textio::quoted(v, textio::kQuotedChars) +
                       " has a separator: write the number without one (1000, not 1,000)";
            return "hosts " + textio::quoted(v, textio::kQuotedChars) + " is not a whole number from 0 to 2^128 - 1";
        }
        seg.hosts = *hosts;
        hasHosts = true;
        return {};
    }

    std::string growth(std::string_view v)
    {
        const auto g = parseGrowth(v);
        if (!g)
            return "growth " + textio::quoted(v, textio::kQuotedChars) + " is not a percentage from 0 to 1000000";
        seg.growthPercent = *g;
        return {};
    }

    std::string length(Column c, std::string_view v, bool bare)
    {
        std::vector<int> one;
        if (auto r = takeLength(v, bare, one); !r.empty() || one.empty())
            return r.empty() ? "prefix length " + textio::quoted(v, textio::kQuotedChars) + " is not /0 to /128" : r;
        (c == Column::Length ? seg.fixedLength : seg.fixedLength6) = one[0];
        return {};
    }

    std::string vlan(std::string_view v, bool bare)
    {
        const auto vlan = readVlan(v, bare);
        if (!vlan)
            return textio::describe(vlan.problem());
        seg.vlan = *vlan;
        return {};
    }

    // One field read as the column says; an empty growth, length or VLAN is left unset.
    std::string take(Column c, std::string_view v, bool bare)
    {
        if (v.empty() && c != Column::Name && c != Column::Hosts)
            return {};
        switch (c) {
        case Column::Name: return name(v);
        case Column::Hosts: return hosts(v);
        case Column::Growth: return growth(v);
        case Column::Length:
        case Column::Length6: return length(c, v, bare);
        case Column::Vlan: return vlan(v, bare);
        }
        return {};
    }
};

// "staff, 1,000": a thousands separator or a growth of 000 %? Refused, not guessed.
std::string ambiguousThousands(const Fields& f)
{
    const auto& t = f.trimmed;
    if (f.tabs || t.size() < 3 || !digits(t[1]) || t[1].size() > 3 || !digits(t[2]) || t[2].size() != 3 ||
        f.raw[1].empty() || f.raw[1].back() == ' ' || f.raw[2].empty() || f.raw[2].front() == ' ')
        return {};
    const std::string hosts(t[1]), growth(t[2]);
    return textio::quoted(hosts + "," + growth, textio::kQuotedChars) + " could be " + hosts + growth + " hosts or " +
           hosts + (hosts == "1" ? " host" : " hosts") + " with growth " + growth +
           " %: write hosts without a thousands separator, or growth with a % sign";
}

std::string readHeader(const std::vector<std::string_view>& names, std::vector<Column>& columns)
{
    for (std::string_view h : names) {
        const auto c = columnNamed(h);
        if (!c)
            return "column " + textio::quoted(h, textio::kQuotedChars) +
                   " of the header is not one of name, hosts, growth, length, length6, vlan";
        if (std::find(columns.begin(), columns.end(), *c) != columns.end())
            return "column " + textio::quoted(h, textio::kQuotedChars) + " is named twice";
        columns.push_back(*c);
    }
    return {};
}

// The fields in the columns a header named, each of them bare or not.
std::string readByHeader(const std::vector<Column>& columns, const std::vector<std::string_view>& fields,
                         SegmentBuilder& b)
{
    if (fields.size() > columns.size())
        return "has " + std::to_string(fields.size()) + " fields; the header names " + std::to_string(columns.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (auto r = b.take(columns[i], fields[i], true); !r.empty())
            return r;
    if (b.seg.name.empty())
        return "the name is empty";
    return {};
}

// name, hosts, then growth (third only), /len and vlan N told apart by their form.
std::string readInOrder(const Fields& f, std::optional<net::Family> only, SegmentBuilder& b)
{
    if (f.trimmed.size() < 2)
        return fieldsExpected();
    if (auto r = ambiguousThousands(f); !r.empty())
        return r;
    if (auto r = b.take(Column::Name, f.trimmed[0], false); !r.empty())
        return r;
    if (auto r = b.take(Column::Hosts, f.trimmed[1], false); !r.empty())
        return r;
    std::vector<int> lengths;
    for (std::size_t i = 2; i < f.trimmed.size(); ++i) {
        const std::string_view v = f.trimmed[i];
        std::string r;
        if (v.empty())
            continue;
        if (v.front() == '/')
            r = takeLength(v, false, lengths);
        else if (looksLikeVlan(v))
            r = b.take(Column::Vlan, v, false);
        else if (i == 2)
            r = b.take(Column::Growth, v, false);
        else
            r = "field " + std::to_string(i + 1) + " " + textio::quoted(v, textio::kQuotedChars) +
                " is not a /len or vlan N; " + fieldsExpected();
        if (!r.empty())
            return r;
    }
    if (auto r = assignLengths(lengths, b.seg); !r.empty())
        return r;
    // The only /len of a plan of IPv4 roots is an IPv4 one, however long: a /33 there is
    // a mistake to name, not an IPv6 length to pass over.
    if (only == net::Family::V4 && lengths.size() == 1 && lengths[0] > 32)
        return lengthName(lengths[0]) + " is not a prefix length of IPv4, the plan's only family";
    return {};
}

}  // namespace

net::Parsed<std::optional<Segment>> SegmentLines::read(std::string_view line)
{
    return readFields(split(line));
}

net::Parsed<std::optional<Segment>> SegmentLines::readCells(const std::vector<std::string>& cells)
{
    Fields f;
    f.tabs = true;  // a cell holds one value, as a cell of a pasted range does
    for (const std::string& cell : cells) {
        f.raw.push_back(cell);
        f.trimmed.push_back(textio::trimBlanks(cell));
    }
    return readFields(f);
}

net::Parsed<std::optional<Segment>> SegmentLines::readFields(const Fields& f)
{
    const bool first = std::exchange(first_, false);
    const auto refused = [](std::string reason) { return net::ParseError{0, std::move(reason)}; };
    if (first && f.trimmed.size() >= 2 && columnNamed(f.trimmed[0]) == Column::Name &&
        columnNamed(f.trimmed[1]) == Column::Hosts) {
        if (auto r = readHeader(f.trimmed, columns_); !r.empty())
            return refused(std::move(r));
        return std::nullopt;
    }
    SegmentBuilder b;
    b.tabs = f.tabs;
    if (auto r = columns_.empty() ? readInOrder(f, only_, b) : readByHeader(columns_, f.trimmed, b); !r.empty())
        return refused(std::move(r));
    if (!b.hasHosts)
        return refused("the hosts are missing");
    if (b.seg.hosts == 0 && !b.seg.fixedLength && !b.seg.fixedLength6)
        return refused("asks for no hosts (give hosts or a /len)");
    return std::optional(std::move(b.seg));
}

std::string segmentsText(const std::vector<Segment>& segments)
{
    bool tabs = false, header = false;
    for (const Segment& s : segments) {
        tabs = tabs || s.name.find(',') != std::string::npos;
        // Read bare, a lone IPv6 length of 32 or less would be taken for the IPv4 one.
        header = header || (s.fixedLength6 && *s.fixedLength6 <= 32) || (s.fixedLength && *s.fixedLength > 32);
    }
    const std::string sep = tabs ? "\t" : ", ";
    auto growth = [](double g) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, g, std::chars_format::fixed);  // shortest that reads back
        return std::string(buf, r.ptr);
    };
    std::string out;
    if (header)
        out = "name" + sep + "hosts" + sep + "growth" + sep + "length" + sep + "length6" + sep + "vlan\n";
    for (const Segment& s : segments) {
        out += s.name + sep + net::toDecimal(s.hosts);
        if (header) {
            out += sep + (s.growthPercent != 0 ? growth(s.growthPercent) : "");
            out += sep + (s.fixedLength ? std::to_string(*s.fixedLength) : "");
            out += sep + (s.fixedLength6 ? std::to_string(*s.fixedLength6) : "");
            out += sep + (s.vlan ? std::to_string(s.vlan) : "");
        } else {
            if (s.growthPercent != 0)
                out += sep + growth(s.growthPercent) + "%";
            if (s.fixedLength)
                out += sep + "/" + std::to_string(*s.fixedLength);
            if (s.fixedLength6)
                out += sep + "/" + std::to_string(*s.fixedLength6);
            if (s.vlan)
                out += sep + "vlan " + std::to_string(s.vlan);
        }
        out += '\n';
    }
    return out;
}

std::optional<net::Family> onlyFamily(const Plan& plan)
{
    if (plan.isDualStack())
        return std::nullopt;
    return plan.block(plan.root()).prefix.address.family;
}

std::vector<Segment> parseSegments(std::string_view text, std::vector<textio::Problem>& errors,
                                   std::optional<net::Family> only)
{
    std::vector<Segment> out;
    SegmentLines reader(only);
    textio::readLines(text, [&](const textio::Line& line) {
        if (line.tooLong) {
            errors.push_back(textio::lineProblem(line.number, textio::tooLongReason()));
            return true;
        }
        auto read = reader.read(line.content);
        if (auto* e = std::get_if<net::ParseError>(&read))
            errors.push_back(textio::lineProblem(line.number, std::move(e->message)));
        else if (auto& seg = std::get<std::optional<Segment>>(read))
            out.push_back(std::move(*seg));
        return true;
    });
    return out;
}

}  // namespace mq::plan
