// What the Lists page asks of the address engine (net/), in one place: the set
// operations, the overlaps and the free space, each streaming its answer.
#pragma once

#include "classless/lists.h"
#include "net/address.h"

#include <atomic>
#include <functional>
#include <string_view>
#include <vector>

namespace mq::classless::engine {

using PrefixFn = std::function<void(const net::Prefix&)>;
using CancelFlag = const std::atomic<bool>*;

// Summarize (A), union, intersection, A except B, symmetric difference: the result as
// the fewest prefixes, IPv4 first, each family in address order.
void combine(ListOperation op, const std::vector<net::Range>& a, const std::vector<net::Range>& b, CancelFlag cancel,
             const PrefixFn& out);

// Each pair of items sharing addresses (within a when b is null, else between a and b),
// ordered by the first item, then the second; relation: "equal", "contains", "inside", "overlaps".
using PairFn = std::function<void(std::size_t ia, std::size_t ib, std::string_view relation)>;
void overlaps(const std::vector<net::Range>& a, const std::vector<net::Range>* b, CancelFlag cancel, const PairFn& out);

// The prefixes of block that no item of used covers.
void freeSpace(const net::Prefix& block, const std::vector<net::Range>& used, CancelFlag cancel, const PrefixFn& out);

}  // namespace mq::classless::engine
