// The addresses a block has taken and left: its counts, its next free address, and the
// address a host's box asks for.
#include <algorithm>

#include "net/parse.h"
#include "plan/allocations.h"
#include "plan/fields.h"
#include "plan/plan.h"
#include "plan/subnet.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::plan {

namespace {

struct Span {
    net::u128 first, last;  // inclusive
};

// The spans clipped to [lo, hi], sorted and merged: none touches or overlaps another.
std::vector<Span> merged(std::vector<Span> spans, net::u128 lo, net::u128 hi)
{
    std::vector<Span> out;
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    for (Span s : spans) {
        s.first = std::max(s.first, lo);
        s.last = std::min(s.last, hi);
        if (s.first > s.last)
            continue;
        if (!out.empty() && out.back().last != ~net::u128{0} && s.first <= out.back().last + 1)
            out.back().last = std::max(out.back().last, s.last);
        else
            out.push_back(s);
    }
    return out;
}

// 2^128 cannot be a u128: a sum of spans that reaches it is kept as a Count.
net::Count total(const std::vector<Span>& spans)
{
    net::Count c;
    for (const Span& s : spans) {
        const net::u128 size = s.last - s.first;  // one less than the span's size
        const net::u128 room = ~net::u128{0} - c.low;
        if (size >= room) {
            c = {size - room, true};  // only a span of the whole ::/0 gets here
            continue;
        }
        c.low += size + 1;
    }
    return c;
}

struct Taken {
    std::vector<Span> statics;  // gateway, kept, hosts' addresses
    std::vector<Span> ranges;
};

Taken taken(const Plan& plan, const ResolvedLayout& l, const HostIndex& index, BlockId id,
            std::optional<std::size_t> except)
{
    Taken t;
    if (l.gateway)
        t.statics.push_back({l.gateway->value, l.gateway->value});
    for (const AddressRange& k : l.kept)
        t.statics.push_back({k.first.value, k.last.value});
    const bool v4 = l.prefix.address.family == net::Family::V4;
    for (std::size_t i : index.of(id)) {
        if (except && *except == i)
            continue;
        const auto& a = v4 ? plan.hosts()[i].v4 : plan.hosts()[i].v6;
        if (a && l.prefix.contains(*a))
            t.statics.push_back({a->value, a->value});
    }
    for (const AddressRange& r : l.ranges)
        t.ranges.push_back({r.first.value, r.last.value});
    return t;
}

net::ParseError fault(std::string message)
{
    return net::ParseError{0, std::move(message), net::ParseError::Fault::Text};
}

// "::N": the block's network + N, N decimal for IPv4 and the rest of an IPv6 address
// (hex groups, "::1:0") for IPv6, as an address's tail is written in each family.
net::Parsed<net::Address> offsetAddress(const net::Prefix& p, std::string_view text)
{
    const bool v6 = p.address.family == net::Family::V6;
    std::optional<net::u128> n;
    if (v6) {
        const auto a = net::parseAddress(text);
        if (const auto* e = std::get_if<net::Address>(&a); e && e->family == net::Family::V6)
            n = e->value;
    } else {
        n = net::parseDecimal(text.substr(2));
    }
    if (!n)
        return fault(textio::quoted(text) + " is not ::N, an offset within the block");
    const int hostBits = p.address.bits() - p.length;
    if (hostBits < 128 && (*n >> hostBits) != 0)
        return fault(std::string(text) + " lies outside " + net::formatNetwork(p));
    return net::Address{p.network().value + *n, p.address.family};
}

}  // namespace

SubnetCounts countSubnet(const Plan& plan, BlockId id, const HostIndex& index)
{
    const ResolvedLayout l = resolveLayout(plan, id);
    SubnetCounts c;
    if (!l.firstUsable)
        return c;
    const CloudMode mode = l.prefix.address.family == net::Family::V4 ? plan.settings().cloud : CloudMode::None;
    c.usable = cloudUsableHosts(mode, l.prefix);
    Taken t = taken(plan, l, index, id, std::nullopt);
    const net::u128 lo = l.firstUsable->value, hi = l.lastUsable->value;
    const auto statics = merged(t.statics, l.prefix.network().value, l.prefix.last().value);
    c.statics = static_cast<std::size_t>(total(statics).low);
    const auto ranges = merged(t.ranges, lo, hi);
    c.inRanges = total(ranges);
    std::vector<Span> both = t.statics;
    both.insert(both.end(), t.ranges.begin(), t.ranges.end());
    const net::Count used = total(merged(std::move(both), lo, hi));
    // No block has 2^128 usable addresses (an IPv6 block's network is not one of them), so
    // what is used fits a u128 too.
    c.free = {c.usable.low - std::min(c.usable.low, used.low), false};
    return c;
}

