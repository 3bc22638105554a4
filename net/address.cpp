#include "net/address.h"

#include <array>
#include <cstring>

#include "net/bits.h"
#include "textio/fields.h"

namespace mq::net {

namespace {

// "0".."255" padded to four bytes, so an octet is copied with one fixed-size memcpy.
struct OctetText {
    char text[4];
    std::uint8_t length;
};
constexpr std::array<OctetText, 256> makeOctets()
{
    std::array<OctetText, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int n = 0;
        if (v >= 100)
            t[v].text[n++] = static_cast<char>('0' + v / 100);
        if (v >= 10)
            t[v].text[n++] = static_cast<char>('0' + v / 10 % 10);
        t[v].text[n++] = static_cast<char>('0' + v % 10);
        t[v].length = static_cast<std::uint8_t>(n);
    }
    return t;
}
constexpr std::array<OctetText, 256> kOctets = makeOctets();

char* writeDotted(char* out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        const OctetText& o = kOctets[(v >> shift) & 0xFF];
        std::memcpy(out, o.text, 4);
        out += o.length;
        if (shift)
            *out++ = '.';
    }
    return out;
}

char* writeHexField(char* out, unsigned field)
{
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned nibble = (field >> shift) & 0xF;
        if (nibble || started || shift == 0) {
            *out++ = textio::hexDigit(nibble);
            started = true;
        }
    }
    return out;
}

// RFC 5952: the longest run of two or more zero fields becomes "::", the first when tied.
char* writeV6(char* out, u128 v)
{
    unsigned fields[8];
    for (int i = 0; i < 8; ++i)
        fields[i] = static_cast<unsigned>(v >> (112 - 16 * i)) & 0xFFFF;
    const bool mapped = isV4Mapped(Address::v6(v));
    const int count = mapped ? 6 : 8;
    int bestStart = -1, bestLength = 1;
    for (int i = 0; i < count;) {
        if (fields[i] != 0) {
            ++i;
            continue;
        }
        int j = i;
        while (j < count && fields[j] == 0)
            ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    for (int i = 0; i < count; ++i) {
        if (i == bestStart) {
            *out++ = ':';
            *out++ = ':';
            i += bestLength - 1;
            continue;
        }
        if (i > 0 && i != bestStart + bestLength)
            *out++ = ':';
        out = writeHexField(out, fields[i]);
    }
    if (mapped) {
        if (bestStart + bestLength != count)
            *out++ = ':';
        out = writeDotted(out, static_cast<std::uint32_t>(v));
    }
    return out;
}

constexpr std::array<char, 200> makePairs()
{
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}
constexpr std::array<char, 200> kPairs = makePairs();

char* writeU64(char* out, std::uint64_t v)
{
    char buffer[20];
    char* p = buffer + sizeof buffer;
    while (v >= 100) {
        p -= 2;
        std::memcpy(p, &kPairs[2 * (v % 100)], 2);
        v /= 100;
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, &kPairs[2 * v], 2);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    const std::size_t n = static_cast<std::size_t>(buffer + sizeof buffer - p);
    std::memcpy(out, p, n);
    return out + n;
}

}  // namespace

u128 maskOf(Family f, int length)
{
    const int bits = familyBits(f);
    if (length <= 0)
        return 0;
    if (length >= bits)
        return familyMask(f);
    return familyMask(f) & ~(familyMask(f) >> length);
}

Address Prefix::network() const
{
    return {address.value & maskOf(address.family, length), address.family};
}

Prefix Prefix::masked() const
{
    return {network(), length};
}

bool Prefix::isNetwork() const
{
    return address == network();
}

Address Prefix::last() const
{
    const Family f = address.family;
    return {(address.value | ~maskOf(f, length)) & familyMask(f), f};
}

bool Prefix::contains(const Address& a) const
{
    const u128 mask = maskOf(address.family, length);
    return a.family == address.family && (a.value & mask) == (address.value & mask);
}

bool Prefix::contains(const Prefix& p) const
{
    return p.length >= length && contains(p.address);
}

Count Count::powerOfTwo(int exponent)
{
    if (exponent >= 128)
        return {0, true};
    return {u128{1} << exponent, false};
}

char* writeDecimal(char* out, u128 v)
{
    constexpr std::uint64_t kTen19 = 10000000000000000000ull;
    if (v <= ~std::uint64_t{0})
        return writeU64(out, static_cast<std::uint64_t>(v));
    // Up to 39 digits: the high part, then two blocks of 19 with their leading zeros.
    const std::uint64_t low = static_cast<std::uint64_t>(v % kTen19);
    v /= kTen19;
    out = writeDecimal(out, v);
    char block[20];
    char* end = writeU64(block, low);
    const std::size_t n = static_cast<std::size_t>(end - block);
    std::memset(out, '0', 19 - n);
    std::memcpy(out + (19 - n), block, n);
    return out + 19;
}

std::string toDecimal(u128 v)
{
    char buffer[kMaxDecimalChars];
    return {buffer, writeDecimal(buffer, v)};
}

std::string toDecimal(const Count& c)
{
    if (c.twoTo128)
        return "340282366920938463463374607431768211456";
    return toDecimal(c.low);
}

std::optional<u128> parseDecimal(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    u128 v = 0;
    const u128 limit = ~u128{0};
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const unsigned d = static_cast<unsigned>(c - '0');
        if (v > (limit - d) / 10)
            return std::nullopt;
        v = v * 10 + d;
    }
    return v;
}

char* writeAddress(char* out, const Address& a)
{
    if (a.family == Family::V4)
        return writeDotted(out, static_cast<std::uint32_t>(a.value));
    return writeV6(out, a.value);
}

std::string format(const Address& a)
{
    char buffer[kAddressRoom];
    return {buffer, writeAddress(buffer, a)};
}

void appendFormat(std::string& out, const Address& a)
{
    char buffer[kAddressRoom];
    out.append(buffer, writeAddress(buffer, a));
}

void appendDecimal(std::string& out, u128 v)
{
    char buffer[kMaxDecimalChars];
    out.append(buffer, writeDecimal(buffer, v));
}

std::string formatExpanded(const Address& a)
{
    if (a.family == Family::V4)
        return format(a);
    std::string s;
    s.reserve(39);
    for (int i = 0; i < 8; ++i) {
        if (i)
            s += ':';
        for (int shift = 124 - 16 * i; shift >= 112 - 16 * i; shift -= 4)
            s += textio::hexDigit(static_cast<unsigned>(a.value >> shift));
    }
    return s;
}

std::string formatNetwork(const Prefix& p)
{
    std::string s = format(p.network());
    s += '/';
    s += std::to_string(p.length);
    return s;
}

}  // namespace mq::net
