#include "sheets/cell_text.h"

#include <algorithm>

#include "sheets/xlsx_reader.h"

namespace mq::sheets {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits and a power of ten: value = digits x 10^exponent, digits without leading zeros.
struct Decimal {
    bool negative = false;
    std::string digits;
    long exponent = 0;
};

std::optional<Decimal> parseDecimal(std::string_view s)
{
    Decimal d;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        d.negative = s[i++] == '-';
    bool any = false;
    for (; i < s.size() && isDigit(s[i]); ++i, any = true)
        d.digits += s[i];
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && isDigit(s[i]); ++i, any = true, --d.exponent)
            d.digits += s[i];
    if (!any)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        bool minus = false;
        if (++i < s.size() && (s[i] == '-' || s[i] == '+'))
            minus = s[i++] == '-';
        long e = 0;
        const std::size_t from = i;
        for (; i < s.size() && isDigit(s[i]) && e < 100'000; ++i)
            e = e * 10 + (s[i] - '0');
        if (i == from)
            return std::nullopt;
        d.exponent += minus ? -e : e;
    }
    if (i != s.size())
        return std::nullopt;
    d.digits.erase(0, std::min(d.digits.find_first_not_of('0'), d.digits.size()));
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
    return d;
}

// 2^53: the largest integer below which every integer is a double.
bool aboveExactIntegers(const Decimal& d)
{
    static const std::string limit = "9007199254740992";
    const std::size_t length = d.digits.size() + static_cast<std::size_t>(d.exponent);
    return length > limit.size() || (length == limit.size() && d.digits + std::string(d.exponent, '0') > limit);
}

}  // namespace

std::optional<CellRef> parseCellRef(std::string_view ref)
{
    CellRef at;
    std::size_t i = 0, column = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3; ++i)
        column = column * 26 + static_cast<std::size_t>(ref[i] - 'A' + 1);
    if (i == 0 || column > kMaxColumns)
        return std::nullopt;
    at.column = column - 1;
    if (i == ref.size() || ref[i] == '0' || ref.size() - i > 7)
        return std::nullopt;
    for (; i < ref.size(); ++i) {
        if (!isDigit(ref[i]))
            return std::nullopt;
        at.row = at.row * 10 + static_cast<std::size_t>(ref[i] - '0');
    }
    return at.row <= kMaxRows ? std::optional(at) : std::nullopt;
}

std::optional<std::string> plainNumber(std::string_view stored, bool percent)
{
    // Most numbers are counts written as plain digits, well below 2^53: they read as stored.
    if (!percent && !stored.empty() && stored.size() < 16 && (stored[0] != '0' || stored.size() == 1) &&
        std::all_of(stored.begin(), stored.end(), isDigit))
        return std::string(stored);
    auto d = parseDecimal(stored);
    if (!d)
        return std::nullopt;
    const std::string sign = d->negative && !d->digits.empty() ? "-" : "";
    const std::string suffix = percent ? "%" : "";
    if (d->digits.empty())
        return "0" + suffix;
    if (percent)
        d->exponent += 2;
    // Far from 1, plain digits would be a page of zeros: shown as stored.
    if (d->exponent > 30 || d->exponent + static_cast<long>(d->digits.size()) < -30 ||
        (!percent && d->exponent >= 0 && aboveExactIntegers(*d)))
        return std::string(stored) + suffix;
    if (d->exponent >= 0)
        return sign + d->digits + std::string(static_cast<std::size_t>(d->exponent), '0') + suffix;
    const long point = static_cast<long>(d->digits.size()) + d->exponent;  // digits before the point
    if (point <= 0)
        return sign + "0." + std::string(static_cast<std::size_t>(-point), '0') + d->digits + suffix;
    const auto p = static_cast<std::size_t>(point);
    return sign + d->digits.substr(0, p) + "." + d->digits.substr(p) + suffix;
}

namespace {

// The code unit of "_xHHHH_" at the start of text.
std::optional<unsigned> escapedUnit(std::string_view text)
{
    if (text.size() < 7 || !text.starts_with("_x") || text[6] != '_')
        return std::nullopt;
    unsigned v = 0;
    for (char c : text.substr(2, 4)) {
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0)
            return std::nullopt;
        v = v * 16 + static_cast<unsigned>(d);
    }
    return v;
}

void appendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string unescapedXstring(std::string_view stored)
{
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size();) {
        const auto unit = stored[i] == '_' ? escapedUnit(stored.substr(i)) : std::nullopt;
        if (!unit) {
            out += stored[i++];
            continue;
        }
        unsigned cp = *unit;
        std::size_t used = 7;
        if (cp >= 0xD800 && cp < 0xDC00)
            if (const auto low = escapedUnit(stored.substr(i + 7)); low && *low >= 0xDC00 && *low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                used = 14;
            }
        if (cp >= 0xD800 && cp < 0xE000) {  // a lone surrogate is no character: kept as written
            out.append(stored.substr(i, 7));
            i += 7;
            continue;
        }
        appendUtf8(out, cp);
        i += used;
    }
    return out;
}

}  // namespace mq::sheets
