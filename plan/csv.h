#pragma once
// The CSV a plan is exported as: its leaves, and the values a spreadsheet would take for
// formulas (the rows themselves: textio/csv.h).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "plan/plan.h"

namespace mq::plan {

// Header "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note", then one line
// per leaf in address order. CR LF line ends and RFC 4180 quoting (fields with a comma,
// quote, CR or LF in double quotes, quotes doubled), as spreadsheets expect of a .csv file;
// a name or note that a spreadsheet would take for a formula is written after a '.
// status: free, assigned or reserved; vlan empty when none; hosts: what an assigned leaf's
// segment asked for (empty for free leaves); spare: usable hosts less that; broadcast empty
// where the family has none.
std::string leavesCsv(const Plan& plan);
// The header of that table, and one leaf's cells as the CSV holds them (before quoting).
inline constexpr const char* kLeafColumns[] = {"name", "status",    "vlan",  "prefix", "first",
                                               "last", "broadcast", "hosts", "spare",  "note"};
std::vector<std::string> leafCells(const Plan& plan, BlockId id);

// A value the user typed that a spreadsheet opening the file would read as a formula. Files
// that programs read (an IPAM's import, a script) keep it as it is, and the user is told.
struct FormulaCell {
    BlockId block = kNoBlock;  // kNoBlock: a value of the whole plan
    std::string field;  // "name", "note", or the plan-wide value's name
    std::string value;
};
// The names and notes of the given blocks, in that order, then the plan-wide values given
// as (field, value).
std::vector<FormulaCell> formulaCells(const Plan& plan, const std::vector<BlockId>& blocks,
                                      const std::vector<std::pair<std::string, std::string>>& planWide = {});
// "10.0.0.0/24: a spreadsheet would read the name \"=1+2\" as a formula; written as it is"
std::string describe(const Plan& plan, const FormulaCell& cell);
// The same for a value that is not in a plan; `where` ("10.0.0.0/24") may be empty.
std::string formulaWarning(const std::string& where, const std::string& field, const std::string& value);

}  // namespace mq::plan
