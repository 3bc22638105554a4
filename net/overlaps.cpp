#include "net/overlaps.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace mq::net {

namespace {

// One sweep over the items of both lists in order of their first address, per family. The
// active items are those already met whose last address reaches the current item's first:
// each of them shares addresses with it, so every step costs log n plus the pairs it finds.
// An item of list k pairs with the active items of the other list (or of its own, when there
// is one list). The pairs are then sorted, 8 bytes each.
std::vector<std::uint64_t> sweep(const std::vector<Range>& first, const std::vector<Range>& second, bool sameList,
                                 CancelFlag cancel) {
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
  std::sort(items.begin(), items.end(), [](const Item& x, const Item& y) {
    return std::tie(x.family, x.first) < std::tie(y.family, y.first);
  });

  struct Active {
    u128 last;
    std::uint32_t index;
    bool operator<(const Active& o) const { return last > o.last; }  // a heap of the lowest last
  };
  std::vector<Active> active[2];
  std::vector<std::uint64_t> pairs;
  Family family = Family::V4;
  for (std::size_t n = 0; n < items.size(); ++n) {
    if ((n & 0xFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return {};
    const Item& it = items[n];
    for (std::vector<Active>& heap : active) {
      if (it.family != family) heap.clear();
      while (!heap.empty() && heap.front().last < it.first) {
        std::pop_heap(heap.begin(), heap.end());
        heap.pop_back();
      }
    }
    family = it.family;
    for (const Active& other : active[sameList ? 0 : 1 - it.list]) {
      const std::uint64_t a = sameList ? std::min(other.index, it.index) : it.list == 0 ? it.index : other.index;
      const std::uint64_t b = sameList ? std::max(other.index, it.index) : it.list == 0 ? other.index : it.index;
      pairs.push_back(a << 32 | b);
    }
    active[it.list].push_back({it.last, it.index});
    std::push_heap(active[it.list].begin(), active[it.list].end());
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

void visit(const std::vector<Range>& first, const std::vector<Range>& second, bool sameList, const OverlapFn& fn,
           CancelFlag cancel) {
  const std::vector<std::uint64_t> pairs = sweep(first, second, sameList, cancel);
  for (std::size_t n = 0; n < pairs.size(); ++n) {
    if ((n & 0xFFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return;
    const std::size_t a = pairs[n] >> 32, b = pairs[n] & 0xFFFFFFFFu;
    fn({a, b, relationOf(first[a], second[b])});
  }
}

}  // namespace

std::string_view relationName(Relation r) {
  switch (r) {
    case Relation::Equal: return "equal";
    case Relation::Contains: return "contains";
    case Relation::Inside: return "inside";
    case Relation::Overlaps: break;
  }
  return "overlaps";
}

Relation relationOf(const Range& a, const Range& b) {
  const bool aHoldsB = a.first.value <= b.first.value && b.last.value <= a.last.value;
  const bool bHoldsA = b.first.value <= a.first.value && a.last.value <= b.last.value;
  if (aHoldsB && bHoldsA) return Relation::Equal;
  if (aHoldsB) return Relation::Contains;
  if (bHoldsA) return Relation::Inside;
  return Relation::Overlaps;
}

void visitOverlaps(const std::vector<Range>& items, const OverlapFn& fn, CancelFlag cancel) {
  visit(items, items, true, fn, cancel);
}

void visitOverlaps(const std::vector<Range>& first, const std::vector<Range>& second, const OverlapFn& fn,
                   CancelFlag cancel) {
  visit(first, second, false, fn, cancel);
}

}  // namespace mq::net
