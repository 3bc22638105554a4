#include "net/overlaps.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>

namespace mq::net {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// The items of one list in address order (per family). The items meeting a range r are those
// that start inside r, a run in that order, and those that start before r and reach into it.
// A running highest reach tells at once whether there are any of the latter; a tree in which
// each node names the item of its part that reaches highest finds them, going down only into
// parts that reach far enough, so it costs log n for each item it finds.
class AddressOrder {
public:
    explicit AddressOrder(const std::vector<Range>& ranges)
        : size_(std::bit_ceil(std::max<std::size_t>(ranges.size(), 1)))
    {
        struct Item {
            u128 first, last;
            std::uint32_t index;
            Family family;
        };
        std::vector<Item> items;
        items.reserve(ranges.size());
        for (std::size_t i = 0; i < ranges.size(); ++i)
            items.push_back(
                {ranges[i].first.value, ranges[i].last.value, static_cast<std::uint32_t>(i), ranges[i].first.family});
        std::sort(items.begin(), items.end(), [](const Item& x, const Item& y) {
            return std::tie(x.family, x.first, x.index) < std::tie(y.family, y.first, y.index);
        });
        const std::size_t n = items.size();
        at_.resize(n);
        position_.resize(n);
        v6From_ = n;
        for (std::size_t p = 0; p < n; ++p) {
            const Item& it = items[p];
            const bool familyStart = p == 0 || items[p - 1].family != it.family;
            if (familyStart && it.family == Family::V6)
                v6From_ = p;
            at_[p] = {it.first, it.last, familyStart ? it.last : std::max(at_[p - 1].reach, it.last), it.index};
            position_[it.index] = static_cast<std::uint32_t>(p);
        }
        best_.assign(2 * size_, kNone);
        for (std::size_t p = 0; p < n; ++p)
            best_[size_ + p] = static_cast<std::uint32_t>(p);
        for (std::size_t node = size_ - 1; node > 0; --node)
            best_[node] = higher(best_[2 * node], best_[2 * node + 1]);
    }

    // Appends the indexes of the items that share addresses with r. At a known position of
    // the order (an item of this list), the run is found by walking from it, each step a pair.
    void collect(const Range& r, std::vector<std::uint32_t>& out, std::size_t at = kNone) const
    {
        const std::size_t familyFrom = r.first.family == Family::V6 ? v6From_ : 0;
        const std::size_t familyTo = r.first.family == Family::V6 ? at_.size() : v6From_;
        std::size_t from, to;
        if (at != kNone) {
            for (from = at; from > familyFrom && at_[from - 1].first == r.first.value;)
                --from;
            for (to = at + 1; to < familyTo && at_[to].first <= r.last.value;)
                ++to;
        } else {
            const auto begin = at_.begin();
            from = static_cast<std::size_t>(std::lower_bound(begin + familyFrom, begin + familyTo, r.first.value,
                                                             [](const Place& x, u128 v) { return x.first < v; }) -
                                            begin);
            to = static_cast<std::size_t>(std::upper_bound(begin + from, begin + familyTo, r.last.value,
                                                           [](u128 v, const Place& x) { return v < x.first; }) -
                                          begin);
        }
        if (from > familyFrom && at_[from - 1].reach >= r.first.value) {
            from_ = familyFrom;
            to_ = from;
            collect(1, 0, size_, r.first.value, out);
        }
        for (std::size_t p = from; p < to; ++p)
            out.push_back(at_[p].index);
    }

    std::size_t positionOf(std::size_t i) const { return position_[i]; }

private:
    std::uint32_t higher(std::uint32_t x, std::uint32_t y) const
    {
        if (x == kNone)
            return y;
        if (y == kNone)
            return x;
        return at_[y].last > at_[x].last ? y : x;
    }

    void collect(std::size_t node, std::size_t nodeFrom, std::size_t nodeTo, u128 reach,
                 std::vector<std::uint32_t>& out) const
    {
        if (nodeTo <= from_ || nodeFrom >= to_)
            return;
        const std::uint32_t b = best_[node];
        if (b == kNone || at_[b].last < reach)
            return;
        if (nodeTo - nodeFrom == 1) {
            out.push_back(at_[nodeFrom].index);
            return;
        }
        const std::size_t mid = nodeFrom + (nodeTo - nodeFrom) / 2;
        collect(2 * node, nodeFrom, mid, reach, out);
        collect(2 * node + 1, mid, nodeTo, reach, out);
    }

