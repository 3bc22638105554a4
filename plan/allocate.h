#pragma once
// VLSM for any block of either family, growth kept in mind.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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
  net::Count spare;                   // usable - hosts asked (the growth reserve counts as spare)
  std::string reason;                 // when it did not fit
  std::optional<net::Prefix> largestFree;  // when it did not fit (nullopt: no free space left)
  net::u128 hosts = 0;                     // as asked
  std::optional<net::u128> needed;         // hosts x (1 + growth); nullopt when above 2^128 - 1
  std::optional<net::Address> broadcast;   // IPv4 up to /30
};

// hosts x (1 + growth/100), rounded up; growth is taken to a millionth of a percent.
// nullopt when the result passes 2^128 - 1 (or growth is negative or not a number).
std::optional<net::u128> neededHosts(net::u128 hosts, double growthPercent);
// The longest prefix length whose block holds `needed` usable hosts: for IPv4 the hosts
// plus the network and broadcast addresses; for IPv6 the hosts as the engine counts them
// usable (the Subnet-Router anycast address is not a host). nullopt when even /0 is too small.
std::optional<int> lengthFor(net::Family f, net::u128 needed);

// Largest first, entry order among equals, each at the lowest free aligned position inside
// the free leaves under `within`. Pure: the plan is not changed. One placement per segment,
// in the segments' order. O(s log s + free leaves + s x prefix width) for s segments.
std::vector<Placement> allocate(const Plan& plan, BlockId within, const std::vector<Segment>& segments);

}  // namespace mq::plan
