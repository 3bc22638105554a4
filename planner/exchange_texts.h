// How the planner's imports and exports word what they did: the formats' names and the
// list of notes under a message.
#pragma once

#include "interchange/plan_adapter.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mq::planner {

// Lines of refused items shown in a message; the rest are counted.
inline constexpr std::size_t kShownLines = 20;

// The lines, each on its own line after a newline, the first kShownLines of them.
std::string listed(const std::vector<std::string>& lines);
// "NetBox CSV", "visualsubnetcalc link", "prefix list".
const char* formatName(interchange::Format f);

}  // namespace mq::planner
