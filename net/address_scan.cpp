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

// quadAt's reading of the 16 bytes at p (a quad takes 15 at most, and the byte after it is
// looked at), without a branch on how many digits an octet has: octets of one to three digits
// in a random mix are what a log holds, and each branch on them is mispredicted. The three
// first dots, found in a mask, end the first three octets; each octet is read from the digits
// before its end, and is valid when it is at most 255 and has as many digits as its value
// written without leading zeros.
const char* quad16(const char* p, std::uint32_t& value)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    const unsigned digits = static_cast<unsigned>(_mm_movemask_epi8(isDigit));
    const unsigned dots = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('.'))));
    // n[3 + i]: the value of the digit at i, 0 for any other byte and for the three before p.
    alignas(16) unsigned char n[32];
    _mm_store_si128(reinterpret_cast<__m128i*>(n), _mm_setzero_si128());
    _mm_store_si128(reinterpret_cast<__m128i*>(n + 16), _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(n + 3), _mm_and_si128(d, isDigit));
    constexpr unsigned kNone = 1u << 16;  // a dot past the 16 bytes
    const unsigned rest = dots & (dots - 1);
    const unsigned e0 = static_cast<unsigned>(__builtin_ctz(dots | kNone));
    const unsigned e1 = static_cast<unsigned>(__builtin_ctz(rest | kNone));
    const unsigned e2 = static_cast<unsigned>(__builtin_ctz((rest & (rest - 1)) | kNone));
    const unsigned run = static_cast<unsigned>(__builtin_ctz(~digits >> (e2 + 1)));  // the last octet's digits
    const unsigned e3 = e2 + 1 + (run < 3 ? run : 3);
    // Without a third dot the third octet runs to the 16th byte: far too long.
    const unsigned before = (1u << e2) - 1;  // digits all, but for the two first dots
    unsigned bad = ((digits | dots) & before) ^ before;
    const auto octet = [&](unsigned start, unsigned end) {
        const unsigned length = end - start;
        const unsigned o = n[end + 2] + 10u * n[end + 1] + (100u * n[end] & -static_cast<unsigned>(length >= 3));
        bad |= (length != 1u + (o >= 10) + (o >= 100)) | (o > 255);
        return o;
    };
    const unsigned o0 = octet(0, e0), o1 = octet(e0 + 1, e1), o2 = octet(e1 + 1, e2), o3 = octet(e2 + 1, e3);
    if (bad)
        return nullptr;
    value = o0 << 24 | o1 << 16 | o2 << 8 | o3;
    return p + e3;
#else
    return quadAt(p, p + 16, value);
#endif
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

// The word holding the '.' or ':' at `at`, read as an address: true with out filled. The word
// starts at `from` at the earliest (where the last read ended, never inside a word); `from`
// is left past what was read, so the word's other dots and colons are passed over.
template <bool v4Only> bool wordAt(const char*& from, const char* at, const char* end, FoundAddress& out)
{
    const char* first = at;
    while (first > from && classOf(first[-1]))
        --first;
    // Most addresses in a log are a dotted quad standing alone: read at once, the word is done.
    std::uint32_t v4 = 0;
    const char* const q = end - first >= 16 ? quad16(first, v4) : quadAt(first, end, v4);
    if (q && (q == end || !classOf(*q))) {
        out = {Address::v4(v4), std::string_view(first, static_cast<std::size_t>(q - first))};
        from = q;
        return true;
    }
    if (v4Only && !q) {  // an IPv4 address in a word starts it, with a '.' or a port after it at most
        for (from = at + 1; from < end && classOf(*from);)
            ++from;
        return false;
    }
    WordShape shape;
    const char* last = first;
    for (std::uint8_t k; last < end && (k = classOf(*last)); ++last) {
        shape.classes |= k;
        shape.dots += k == kDot;
        shape.colons += k == kColon;
    }
    from = last;
    return (shape.classes & (kDigit | kColon)) &&
           wordAddress(std::string_view(first, static_cast<std::size_t>(last - first)), shape, out) &&
           (!v4Only || out.address.family == Family::V4);
}

template <bool v4Only> bool next(const char* begin, const char*& p, const char* end, FoundAddress& out)
{
    for (;;) {
        const char* hit = findDotOrColon<v4Only>(begin, p, end);
        if (hit == end) {
            p = end;
            return false;
        }
        if (wordAt<v4Only>(p, hit, end, out))
            return true;
    }
}

