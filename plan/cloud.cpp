#include "plan/cloud.h"

#include <array>

#include "net/facts.h"
#include "textio/fields.h"

namespace mq::plan {

namespace {

constexpr std::array<CloudRules, 5> kRules{{
    {CloudMode::None, "none", "Standard", 0, 0, 0, 32},
    // network, +1 router, +2 DNS, +3 future use, broadcast
    {CloudMode::Aws, "aws", "AWS", 4, 1, 16, 28},
    // network, +1 gateway, +2 and +3 DNS, broadcast
    {CloudMode::Azure, "azure", "Azure", 4, 1, 0, 29},
    // network, +1 gateway, second-to-last, broadcast
    {CloudMode::Gcp, "gcp", "Google Cloud", 2, 2, 0, 29},
    // network, +1 gateway, broadcast
    {CloudMode::Oci, "oci", "Oracle Cloud", 2, 1, 0, 30},
}};

bool standard(CloudMode mode, net::Family f)
{
    return mode == CloudMode::None || f != net::Family::V4;
}

}  // namespace

const CloudRules& cloudRules(CloudMode mode)
{
    return kRules[static_cast<std::size_t>(mode)];
}

std::optional<CloudMode> parseCloudMode(std::string_view text)
{
    for (const CloudRules& r : kRules) {
        if (textio::equalsIgnoringCase(text, r.key))
            return r.mode;
    }
    return std::nullopt;
}

bool cloudAllowsLength(CloudMode mode, const net::Prefix& p)
{
    if (standard(mode, p.address.family))
        return true;
    const CloudRules& r = cloudRules(mode);
    return p.length >= r.shortest && p.length <= r.longest;
}

net::Count cloudUsableHosts(CloudMode mode, const net::Prefix& p)
{
    if (standard(mode, p.address.family))
        return net::hostsOf(p).usable;
    const CloudRules& r = cloudRules(mode);
    if (p.length > r.longest)
        return {};
    const net::u128 size = net::u128{1} << (32 - p.length);
    const net::u128 reserved = static_cast<net::u128>(r.reservedLow + r.reservedHigh);
    return {size > reserved ? size - reserved : 0, false};
}

std::optional<net::Address> cloudFirstUsable(CloudMode mode, const net::Prefix& p)
{
    if (standard(mode, p.address.family))
        return net::hostsOf(p).first;
    if (cloudUsableHosts(mode, p).low == 0)
        return std::nullopt;
    return net::Address::v4(static_cast<std::uint32_t>(p.network().value) + cloudRules(mode).reservedLow);
}

std::optional<net::Address> cloudLastUsable(CloudMode mode, const net::Prefix& p)
{
    if (standard(mode, p.address.family))
        return net::hostsOf(p).last;
    if (cloudUsableHosts(mode, p).low == 0)
        return std::nullopt;
    return net::Address::v4(static_cast<std::uint32_t>(p.last().value) - cloudRules(mode).reservedHigh);
}

std::optional<int> cloudLengthFor(CloudMode mode, net::Family family, net::u128 needed)
{
    const int bits = net::familyBits(family);
    const bool plain = standard(mode, family);
    const int longest = plain ? bits : cloudRules(mode).longest;
    const int shortest = plain ? 0 : cloudRules(mode).shortest;
    for (int len = longest; len >= shortest; --len) {
        const net::Prefix p{{0, family}, len};
        const net::Count usable = cloudUsableHosts(mode, p);
        if (usable.twoTo128 || usable.low >= needed)
            return len;
    }
    return std::nullopt;
}

}  // namespace mq::plan
