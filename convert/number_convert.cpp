#include "convert/number_convert.h"

#include "core/helpers.h"

#include <algorithm>
#include <limits>

namespace mq {

namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

std::size_t usable(std::string_view text, int length)
{
    return length <= 0 ? 0 : std::min(text.size(), static_cast<std::size_t>(length));
}

int hexDigitValue(char c)
{
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

}  // namespace

std::uint64_t bbin(std::string_view text, int length)
{
    const std::size_t n = usable(text, length);
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (value > (kSaturated >> 1))
            return kSaturated;
        value = (value << 1) | (text[i] == '1' ? 1u : 0u);
    }
    return value;
}

std::string dbin(std::uint32_t value)
{
    std::string digits;
    std::uint64_t rest = value;
    for (int i = 31; i >= 0; --i) {
        const std::uint64_t p = std::uint64_t{1} << i;
        if (digits.empty() && rest < p)
            continue;
        if (rest >= p) {
            digits += '1';
            rest -= p;
        } else {
            digits += '0';
        }
    }
    return digits.empty() ? "0" : digits;
}

std::uint64_t hbin(std::string_view text, int length)
{
    const std::size_t n = usable(text, length);
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (value > (kSaturated >> 4))
            return kSaturated;
        value = (value << 4) + static_cast<std::uint64_t>(hexDigitValue(text[i]));
    }
    return value;
}

std::optional<std::string> calchex(std::string_view decimalText)
{
    const double number = leadingNumber(decimalText);
    if (number > kLargestDecimal)
        return std::nullopt;
    // The decimal box holds whole non-negative numbers; anything else reads as 0.
    auto value = number < 0 ? std::uint32_t{0} : static_cast<std::uint32_t>(number);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return hex;
}

}  // namespace mq