std::optional<net::Address> nextFree(const Plan& plan, BlockId id, const HostIndex& index,
                                     std::optional<std::size_t> except)
{
    const ResolvedLayout l = resolveLayout(plan, id);
    if (!l.firstUsable)
        return std::nullopt;
    Taken t = taken(plan, l, index, id, except);
    t.statics.insert(t.statics.end(), t.ranges.begin(), t.ranges.end());
    const net::u128 lo = l.firstUsable->value, hi = l.lastUsable->value;
    net::u128 at = lo;
    for (const Span& s : merged(std::move(t.statics), lo, hi)) {
        if (at < s.first)
            break;
        if (s.last >= hi)
            return std::nullopt;
        at = s.last + 1;
    }
    return net::Address{at, l.prefix.address.family};
}

net::Parsed<net::Address> hostAddress(const Plan& plan, BlockId id, std::string_view text,
                                      const std::optional<net::Mac>& mac, const HostIndex& index,
                                      std::optional<std::size_t> except)
{
    if (!plan.exists(id))
        return fault("block " + std::to_string(id) + " does not exist");
    const ResolvedLayout l = resolveLayout(plan, id);
    const net::Prefix& p = l.prefix;
    const std::string block = net::formatNetwork(p);
    const bool v6 = p.address.family == net::Family::V6;
    const std::string_view t = textio::trimBlanks(text);
    if (textio::equalsIgnoringCase(t, "next")) {
        if (auto a = nextFree(plan, id, index, except))
            return *a;
        return fault(block + " has no free address left");
    }
    net::Address a;
    if (textio::equalsIgnoringCase(t, "eui64")) {
        if (!mac)
            return fault("eui64 needs a MAC");
        if (!v6)
            return fault("eui64 makes IPv6 addresses, and " + block + " is IPv4");
        auto e = net::eui64Address(p, *mac);
        if (std::holds_alternative<net::ParseError>(e))
            return e;
        a = std::get<net::Address>(e);
    } else if (t.substr(0, 2) == "::") {
        auto o = offsetAddress(p, t);
        if (std::holds_alternative<net::ParseError>(o))
            return o;
        a = std::get<net::Address>(o);
    } else {
        const auto parsed = parseHostAddress(t);
        if (!parsed)
            return fault(parsed.problem().message);
        a = *parsed;
        if (a.family != p.address.family)
            return fault(net::format(a) + " is " + (v6 ? "IPv4" : "IPv6") + ", and " + block + " is " +
                         (v6 ? "IPv6" : "IPv4"));
        if (!p.contains(a))
            return fault(net::format(a) + " lies outside " + block);
    }
    if (!l.firstUsable || a < *l.firstUsable || *l.lastUsable < a)
        return fault(net::format(a) + " is not a usable address of " + block);
    return a;
}

std::string rangeFault(const Plan& plan, BlockId id, const ResolvedLayout& l, const net::Address& a)
{
    for (const AddressRange& r : l.ranges)
        if (!(a < r.first) && !(r.last < a)) {
            const Block& b = plan.block(id);
            return net::format(a) + " lies in the DHCP range " + rangesText({r}) + " of " +
                   net::formatNetwork(b.prefix) + (b.name.empty() ? "" : " (" + b.name + ")");
        }
    return {};
}

std::string rangeFault(const Plan& plan, const net::Address& a)
{
    const BlockId id = plan.leafAt(a);
    if (id == kNoBlock || plan.block(id).state == BlockState::Free)
        return {};
    return rangeFault(plan, id, resolveLayout(plan, id), a);
}

}  // namespace mq::plan
