#pragma once
// The smallest sorted set of prefixes covering exactly the given addresses.
#include <vector>

#include "net/address.h"

namespace mq::net {

// The prefixes of one range, in address order.
std::vector<Prefix> rangeToPrefixes(const Range& r);
// Ranges of both families, any order, overlaps allowed; IPv4 first, each family in address
// order, every prefix written as its network (host bits cleared).
std::vector<Prefix> summarize(std::vector<Range> ranges);

}  // namespace mq::net
