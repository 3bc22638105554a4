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

namespace mq::plan {

struct DocumentError {
    std::string path;  // JSON path inside the document: "$.blocks[3].prefix"
    std::string reason;  // "overlaps $.blocks[2] (10.0.0.0/24)"
};

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
std::variant<Plan, DocumentError> readDocument(std::string_view text);

}  // namespace mq::plan
