#include "plan/allocate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numeric>
#include <set>

#include "net/bits.h"
#include "net/facts.h"

namespace mq::plan {

namespace {

using net::u128;

constexpr double kMaxGrowthPercent = 1'000'000;

// The free blocks of an allocation, by prefix length, each set ordered by address. Every
// free block is aligned to its own size, so the lowest aligned place for a block of length
// L is the start of the lowest free block of length L or shorter: one look per length.
class FreeSpace {
 public:
  void add(u128 start, int length) {
    byLength_[static_cast<std::size_t>(length)].insert(start);
    used_[static_cast<std::size_t>(length) / 64] |= std::uint64_t{1} << (length % 64);
  }
  void take(u128 start, int length) {
    auto& set = byLength_[static_cast<std::size_t>(length)];
    set.erase(start);
    if (set.empty()) used_[static_cast<std::size_t>(length) / 64] &= ~(std::uint64_t{1} << (length % 64));
  }
  // The lowest free block of length <= maxLength: (start, length), or length -1 when none.
  std::pair<u128, int> lowest(int maxLength) const {
    std::pair<u128, int> best{0, -1};
    forEachLength(maxLength, [&](int l) {
      const u128 s = *byLength_[static_cast<std::size_t>(l)].begin();
      if (best.second < 0 || s < best.first) best = {s, l};
      return false;
    });
    return best;
  }
  // The largest free block (lowest address among equals), length -1 when none.
  std::pair<u128, int> largest() const {
    std::pair<u128, int> best{0, -1};
    forEachLength(128, [&](int l) {
      best = {*byLength_[static_cast<std::size_t>(l)].begin(), l};
      return true;
    });
    return best;
  }

 private:
  template <class F>
  void forEachLength(int maxLength, F f) const {
    for (int word = 0; word < 3; ++word) {
      std::uint64_t bits = used_[static_cast<std::size_t>(word)];
      while (bits) {
        const int l = word * 64 + std::countr_zero(bits);
        if (l > maxLength || f(l)) return;
        bits &= bits - 1;
      }
    }
  }
  std::array<std::set<u128>, 129> byLength_;
  std::array<std::uint64_t, 3> used_{};
};

Placement unplaced(const Segment& s, std::string reason) {
  Placement p;
  p.name = s.name;
  p.hosts = s.hosts;
  p.needed = neededHosts(s.hosts, s.growthPercent);
  p.reason = std::move(reason);
  return p;
}

std::string lengthText(int l) { return "/" + std::to_string(l); }

}  // namespace

std::optional<u128> neededHosts(u128 hosts, double growthPercent) {
  if (!(growthPercent >= 0) || growthPercent > kMaxGrowthPercent) return std::nullopt;
  // Exact integer arithmetic: growth in millionths of a percent, 100 % = 10^8 units.
  constexpr u128 kWhole = 100'000'000;
  const u128 factor = kWhole + static_cast<u128>(std::llround(growthPercent * 1e6));
  u128 high;
  if (__builtin_mul_overflow(hosts / kWhole, factor, &high)) return std::nullopt;
  const u128 low = (hosts % kWhole * factor + kWhole - 1) / kWhole;
  u128 sum;
  if (__builtin_add_overflow(high, low, &sum)) return std::nullopt;
  return sum;
}

std::optional<int> lengthFor(net::Family f, u128 needed) {
  if (f == net::Family::V4) {
    if (needed > (u128{1} << 32) - 2) return std::nullopt;
    const u128 total = needed + 2;  // network and broadcast
    return 32 - net::bitLength(total - 1);
  }
  if (needed <= 1) return 128;
  if (needed == 2) return 127;
  return 128 - net::bitLength(needed);  // 2^n - 1 usable: n = bit length of needed
}

std::vector<Placement> allocate(const Plan& plan, BlockId within, const std::vector<Segment>& segments) {
  std::vector<Placement> out(segments.size());
  if (!plan.exists(within)) {
    for (std::size_t i = 0; i < segments.size(); ++i)
      out[i] = unplaced(segments[i], "block " + std::to_string(within) + " does not exist");
    return out;
  }
  const net::Prefix area = plan.block(within).prefix;
  const net::Family family = area.address.family;
  const int bits = area.address.bits();

  // The length each segment asks for; -1 for those refused up front.
  std::vector<int> length(segments.size(), -1);
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const Segment& s = segments[i];
    const auto needed = neededHosts(s.hosts, s.growthPercent);
    std::string reason;
    if (auto r = checkName(s.name); !r.empty()) {
      reason = "the name " + r;
    } else if (!needed) {
      reason = !(s.growthPercent >= 0) || s.growthPercent > kMaxGrowthPercent
                   ? "growth must be from 0 to 1000000 %" : "needs more than 2^128 hosts";
    } else if (s.fixedLength) {
      const int l = *s.fixedLength;
      if (l < 0 || l > bits) {
        reason = lengthText(l) + " is not a prefix length of IPv" + std::to_string(static_cast<int>(family));
      } else {
        const net::Count usable = Plan::usableHosts({area.address, l});
        if (*needed > usable.low)
          reason = lengthText(l) + " holds " + net::toDecimal(usable) + " hosts; " + net::toDecimal(*needed) + " needed";
        else
          length[i] = l;
      }
    } else if (s.hosts == 0) {
      reason = "asks for no hosts";
    } else if (auto l = lengthFor(family, *needed)) {
      length[i] = *l;
    } else {
      reason = "needs " + net::toDecimal(*needed) + " hosts, more than IPv" +
               std::to_string(static_cast<int>(family)) + " holds";
    }
    if (!reason.empty()) out[i] = unplaced(s, std::move(reason));
  }

  FreeSpace free;
  for (BlockId b : plan.preorder(within)) {
    const Block& blk = plan.block(b);
    if (blk.children.empty() && !blk.assigned) free.add(blk.prefix.address.value, blk.prefix.length);
  }

  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < segments.size(); ++i)
    if (length[i] >= 0) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return length[a] < length[b]; });

  for (std::size_t i : order) {
    const Segment& s = segments[i];
    const int l = length[i];
    const auto [start, have] = l >= area.length ? free.lowest(l) : std::pair<u128, int>{0, -1};
    if (have < 0) {
      const auto [bigStart, bigLength] = free.largest();
      Placement p = unplaced(s, "needs a " + lengthText(l));
      if (l < area.length) {
        p.reason += ", larger than " + net::formatNetwork(area);
      } else if (bigLength < 0) {
        p.reason += "; no free space is left";
      } else {
        p.largestFree = net::Prefix{{bigStart, family}, bigLength};
        p.reason += "; the largest free block left is " + net::formatNetwork(*p.largestFree);
      }
      out[i] = std::move(p);
      continue;
    }
    // Buddy split: the block takes the low end, the upper halves stay free.
    free.take(start, have);
    for (int m = have + 1; m <= l; ++m) free.add(start + (u128{1} << (bits - m)), m);
    Placement p;
    p.name = s.name;
    p.hosts = s.hosts;
    p.needed = neededHosts(s.hosts, s.growthPercent);
    p.prefix = net::Prefix{{start, family}, l};
    const net::Hosts h = net::hostsOf(*p.prefix);
    p.first = h.first;
    p.last = h.last;
    p.broadcast = h.broadcast;
    p.spare = h.usable;
    p.spare.low -= s.hosts;
    out[i] = std::move(p);
  }
  return out;
}

}  // namespace mq::plan
