#include "net/address_scan.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mq::net {

namespace {

enum : std::uint8_t { kDigit = 1, kHexLetter = 2, kLetter = 4, kDot = 8, kColon = 16 };

constexpr std::array<std::uint8_t, 256> kClass = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = kDigit;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = c <= 'f' ? kHexLetter : kLetter;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = c <= 'F' ? kHexLetter : kLetter;
    t['_'] = kLetter;
    t['.'] = kDot;
    t[':'] = kColon;
    return t;
}();

// The value of a hex digit, 16 for any other byte: one look-up instead of branches that a
// random mix of digits and letters mispredicts.
constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> t{};
    t.fill(16);
    for (int c = 0; c < 10; ++c)
        t['0' + c] = static_cast<std::uint8_t>(c);
    for (int c = 0; c < 6; ++c)
        t['a' + c] = t['A' + c] = static_cast<std::uint8_t>(10 + c);
    return t;
}();

std::uint8_t classOf(char c)
{
    return kClass[static_cast<unsigned char>(c)];
}
unsigned hexValue(char c)
{
    return kHexValue[static_cast<unsigned char>(c)];
}

// The next '.' (and, unless dotsOnly, ':') at or after p, or end: only words holding one can be
// addresses, and only words holding a '.' can be IPv4 addresses. The last part of a line
// shorter than 16 bytes is read with the line's last 16 bytes, its start masked off.
template <bool dotsOnly> const char* findDotOrColon(const char* begin, const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i dot = _mm_set1_epi8('.'), colon = _mm_set1_epi8(':');
    const auto hits = [&](const char* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        return static_cast<unsigned>(_mm_movemask_epi8(
            dotsOnly ? _mm_cmpeq_epi8(v, dot) : _mm_or_si128(_mm_cmpeq_epi8(v, dot), _mm_cmpeq_epi8(v, colon))));
    };
    for (; end - p >= 16; p += 16)
        if (const unsigned mask = hits(p))
            return p + __builtin_ctz(mask);
    if (p < end && end - begin >= 16) {
        const unsigned mask = hits(end - 16) >> (16 - (end - p));
        return mask ? p + __builtin_ctz(mask) : end;
    }
#else
    (void)begin;
#endif
    while (p < end && *p != '.' && (dotsOnly || *p != ':'))
        ++p;
    return p;
}

bool allDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (const char c : s)
        if (classOf(c) != kDigit)
            return false;
    return true;
}

// What one pass over a word learns: which kinds of characters it holds, and how many dots and
// colons (most words of a log, such as times, versions and file names, are turned away by these).
struct WordShape {
    std::uint8_t classes = 0;
    std::size_t dots = 0, colons = 0;
};

// The address a word stands for, with the part of the word that writes it.
bool wordAddress(std::string_view word, WordShape shape, FoundAddress& out)
{
    const std::uint8_t classes = shape.classes;
    std::size_t dots = shape.dots;
    const std::size_t colons = shape.colons;
    for (; word.size() > 1 && word.back() == '.'; --dots)
        word.remove_suffix(1);  // end of a sentence
    std::uint32_t v4 = 0;
    if (colons == 0) {
        if (dots != 3 || (classes & (kHexLetter | kLetter)) || !readV4(word, v4))
            return false;
        out = {Address::v4(v4), word};
        return true;
    }
    if (classes & kLetter)
        return false;
    u128 v6 = 0;
    const bool v6Shape = colons >= 7 || (colons >= 2 && word.find("::") != std::string_view::npos);
    if (v6Shape && readV6(word, v6)) {
        out = {Address::v6(v6), word};
        return true;
    }
    const std::size_t colon = word.find(':');  // IPv4 address and port
    if (colons != 1 || dots != 3 || !allDigits(word.substr(colon + 1)) || !readV4(word.substr(0, colon), v4))
        return false;
    out = {Address::v4(v4), word.substr(0, colon)};
    return true;
}

// A dotted quad at p, read by readV4's rules: where it ends, or nullptr. Each octet's digits
// are read one by one, unrolled: octets of one to three digits in a random mix are what a
// log holds, and a loop over them is mispredicted.
const char* quadAt(const char* p, const char* end, std::uint32_t& value)
{
    const auto digit = [](const char* q) { return static_cast<unsigned>(static_cast<unsigned char>(*q)) - '0'; };
    std::uint32_t v = 0;
    for (int octet = 0;; ++octet) {
        unsigned o, d;
        if (p == end || (o = digit(p)) > 9)
            return nullptr;
        if (++p < end && (d = digit(p)) <= 9) {
            if (o == 0)
                return nullptr;  // no leading zeros
            o = o * 10 + d;
            if (++p < end && (d = digit(p)) <= 9) {
                o = o * 10 + d;
                if (o > 255)
                    return nullptr;
                ++p;
            }
        }
        v = v << 8 | o;
        if (octet == 3)
            break;
        if (p == end || *p != '.')
            return nullptr;
        ++p;
    }
    value = v;
    return p;
}

}  // namespace

bool readV4(std::string_view s, std::uint32_t& value)
{
    std::uint32_t v = 0;
    std::size_t i = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (i == s.size() || s[i] != '.')
                return false;
            ++i;
        }
        const std::size_t start = i;
        unsigned o = 0;
        while (i < s.size() && i - start < 4 && classOf(s[i]) == kDigit)
            o = o * 10 + static_cast<unsigned>(s[i++] - '0');
        if (i == start || i - start > 3 || o > 255 || (i - start > 1 && s[start] == '0'))
            return false;
        v = v << 8 | o;
    }
    if (i != s.size())
        return false;
    value = v;
    return true;
}

