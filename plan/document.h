#pragma once
// The .mqplan document: JSON with a format version (the CSV export: plan/csv.h).
// The schema is described at the top of plan/document.cpp.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <variant>

#include "plan/csv.h"
#include "plan/plan.h"
#include "textio/problem.h"

namespace mq::plan {

// The largest document any reader of a plan takes (mqnet and the planner alike): a plan of
// the largest size, 4,000,000 blocks, takes about 450 MB.
constexpr std::size_t kMaxDocumentBytes = std::size_t{512} << 20;
// Empty when a document of this many bytes can be read back, else why not: a writer keeps
// the old file rather than replace it with one that no reader opens.
std::string documentSizeFault(std::size_t bytes);

// LF line ends, one block or host a line, UTF-8; the same plan always gives the same bytes.
std::string writeDocument(const Plan& plan);
// The same bytes handed on in pieces of about a megabyte, for output that streams: a plan
// of millions of blocks or hosts is written without its whole text in memory.
void writeDocument(const Plan& plan, const std::function<void(std::string_view)>& write);
// Strict: the first fault found is returned, and no plan is made from a faulty document.
// The fault's place is its JSON path ("$.blocks[3].prefix") in `path`, with the line of the
// text it was found on in `line` when the text itself was at fault (0 when the fault is one
// of the plan the document describes); `message` says why ("overlaps $.blocks[2] (10.0.0.0/24)").
std::variant<Plan, textio::Problem> readDocument(std::string_view text);

}  // namespace mq::plan
