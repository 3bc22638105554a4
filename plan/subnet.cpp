// The addresses inside an assigned block: its gateway, kept addresses and DHCP ranges as
// the plan's rules, its cloud mode and its own layout make them.
#include "plan/subnet.h"

#include <algorithm>
#include <array>

#include "plan/plan.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::plan {

namespace {

constexpr std::array<const char*, 8> kRoles{"other",   "gateway",      "router", "server",
                                            "printer", "access-point", "camera", "reserved"};

bool isAssignedLeaf(const Plan& plan, BlockId id)
{
    if (!plan.exists(id))
        return false;
    const Block& b = plan.block(id);
    return b.children.empty() && b.state != BlockState::Free;
}

net::Address at(const net::Prefix& p, net::u128 offset)
{
    return {p.network().value + offset, p.address.family};
}

// Ranges less the addresses of `out` (sorted, not overlapping one another): what is left of
// each range, in address order.
std::vector<AddressRange> without(const std::vector<AddressRange>& ranges, const std::vector<AddressRange>& out)
{
    std::vector<AddressRange> left;
    for (const AddressRange& r : ranges) {
        net::Address from = r.first;
        bool open = true;
        for (const AddressRange& o : out) {
            if (o.last < from || r.last < o.first)
                continue;
            if (from < o.first)
                left.push_back({from, {o.first.value - 1, from.family}});
            if (!(o.last < r.last)) {
                open = false;
                break;
            }
            from = {o.last.value + 1, from.family};
        }
        if (open)
            left.push_back({from, r.last});
    }
    return left;
}

void addKept(ResolvedLayout& out, net::Address first, net::Address last)
{
    out.kept.push_back({first, last});
}

// The cloud's reserved addresses besides the network, its router and the broadcast.
void cloudKept(ResolvedLayout& out, CloudMode mode)
{
    const CloudRules& r = cloudRules(mode);
    if (!out.firstUsable)
        return;
    if (r.reservedLow > 2)
        addKept(out, at(out.prefix, 2), at(out.prefix, static_cast<net::u128>(r.reservedLow - 1)));
    if (r.reservedHigh == 2) {
        const net::Address second{out.prefix.last().value - 1, out.prefix.address.family};
        addKept(out, second, second);
    }
}

// The first n usable addresses, the gateway left out.
void firstKept(ResolvedLayout& out, int n)
{
    if (n <= 0 || !out.firstUsable)
        return;
    const net::u128 first = out.firstUsable->value;
    const net::u128 span = out.lastUsable->value - first;
    const net::u128 last = first + std::min<net::u128>(span, static_cast<net::u128>(n - 1));
    const net::Family f = out.prefix.address.family;
    std::vector<AddressRange> kept{{{first, f}, {last, f}}};
    if (out.gateway)
        kept = without(kept, {{*out.gateway, *out.gateway}});
    out.kept.insert(out.kept.end(), kept.begin(), kept.end());
}

std::vector<AddressRange> ruleRanges(const ResolvedLayout& out, const LayoutRules& rules)
{
    if (!out.firstUsable)
        return {};
    const net::Prefix& p = out.prefix;
    const int hostBits = p.address.bits() - p.length;
    const net::u128 firstOff = out.firstUsable->value - p.network().value;
    const net::u128 lastOff = out.lastUsable->value - p.network().value;
    net::u128 from = 0, to = 0;
    if (rules.range == RangeRule::UpperHalf) {
        if (hostBits <= 1)
            return {};
        from = net::u128{1} << (hostBits - 1);
        to = lastOff;
    } else if (rules.range == RangeRule::Offsets) {
        from = rules.rangeFrom;
        to = rules.rangeTo;
    } else {
        return {};
    }
    from = std::max(from, firstOff);
    to = std::min(to, lastOff);
    if (from > to)
        return {};
    return {{at(p, from), at(p, to)}};
}

}  // namespace

const char* roleName(HostRole role)
{
    const auto i = static_cast<std::size_t>(role);
    return i < kRoles.size() ? kRoles[i] : kRoles[0];
}

std::optional<HostRole> parseRole(std::string_view text)
{
    for (std::size_t i = 0; i < kRoles.size(); ++i)
        if (textio::equalsIgnoringCase(text, kRoles[i]))
            return static_cast<HostRole>(i);
    if (textio::equalsIgnoringCase(text, "access point") || textio::equalsIgnoringCase(text, "ap"))
        return HostRole::AccessPoint;
    return std::nullopt;
}

std::string checkHostName(std::string_view name)
{
    const auto quoted = [name] { return "\"" + textio::escaped(name, textio::kQuotedValue) + "\""; };
    if (name.empty())
        return "is empty";
    if (name.size() > 253)
        return quoted() + " is longer than 253 bytes";
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '.') {
            const char c = name[i];
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            if (!ok)
                return quoted() + " holds '" + textio::escaped(name.substr(i, 1)) + "' (byte " + std::to_string(i + 1) +
                       "): a DNS name has letters, digits, '-' and '.'";
            continue;
        }
        const std::size_t length = i - start;
        if (length == 0)
            return quoted() + " has an empty label";
        if (length > 63)
            return quoted() + " has a label longer than 63 bytes";
        if (name[start] == '-' || name[i - 1] == '-')
            return quoted() + " has a label that starts or ends with '-'";
        start = i + 1;
    }
    return {};
}

