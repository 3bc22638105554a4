#include "net/parse.h"

#include "net/address_scan.h"

#include <bit>

#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::net {

namespace {

// Every fault is found at a character offset of the whole text; the readers below
// take the offset of their piece so that positions stay true to what was typed.
ParseError fault(std::size_t at, std::string message)
{
    return {at, std::move(message)};
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string quoted(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F)
        return "byte " + std::to_string(u);
    return std::string("character '") + c + "'";
}

// A piece of the text with its offset.
struct Piece {
    std::string_view text;
    std::size_t at = 0;

    Piece trimmed() const
    {
        std::size_t b = 0, e = text.size();
        while (b < e && isBlank(text[b]))
            ++b;
        while (e > b && isBlank(text[e - 1]))
            --e;
        return {text.substr(b, e - b), at + b};
    }
    Piece sub(std::size_t from, std::size_t n = std::string_view::npos) const
    {
        return {text.substr(from, n), at + from};
    }
};

Parsed<std::uint32_t> readV4(Piece p)
{
    std::uint32_t value = 0;
    int octet = 1;
    std::size_t i = 0;
    const std::string_view s = p.text;
    for (;; ++octet) {
        if (octet > 4)
            return fault(p.at + i - 1, "more than 4 octets");
        const std::size_t start = i;
        unsigned v = 0;
        while (i < s.size() && isDigit(s[i])) {
            if (i - start == 1 && s[start] == '0')
                return fault(p.at + start, "octet " + std::to_string(octet) + " has a leading zero");
            v = v * 10 + static_cast<unsigned>(s[i] - '0');
            if (v > 255)
                return fault(p.at + start, "octet " + std::to_string(octet) + " is above 255");
            ++i;
        }
        if (i == start) {
            if (i < s.size() && s[i] != '.')
                return fault(p.at + i, "unexpected " + quoted(s[i]));
            return fault(p.at + i, "octet " + std::to_string(octet) + " is empty");
        }
        value = value << 8 | v;
        if (i == s.size())
            break;
        if (s[i] != '.')
            return fault(p.at + i, "unexpected " + quoted(s[i]));
        ++i;
    }
    if (octet < 4)
        return fault(p.at + s.size(), "only " + std::to_string(octet) + " octets, 4 needed");
    return value;
}

Parsed<u128> readV6(Piece p)
{
    const std::string_view s = p.text;
    unsigned groups[8] = {};
    int count = 0;
    int gap = -1;  // where "::" stands, as a group index
    std::size_t i = 0;
    if (s.starts_with("::")) {
        gap = 0;
        i = 2;
    } else if (s.starts_with(":")) {
        return fault(p.at, "a single ':' at the start");
    }
    while (i < s.size()) {
        std::size_t j = i;
        while (j < s.size() && textio::hexDigitValue(s[j]) >= 0)
            ++j;
        if (j < s.size() && s[j] == '.') {
            if (count > 6)
                return fault(p.at + i, "no room for an IPv4 tail after 7 groups");
            const auto tail = readV4(p.sub(i));
            if (const auto* e = std::get_if<ParseError>(&tail))
                return *e;
            const std::uint32_t v4 = std::get<std::uint32_t>(tail);
            groups[count++] = v4 >> 16;
            groups[count++] = v4 & 0xFFFF;
            i = s.size();
            break;
        }
        if (j == i) {
            if (s[i] == ':')
                return fault(p.at + i, "a third ':' in a row");
            return fault(p.at + i, "unexpected " + quoted(s[i]));
        }
        if (count == 8)
            return fault(p.at + i, "more than 8 groups");
        if (j - i > 4)
            return fault(p.at + i, "group " + std::to_string(count + 1) + " has more than 4 hex digits");
        unsigned v = 0;
        for (std::size_t k = i; k < j; ++k)
            v = v << 4 | static_cast<unsigned>(textio::hexDigitValue(s[k]));
        groups[count++] = v;
        i = j;
        if (i == s.size())
            break;
        if (s[i] != ':')
            return fault(p.at + i, "unexpected " + quoted(s[i]));
        if (i + 1 < s.size() && s[i + 1] == ':') {
            if (gap >= 0)
                return fault(p.at + i, "a second '::'");
            gap = count;
            i += 2;
        } else if (++i == s.size()) {
            return fault(p.at + i - 1, "a single ':' at the end");
        }
    }
    if (gap < 0 && count != 8)
        return fault(p.at + s.size(), std::to_string(count) + " groups, 8 needed");
    if (gap >= 0 && count == 8)
        return fault(p.at + s.find("::"), "'::' with 8 groups besides");
    u128 value = 0;
    const int zeros = 8 - count;
    for (int k = 0, g = 0; k < 8; ++k) {
        const bool inGap = gap >= 0 && k >= gap && k < gap + zeros;
        value = value << 16 | (inGap ? 0u : groups[g++]);
    }
    return value;
}

// A bare address; the zone (IPv6 only) is handed back without its '%'.
Parsed<Address> readAddress(Piece p, std::string* zone)
{
    p = p.trimmed();
    if (p.text.empty())
        return fault(p.at, "no address");
    for (std::size_t i = 0; i < p.text.size(); ++i)
        if (isBlank(p.text[i]))
            return fault(p.at + i, "unexpected blank");
    if (p.text.find(':') == std::string_view::npos) {
        if (p.text.find('%') != std::string_view::npos)
            return fault(p.at + p.text.find('%'), "a zone index on an IPv4 address");
        const auto v = readV4(p);
        if (const auto* e = std::get_if<ParseError>(&v))
            return *e;
        return Address::v4(std::get<std::uint32_t>(v));
    }
    const std::size_t percent = p.text.find('%');
    if (percent != std::string_view::npos) {
        const std::string_view z = p.text.substr(percent + 1);
        if (z.empty())
            return fault(p.at + percent, "an empty zone index");
        for (std::size_t k = 0; k < z.size(); ++k)
            if (z[k] == '%' || z[k] == '/' || static_cast<unsigned char>(z[k]) <= 0x20 ||
                static_cast<unsigned char>(z[k]) >= 0x7F)  // interface names and numbers: printable ASCII
                return fault(p.at + percent + 1 + k, "unexpected " + quoted(z[k]) + " in the zone index");
        if (zone)
            *zone = std::string(z);
    }
    const auto v = readV6(p.sub(0, percent));
    if (const auto* e = std::get_if<ParseError>(&v))
        return *e;
    return Address::v6(std::get<u128>(v));
}

// A prefix length: plain decimal, or for IPv4 a dotted mask or wildcard.
Parsed<int> readLength(Piece p, Family f)
{
    p = p.trimmed();
    const int bits = familyBits(f);
    if (p.text.empty())
        return fault(p.at, "no prefix length");
    if (f == Family::V4 && p.text.find('.') != std::string_view::npos) {
        const auto v = readV4(p);
        if (const auto* e = std::get_if<ParseError>(&v))
            return *e;
        const std::uint32_t m = std::get<std::uint32_t>(v);
        const std::uint32_t inverse = ~m;
        if ((inverse & (inverse + 1)) == 0)
            return std::popcount(m);  // ones, then zeros: a mask
        if ((m & (m + 1)) == 0)
            return std::popcount(inverse);  // zeros, then ones: a wildcard
        return fault(p.at, std::string(p.text) + " is neither a contiguous mask nor a wildcard");
    }
    int length = 0;
    for (std::size_t i = 0; i < p.text.size(); ++i) {
        if (!isDigit(p.text[i]))
            return fault(p.at + i, "unexpected " + quoted(p.text[i]) + " in the prefix length");
        if (i == 1 && p.text[0] == '0')
            return fault(p.at, "the prefix length has a leading zero");
        length = length * 10 + (p.text[i] - '0');
        if (length > bits)
            return fault(p.at, "prefix length " + std::string(p.text) + " is above " + std::to_string(bits));
    }
    return length;
}

Parsed<Input> readRange(Piece first, Piece last)
{
    Input in;
    in.kind = Input::Kind::Range;
    for (const Piece& end : {first, last})
        if (const std::size_t slash = end.text.find('/'); slash != std::string_view::npos)
            return fault(end.at + slash, "a range end with a prefix length");
    auto a = readAddress(first, &in.zone);
    if (const auto* e = std::get_if<ParseError>(&a))
        return *e;
    std::string ignored;
    auto b = readAddress(last, &ignored);
    if (const auto* e = std::get_if<ParseError>(&b))
        return *e;
    in.range = {std::get<Address>(a), std::get<Address>(b)};
    if (in.range.first.family != in.range.last.family)
        return fault(last.trimmed().at, "the range ends are of different families");
    if (in.range.last < in.range.first)
        return fault(last.trimmed().at, "the last address is before the first");
    in.prefix = {in.range.first, in.range.first.bits()};
    return in;
}

}  // namespace

