#pragma once
// A workbook's cells as text, both ways: what the writer (xlsx/) stores and what the reader
// (sheets/) gives back, so that the two keep one rule for the sheet's bounds, the exact
// integers and the escaped characters.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mq::textio {

// The largest sheet a spreadsheet program makes (a header row is one of its rows).
constexpr std::size_t kWorksheetRows = 1'048'576;
constexpr std::size_t kWorksheetColumns = 16'384;
// 2^53: every integer up to it is a double, so a number cell holds it exactly.
constexpr std::uint64_t kExactIntegerLimit = std::uint64_t{1} << 53;

// True when the decimal text is a count a spreadsheet's number holds exactly: digits only,
// no leading zero (but "0"), and at most 2^53.
bool fitsExactly(std::string_view decimal);

struct CellRef {
    std::size_t row = 0;  // from 1
    std::size_t column = 0;  // from 0 (column A)
};

// "C5", "XFD1048576"; nothing for anything else or beyond the largest sheet.
std::optional<CellRef> parseCellRef(std::string_view ref);

// A number as the sheet stores it ("12", "-0.5", "1.2E+3", "2.5E-1") in plain decimal as a
// spreadsheet shows it in General format ("12", "-0.5", "1200", "0.25"); with percent, as a
// percentage ("25%"). Integers above 2^53 keep the stored text: the digits past the 16th
// are the rounding's, not the user's. Nothing when the text is not a number.
std::optional<std::string> plainNumber(std::string_view stored, bool percent);

// A string as ECMA-376 stores it (ST_Xstring): "_xHHHH_" is the UTF-16 code unit HHHH, so
// that "_x000D_" is a carriage return and "_x005F_x0041_" the text "_x0041_"; a pair of
// surrogates is one character. Everything else is as written.
std::string unescapedXstring(std::string_view stored);

// Text as a cell's XML keeps it, which unescapedXstring reads back as the text: an
// underscore that starts an "_xHHHH_" run is itself written as _x005F_, and a character XML
// may not hold (a control, U+FFFF) is written so, as Excel does: otherwise the workbook would
// not open. A byte that is not UTF-8 becomes U+FFFD.
std::string escapedXstring(std::string_view text);

// Whether a file is meant as a workbook, from its name and its first bytes (four are enough):
// named *.xlsx (any case) or starting with the zip signature, so that a workbook renamed is
// read as one and not as text.
bool isWorkbook(std::string_view name, std::string_view head);

}  // namespace mq::textio
