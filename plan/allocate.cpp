#include "plan/allocate.h"
#include "plan/fields.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <numeric>
#include <set>

#include "net/bits.h"
#include "net/facts.h"

namespace mq::plan {

namespace {

using net::u128;

constexpr double kMaxGrowthPercent = 1'000'000;

std::string familyName(net::Family f)
{
    return f == net::Family::V4 ? "IPv4" : "IPv6";
}

// The free blocks of an allocation, by prefix length, each set ordered by address. Every
// free block is aligned to its own size, so the lowest aligned place for a block of length
// L is the start of the lowest free block of length L or shorter: one look per length.
class FreeSpace {
public:
    void add(u128 start, int length)
    {
        byLength_[static_cast<std::size_t>(length)].insert(start);
        used_[static_cast<std::size_t>(length) / 64] |= std::uint64_t{1} << (length % 64);
    }
    void take(u128 start, int length)
    {
        auto& set = byLength_[static_cast<std::size_t>(length)];
        set.erase(start);
        if (set.empty())
            used_[static_cast<std::size_t>(length) / 64] &= ~(std::uint64_t{1} << (length % 64));
    }
    // The lowest free block of length <= maxLength: (start, length), or length -1 when none.
    bool has(u128 start, int length) const { return byLength_[static_cast<std::size_t>(length)].contains(start); }
    std::pair<u128, int> lowest(int maxLength) const
    {
        std::pair<u128, int> best{0, -1};
        forEachLength(maxLength, [&](int l) {
            const u128 s = *byLength_[static_cast<std::size_t>(l)].begin();
            if (best.second < 0 || s < best.first)
                best = {s, l};
            return false;
        });
        return best;
    }
    // The largest free block (lowest address among equals), length -1 when none.
    std::pair<u128, int> largest() const
    {
        std::pair<u128, int> best{0, -1};
        forEachLength(128, [&](int l) {
            best = {*byLength_[static_cast<std::size_t>(l)].begin(), l};
            return true;
        });
        return best;
    }

private:
    template <class F> void forEachLength(int maxLength, F f) const
    {
        for (int word = 0; word < 3; ++word) {
            std::uint64_t bits = used_[static_cast<std::size_t>(word)];
            while (bits) {
                const int l = word * 64 + std::countr_zero(bits);
                if (l > maxLength || f(l))
                    return;
                bits &= bits - 1;
            }
        }
    }
    std::array<std::set<u128>, 129> byLength_;
    std::array<std::uint64_t, 3> used_{};
};

std::string lengthText(int l)
{
    return "/" + std::to_string(l);
}

}  // namespace

std::optional<u128> neededHosts(u128 hosts, double growthPercent)
{
    if (!(growthPercent >= 0) || growthPercent > kMaxGrowthPercent)
        return std::nullopt;
    // Exact integer arithmetic: growth in millionths of a percent, 100 % = 10^8 units.
    constexpr u128 kWhole = 100'000'000;
    const u128 factor = kWhole + static_cast<u128>(std::llround(growthPercent * 1e6));
    u128 high;
    if (__builtin_mul_overflow(hosts / kWhole, factor, &high))
        return std::nullopt;
    const u128 low = (hosts % kWhole * factor + kWhole - 1) / kWhole;
    u128 sum;
    if (__builtin_add_overflow(high, low, &sum))
        return std::nullopt;
    return sum;
}

VlanBlock vlanBlock(const net::Prefix& root, int vlan)
{
    if (root.address.family != net::Family::V6)
        return {{}, "VLAN numbering is for IPv6 blocks"};
    const std::string block = net::formatNetwork(root);
    if (root.length > 64)
        return {{}, "VLAN numbering gives each segment a /64; " + block + " is longer than /64"};
    if (vlan <= 0)
        return {{}, "has no VLAN; VLAN numbering takes its /64 from the VLAN ID"};
    const std::string digits = std::to_string(vlan);
    const std::size_t room = static_cast<std::size_t>(64 - root.length) / 4;
    if (digits.size() > room)
        return {{},
                "VLAN " + digits + " needs " + std::to_string(digits.size()) +
                    (digits.size() == 1 ? " digit; " : " digits; ") + block +
                    (room ? " has room for " + std::to_string(room) : " has no room for a subnet ID")};
    u128 id = 0;
    for (char c : digits)
        id = id * 16 + static_cast<u128>(c - '0');
    return {net::Prefix{{root.network().value | id << 64, net::Family::V6}, 64}, {}};
}

std::optional<int> lengthFor(net::Family f, u128 needed)
{
    if (f == net::Family::V4) {
        if (needed > (u128{1} << 32) - 2)
            return std::nullopt;
        const u128 total = needed + 2;  // network and broadcast
        return 32 - net::bitLength(total - 1);
    }
    if (needed <= 1)
        return 128;
    if (needed == 2)
        return 127;
    return 128 - net::bitLength(needed);  // 2^n - 1 usable: n = bit length of needed
}

SegmentLength segmentLength(const Segment& s, net::Family f, bool dual, const Settings& settings)
{
    const bool v6 = f == net::Family::V6;
    const int bits = net::familyBits(f);
    const std::string family = v6 ? "IPv6" : "IPv4";
    if (auto r = checkName(s.name); !r.empty())
        return {-1, "the name " + r};
    const auto needed = neededHosts(s.hosts, s.growthPercent);
    if (!needed)
        return {-1, !(s.growthPercent >= 0) || s.growthPercent > kMaxGrowthPercent
                        ? "growth must be from 0 to 1000000 %"
                        : "needs more than 2^128 hosts"};
    if (auto r = checkVlan(s.vlan); !r.empty())
        return {-1, r};
    const std::optional<int> fixed = !v6              ? s.fixedLength
                                     : s.fixedLength6 ? s.fixedLength6
                                     : dual           ? std::nullopt
                                                      : s.fixedLength;
    int l;
    if (fixed) {
        l = *fixed;
        if (l < 0 || l > bits)
            return {-1, lengthText(l) + " is not a prefix length of " + family};
        const net::Prefix probe{net::Address{0, f}, l};
        if (!cloudAllowsLength(settings.cloud, probe))
            return {-1,
                    lengthText(l) + " is not a subnet " + std::string(cloudRules(settings.cloud).label) + " allows"};
        const net::Count usable = cloudUsableHosts(settings.cloud, probe);
        if (!usable.twoTo128 && *needed > usable.low)
            return {-1, lengthText(l) + " holds " + net::toDecimal(usable) + " hosts; " + net::toDecimal(*needed) +
                            " needed"};
    } else if (s.hosts == 0 && (!v6 || (!s.fixedLength && !s.fixedLength6))) {
        return {-1, "asks for no hosts"};
    } else if (!v6 && settings.cloud != CloudMode::None) {
        const auto cloud = cloudLengthFor(settings.cloud, f, *needed);
        if (!cloud)
            return {-1, "needs " + net::toDecimal(*needed) + " hosts, more than the largest subnet " +
                            std::string(cloudRules(settings.cloud).label) + " allows holds"};
        l = *cloud;
    } else if (!v6) {
        const auto classic = lengthFor(f, *needed);
        if (!classic)
            return {-1, "needs " + net::toDecimal(*needed) + " hosts, more than IPv4 holds"};
        l = settings.links30 || *needed > 2 ? *classic : *needed == 2 ? 31 : 32;
    } else {
        l = std::min(64, *lengthFor(f, *needed));  // IPv6 holds 2^128 - 1 hosts: always a length
    }
    if (v6 && settings.nibble && l != 64)
        l -= l % 4;
    return {l, {}};
}

namespace {

// The free space under a block as the aligned blocks it falls into: free leaves in address
// order, runs of neighbours merged, each run cut into the largest aligned blocks.
void addFreeSpace(const Plan& plan, BlockId within, FreeSpace& free)
{
    const int bits = plan.block(within).prefix.address.bits();
    auto addRun = [&](u128 s, u128 e) {  // inclusive
        for (;;) {
            const u128 span = e - s;  // size - 1
            const int k = std::min(span == ~u128{0} ? 128 : net::bitLength(span + 1) - 1, net::trailingZeros(s));
            free.add(s, bits - k);
            if (k == 128 || e - s == (u128{1} << k) - 1)
                return;
            s += u128{1} << k;
        }
    };
    bool open = false;
    u128 runStart = 0, runEnd = 0;
    for (BlockId b : plan.preorder(within)) {
        const Block& blk = plan.block(b);
        if (!blk.children.empty())
            continue;
        if (blk.state != BlockState::Free) {
            if (open)
                addRun(runStart, runEnd);
            open = false;
            continue;
        }
        if (!open)
            runStart = blk.prefix.address.value;
        runEnd = blk.prefix.last().value;
        open = true;
    }
    if (open)
        addRun(runStart, runEnd);
}

void fillPlace(Place& p, const net::Prefix& prefix, CloudMode cloud, u128 hosts)
{
    p.prefix = prefix;
    const net::Hosts h = net::hostsOf(prefix);
    p.first = cloudFirstUsable(cloud, prefix).value_or(h.first);
    p.last = cloudLastUsable(cloud, prefix).value_or(h.last);
    p.broadcast = h.broadcast;
    p.spare = cloudUsableHosts(cloud, prefix);
    p.spare.low -= hosts;
}

// True when the aligned block lies wholly in one free block of `free`.
bool whollyFree(const FreeSpace& free, const net::Prefix& block, int fromLength)
{
    for (int l = fromLength; l <= block.length; ++l)
        if (free.has(block.address.value & ~net::lowBits(block.address.bits() - l), l))
            return true;
    return false;
}

// VLAN numbering: each segment's /64 is fixed by its VLAN, so nothing is sized or searched;
// a segment is only refused, and none of the refusals depends on the other segments placed.
void placeByVlan(const Plan& plan, BlockId within, bool dual, const std::vector<Segment>& segments,
                 std::vector<Place*>& out, const std::vector<std::uint8_t>* skip, std::vector<std::uint8_t>* alone)
{
    const net::Prefix area = plan.block(within).prefix;
    FreeSpace free;
    addFreeSpace(plan, within, free);
    std::map<int, std::vector<std::size_t>> onVlan;
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (!(skip && (*skip)[i]) && segments[i].vlan > 0)
            onVlan[segments[i].vlan].push_back(i);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (skip && (*skip)[i])
            continue;
        Place& p = *out[i];
        const Segment& s = segments[i];
        const SegmentLength sl = segmentLength(s, net::Family::V6, dual, plan.settings());
        const VlanBlock vb = vlanBlock(area, s.vlan);
        const std::vector<std::size_t>* same = s.vlan > 0 ? &onVlan[s.vlan] : nullptr;
        if (sl.length < 0) {
            p.reason = sl.reason;
        } else if (sl.length != 64) {
            p.reason = "needs a " + lengthText(sl.length) + "; VLAN numbering gives each segment a /64";
        } else if (same && same->size() > 1) {
            const std::size_t other = same->front() == i ? (*same)[1] : same->front();
            p.reason = "VLAN " + std::to_string(s.vlan) + " is also " + segments[other].name + "'s";
        } else if (!vb.prefix) {
            p.reason = vb.reason;
        } else if (!whollyFree(free, *vb.prefix, area.length)) {
            const Block& b = plan.block(plan.leafAt(vb.prefix->address, within));
            p.reason = net::formatNetwork(*vb.prefix) +
                       (b.state != BlockState::Free && !b.name.empty() ? " is taken by " + b.name : " is not free");
        } else {
            fillPlace(p, *vb.prefix, plan.settings().cloud, s.hosts);
            continue;
        }
        if (alone)
            (*alone)[i] = 1;
    }
}

// skip (when given): segments not to place here, their places left as they are. alone
// (when given): set for each segment that cannot be placed here whatever else is, as its
// length is refused or larger than the block.
void placeInto(const Plan& plan, BlockId within, bool dual, const std::vector<Segment>& segments,
               std::vector<Place*>& out, const std::vector<std::uint8_t>* skip = nullptr,
               std::vector<std::uint8_t>* alone = nullptr)
{
    if (!plan.exists(within)) {
        for (Place* p : out)
            p->reason = "block " + std::to_string(within) + " does not exist";
        return;
    }
    const net::Prefix area = plan.block(within).prefix;
    const net::Family family = area.address.family;
    for (Place* p : out)
        p->family = family;
    const int bits = area.address.bits();
    if (family == net::Family::V6 && plan.settings().vlanNumbering)
        return placeByVlan(plan, within, dual, segments, out, skip, alone);

    std::vector<int> length(segments.size(), -1);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (skip && (*skip)[i])
            continue;
        SegmentLength sl = segmentLength(segments[i], family, dual, plan.settings());
        length[i] = sl.length;
        out[i]->reason = std::move(sl.reason);
    }

