#include "net/facts.h"

#include <algorithm>

#include "net/bits.h"
#include "textio/fields.h"

namespace mq::net {

namespace {

// The first `count` labels of the address from the top, written lowest first:
// octets for IPv4, nibbles for IPv6, as reverse DNS names them.
std::string reverseLabels(const Address& a, int count)
{
    std::string s;
    const bool v4 = a.family == Family::V4;
    const int step = v4 ? 8 : 4;
    for (int i = count - 1; i >= 0; --i) {
        const unsigned label = static_cast<unsigned>(a.value >> (a.bits() - step * (i + 1))) & (v4 ? 0xFF : 0xF);
        if (v4)
            s += std::to_string(label);
        else
            s += textio::hexDigit(label);
        s += '.';
    }
    s += v4 ? "in-addr.arpa" : "ip6.arpa";
    return s;
}

bool inBlock(const Address& a, u128 blockTop, int length)
{
    return Prefix{Address::v6(blockTop), length}.contains(a);
}

}  // namespace

Hosts hostsOf(const Prefix& p)
{
    const Address network = p.network();
    const Address last = p.last();
    const int hostBits = p.address.bits() - p.length;
    Hosts h{network, last, std::nullopt, {}};
    if (hostBits == 0) {
        h.usable = {1, false};
    } else if (hostBits == 1) {
        h.usable = {2, false};  // RFC 3021 point-to-point links; /127 the same way (RFC 6164)
    } else if (p.address.family == Family::V4) {
        h.first.value += 1;
        h.last.value -= 1;
        h.broadcast = last;
        h.usable = {(u128{1} << hostBits) - 2, false};
    } else {
        h.first.value += 1;  // the network itself is the Subnet-Router anycast address
        h.usable = {lowBits(hostBits), false};
    }
    return h;
}

std::string ptrName(const Address& a)
{
    return reverseLabels(a, a.family == Family::V4 ? 4 : 32);
}

std::vector<std::string> reverseZones(const Prefix& p)
{
    const bool v4 = p.address.family == Family::V4;
    const int step = v4 ? 8 : 4;
    // Zones sit at label boundaries; an IPv4 network longer than /24 lies in one /24 zone.
    int boundary = (p.length + step - 1) / step * step;
    if (v4 && boundary > 24)
        boundary = 24;
    const int length = std::min(p.length, boundary);
    const Address network = Prefix{p.address, length}.network();
    std::vector<std::string> zones;
    const int count = 1 << (boundary - length);
    for (int i = 0; i < count; ++i) {
        const int shift = p.address.bits() - boundary;  // 128 only for ::/0, its one zone
        const Address zone{network.value + shiftedLeft(static_cast<u128>(i), shift), network.family};
        zones.push_back(reverseLabels(zone, boundary / step));
    }
    return zones;
}

std::optional<EmbeddedV4> embeddedV4(const Address& a)
{
    if (a.family != Family::V6)
        return std::nullopt;
    const auto low = static_cast<std::uint32_t>(a.value);
    if (inBlock(a, u128{0xFFFF} << 32, 96))
        return EmbeddedV4{Address::v4(low), "IPv4-mapped"};
    if (inBlock(a, u128{0x0064FF9B} << 96, 96))
        return EmbeddedV4{Address::v4(low), "NAT64"};
    if (inBlock(a, u128{0x2002} << 112, 16))
        return EmbeddedV4{Address::v4(static_cast<std::uint32_t>(a.value >> 80)), "6to4"};
    // Teredo keeps the client's address with every bit flipped (RFC 4380 section 4).
    if (inBlock(a, u128{0x20010000} << 96, 32))
        return EmbeddedV4{Address::v4(~low), "Teredo client"};
    return std::nullopt;
}

std::optional<char> classOf(const Address& a)
{
    if (a.family != Family::V4)
        return std::nullopt;
    const auto first = static_cast<unsigned>(a.value >> 24);
    if (first < 128)
        return 'A';
    if (first < 192)
        return 'B';
    if (first < 224)
        return 'C';
    if (first < 240)
        return 'D';
    return 'E';
}

PrefixFacts describe(const Prefix& p, std::string zone)
{
    PrefixFacts f;
    f.prefix = p;
    f.zone = std::move(zone);
    f.network = p.network();
    f.netmask = maskOf(p.address.family, p.length);
    if (p.address.family == Family::V4)
        f.wildcard = ~f.netmask & 0xFFFFFFFFu;
    const Hosts h = hostsOf(p);
    f.broadcast = h.broadcast;
    f.first = h.first;
    f.last = h.last;
    f.addresses = Count::powerOfTwo(p.address.bits() - p.length);
    f.usable = h.usable;
    f.addressClass = classOf(p.address);
    f.reversePointer = ptrName(p.address);
    f.reverseZones = reverseZones(p);
    f.embedded = embeddedV4(p.address);
    f.special = specialEntriesHolding(p);
    // Reachability belongs to the address; entries without a flag (N/A, terminated) pass it on.
    for (const SpecialEntry* e : specialEntriesHolding({p.address, p.address.bits()}))
        if (e->globallyReachable) {
            f.global = *e->globallyReachable;
            break;
        }
    return f;
}

}  // namespace mq::net
