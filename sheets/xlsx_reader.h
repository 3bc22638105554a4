#pragma once
// The rows of one sheet of an .xlsx workbook as text cells, for the readers of segment lists,
// prefix tables and host tables. A cell reads as the text a user sees in it: a shared or
// inline string as written, a number in plain decimal ("12", not "1.2E+1"; a percentage as
// "25%"), a boolean as TRUE or FALSE, an error as its code ("#N/A"), a formula as its cached
// value. An integer a number cell cannot hold exactly (above 2^53) keeps the text stored, so
// that a reader refuses it instead of taking a rounded count. Every cell a merged range
// covers holds the range's value.
//
// Bounded like every input: no entry of the archive is inflated beyond kMaxEntryBytes (a zip
// bomb is refused after that many bytes, not held); the sheet is streamed a piece at a time
// and handed on a row at a time; what is held, the shared strings, stops at
// kMaxSharedStringBytes, and a row's text at kMaxRowBytes; a text or tag longer than kMaxXmlRunBytes and elements
// nested deeper than kMaxXmlDepth are refused (the XML reader would hold them whole); positions beyond the largest
// sheet a spreadsheet program makes (textio/cell_text.h) are refused as damage.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mq::sheets {

constexpr std::uint64_t kMaxEntryBytes = std::uint64_t{256} << 20;  // 256 MiB inflated
constexpr std::uint64_t kMaxSharedStringBytes = std::uint64_t{64} << 20;  // text + 4 a string
constexpr std::uint64_t kMaxXmlRunBytes = std::uint64_t{1} << 20;
constexpr int kMaxXmlDepth = 64;
constexpr std::uint64_t kMaxRowBytes = std::uint64_t{4} << 20;  // the text of a row's cells
constexpr std::size_t kMaxMerges = 10'000;

struct SheetRow {
    std::size_t number = 0;  // from 1, as the sheet numbers it
    std::vector<std::string> cells;  // from column A; the empty cells after the last left off
    std::vector<bool> covered;  // per cell: inside a merged range, not its first cell
    std::string_view sheet;  // the name of the sheet read
};

struct SheetRead {
    std::string sheet;  // the name of the sheet read
    std::size_t rows = 0;  // rows handed on
    bool stopped = false;  // the callback asked to stop
    std::string error;  // why the workbook or the sheet could not be read; empty when it was
};

// Returns false to stop reading.
using RowFn = std::function<bool(const SheetRow&)>;

// Hands on the rows that have a cell in order (rows with none are left out, as blank lines
// are). sheet: a sheet's name (case does not matter, as in spreadsheet programs), or empty
// for the first sheet. Rows handed on before a fault was found stay handed on.
SheetRead readSheet(const std::string& path, const std::string& sheet, const RowFn& fn);

// The names of the workbook's sheets in their order, for a user to pick one; empty, with
// *error set, when the workbook cannot be read.
std::vector<std::string> sheetNames(const std::string& path, std::string* error);

// How a sheet's row is named in messages: sheet "Segments" row 4.
std::string rowName(const std::string& sheet, std::size_t row);

}  // namespace mq::sheets