// A bit for each of the 64 bytes at p that is '\n', and one for each that can be in an address
// only inside a word worth reading (':' unless dotsOnly, and '.'). Fewer than 64 bytes before
// end are copied first beside zeros, which are neither.
//
// A word that is an IPv4 address, or starts with one, starts with a digit, a '.', a digit and
// another '.' two to four bytes on: the dots of most words of a log (file names, versions)
// are turned away here, all of them at once. A word is read from its start whichever of its
// marks is met first, so one marked dot is enough: the first of a quad, or else the second,
// whose neighbours are in view whenever the first one's next dot or digit lies past the 64
// bytes. Only a dot at the first byte, whose digit before is not in view, is always marked.
template <bool dotsOnly> void marksAt(const char* p, const char* end, std::uint64_t& newlines, std::uint64_t& marks)
{
    char copy[64];
    if (end - p < 64) {
        std::memset(copy, 0, sizeof copy);
        std::memcpy(copy, p, static_cast<std::size_t>(end - p));
        p = copy;
    }
    std::uint64_t dots = 0, digits = 0, colons = 0;
    newlines = 0;
#if defined(__SSE2__)
    const __m128i nl = _mm_set1_epi8('\n'), dot = _mm_set1_epi8('.'), colon = _mm_set1_epi8(':');
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    const auto bits = [](__m128i m) { return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))); };
    for (int i = 0; i < 64; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i d = _mm_sub_epi8(v, zero);
        newlines |= bits(_mm_cmpeq_epi8(v, nl)) << i;
        dots |= bits(_mm_cmpeq_epi8(v, dot)) << i;
        digits |= bits(_mm_cmpeq_epi8(_mm_min_epu8(d, nine), d)) << i;
        if (!dotsOnly)
            colons |= bits(_mm_cmpeq_epi8(v, colon)) << i;
    }
#else
    for (int i = 0; i < 64; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        newlines |= std::uint64_t{c == '\n'} << i;
        dots |= std::uint64_t{c == '.'} << i;
        digits |= std::uint64_t{c - 48u < 10} << i;
        colons |= std::uint64_t{!dotsOnly && c == ':'} << i;
    }
#endif
    const std::uint64_t quadStart = (digits << 1 | 1) & (digits >> 1) & (dots >> 2 | dots >> 3 | dots >> 4);
    marks = colons | (dots & quadStart);
}

template <bool v4Only> bool scanLines(const char* begin, const char* end, LineSink& sink)
{
    const char* line = begin;  // where the current line starts
    const char* from = begin;  // where the next word may start
    bool hit = false;
    for (const char* chunk = begin; chunk < end; chunk += 64) {
        std::uint64_t newlines = 0, marks = 0;
        marksAt<v4Only>(chunk, end, newlines, marks);
        for (std::uint64_t events = newlines | marks; events; events &= events - 1) {
            const int bit = __builtin_ctzll(events);
            const char* const at = chunk + bit;
            if (newlines >> bit & 1) {
                if (!sink.line(std::string_view(line, static_cast<std::size_t>(at - line)), hit))
                    return false;
                line = from = at + 1;
                hit = false;
                continue;
            }
            if (hit || at < from)
                continue;
            FoundAddress a;
            if (wordAt<v4Only>(from, at, end, a))
                hit = sink.wanted(a);
            // The word's other marks are passed over at once (it holds no '\n'); this one is
            // cleared by the loop.
            const std::ptrdiff_t past = from - chunk;
            events &= (past >= 64 ? 0 : ~std::uint64_t{0} << past) | std::uint64_t{1} << bit;
        }
    }
    return line == end || sink.line(std::string_view(line, static_cast<std::size_t>(end - line)), hit);
}

}  // namespace

bool nextAddress(const char* begin, const char*& p, const char* end, FoundAddress& out, bool v4Only)
{
    return v4Only ? next<true>(begin, p, end, out) : next<false>(begin, p, end, out);
}

bool scanLines(std::string_view text, LineSink& sink, bool v4Only)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    return v4Only ? scanLines<true>(begin, end, sink) : scanLines<false>(begin, end, sink);
}

}  // namespace mq::net
