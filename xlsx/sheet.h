#pragma once
// A table as a spreadsheet's sheet, and the .xlsx workbook of several (written with
// libxlsxwriter). The rows are asked for one at a time as they are written, so that the
// table of a plan of millions of blocks is never held whole a second time.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/cell_text.h"

namespace mq::xlsx {

enum class CellType : std::uint8_t {
    Text,  // as given; an address is always text
    Count,  // a whole number in decimal: a number where a spreadsheet holds it exactly
            // (textio::fitsExactly), else text, so that an IPv6 count keeps every digit
};

struct Column {
    std::string name;  // the header cell
    CellType type = CellType::Text;
};

// A sheet has at most this many rows below its header.
inline constexpr std::size_t kMaxSheetRows = textio::kWorksheetRows - 1;

struct Sheet {
    std::string name;  // the tab's name: at most 31 characters, none of []:*?/\ (all ours)
    std::vector<Column> columns;
    std::size_t rows = 0;
    // Fills the cells of row i (0 <= i < rows), one per column; fewer leave the rest empty.
    // An empty cell stays empty in either type.
    std::function<void(std::size_t i, std::vector<std::string>& cells)> row;
};

// The width of a column, in characters of the default font, for the longest of its cells
// (in code points) and a little room; bounded so that one long note does not hide the rest.
double columnWidth(std::size_t longestCell);

struct Workbook {
    std::string bytes;  // the .xlsx file
    std::string error;  // why there is none ("the sheet \"hosts\" has ..."); empty on success
    bool cancelled = false;  // the progress callback asked to stop: no bytes, no error
};

// Told every few thousand rows how many of all the sheets' rows are written; false stops the
// work (a user's Cancel), and nothing is kept of it.
using Progress = std::function<bool(std::size_t done, std::size_t total)>;

// A name a spreadsheet takes for a tab, made of wanted: the characters it refuses ([]:*?/\)
// as '_', no ' at either end, at most 31 characters; made unique among taken (compared as
// spreadsheets do, without case) by " (2)", " (3)"... at its end. An empty name is "sheet".
std::string sheetName(const std::string& wanted, const std::vector<std::string>& taken);

// The sheets in order, each with a bold header row frozen above its rows and its columns as
// wide as their content. A text cell a spreadsheet would read as a formula (starts with =, +,
// -, @, a tab or CR, as the CSV files tell) is a string cell with the text number format, so
// that editing it does not turn it into one either. Built in a private temporary folder,
// removed afterwards; the caller writes the bytes through its atomic writer.
Workbook writeWorkbook(const std::vector<Sheet>& sheets, const Progress& progress = {});

}  // namespace mq::xlsx
