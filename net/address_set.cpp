#include "net/address_set.h"

#include <algorithm>
#include <utility>

#include "net/bits.h"

namespace mq::net {

namespace {

constexpr Family kFamilies[] = {Family::V4, Family::V6};

bool cancelled(CancelFlag cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Appends [first, last] after the spans already there (all below first), joining a neighbour.
void append(std::vector<Span>& out, u128 first, u128 last)
{
    if (!out.empty() && out.back().last + 1 == first)
        out.back().last = last;
    else
        out.push_back({first, last});
}

// One walk over the pieces between the spans' ends: each piece is in a, in b, in both or in
// neither, and `keep` says which pieces the result holds. Linear in the two lists.
template <class Keep>
std::vector<Span> combine(const std::vector<Span>& a, const std::vector<Span>& b, Keep keep, CancelFlag cancel)
{
    std::vector<Span> out;
    std::size_t i = 0, j = 0, steps = 0;
    u128 at = 0;
    for (;;) {
        while (i < a.size() && a[i].last < at)
            ++i;
        while (j < b.size() && b[j].last < at)
            ++j;
        if (i == a.size() && j == b.size())
            break;
        if ((++steps & 0xFFFF) == 0 && cancelled(cancel))
            break;
        const bool inA = i < a.size() && a[i].first <= at;
        const bool inB = j < b.size() && b[j].first <= at;
        u128 end = ~u128{0};
        if (i < a.size())
            end = std::min(end, inA ? a[i].last : a[i].first - 1);
        if (j < b.size())
            end = std::min(end, inB ? b[j].last : b[j].first - 1);
        if (keep(inA, inB))
            append(out, at, end);
        if (end == ~u128{0})
            break;
        at = end + 1;
    }
    return out;
}

// Sorts spans by their first address. Lists of IPv6 prefixes differ in a few bits only (a
// common routing prefix above, zero host bits below): a least-significant-digit radix sort
// over just the 11-bit digits that differ moves each span a few times instead of log n.
void sortByFirst(std::vector<Span>& v)
{
    constexpr int kDigitBits = 11, kMostPasses = 4;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
    const auto byFirst = [](const Span& x, const Span& y) { return x.first < y.first; };
    if (v.size() < 4096)
        return std::sort(v.begin(), v.end(), byFirst);
    u128 differ = 0;
    for (const Span& x : v)
        differ |= x.first ^ v.front().first;
    std::vector<int> shifts;
    for (int shift = 0; shift < 128; shift += kDigitBits)
        if ((differ >> shift) & (kBuckets - 1))
            shifts.push_back(shift);
    if (shifts.size() > kMostPasses)
        return std::sort(v.begin(), v.end(), byFirst);
    std::vector<Span> moved(v.size());
    std::vector<std::size_t> next(kBuckets);
    for (const int shift : shifts) {
        const auto digit = [shift](const Span& x) {
            return static_cast<std::size_t>(x.first >> shift) & (kBuckets - 1);
        };
        std::fill(next.begin(), next.end(), 0);
        for (const Span& x : v)
            ++next[digit(x)];
        std::size_t at = 0;
        for (std::size_t& n : next)
            at += std::exchange(n, at);
        for (const Span& x : v)
            moved[next[digit(x)]++] = x;
        v.swap(moved);
    }
}

// Sorts packed IPv4 spans (first << 32 | last) by their first address: a least-significant-
// digit radix sort over the top 32 bits in three passes of 11 bits, each pass one linear
// scatter, instead of a comparison sort's log n passes. Spans with the same first address
// may end up in any order: joining them keeps the larger last address.
void sortByFirst(std::vector<std::uint64_t>& v)
{
    constexpr int kDigitBits = 11, kPasses = 3;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
    if (v.size() < 4096)
        return std::sort(v.begin(), v.end());
    const auto digit = [](std::uint64_t x, int pass) {
        return static_cast<std::size_t>(x >> (32 + pass * kDigitBits)) & (kBuckets - 1);
    };
    std::vector<std::size_t> next(kPasses * kBuckets);  // all three counts from one read of the list
    for (const std::uint64_t x : v)
        for (int pass = 0; pass < kPasses; ++pass)
            ++next[pass * kBuckets + digit(x, pass)];
    std::vector<std::uint64_t> moved(v.size());
    for (int pass = 0; pass < kPasses; ++pass) {
        std::size_t* const start = next.data() + pass * kBuckets;
        if (std::find(start, start + kBuckets, v.size()) != start + kBuckets)
            continue;  // one digit only: in order already
        std::size_t at = 0;
        for (std::size_t b = 0; b < kBuckets; ++b)
            at += std::exchange(start[b], at);
        for (const std::uint64_t x : v)
            moved[start[digit(x, pass)]++] = x;
        v.swap(moved);
    }
}

}  // namespace

void eachPrefixOf(Family f, u128 first, u128 last, const std::function<void(const Prefix&)>& fn)
{
    // Each step takes the largest aligned block that starts at `first` and ends by `last`.
    const int bits = familyBits(f);
    for (;;) {
        const u128 span = last - first;
        const int fits = span == familyMask(f) ? bits : bitLength(span + 1) - 1;
        const int hostBits = std::min({trailingZeros(first), bits, fits});
        fn(Prefix{{first, f}, bits - hostBits});
        const u128 blockLast = first + lowBits(hostBits);
        if (blockLast >= last)
            return;
        first = blockLast + 1;
    }
}

AddressSet AddressSet::of(const std::vector<Range>& ranges)
{
    AddressSetBuilder b;
    for (const Range& r : ranges)
        b.add(r);
    return b.build();
}

bool AddressSet::contains(const Address& a) const
{
    const std::vector<Span>& s = spans(a.family);
    const auto it = std::upper_bound(s.begin(), s.end(), a.value, [](u128 v, const Span& x) { return v < x.first; });
    return it != s.begin() && a.value <= std::prev(it)->last;
}

Count AddressSet::size(Family f) const
{
    const std::vector<Span>& s = spans(f);
    u128 total = 0;  // disjoint spans hold at most 2^128 addresses: only the whole space wraps to 0
    for (const Span& x : s)
        total += x.last - x.first + 1;
    return total == 0 && !s.empty() ? Count{0, true} : Count{total, false};
}

void AddressSet::visitRanges(const std::function<void(const Range&)>& fn) const
{
    for (const Family f : kFamilies)
        for (const Span& x : spans(f))
            fn(Range{{x.first, f}, {x.last, f}});
}

void AddressSet::visitPrefixes(const std::function<void(const Prefix&)>& fn) const
{
    for (const Family f : kFamilies)
        for (const Span& x : spans(f))
            eachPrefixOf(f, x.first, x.last, fn);
}

std::vector<Range> AddressSet::ranges() const
{
    std::vector<Range> out;
    visitRanges([&](const Range& r) { out.push_back(r); });
    return out;
}

std::vector<Prefix> AddressSet::prefixes() const
{
    std::vector<Prefix> out;
    visitPrefixes([&](const Prefix& p) { out.push_back(p); });
    return out;
}

template <class Keep>
AddressSet AddressSet::combined(const AddressSet& a, const AddressSet& b, Keep keep, CancelFlag cancel)
{
    AddressSet out;
    for (const Family f : kFamilies)
        out.mut(f) = combine(a.spans(f), b.spans(f), keep, cancel);
    return out;
}

AddressSet unite(const AddressSet& a, const AddressSet& b, CancelFlag cancel)
{
    return AddressSet::combined(
        a, b, [](bool inA, bool inB) { return inA || inB; }, cancel);
}
AddressSet intersect(const AddressSet& a, const AddressSet& b, CancelFlag cancel)
{
    return AddressSet::combined(
        a, b, [](bool inA, bool inB) { return inA && inB; }, cancel);
}
AddressSet subtract(const AddressSet& a, const AddressSet& b, CancelFlag cancel)
{
    return AddressSet::combined(
        a, b, [](bool inA, bool inB) { return inA && !inB; }, cancel);
}
AddressSet symmetricDifference(const AddressSet& a, const AddressSet& b, CancelFlag cancel)
{
    return AddressSet::combined(
        a, b, [](bool inA, bool inB) { return inA != inB; }, cancel);
}

AddressSet complement(const AddressSet& s, const Prefix& block, CancelFlag cancel)
{
    AddressSetBuilder b;
    b.add(block);
    return subtract(b.build(), s, cancel);
}

AddressSet AddressSetBuilder::build(CancelFlag cancel)
{
    AddressSet out;
    if (cancelled(cancel))
        return out;
    sortByFirst(v4_);
    std::vector<Span>& v4 = out.mut(Family::V4);
    if (!v4_.empty()) {
        // Joined in 64-bit arithmetic (room for last + 1); a span is stored once it is whole.
        std::uint64_t first = v4_.front() >> 32, last = v4_.front() & 0xFFFFFFFFu;
        for (const std::uint64_t packed : v4_) {
            const std::uint64_t f = packed >> 32, l = packed & 0xFFFFFFFFu;
            if (f <= last + 1) {
                last = std::max(last, l);
            } else {
                v4.push_back({first, last});
                first = f;
                last = l;
            }
        }
        v4.push_back({first, last});
    }
    std::vector<std::uint64_t>().swap(v4_);
    if (cancelled(cancel))
        return out;
    sortByFirst(v6_);
    std::vector<Span>& v6 = out.mut(Family::V6);
    for (const Span& x : v6_) {
        if (!v6.empty() && (v6.back().last == ~u128{0} || x.first <= v6.back().last + 1))
            v6.back().last = std::max(v6.back().last, x.last);
        else
            v6.push_back(x);
    }
    std::vector<Span>().swap(v6_);
    return out;
}

AddressMatcher::AddressMatcher(const AddressSet& s)
{
    for (const Span& x : s.spans(Family::V4))
        v4_.push_back({static_cast<std::uint32_t>(x.first), static_cast<std::uint32_t>(x.last)});
    // The first span that ends in or after each bucket: a bucket's spans run from its own
    // first to the next bucket's first, which may start in this bucket too.
    std::vector<std::uint32_t> first((1 << 16) + 1);
    std::uint32_t i = 0;
    for (std::uint32_t b = 0; b <= 1 << 16; ++b) {
        while (i < v4_.size() && (v4_[i].last >> 16) < b)
            ++i;
        first[b] = i;
    }
    const auto spans = static_cast<std::uint32_t>(v4_.size());
    v4Reached_.assign((1 << 16) / 64, 0);
    v4ReachedBefore_.assign((1 << 16) / 64, 0);
    for (std::uint32_t b = 0; b < 1 << 16; ++b) {
        if (b % 64 == 0)
            v4ReachedBefore_[b / 64] = static_cast<std::uint32_t>(v4Spans_.size());
        if (first[b] < spans && v4_[first[b]].first >> 16 <= b) {
            v4Reached_[b / 64] |= std::uint64_t{1} << (b % 64);
            v4Spans_.push_back({first[b], std::min(first[b + 1] + 1, spans)});
        }
    }
    for (const Span& x : s.spans(Family::V6)) {
        v6First_.push_back(x.first);
        v6Last_.push_back(x.last);
    }
}

namespace {

// The bits set, counted in a few register steps: without a popcnt instruction for every
// processor, std::popcount is a library call.
std::uint32_t bitsSet(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<std::uint32_t>((x * 0x0101010101010101u) >> 56);
}

}  // namespace

bool AddressMatcher::containsV4(std::uint32_t v) const
{
    // The span holding v, if any, is the last of its bucket's spans that starts by v.
    const std::uint32_t top = v >> 16;
    const std::uint64_t reached = v4Reached_[top / 64];
    if (!(reached >> (top % 64) & 1))
        return false;
    const std::uint64_t before = reached & ((std::uint64_t{1} << (top % 64)) - 1);
    const SpanRange r = v4Spans_[v4ReachedBefore_[top / 64] + bitsSet(before)];
    const auto from = v4_.begin() + r.from;
    const auto it =
        std::upper_bound(from, v4_.begin() + r.to, v, [](std::uint32_t x, const V4Span& y) { return x < y.first; });
    return it != from && v <= std::prev(it)->last;
}

bool AddressMatcher::containsV6(u128 v) const
{
    const auto it = std::upper_bound(v6First_.begin(), v6First_.end(), v);
    return it != v6First_.begin() && v <= v6Last_[static_cast<std::size_t>(it - v6First_.begin()) - 1];
}

}  // namespace mq::net
