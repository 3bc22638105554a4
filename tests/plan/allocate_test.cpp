// Allocation: checked against a plain oracle that tries every aligned place in address order,
// on random plans and segment lists of both families; sizes, growth and segment lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "plan/allocate.h"
#include "plan/commands.h"
#include "plan/segments.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using net::u128;
using test::P;

// The size rule written out directly: what a block of length l holds for a segment (IPv4
// counts network and broadcast, IPv6 the Subnet-Router anycast), then the longest that fits.
u128 oracleUsable(net::Family f, int l) {
  const int bits = net::familyBits(f);
  const u128 size = bits - l == 128 ? ~u128{0} : u128{1} << (bits - l);  // 2^128 - 1 for ::/0
  return f == net::Family::V4 ? (size < 4 ? 0 : size - 2) : (size <= 2 ? size : size - (bits - l < 128));
}
int oracleLength(net::Family f, u128 need) {
  for (int l = net::familyBits(f); l >= 0; --l)
    if (oracleUsable(f, l) >= need) return l;
  return -1;
}

struct Span { u128 first, last; };

// Largest first (stable), then the lowest aligned position inside one free leaf that
// overlaps nothing placed so far: every candidate tried, as slowly as it sounds.
std::vector<std::optional<net::Prefix>> oracle(const Plan& plan, const std::vector<Segment>& segs,
                                               std::vector<std::optional<net::Prefix>>& largestLeft) {
  const net::Family fam = plan.block(plan.root()).prefix.address.family;
  const int bits = net::familyBits(fam);
  std::vector<Span> free;
  for (BlockId b : plan.freeLeaves()) free.push_back({plan.block(b).prefix.address.value, plan.block(b).prefix.last().value});
  std::vector<Span> used;
  auto clear = [&](u128 a, u128 z) {
    return std::none_of(used.begin(), used.end(), [&](const Span& s) { return !(z < s.first || s.last < a); });
  };
  auto lowest = [&](int l) -> std::optional<u128> {
    const u128 size = u128{1} << (bits - l);
    for (const Span& f : free)
      for (u128 a = f.first; a <= f.last && f.last - a >= size - 1; a += size)
        if (clear(a, a + size - 1)) return a;
    return std::nullopt;
  };
  std::vector<int> len(segs.size());
  std::vector<std::size_t> order(segs.size());
  for (std::size_t i = 0; i < segs.size(); ++i) {
    len[i] = segs[i].fixedLength ? *segs[i].fixedLength : oracleLength(fam, *neededHosts(segs[i].hosts, segs[i].growthPercent));
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return len[a] < len[b]; });
  std::vector<std::optional<net::Prefix>> out(segs.size());
  largestLeft.assign(segs.size(), std::nullopt);
  for (std::size_t i : order) {
    if (auto a = lowest(len[i])) {
      out[i] = net::Prefix{{*a, fam}, len[i]};
      used.push_back({*a, out[i]->last().value});
      continue;
    }
    for (int l = plan.block(plan.root()).prefix.length; l <= bits && !largestLeft[i]; ++l)
      if (auto a = lowest(l)) largestLeft[i] = net::Prefix{{*a, fam}, l};
  }
  return out;
}

TEST(Allocate, MatchesTheOracleOnRandomPlansOfBothFamilies) {
  for (const char* root : {"10.20.0.0/20", "2001:db8::f000/116"}) {
    std::mt19937_64 rng(3);
    for (int round = 0; round < 60; ++round) {
      Plan plan(P(root));
      test::grow(plan, rng, static_cast<int>(rng() % 12));
      std::vector<Segment> segs;
      for (int n = static_cast<int>(rng() % 25); n > 0; --n) {
        Segment s{"s" + std::to_string(n), 1 + rng() % (rng() % 2 ? 300 : 20), static_cast<double>(rng() % 4 * 12.5), {}};
        if (rng() % 6 == 0) s.fixedLength = 24 + static_cast<int>(rng() % 8) + (root[0] == '2' ? 96 : 0), s.hosts = 0;
        segs.push_back(s);
      }
      std::vector<std::optional<net::Prefix>> left;
      const auto want = oracle(plan, segs, left);
      const auto got = allocate(plan, plan.root(), segs);
      ASSERT_EQ(got.size(), segs.size());
      for (std::size_t i = 0; i < segs.size(); ++i) {
        ASSERT_EQ(got[i].prefix, want[i]) << root << " round " << round << " segment " << i << " " << got[i].reason;
        if (!got[i].prefix) {
          EXPECT_EQ(got[i].largestFree, left[i]) << got[i].reason;
          continue;
        }
        const int l = got[i].prefix->length;
        EXPECT_EQ(got[i].first.value, got[i].prefix->address.value + (l < net::familyBits(got[i].first.family) - 1));
        if (l < 31 || root[0] == '2') {
          EXPECT_EQ(got[i].spare.low, oracleUsable(got[i].first.family, l) - segs[i].hosts);
        }
      }
      // Applied as a command, the tree holds exactly these blocks, named and assigned.
      Plan applied = plan;
      if (makeAllocate(plan.root(), segs)->apply(applied).empty())
        for (std::size_t i = 0; i < segs.size(); ++i) {
          if (!got[i].prefix) continue;
          const Block& b = applied.block(applied.leafAt(got[i].prefix->address));
          EXPECT_EQ(b.prefix, *got[i].prefix);
          EXPECT_TRUE(b.assigned);
          EXPECT_EQ(b.name, segs[i].name);
        }
    }
  }
}

