#include "textio/cell_text.h"

#include <algorithm>
#include <cstdlib>

#include "textio/fields.h"
#include "textio/utf8.h"

namespace mq::textio {

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

// An integer (exponent >= 0) beyond what a number cell holds exactly.
bool aboveExactIntegers(const Decimal& d)
{
    constexpr std::size_t kLimitDigits = 16;  // of 2^53
    const std::size_t length = d.digits.size() + static_cast<std::size_t>(d.exponent);
    return length > kLimitDigits || !fitsExactly(d.digits + std::string(static_cast<std::size_t>(d.exponent), '0'));
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

bool fitsExactly(std::string_view decimal)
{
    if (decimal.empty() || decimal.size() > 16 || (decimal.size() > 1 && decimal[0] == '0') ||
        !std::all_of(decimal.begin(), decimal.end(), isDigit))
        return false;
    return std::strtoull(std::string(decimal).c_str(), nullptr, 10) <= kExactIntegerLimit;
}

std::optional<CellRef> parseCellRef(std::string_view ref)
{
    CellRef at;
    std::size_t i = 0, column = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3; ++i)
        column = column * 26 + static_cast<std::size_t>(ref[i] - 'A' + 1);
    if (i == 0 || column > kWorksheetColumns)
        return std::nullopt;
    at.column = column - 1;
    if (i == ref.size() || ref[i] == '0' || ref.size() - i > 7)
        return std::nullopt;
    for (; i < ref.size(); ++i) {
        if (!isDigit(ref[i]))
            return std::nullopt;
        at.row = at.row * 10 + static_cast<std::size_t>(ref[i] - '0');
    }
    return at.row <= kWorksheetRows ? std::optional(at) : std::nullopt;
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
        appendUtf8(out, static_cast<char32_t>(cp));
        i += used;
    }
    return out;
}

std::string escapedXstring(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "_x") == 0 && i + 7 <= text.size() && text[i + 6] == '_' &&
            std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 2,
                        text.begin() + static_cast<std::ptrdiff_t>(i) + 6, isHex))
            out += "_x005F";
        const std::size_t n = utf8SequenceAt(text, i);
        const char32_t cp = n ? utf8CodePointAt(text, i, n) : 0xFFFD;
        if (xmlRefuses(cp)) {
            out += "_x";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += "0123456789ABCDEF"[(cp >> shift) & 0xF];
            out += '_';
        } else if (n == 0) {
            appendUtf8(out, cp);
        } else {
            out.append(text, i, n);
        }
        i += std::max<std::size_t>(n, 1);
    }
    return out;
}

bool isWorkbook(std::string_view name, std::string_view head)
{
    return (name.size() >= 5 && equalsIgnoringCase(name.substr(name.size() - 5), ".xlsx")) ||
           head.starts_with(std::string_view("PK\x03\x04", 4));
}

}  // namespace mq::textio