Parsed<Address> parseAddress(std::string_view text, std::string* zone)
{
    return readAddress({text, 0}, zone);
}

Parsed<Input> parseInput(std::string_view text)
{
    const Piece all = Piece{text, 0}.trimmed();
    if (all.text.empty())
        return fault(all.at, "nothing to read");
    if (const std::size_t dash = all.text.find('-'); dash != std::string_view::npos)
        return readRange(all.sub(0, dash), all.sub(dash + 1));

    Input in;
    std::size_t split = all.text.find('/');
    const bool slash = split != std::string_view::npos;
    if (!slash) {
        split = 0;
        while (split < all.text.size() && !isBlank(all.text[split]))
            ++split;
    }
    if (slash && split > 0 && isBlank(all.text[split - 1]))
        return fault(all.at + split - 1, "a blank before the '/'");
    if (slash && split + 1 < all.text.size() && isBlank(all.text[split + 1]))
        return fault(all.at + split + 1, "a blank after the '/'");
    auto a = readAddress(all.sub(0, split), &in.zone);
    if (const auto* e = std::get_if<ParseError>(&a))
        return *e;
    const Address address = std::get<Address>(a);
    in.prefix = {address, address.bits()};
    if (split < all.text.size()) {
        const Piece rest = all.sub(split + (slash ? 1 : 0));
        if (!slash && address.family == Family::V6)
            return fault(rest.trimmed().at, "a blank inside an IPv6 address");
        auto length = readLength(rest, address.family);
        if (const auto* e = std::get_if<ParseError>(&length))
            return *e;
        in.kind = Input::Kind::Prefix;
        in.prefix.length = std::get<int>(length);
    }
    in.range = {in.prefix.network(), in.prefix.last()};
    return in;
}

