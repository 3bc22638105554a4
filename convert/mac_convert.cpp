#include "convert/mac_convert.h"

namespace mq {

std::optional<char> reverseNibble(char digit)
{
    static constexpr char kReversed[] = "084c2a6e195d3b7f";
    if (digit >= '0' && digit <= '9')
        return kReversed[digit - '0'];
    if (digit >= 'a' && digit <= 'f')
        return kReversed[digit - 'a' + 10];
    if (digit >= 'A' && digit <= 'F')
        return kReversed[digit - 'A' + 10];
    return std::nullopt;
}

std::optional<std::string> canon(std::string_view text)
{
    if (text.size() < 12)
        return std::nullopt;
    std::string out;
    out.reserve(12);
    for (std::size_t i = 0; i < 12; i += 2) {
        const auto high = reverseNibble(text[i]);
        const auto low = reverseNibble(text[i + 1]);
        if (!high || !low)
            return std::nullopt;
        out += *low;
        out += *high;
    }
    return out;
}

}  // namespace mq