    FreeSpace free;
    addFreeSpace(plan, within, free);

    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (length[i] >= 0) {
            order.push_back(i);
        } else if (alone && !(skip && (*skip)[i])) {
            (*alone)[i] = 1;  // its length is refused
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return length[a] < length[b]; });

    std::vector<std::size_t> unfit;
    for (std::size_t i : order) {
        const int l = length[i];
        const auto [start, have] = l >= area.length ? free.lowest(l) : std::pair<u128, int>{0, -1};
        Place& p = *out[i];
        if (have < 0) {
            if (alone && l < area.length)
                (*alone)[i] = 1;
            p.reason =
                "needs a " + lengthText(l) + (l < area.length ? ", larger than " + net::formatNetwork(area) : "");
            unfit.push_back(i);
            continue;
        }
        // Buddy split: the block takes the low end, the upper halves stay free.
        free.take(start, have);
        for (int m = have + 1; m <= l; ++m)
            free.add(start + (u128{1} << (bits - m)), m);
        fillPlace(p, net::Prefix{{start, family}, l}, plan.settings().cloud, segments[i].hosts);
    }
    // What is left once everything that fits has its place.
    const auto [bigStart, bigLength] = free.largest();
    for (std::size_t i : unfit) {
        Place& p = *out[i];
        if (bigLength < 0) {
            if (length[i] >= area.length)
                p.reason += "; no free space is left";
            continue;
        }
        p.largestFree = net::Prefix{{bigStart, family}, bigLength};
        if (length[i] >= area.length)
            p.reason += "; the largest free block left is " + net::formatNetwork(*p.largestFree);
    }
}

}  // namespace

