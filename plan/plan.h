#pragma once
// An address plan: one root block of either family, split into a tree of blocks.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/address.h"

namespace mq::plan {

using BlockId = std::uint32_t;
constexpr BlockId kNoBlock = 0xFFFFFFFFu;

struct Block {
  net::Prefix prefix;         // always a network (host bits clear)
  std::string name;
  std::string note;
  std::uint32_t colour = 0;   // 0xRRGGBB
  bool assigned = false;      // leaves only: assigned to a segment, or free
  net::u128 hostsNeeded = 0;  // assigned leaves: what the segment asked for (0: not given)
  BlockId parent = kNoBlock;
  std::vector<BlockId> children;  // empty (leaf), or 2^k equal parts in address order
};

class Plan {
 public:
  explicit Plan(net::Prefix root);  // root's host bits are cleared

  BlockId root() const;
  const Block& block(BlockId id) const;
  bool exists(BlockId id) const;
  std::size_t blockCount() const;           // live blocks
  std::vector<BlockId> leaves() const;      // address order
  std::vector<BlockId> freeLeaves() const;  // address order

  // Each returns an empty string on success, else the reason nothing changed.
  std::string split(BlockId id, int parts);  // parts = 2^k, k >= 1, leaf that is free
  std::string join(BlockId parent);          // all children free leaves
  std::string setName(BlockId id, std::string name);
  std::string setNote(BlockId id, std::string note);
  std::string setColour(BlockId id, std::uint32_t rgb);
  std::string setAssigned(BlockId id, bool assigned, net::u128 hostsNeeded = 0);

  // Usable hosts of a block and spare = usable - hostsNeeded (assigned leaves).
  static net::Count usableHosts(const net::Prefix& p);
  net::Count spareHosts(BlockId id) const;

  bool operator==(const Plan& other) const;  // same tree, names, notes, colours, states
};

}  // namespace mq::plan
