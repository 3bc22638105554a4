#pragma once
// The smallest sorted set of prefixes covering exactly the given addresses.
#include <cstdint>
#include <functional>
#include <vector>

#include "net/address.h"

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
  void add(const Range& r);
  // Sorts what was added and calls emit for each prefix of the summary, in summarize()'s order.
  void visit(const std::function<void(const Prefix&)>& emit);

 private:
  struct V4Span { std::uint32_t first, last; };
  struct V6Span { u128 first, last; };
  std::vector<V4Span> v4_;
  std::vector<V6Span> v6_;
};

}  // namespace mq::net