std::vector<Placement> allocate(const Plan& plan, const std::vector<BlockId>& targets,
                                const std::vector<Segment>& segments)
{
    std::vector<Placement> out(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        Placement& p = out[i];
        p.name = segments[i].name;
        p.hosts = segments[i].hosts;
        p.needed = neededHosts(segments[i].hosts, segments[i].growthPercent);
        p.vlan = segments[i].vlan;
        if (targets.size() > 1)
            p.second.emplace();
    }
    if (targets.empty() || targets.size() > 2) {
        for (auto& p : out)
            p.reason = "allocation takes one block, or one of each family";
        return out;
    }
    const bool dual = targets.size() == 2;
    std::vector<std::uint8_t> alone(segments.size(), 0);
    auto placeAll = [&](std::vector<Placement>& into, const std::vector<std::uint8_t>* skip) {
        for (std::size_t t = 0; t < targets.size(); ++t) {
            std::vector<Place*> places;
            for (auto& p : into)
                places.push_back(t == 0 ? static_cast<Place*>(&p) : &*p.second);
            placeInto(plan, targets[t], dual, segments, places, skip, &alone);
        }
    };
    if (!dual) {
        placeAll(out, nullptr);
        return out;
    }
    // Both families or neither: a segment short of a place in one is left out of both, and
    // the rest placed again without it, until every segment left has both its blocks (each
    // round leaves one out at least, so this ends; it is one round when all fit). Those that
    // cannot be placed whatever else is go first, alone: the space they would have taken may
    // be what another one lacked.
    // A dropped segment keeps the places of the round that dropped it (for its reasons); the
    // others are placed afresh each round.
    std::vector<std::uint8_t> dropped(segments.size(), 0);
    for (bool more = true; more;) {
        std::fill(alone.begin(), alone.end(), 0);
        placeAll(out, &dropped);
        const bool anyAlone = std::any_of(alone.begin(), alone.end(), [](std::uint8_t a) { return a != 0; });
        more = false;
        for (std::size_t i = 0; i < segments.size(); ++i) {
            Placement& p = out[i];
            if (dropped[i] || p.placed() || (anyAlone && !alone[i]))
                continue;
            dropped[i] = 1;
            more = true;
            Place* places[2] = {&p, &*p.second};
            for (int f = 0; f < 2; ++f) {
                if (!places[f]->prefix)
                    continue;
                Place held;
                held.heldBack = true;
                held.family = places[f]->family;
                held.reason = "not placed without its " + familyName(places[1 - f]->family) + " block";
                *places[f] = std::move(held);
            }
        }
        if (!more)
            break;
        for (std::size_t i = 0; i < segments.size(); ++i)
            if (!dropped[i]) {
                static_cast<Place&>(out[i]) = Place{};
                *out[i].second = Place{};
            }
    }
    return out;
}

