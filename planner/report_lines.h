// The report of the main window's Save and Print: a summary, the allocations and the blocks,
// as tables of fixed-pitch text.
#pragma once

#include "plan/plan.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mq::planner {

// The report's line width: a page of 8-point fixed-pitch text across.
inline constexpr std::size_t kReportWidth = 110;

// The plan kept in the file at path (none: "") as the report's lines, the tables at most
// `width` characters wide (wrapping names and notes).
std::vector<std::string> planReportLines(const plan::Plan& plan, const std::string& path,
                                         std::size_t width = kReportWidth);

}  // namespace mq::planner
