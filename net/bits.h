#pragma once
// The bit arithmetic of 128-bit address values, in one place: shifts by the whole width are
// undefined in C++, so every helper here is total over 0..128.
#include <bit>
#include <cstdint>

#include "net/address.h"

namespace mq::net {

// All ones over the family's width: 2^32 - 1 or 2^128 - 1.
constexpr u128 familyMask(Family f)
{
    return f == Family::V4 ? u128{0xFFFFFFFFu} : ~u128{0};
}

// The k low bits set (k from 0 to 128): 2^k - 1.
constexpr u128 lowBits(int k)
{
    return k >= 128 ? ~u128{0} : (u128{1} << k) - 1;
}

// v << n, 0 when n is the whole width (where only v = 0 can occur in a listing).
constexpr u128 shiftedLeft(u128 v, int n)
{
    return n >= 128 ? 0 : v << n;
}
constexpr u128 shiftedRight(u128 v, int n)
{
    return n >= 128 ? 0 : v >> n;
}

// Bits needed to write v: 0 for 0, 128 for values from 2^127.
constexpr int bitLength(u128 v)
{
    const auto high = static_cast<std::uint64_t>(v >> 64);
    return high ? 128 - std::countl_zero(high) : 64 - std::countl_zero(static_cast<std::uint64_t>(v));
}

// Zero bits below the lowest one: 128 for 0.
constexpr int trailingZeros(u128 v)
{
    const auto low = static_cast<std::uint64_t>(v);
    return low ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<std::uint64_t>(v >> 64));
}

}  // namespace mq::net
