// How the planner names its blocks and counts them: the tree's cells, titles and the
// status line.
#pragma once

#include "plan/plan.h"

#include <cstddef>
#include <string>

namespace mq::planner {

// Columns of the tree of blocks.
enum Column { ColName, ColPrefix, ColHosts, ColSpare, ColNote, ColumnCount };
const char* columnTitle(int column);
std::string cellText(const plan::Plan& plan, plan::BlockId id, int column);

// Largest split offered: 2^16 parts at once.
inline constexpr int kMaxSplitExponent = 16;

// "10.0.0.0/8" of a block, "2001:db8::/32".
std::string prefixText(const net::Prefix& p);
// "servers 10.0.0.0/24", or only the prefix when the block has no name.
std::string blockTitle(const plan::Block& block);
// "1 leaf", "2 leaves".
std::string countText(std::size_t n, const char* one, const char* many);
// The leaves of every root of the plan, whichever root is shown.
std::size_t leafCount(const plan::Plan& plan);
// The window's status line: "12 blocks, 7 leaves; selected servers 10.0.0.0/24"; leaves is
// leafCount(plan), passed in so that a window counts once per change, not per selection.
std::string summaryText(const plan::Plan& plan, std::size_t leaves, plan::BlockId selected);
// 1 2 4 ... of a text, or 0 when it is not a power of two from 2 to 2^16.
int partsOf(const std::string& text);

}  // namespace mq::planner
