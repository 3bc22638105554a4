// Whole numbers between binary, decimal and hexadecimal digit texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mq {

// The largest number the decimal and binary conversions accept (2^31 - 1).
inline constexpr std::uint32_t kLargestDecimal = 2147483647u;

// Value of the first `length` characters of a binary digit text: every "1"
// counts, every other character counts as 0. Saturates beyond 64 bits.
std::uint64_t bbin(std::string_view text, int length);

// Binary digits of a value, without leading zeros ("0" for zero).
std::string dbin(std::uint32_t value);

// Value of the first `length` characters of a hexadecimal digit text, read
// from the right. "a"-"f" and "A"-"F" count 10-15, any other character its
// leading-number value (digits as themselves, the rest 0). Saturates beyond
// 64 bits.
std::uint64_t hbin(std::string_view text, int length);

// The hexadecimal text (upper case, no leading zeros) of a decimal text taken
// as a leading number; nothing when that number is above kLargestDecimal.
std::optional<std::string> calchex(std::string_view decimalText);

}  // namespace mq
