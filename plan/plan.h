#pragma once
// An address plan: one root block of either family, split into a tree of blocks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/address.h"

namespace mq::plan {

using BlockId = std::uint32_t;
constexpr BlockId kNoBlock = 0xFFFFFFFFu;

// Limits that keep every operation quick and every document bounded.
constexpr int kMaxSplitParts = 65536;          // parts of one split
constexpr std::size_t kMaxBlocks = 4'000'000;  // live blocks of one plan
constexpr std::size_t kMaxNameBytes = 200;
constexpr std::size_t kMaxNoteBytes = 4000;

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

// Empty when the text may be a block's name (valid UTF-8, no control characters, at most
// kMaxNameBytes bytes), else the reason.
std::string checkName(std::string_view name);
// The same for a note: line breaks and tabs are allowed, kMaxNoteBytes bytes at most.
std::string checkNote(std::string_view note);

class Plan {
 public:
  explicit Plan(net::Prefix root);  // root's host bits are cleared

  BlockId root() const;
  const Block& block(BlockId id) const;
  bool exists(BlockId id) const;
  std::size_t blockCount() const;           // live blocks
  std::vector<BlockId> leaves() const;      // address order
  std::vector<BlockId> freeLeaves() const;  // address order
  // Every live block under id (id included), parents before children, in address order.
  std::vector<BlockId> preorder(BlockId id) const;
  // The leaf under `from` that holds the address, kNoBlock when the address lies outside.
  // Steps down one level at a time by arithmetic: O(depth), not O(blocks).
  BlockId leafAt(const net::Address& a, BlockId from) const;
  BlockId leafAt(const net::Address& a) const { return leafAt(a, root()); }

  // Each returns an empty string on success, else the reason nothing changed.
  std::string split(BlockId id, int parts);  // parts = 2^k, k >= 1, leaf that is free
  std::string join(BlockId parent);          // all children free leaves
  std::string setName(BlockId id, std::string name);
  std::string setNote(BlockId id, std::string note);
  std::string setColour(BlockId id, std::uint32_t rgb);
  std::string setAssigned(BlockId id, bool assigned, net::u128 hostsNeeded = 0);

  // For undo and redo: splits again into the ids that an undone split handed out (they
  // must be blocks that a join removed), so that later commands naming them still hold.
  std::string splitInto(BlockId id, const std::vector<BlockId>& childIds);

  // Usable hosts of a block and spare = usable - hostsNeeded (assigned leaves).
  static net::Count usableHosts(const net::Prefix& p);
  net::Count spareHosts(BlockId id) const;

  bool operator==(const Plan& other) const;  // same tree, names, notes, colours, states

 private:
  std::string checkSplit(BlockId id, int parts) const;
  std::string makeChildren(BlockId id, int parts, const std::vector<BlockId>* reuse);
  std::string checkLive(BlockId id) const;

  std::vector<Block> blocks_;
  std::vector<std::uint8_t> alive_;
  std::size_t live_ = 0;
};

}  // namespace mq::plan