    std::size_t size_;
    struct Place {
        u128 first, last;
        u128 reach;  // the highest last address of the family up to here
        std::uint32_t index;
    };
    std::vector<Place> at_;  // a cache line per place: a search touches one
    std::vector<std::uint32_t> position_;  // of each item
    std::vector<std::uint32_t> best_;  // a heap-ordered tree; leaves from size_
    std::size_t v6From_ = 0;  // where the IPv6 items begin
    mutable std::size_t from_ = 0, to_ = 0;  // the tree search's positions
};

bool cancelled(CancelFlag cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The common case, a few pairs an item, in one sweep over both lists in address order per
// family: the active items are those already met whose last address reaches the current
// item's first, and each of them pairs with it. The pairs (8 bytes each) are sorted into
// index order. Gives up, returning false, when they would pass `most`.
bool sweep(const std::vector<Range>& first, const std::vector<Range>& second, bool sameList, std::size_t most,
           std::vector<std::uint64_t>& pairs, CancelFlag cancel)
{
    struct Item {
        u128 first, last;
        std::uint32_t index;
        std::uint8_t list;
        Family family;
    };
    std::vector<Item> items;
    items.reserve(first.size() + (sameList ? 0 : second.size()));
    for (std::uint8_t list = 0; list < (sameList ? 1 : 2); ++list) {
        const std::vector<Range>& ranges = list == 0 ? first : second;
        for (std::size_t i = 0; i < ranges.size(); ++i)
            items.push_back({ranges[i].first.value, ranges[i].last.value, static_cast<std::uint32_t>(i), list,
                             ranges[i].first.family});
    }
    std::sort(items.begin(), items.end(),
              [](const Item& x, const Item& y) { return std::tie(x.family, x.first) < std::tie(y.family, y.first); });
    struct Active {
        u128 last;
        std::uint32_t index;
        bool operator<(const Active& o) const { return last > o.last; }  // a heap of the lowest last
    };
    std::vector<Active> active[2];
    Family family = Family::V4;
    for (std::size_t n = 0; n < items.size(); ++n) {
        if ((n & 0xFFF) == 0 && cancelled(cancel))
            return true;
        const Item& it = items[n];
        for (std::vector<Active>& heap : active) {
            if (it.family != family)
                heap.clear();
            while (!heap.empty() && heap.front().last < it.first) {
                std::pop_heap(heap.begin(), heap.end());
                heap.pop_back();
            }
        }
        family = it.family;
        const std::vector<Active>& others = active[sameList ? 0 : 1 - it.list];
        if (pairs.size() + others.size() > most)
            return false;
        for (const Active& other : others) {
            const std::uint64_t a = sameList ? std::min(other.index, it.index) : it.list == 0 ? it.index : other.index;
            const std::uint64_t b = sameList ? std::max(other.index, it.index) : it.list == 0 ? other.index : it.index;
            pairs.push_back(a << 32 | b);
        }
        active[it.list].push_back({it.last, it.index});
        std::push_heap(active[it.list].begin(), active[it.list].end());
    }
    std::sort(pairs.begin(), pairs.end());
    return true;
}

// Item by item of the first list, the items of the second that meet it, in index order.
// With one list, an item's search also meets those before it and itself: they are passed
// over, so each pair is handed out once, from its lower index, and visited twice at most.
// Memory holds one item's partners at a time.
void visitEach(const std::vector<Range>& first, const std::vector<Range>& second, bool sameList, const OverlapFn& fn,
               CancelFlag cancel)
{
    const AddressOrder order(second);
    std::vector<std::uint32_t> partners;
    std::size_t handed = 0;
    for (std::size_t a = 0; a < first.size(); ++a) {
        if ((a & 0xFFF) == 0 && cancelled(cancel))
            return;
        partners.clear();
        order.collect(first[a], partners, sameList ? order.positionOf(a) : kNone);
        if (sameList)
            partners.erase(std::remove_if(partners.begin(), partners.end(), [a](std::uint32_t b) { return b <= a; }),
                           partners.end());
        if (!std::is_sorted(partners.begin(), partners.end()))
            std::sort(partners.begin(), partners.end());
        for (const std::uint32_t b : partners) {
            if ((++handed & 0xFFFF) == 0 && cancelled(cancel))
                return;
            fn({a, b, relationOf(first[a], second[b])});
        }
    }
}

// Pairs held at once stay within a few per item (no more than the items take themselves);
// beyond that, as with many equal items, they are found item by item instead.
void visit(const std::vector<Range>& first, const std::vector<Range>& second, bool sameList, const OverlapFn& fn,
           CancelFlag cancel)
{
    std::vector<std::uint64_t> pairs;
    const std::size_t most = 4 * (first.size() + (sameList ? 0 : second.size())) + 4096;
    if (!sweep(first, second, sameList, most, pairs, cancel)) {
        std::vector<std::uint64_t>().swap(pairs);
        visitEach(first, second, sameList, fn, cancel);
        return;
    }
    for (std::size_t n = 0; n < pairs.size(); ++n) {
        if ((n & 0xFFFF) == 0 && cancelled(cancel))
            return;
        const std::size_t a = pairs[n] >> 32, b = pairs[n] & 0xFFFFFFFFu;
        fn({a, b, relationOf(first[a], second[b])});
    }
}

}  // namespace

std::string_view relationName(Relation r)
{
    switch (r) {
    case Relation::Equal: return "equal";
    case Relation::Contains: return "contains";
    case Relation::Inside: return "inside";
    case Relation::Overlaps: break;
    }
    return "overlaps";
}

Relation relationOf(const Range& a, const Range& b)
{
    const bool aHoldsB = a.first.value <= b.first.value && b.last.value <= a.last.value;
    const bool bHoldsA = b.first.value <= a.first.value && a.last.value <= b.last.value;
    if (aHoldsB && bHoldsA)
        return Relation::Equal;
    if (aHoldsB)
        return Relation::Contains;
    if (bHoldsA)
        return Relation::Inside;
    return Relation::Overlaps;
}

void visitOverlaps(const std::vector<Range>& items, const OverlapFn& fn, CancelFlag cancel)
{
    visit(items, items, true, fn, cancel);
}

void visitOverlaps(const std::vector<Range>& first, const std::vector<Range>& second, const OverlapFn& fn,
                   CancelFlag cancel)
{
    visit(first, second, false, fn, cancel);
}

}  // namespace mq::net
