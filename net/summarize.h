#pragma once
// The smallest sorted set of prefixes covering exactly the given addresses: the union of
// one list (net/address_set.h), written as prefixes.
#include <functional>
#include <vector>

#include "net/address.h"
#include "net/address_set.h"

namespace mq::net {

// The prefixes of one range, in address order.
std::vector<Prefix> rangeToPrefixes(const Range& r);
// Ranges of both families, any order, overlaps allowed; IPv4 first, each family in address
// order, every prefix written as its network (host bits cleared).
std::vector<Prefix> summarize(std::vector<Range> ranges);

// The same for long inputs: keeps each family's spans compactly and hands the prefixes
// out one by one instead of building a list.
class Summarizer {
public:
    void add(const Range& r) { builder_.add(r); }
    // Sorts what was added and calls emit for each prefix of the summary, in summarize()'s order.
    void visit(const std::function<void(const Prefix&)>& emit) { builder_.build().visitPrefixes(emit); }

private:
    AddressSetBuilder builder_;
};

}  // namespace mq::net