TEST(Allocate, AClassCWorkedThrough) {
  Plan plan(P("192.168.1.0/24"));
  const auto got = allocate(plan, plan.root(), {{"a", 100, 0, {}}, {"b", 50, 20, {}}, {"c", 30, 0, {}}, {"d", 30, 1, {}}});
  EXPECT_EQ(net::formatNetwork(*got[0].prefix), "192.168.1.0/25");
  EXPECT_EQ(net::formatNetwork(*got[1].prefix), "192.168.1.128/26");  // 60 hosts with growth
  EXPECT_EQ(net::formatNetwork(*got[3].prefix), "192.168.1.192/26");  // 30.3 -> 31 + 2 > 32
  EXPECT_EQ(net::format(got[1].last), "192.168.1.190");
  EXPECT_EQ(got[1].spare.low, 12u);  // 62 usable, 50 asked: the growth reserve is spare
  EXPECT_FALSE(got[2].prefix);
  EXPECT_EQ(got[2].reason, "needs a /27; no free space is left");
  const auto big = allocate(plan, plan.root(), {{"x", 300, 0, {}}, {"y", 1, 0, {}}, {"z", 0, 0, 22}});
  EXPECT_EQ(big[0].reason, "needs a /23, larger than 192.168.1.0/24");
  EXPECT_EQ(net::formatNetwork(*big[1].prefix), "192.168.1.0/30");  // 1 host + network + broadcast
  EXPECT_EQ(big[2].reason, "needs a /22, larger than 192.168.1.0/24");
  EXPECT_EQ(allocate(plan, plan.root(), {{"w", 100, 0, 26}})[0].reason, "/26 holds 62 hosts; 100 needed");
}

TEST(Allocate, HostsWithGrowthAndTheirLength) {
  const u128 top = ~u128{0};
  EXPECT_EQ(neededHosts(10, 0), u128{10});
  EXPECT_EQ(neededHosts(10, 10), u128{11});
  EXPECT_EQ(neededHosts(3, 10), u128{4});        // 3.3 rounds up
  EXPECT_EQ(neededHosts(100, 12.5), u128{113});  // exact, no binary rounding
  EXPECT_EQ(neededHosts(top, 0), top);
  EXPECT_EQ(neededHosts(top / 2, 100), top - 1);
  EXPECT_FALSE(neededHosts(top, 0.000001));
  EXPECT_FALSE(neededHosts(1, -1));
  EXPECT_EQ(lengthFor(net::Family::V4, 254), 24);
  EXPECT_EQ(lengthFor(net::Family::V4, 255), 23);
  EXPECT_EQ(lengthFor(net::Family::V4, (u128{1} << 32) - 2), 0);
  EXPECT_FALSE(lengthFor(net::Family::V4, (u128{1} << 32) - 1));
  EXPECT_EQ(lengthFor(net::Family::V6, 1), 128);
  EXPECT_EQ(lengthFor(net::Family::V6, 2), 127);
  EXPECT_EQ(lengthFor(net::Family::V6, u128{1} << 64), 63);  // 2^64 - 1 usable in a /64
  EXPECT_EQ(lengthFor(net::Family::V6, top), 0);
}

TEST(Allocate, SegmentListsAsTypedOrPasted) {
  std::vector<SegmentLineError> errors;
  const auto segs = parseSegments(
      "\xEF\xBB\xBFlan, 100\r\n# site A\r\n\r\nwifi,200,25%\n  dmz , 10 , 12.5 , /28 \nlab\t10\t\t/27\np2p, 2, /31\n"
      "bad\n, 5\nx, -1\ny, 5, lots\nz, 5, 1, 28\nw, 0\nq, 1, 1, /129\n",
      errors);
  ASSERT_EQ(segs.size(), 5u);
  EXPECT_EQ(segs[0].name, "lan");
  EXPECT_EQ(segs[1].name, "wifi");
  EXPECT_EQ(segs[1].growthPercent, 25);
  EXPECT_EQ(segs[2].name, "dmz");
  EXPECT_EQ(segs[2].fixedLength, 28);
  EXPECT_EQ(segs[3].fixedLength, 27);
  EXPECT_EQ(segs[4].fixedLength, 31);
  std::vector<std::size_t> lines;
  for (const auto& e : errors) lines.push_back(e.line);
  EXPECT_EQ(lines, (std::vector<std::size_t>{8, 9, 10, 11, 12, 13, 14}));
  EXPECT_EQ(errors[0].reason, "expected name, hosts[, growth%[, /len]]");
  EXPECT_EQ(errors[2].reason, "hosts \"-1\" is not a whole number from 0 to 2^128 - 1");
  EXPECT_EQ(errors[5].reason, "asks for no hosts (give hosts or a /len)");
}

// The panel's text is read as mqnet reads a file (textio): comments anywhere, the line limit,
// a refused field quoted escaped.
TEST(Allocate, SegmentListsReadAsEveryList) {
  std::vector<SegmentLineError> errors;
  const auto segs = parseSegments("lab, 10 # comment\n" + std::string(70000, 'x') + "\nx, \x1b[2J\nwifi\t20\t# x\n", errors);
  ASSERT_EQ(segs.size(), 2u);
  EXPECT_EQ((std::pair{segs[0].name, segs[1].name}), (std::pair<std::string, std::string>{"lab", "wifi"}));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].line, 2u);
  EXPECT_EQ(errors[0].reason, "the line is longer than 65536 bytes");
  EXPECT_EQ(errors[1].reason, "hosts \"\\x1b[2J\" is not a whole number from 0 to 2^128 - 1");
}

}  // namespace
}  // namespace mq::plan
