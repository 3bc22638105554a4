#pragma once
// VLSM for any block of either family, growth kept in mind.
#include <optional>
#include <string>
#include <vector>

#include "plan/plan.h"

namespace mq::plan {

struct Segment {
  std::string name;
  net::u128 hosts = 0;
  double growthPercent = 0;         // hosts x (1 + growth/100), rounded up
  std::optional<int> fixedLength;   // a prefix length asked for instead of one from hosts
};

struct Placement {
  std::string name;
  std::optional<net::Prefix> prefix;  // nullopt: did not fit
  net::Address first, last;           // usable hosts
  net::Count spare;                   // usable - needed
  std::string reason;                 // when it did not fit
  std::optional<net::Prefix> largestFree;  // when it did not fit
};

// Largest first, entry order among equals, each at the lowest free aligned position inside
// the free leaves under `within`. Pure: the plan is not changed.
std::vector<Placement> allocate(const Plan& plan, BlockId within, const std::vector<Segment>& segments);
// Parses "name, hosts[, growth%[, /len]]" lines (blank lines and # comments skipped).
struct SegmentLineError { std::size_t line; std::string reason; };
std::vector<Segment> parseSegments(std::string_view text, std::vector<SegmentLineError>& errors);

}  // namespace mq::plan
