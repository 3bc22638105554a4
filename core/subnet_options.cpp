#include "core/subnet_options.h"

#include <cstdint>

namespace mq {

int classNetworkBits(std::string_view c)
{
    if (c == "A")
        return 8;
    if (c == "B")
        return 16;
    if (c == "C")
        return 24;
    return 0;
}

int classFieldLength(std::string_view c)
{
    return classNetworkBits(c) / 8 * 10;
}

std::string classMask(std::string_view c)
{
    int bits = classNetworkBits(c);
    return bits ? prefixMask(bits) : std::string();
}

std::string prefixMask(int prefix)
{
    std::string s;
    for (int k = 0; k < 4; ++k) {
        int ones = prefix - 8 * k;
        int v = ones >= 8 ? 255 : ones <= 0 ? 0 : (0xFF00 >> ones) & 0xFF;
        if (k)
            s += '.';
        s += std::to_string(v);
    }
    return s;
}

std::string maskBinaryText(int prefix)
{
    std::string s;
    for (int i = 0; i < 32; ++i) {
        if (i && i % 8 == 0)
            s += "  ";
        s += i < prefix ? '1' : '0';
    }
    return s;
}

std::vector<SubnetOptionRow> subnetOptionRows(std::string_view classLetter, bool subnetZero)
{
    std::vector<SubnetOptionRow> rows;
    int c = classNetworkBits(classLetter);
    if (!c)
        return rows;
    int h0 = 32 - c;
    for (int n = 0; n <= h0 - 2; ++n) {
        if (n == 1 && !subnetZero)
            continue;
        std::int64_t subnets = n == 0 ? 0 : n == 1 ? 1 : (std::int64_t{1} << n) - 2;
        std::int64_t hosts = (std::int64_t{1} << (h0 - n)) - 2;
        rows.push_back({n, std::to_string(n), prefixMask(c + n), std::to_string(subnets), std::to_string(hosts)});
    }
    return rows;
}

std::optional<MaskDisplayEntry> maskDisplayEntry(std::string_view maskText, std::string_view classLetter)
{
    int c = classNetworkBits(classLetter);
    if (!c)
        return std::nullopt;
    for (int p = c; p <= 30; ++p) {
        if (prefixMask(p) != maskText)
            continue;
        int n = p - c;
        int s = n == 0 ? 0 : n + 2 * ((n - 1) / 8);
        return MaskDisplayEntry{maskBinaryText(p), s, classFieldLength(classLetter) + s + 1};
    }
    return std::nullopt;
}

}  // namespace mq