ResolvedLayout resolveLayout(const Plan& plan, BlockId id)
{
    ResolvedLayout out;
    if (!plan.exists(id))
        return out;
    out.prefix = plan.block(id).prefix;
    if (!isAssignedLeaf(plan, id))
        return out;
    const net::Prefix& p = out.prefix;
    const bool v6 = p.address.family == net::Family::V6;
    const LayoutRules& rules = plan.settings().layout;
    const CloudMode mode = v6 ? CloudMode::None : plan.settings().cloud;
    static const SubnetLayout kNone;
    const SubnetLayout& own = plan.subnetLayout(id) ? *plan.subnetLayout(id) : kNone;
    if (cloudUsableHosts(mode, p) != net::Count{}) {
        out.firstUsable = cloudFirstUsable(mode, p);
        out.lastUsable = cloudLastUsable(mode, p);
    }
    if (own.gatewaySet)
        out.gateway = own.gateway;
    else if (!out.firstUsable)
        out.gateway.reset();
    else if (mode != CloudMode::None)
        out.gateway = at(p, 1);
    else if (rules.gateway == GatewayRule::FirstUsable)
        out.gateway = out.firstUsable;
    else if (rules.gateway == GatewayRule::LastUsable)
        out.gateway = out.lastUsable;
    firstKept(out, own.kept.value_or(rules.kept));
    if (mode != CloudMode::None)
        cloudKept(out, mode);
    std::sort(out.kept.begin(), out.kept.end(),
              [](const AddressRange& a, const AddressRange& b) { return a.first < b.first; });
    if (v6) {
        out.dhcp6 = own.dhcp6.value_or(rules.dhcp6);
        out.delegatedLength = own.delegatedLength;
    }
    if (own.rangesSet) {
        out.ranges = own.ranges;
    } else if (!v6 || (out.dhcp6 != Dhcp6Mode::Slaac && out.delegatedLength == 0)) {
        // A rule's range never covers the gateway or a kept address: they are cut out of
        // it, which may leave it shorter or in pieces.
        std::vector<AddressRange> statics = out.kept;
        if (out.gateway && p.contains(*out.gateway))
            statics.push_back({*out.gateway, *out.gateway});
        std::sort(statics.begin(), statics.end(),
                  [](const AddressRange& a, const AddressRange& b) { return a.first < b.first; });
        out.ranges = without(ruleRanges(out, rules), statics);
    }
    return out;
}

std::string setRulesKeepingLayouts(Plan& plan, const Settings& settings)
{
    const Settings before = plan.settings();
    std::vector<std::pair<BlockId, ResolvedLayout>> was;
    for (BlockId id : plan.leaves())
        if (isAssignedLeaf(plan, id))
            was.emplace_back(id, resolveLayout(plan, id));
    if (std::string r = plan.setSettings(settings); !r.empty())
        return r;
    for (const auto& [id, old] : was) {
        const ResolvedLayout now = resolveLayout(plan, id);
        SubnetLayout own = plan.subnetLayout(id) ? *plan.subnetLayout(id) : SubnetLayout{};
        if (now.gateway != old.gateway) {
            own.gatewaySet = true;
            own.gateway = old.gateway;
        }
        if (now.kept != old.kept)
            own.kept = before.layout.kept;
        if (now.dhcp6 != old.dhcp6)
            own.dhcp6 = old.dhcp6;
        if (now.ranges != old.ranges) {
            own.rangesSet = true;
            own.ranges = old.ranges;
        }
        if (now.gateway == old.gateway && now.kept == old.kept && now.dhcp6 == old.dhcp6 && now.ranges == old.ranges)
            continue;
        if (std::string r = plan.setSubnetLayout(id, std::move(own)); !r.empty()) {
            plan.setSettings(before);
            return r;
        }
    }
    return {};
}

BlockId hostBlock(const Plan& plan, const Host& host, net::Family f)
{
    const auto& a = f == net::Family::V4 ? host.v4 : host.v6;
    if (!a)
        return kNoBlock;
    const BlockId leaf = plan.leafAt(*a);
    return leaf != kNoBlock && isAssignedLeaf(plan, leaf) ? leaf : kNoBlock;
}

HostIndex::HostIndex(const Plan& plan)
{
    const auto& hosts = plan.hosts();
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        for (net::Family f : {net::Family::V4, net::Family::V6}) {
            const BlockId b = hostBlock(plan, hosts[i], f);
            if (b == kNoBlock)
                continue;
            if (byBlock_.size() <= b)
                byBlock_.resize(b + 1);
            byBlock_[b].push_back(i);
        }
    }
}

const std::vector<std::size_t>& HostIndex::of(BlockId id) const
{
    static const std::vector<std::size_t> kEmpty;
    return id < byBlock_.size() ? byBlock_[id] : kEmpty;
}

}  // namespace mq::plan
