#pragma once
// A workbook the program made, read back by openpyxl (tests/xlsx/read_back.py): so that a
// test of a window's model sees its cells as a spreadsheet program does.
#include <optional>
#include <string>
#include <vector>

namespace mq::test {

// "sheet NAME", then a line per row, cells joined by tabs (a number as #N, an empty cell as
// nothing, trailing empty cells left off); nothing when openpyxl is missing (the test skips),
// a single line "unreadable: WHY" when it refuses the bytes.
std::optional<std::vector<std::string>> readBackWorkbook(const std::string& bytes);

}  // namespace mq::test
