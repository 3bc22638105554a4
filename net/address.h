#pragma once
// Addresses, prefixes and ranges of both families, as 128-bit values.
// IPv4 values live in the low 32 bits. Everything here is constexpr-cheap value types
// so that listings of billions of rows can make them on the fly.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mq::net {

using u128 = unsigned __int128;

enum class Family : std::uint8_t { V4 = 4, V6 = 6 };

constexpr int familyBits(Family f)
{
    return f == Family::V4 ? 32 : 128;
}

struct Address {
    u128 value = 0;
    Family family = Family::V4;

    static constexpr Address v4(std::uint32_t v) { return {v, Family::V4}; }
    static constexpr Address v6(u128 v) { return {v, Family::V6}; }
    constexpr int bits() const { return familyBits(family); }
    // Ordered by family first (IPv4 before IPv6), then by value: a mixed list sorts as
    // all IPv4 in address order, then all IPv6 in address order.
    constexpr std::strong_ordering operator<=>(const Address& other) const
    {
        if (family != other.family)
            return family <=> other.family;
        return value <=> other.value;
    }
    constexpr bool operator==(const Address&) const = default;
};

// The mask of a prefix length: `length` leading one bits within the family's width.
u128 maskOf(Family f, int length);

// A prefix as typed: the address keeps its host bits (10.1.2.3/22); network() clears them.
struct Prefix {
    Address address;
    int length = 0;

    Address network() const;
    Address last() const;  // all host bits set
    Prefix masked() const;  // the same length with the host bits cleared: {network(), length}
    bool isNetwork() const;  // no host bits set: address == network()
    bool contains(const Address& a) const;
    bool contains(const Prefix& p) const;  // p lies wholly inside this prefix
    // By address (family, then value), then by length: a block before the longer ones at its start.
    constexpr auto operator<=>(const Prefix&) const = default;
};

struct Range {
    Address first;
    Address last;  // inclusive; same family as first, first <= last
};

// A count of addresses: up to 2^128 inclusive, which one u128 cannot hold.
struct Count {
    u128 low = 0;
    bool twoTo128 = false;  // the count is exactly 2^128 (low is then 0)

    static Count powerOfTwo(int exponent);  // 0..128
    constexpr auto operator<=>(const Count&) const = default;
};

std::string toDecimal(u128 v);
std::string toDecimal(const Count& c);
// Decimal digits only, no sign or blanks; nullopt when empty, not digits, or above 2^128-1.
std::optional<u128> parseDecimal(std::string_view text);

// IPv4 dotted quad; IPv6 in RFC 5952 canonical form (IPv4-mapped ::ffff:a.b.c.d dotted).
std::string format(const Address& a);
// IPv4 dotted quad; IPv6 as eight 4-digit lower-case hex fields.
std::string formatExpanded(const Address& a);
// "network/len" of a prefix's network (host bits cleared).
std::string formatNetwork(const Prefix& p);
// Appends format(a) or toDecimal(v) to out without allocating a temporary (hot path of
// listings and CSV exports).
void appendFormat(std::string& out, const Address& a);
void appendDecimal(std::string& out, u128 v);

// The writers under format() and toDecimal(), for listings that fill a fixed buffer.
// Each returns the end of what it wrote. writeAddress writes at most kMaxAddressChars
// characters but may touch up to kAddressRoom bytes (it copies octets four bytes at a time).
inline constexpr std::size_t kMaxAddressChars = 45;  // ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255
inline constexpr std::size_t kAddressRoom = 48;
char* writeAddress(char* out, const Address& a);
inline constexpr std::size_t kMaxDecimalChars = 39;  // 2^128 - 1
char* writeDecimal(char* out, u128 v);
// True for ::ffff:0:0/96, the one IPv6 block that is written with a dotted tail.
constexpr bool isV4Mapped(const Address& a)
{
    return a.family == Family::V6 && (a.value >> 32) == 0xFFFF;
}

}  // namespace mq::net