Parsed<Prefix> parsePrefix(std::string_view text, HostBits policy, PrefixForms forms)
{
    Parsed<Input> parsed = parseInput(text);
    if (auto* e = std::get_if<ParseError>(&parsed))
        return std::move(*e);
    const Input& in = std::get<Input>(parsed);
    const auto refuse = [](ParseError::Fault fault, std::string message) {
        return ParseError{0, std::move(message), fault};
    };
    if (in.kind == Input::Kind::Range)
        return refuse(ParseError::Fault::Range, "is a range");
    if (in.kind == Input::Kind::Address && !forms.address)
        return refuse(ParseError::Fault::Address, "is an address, not a prefix");
    if (in.kind == Input::Kind::Prefix && !in.zone.empty() && !forms.zone)
        return refuse(ParseError::Fault::Zone, "a prefix has no zone");
    if (in.prefix.isNetwork() || policy == HostBits::Keep)
        return in.prefix;
    if (policy == HostBits::Clear)
        return in.prefix.masked();
    if (policy == HostBits::Refuse)
        return refuse(ParseError::Fault::HostBits, "has host bits set");
    return refuse(ParseError::Fault::HostBits, "has host bits set; did you mean " + formatNetwork(in.prefix) + "?");
}

std::string describe(std::string_view text, const ParseError& e)
{
    return textio::escaped(text) + ": " + e.message + " at character " + std::to_string(e.position + 1);
}

Parsed<Range> parseListItem(std::string_view item)
{
    if (Range r; readV4PrefixRange(item, r))
        return r;
    Prefix p;
    if (readPlainPrefix(item, p))
        return Range{p.network(), p.last()};
    Parsed<Input> parsed = parseInput(item);
    if (auto* e = std::get_if<ParseError>(&parsed))
        return std::move(*e);
    return std::get<Input>(parsed).range;
}

}  // namespace mq::net