bool readV6(std::string_view s, u128& value)
{
    std::uint16_t groups[8] = {};
    int count = 0, gap = -1;
    std::size_t i = 0;
    if (s.size() < 2)
        return false;
    if (s[0] == ':') {
        if (s[1] != ':')
            return false;
        gap = 0;
        i = 2;
    }
    while (i < s.size()) {
        std::size_t j = i;
        unsigned v = 0;
        for (unsigned h; j < s.size() && j - i < 5 && (h = hexValue(s[j])) < 16; ++j)
            v = v << 4 | h;
        if (j < s.size() && s[j] == '.') {
            std::uint32_t tail = 0;
            if (count > 6 || !readV4(s.substr(i), tail))
                return false;
            groups[count++] = static_cast<std::uint16_t>(tail >> 16);
            groups[count++] = static_cast<std::uint16_t>(tail);
            i = s.size();
            break;
        }
        if (j == i || j - i > 4 || count == 8)
            return false;
        groups[count++] = static_cast<std::uint16_t>(v);
        i = j;
        if (i == s.size())
            break;
        if (s[i] != ':')
            return false;
        if (i + 1 < s.size() && s[i + 1] == ':') {
            if (gap >= 0)
                return false;
            gap = count;
            i += 2;
        } else if (++i == s.size()) {
            return false;
        }
    }
    if (gap < 0 ? count != 8 : count == 8)
        return false;
    u128 out = 0;
    const int zeros = 8 - count;
    for (int k = 0, g = 0; k < 8; ++k) {
        const bool inGap = gap >= 0 && k >= gap && k < gap + zeros;
        out = out << 16 | (inGap ? 0u : groups[g++]);
    }
    value = out;
    return true;
}

bool readV4Prefix(std::string_view text, std::uint32_t& address, int& length)
{
    // "0.0.0.0/0" to "255.255.255.255/32", copied beside a stop byte (neither digit, '.' nor
    // '/') so that the reads below need no bounds checks.
    if (text.size() < 9 || text.size() > 18)
        return false;
    unsigned char buf[24] = {};  // the digit reader looks up to two bytes past the stop byte
    // Fixed-size copies (plain moves, no call) that overlap to cover the 9 to 18 bytes.
    std::memcpy(buf, text.data(), 8);
    if (text.size() > 16)
        std::memcpy(buf + 8, text.data() + 8, 8);
    std::memcpy(buf + text.size() - 8, text.data() + text.size() - 8, 8);
    const unsigned char* p = buf;
    // One to three digits without a leading zero; p is left after them.
    const auto number = [&p](unsigned& out) {
        const unsigned a = p[0] - 48u, b = p[1] - 48u, c = p[2] - 48u;  // '0' is 48
        if (a > 9)
            return false;
        if (b > 9) {
            out = a;
            p += 1;
            return true;
        }
        if (a == 0)
            return false;
        if (c > 9) {
            out = a * 10 + b;
            p += 2;
            return true;
        }
        out = a * 100 + b * 10 + c;
        p += 3;
        return true;
    };
    std::uint32_t value = 0;
    unsigned n = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (!number(n) || n > 255 || *p != (octet < 3 ? '.' : '/'))
            return false;
        ++p;
        value = value << 8 | n;
    }
    if (!number(n) || n > 32 || p != buf + text.size())
        return false;
    address = value;
    length = static_cast<int>(n);
    return true;
}

bool readPlainPrefix(std::string_view text, Prefix& prefix)
{
    std::uint32_t v4 = 0;
    int n = 0;
    if (readV4Prefix(text, v4, n)) {
        prefix = {Address::v4(v4), n};
        return true;
    }
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    const std::string_view address = text.substr(0, slash), length = text.substr(slash + 1);
    if (address.find(':') == std::string_view::npos)
        return false;  // IPv4, but not as readV4Prefix takes it
    if (!allDigits(length) || length.size() > 3 || (length.size() > 1 && length[0] == '0'))
        return false;
    for (const char c : length)
        n = n * 10 + (c - '0');
    u128 v6 = 0;
    if (n > 128 || !readV6(address, v6))
        return false;
    prefix = {Address::v6(v6), n};
    return true;
}

namespace {

template <bool v4Only> bool next(const char* begin, const char*& p, const char* end, FoundAddress& out)
{
    for (;;) {
        const char* hit = findDotOrColon<v4Only>(begin, p, end);
        if (hit == end) {
            p = end;
            return false;
        }
        const char* first = hit;
        while (first > p && classOf(first[-1]))
            --first;
        // Most addresses in a log are a dotted quad standing alone: read at once, the word is done.
        std::uint32_t v4 = 0;
        const char* const q = quadAt(first, end, v4);
        if (q && (q == end || !classOf(*q))) {
            out = {Address::v4(v4), std::string_view(first, static_cast<std::size_t>(q - first))};
            p = q;
            return true;
        }
        if (v4Only && !q) {  // an IPv4 address in a word starts it, with a '.' or a port after it at most
            for (p = hit + 1; p < end && classOf(*p);)
                ++p;
            continue;
        }
        WordShape shape;
        const char* last = first;
        for (std::uint8_t k; last < end && (k = classOf(*last)); ++last) {
            shape.classes |= k;
            shape.dots += k == kDot;
            shape.colons += k == kColon;
        }
        p = last;
        if ((shape.classes & (kDigit | kColon)) &&
            wordAddress(std::string_view(first, static_cast<std::size_t>(last - first)), shape, out) &&
            (!v4Only || out.address.family == Family::V4))
            return true;
    }
}

}  // namespace

bool nextAddress(const char* begin, const char*& p, const char* end, FoundAddress& out, bool v4Only)
{
    return v4Only ? next<true>(begin, p, end, out) : next<false>(begin, p, end, out);
}

}  // namespace mq::net
