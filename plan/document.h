#pragma once
// The .mqplan document: JSON with a format version; CSV export of the leaves.
#include <string>
#include <string_view>
#include <variant>

#include "plan/plan.h"

namespace mq::plan {

struct DocumentError {
  std::string path;    // JSON path inside the document: "$.blocks[3].prefix"
  std::string reason;  // "overlaps $.blocks[2] (10.0.0.0/24)"
};

std::string writeDocument(const Plan& plan);
std::variant<Plan, DocumentError> readDocument(std::string_view text);

// Header "name,prefix,first,last,broadcast,hosts,spare,note", CR LF? no: LF line ends, RFC 4180 quoting.
std::string leavesCsv(const Plan& plan);

}  // namespace mq::plan
