#pragma once
// The .mqplan document: JSON with a format version; CSV export of the leaves.
// The schema is described at the top of plan/document.cpp.
#include <string>
#include <string_view>
#include <variant>

#include "plan/plan.h"

namespace mq::plan {

struct DocumentError {
  std::string path;    // JSON path inside the document: "$.blocks[3].prefix"
  std::string reason;  // "overlaps $.blocks[2] (10.0.0.0/24)"
};

// LF line ends, one block a line, UTF-8; the same plan always gives the same bytes.
std::string writeDocument(const Plan& plan);
// Strict: the first fault found is returned, and no plan is made from a faulty document.
std::variant<Plan, DocumentError> readDocument(std::string_view text);

// Header "name,prefix,first,last,broadcast,hosts,spare,note", then one line per leaf in
// address order. CR LF line ends and RFC 4180 quoting (fields with a comma, quote, CR or
// LF in double quotes, quotes doubled), as spreadsheets expect of a .csv file.
// hosts: what an assigned leaf's segment asked for (empty for free leaves and when not
// given); spare: usable hosts less that; broadcast empty where the family has none.
std::string leavesCsv(const Plan& plan);
// One field as RFC 4180 quotes it (for every CSV this program writes).
void appendCsvField(std::string& out, std::string_view field);

}  // namespace mq::plan