std::vector<Placement> allocate(const Plan& plan, BlockId within, const std::vector<Segment>& segments)
{
    return allocate(plan, std::vector<BlockId>{within}, segments);
}

std::string unplacedReason(const Placement& p)
{
    if (p.placed())
        return {};
    if (!p.second)
        return p.reason;
    std::string out;
    const Place* places[2] = {&p, &*p.second};
    for (int f = 0; f < 2; ++f)
        if (!places[f]->prefix && !places[f]->heldBack)
            out += (out.empty() ? "" : "; ") + familyName(places[f]->family) + ": " + places[f]->reason;
    return out;
}

std::string spaceText(const net::Prefix& block, int partLength)
{
    const net::Count size = net::Count::powerOfTwo(block.address.bits() - block.length);
    const int unitLength = partLength <= 48 ? 48 : partLength <= 64 ? 64 : 128;
    if (block.address.family == net::Family::V4 || unitLength == 128 || block.length > unitLength)
        return net::toDecimal(size) + (size == net::Count{1, false} ? " address" : " addresses");
    const u128 n = u128{1} << (unitLength - block.length);
    return net::toDecimal(n) + (unitLength == 48 ? " /48" : " /64") + (n == 1 ? "" : "s");
}

std::string spaceText(net::Family f, const net::Count& addresses)
{
    if (f == net::Family::V4 || (!addresses.twoTo128 && addresses.low < (u128{1} << 64)))
        return net::toDecimal(addresses) + (addresses == net::Count{1, false} ? " address" : " addresses");
    auto unit = [](u128 n, const char* what) { return net::toDecimal(n) + " " + what + (n == 1 ? "" : "s"); };
    if (addresses.twoTo128)
        return unit(u128{1} << 80, "/48");
    const u128 a = addresses.low;
    if (a >= (u128{1} << 80) && a % (u128{1} << 80) == 0)
        return unit(a >> 80, "/48");
    std::string out = unit(a >> 64, "/64");
    if (const u128 rest = a & ~(~u128{0} << 64))
        out += " and " + net::toDecimal(rest) + (rest == 1 ? " address" : " addresses");
    return out;
}

}  // namespace mq::plan
