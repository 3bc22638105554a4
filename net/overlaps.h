#pragma once
// Which items of a list (or of two lists) share addresses, and how: the report behind
// "mqnet overlaps" and the Lists page. The work grows with n log n and the pairs found,
// never with n squared, and memory with the items, never with the pairs (20,000 equal items
// make 200 million): a sweep in address order holds a few pairs an item and sorts them; past
// that, each item's partners are found through a tree of the items in address order and
// handed out at once. Lists of up to 2^32 items.
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "net/address.h"
#include "net/address_set.h"

namespace mq::net {

// How item a stands to item b.
enum class Relation { Equal, Contains, Inside, Overlaps };
std::string_view relationName(Relation r);  // "equal", "contains", "inside", "overlaps"
Relation relationOf(const Range& a, const Range& b);  // the two share addresses

struct OverlapPair {
    std::size_t a = 0, b = 0;  // indexes into the list(s)
    Relation relation = Relation::Equal;
};
using OverlapFn = std::function<void(const OverlapPair&)>;

// Every pair a < b of one list that shares addresses, ordered by a, then b.
void visitOverlaps(const std::vector<Range>& items, const OverlapFn& fn, CancelFlag cancel = nullptr);
// Every pair of an item a of the first list and an item b of the second that share
// addresses, ordered by a, then b.
void visitOverlaps(const std::vector<Range>& first, const std::vector<Range>& second, const OverlapFn& fn,
                   CancelFlag cancel = nullptr);

}  // namespace mq::net
