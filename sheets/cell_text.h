#pragma once
// The parts of a worksheet's XML that are plain text: cell references and the numbers as
// stored. No Qt, so they are checked on their own.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mq::sheets {

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

}  // namespace mq::sheets
