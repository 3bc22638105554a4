// A table as lines of fixed-pitch text, for the saved report and the
// printout: each column as wide as its widest cell, two blanks between
// columns, numbers on the right; columns that may wrap give way so the table
// fits a width, and their cells go on over further lines of the same row.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mq::planner {

struct TextColumn {
    std::string title;
    bool right = false;  // numbers
    bool wrap = false;  // names and notes: wrapped at blanks to fit
};

// Width counts characters (UTF-8 code points). A table that cannot fit even
// with its wrapping columns at 12 characters is wider than `width`.
std::vector<std::string> textTable(const std::vector<TextColumn>& columns,
                                   const std::vector<std::vector<std::string>>& rows, std::size_t width);

// Characters of a UTF-8 text.
std::size_t textWidth(const std::string& s);

}  // namespace mq::planner
