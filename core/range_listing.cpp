#include "core/range_listing.h"

#include "core/subnet_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mq {

namespace {

struct OctetTexts {
    std::array<std::array<char, 4>, 256> text{};
    std::array<std::uint8_t, 256> length{};
    OctetTexts()
    {
        for (int v = 0; v < 256; ++v) {
            std::string s = std::to_string(v);
            std::copy(s.begin(), s.end(), text[static_cast<std::size_t>(v)].begin());
            length[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(s.size());
        }
    }
};

const OctetTexts& octetTexts()
{
    static const OctetTexts t;
    return t;
}

}  // namespace

RangeLister RangeLister::capture(const FrmdocModel& calc)
{
    RangeLister r;
    const std::string& c = calc.state().classLetter;
    r.k = classNetworkBits(c) / 8;
    if (!r.k)
        return r;
    for (int i = 0; i < r.k; ++i)
        r.prefix += plainNumber(leadingNumber(calc.Text3[static_cast<std::size_t>(i)].text)) + ".";
    r.b = static_cast<int>(std::clamp(leadingNumber(calc.Combo1[0].text), 0.0, 32.0));
    r.h = 32 - 8 * r.k - r.b;
    r.ok = r.h >= 1;
    return r;
}

std::uint32_t RangeLister::subnetBitsOf(double subnet) const
{
    // The bits are handed out greedily from the top, so a number past the last
    // subnet saturates to all ones and a negative one gives all zeros.
    const double last = std::ldexp(1.0, b) - 1;
    if (!(subnet > 0))
        return 0;
    return static_cast<std::uint32_t>(std::min(std::floor(subnet), last));
}

void RangeLister::appendAddress(std::uint32_t hostPart, std::string& out) const
{
    const auto& t = octetTexts();
    out += prefix;
    for (int q = k; q < 4; ++q) {
        auto v = static_cast<std::size_t>((hostPart >> (8 * (3 - q))) & 0xFF);
        out.append(t.text[v].data(), t.length[v]);
        if (q < 3)
            out += '.';
    }
}

RangeRow RangeLister::row(double subnet) const
{
    RangeRow r;
    if (!ok)
        return r;
    const std::uint32_t sub = subnetBitsOf(subnet) << h;
    const std::uint32_t hostMask = (std::uint32_t{1} << h) - 1;
    appendAddress(sub, r.subnet);
    appendAddress(sub | 1u, r.first);
    appendAddress(sub | (hostMask & ~1u), r.last);
    appendAddress(sub | hostMask, r.broadcast);
    return r;
}

void RangeLister::appendLine(std::int32_t subnet, std::string& out) const
{
    // The number takes at most 12 characters, each address a tab, the prefix and
    // 16 more (octet texts are copied four bytes at a time, so there is slack).
    const std::size_t need = 16 + 4 * (1 + prefix.size() + 16);
    char small[128];
    std::string large;
    char* buf = small;
    if (need > sizeof small) {
        large.resize(need);
        buf = large.data();
    }
    char* p = buf;
    if (subnet >= 0)
        *p++ = ' ';
    p = std::to_chars(p, buf + 16, subnet).ptr;
    if (!ok) {
        std::memcpy(p, "\t\t\t\t", 4);
        out.append(buf, static_cast<std::size_t>(p + 4 - buf));
        return;
    }
    const std::uint32_t sub = subnetBitsOf(subnet) << h;
    const std::uint32_t hostMask = (std::uint32_t{1} << h) - 1;
    const std::uint32_t parts[4] = {sub, sub | 1u, sub | (hostMask & ~1u), sub | hostMask};
    const auto& t = octetTexts();
    for (std::uint32_t part : parts) {
        *p++ = '\t';
        std::memcpy(p, prefix.data(), prefix.size());
        p += prefix.size();
        for (int q = k; q < 4; ++q) {
            auto v = static_cast<std::size_t>((part >> (8 * (3 - q))) & 0xFF);
            std::memcpy(p, t.text[v].data(), 4);
            p += t.length[v];
            if (q < 3)
                *p++ = '.';
        }
    }
    out.append(buf, static_cast<std::size_t>(p - buf));
}

}  // namespace mq
