#include "net/overlaps.h"

#include <algorithm>
#include <numeric>

namespace mq::net {

namespace {

// The items of one family sorted by their first address, over a tree that keeps the highest
// last address below each node: a search skips every subtree that ends before the query.
class IntervalIndex {
 public:
  IntervalIndex(const std::vector<Range>& items, Family f) {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].first.family == f) order_.push_back(i);
    std::sort(order_.begin(), order_.end(),
              [&](std::size_t x, std::size_t y) { return items[x].first.value < items[y].first.value; });
    for (const std::size_t i : order_) {
      first_.push_back(items[i].first.value);
      last_.push_back(items[i].last.value);
    }
    while (leaves_ < order_.size()) leaves_ *= 2;
    maxLast_.assign(2 * leaves_, 0);
    for (std::size_t p = 0; p < last_.size(); ++p) maxLast_[leaves_ + p] = last_[p];
    for (std::size_t n = leaves_ - 1; n > 0; --n) maxLast_[n] = std::max(maxLast_[2 * n], maxLast_[2 * n + 1]);
  }

  // Appends the indexes of the items that share an address with [lo, hi].
  void find(u128 lo, u128 hi, std::vector<std::size_t>& out) const {
    const std::size_t end = static_cast<std::size_t>(std::upper_bound(first_.begin(), first_.end(), hi) - first_.begin());
    if (end == 0) return;
    stack_.assign(1, {1, 0, leaves_});
    while (!stack_.empty()) {
      const Node n = stack_.back();
      stack_.pop_back();
      if (n.from >= end || maxLast_[n.node] < lo) continue;
      if (n.to - n.from == 1) {
        out.push_back(order_[n.from]);
        continue;
      }
      const std::size_t mid = (n.from + n.to) / 2;
      stack_.push_back({2 * n.node + 1, mid, n.to});
      stack_.push_back({2 * n.node, n.from, mid});
    }
  }

 private:
  struct Node {
    std::size_t node, from, to;
  };
  std::vector<std::size_t> order_;
  std::vector<u128> first_, last_, maxLast_;
  std::size_t leaves_ = 1;
  mutable std::vector<Node> stack_;
};

void visit(const std::vector<Range>& queries, const std::vector<Range>& items, bool sameList, const OverlapFn& fn,
           CancelFlag cancel) {
  const IntervalIndex v4(items, Family::V4), v6(items, Family::V6);
  std::vector<std::size_t> found;
  for (std::size_t a = 0; a < queries.size(); ++a) {
    if ((a & 0xFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return;
    const Range& q = queries[a];
    found.clear();
    (q.first.family == Family::V4 ? v4 : v6).find(q.first.value, q.last.value, found);
    std::sort(found.begin(), found.end());
    for (const std::size_t b : found)
      if (!sameList || b > a) fn({a, b, relationOf(q, items[b])});
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
