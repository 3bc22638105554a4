#pragma once
// CSV as this program writes it: the export of a plan's leaves, and RFC 4180 fields.
#include <string>
#include <string_view>

#include "plan/plan.h"

namespace mq::plan {

// Header "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note", then one line
// per leaf in address order. CR LF line ends and RFC 4180 quoting (fields with a comma,
// quote, CR or LF in double quotes, quotes doubled), as spreadsheets expect of a .csv file.
// status: free, assigned or reserved; vlan empty when none; hosts: what an assigned leaf's
// segment asked for (empty for free leaves); spare: usable hosts less that; broadcast empty
// where the family has none.
std::string leavesCsv(const Plan& plan);
// One field as RFC 4180 quotes it (for every CSV this program writes).
void appendCsvField(std::string& out, std::string_view field);

}  // namespace mq::plan
