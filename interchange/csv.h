#pragma once
// Reading CSV as RFC 4180 writes it (the writers use plan::appendCsvField), with the
// liberties spreadsheets take: LF or CR LF, a UTF-8 byte order mark, blank lines.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mq::interchange {

struct CsvRecord {
    std::size_t line = 0;  // the line the record starts on, 1-based
    std::vector<std::string> fields;
};

struct CsvTable {
    std::vector<CsvRecord> records;  // the header included
    std::string error;  // the first fault, with its line; records read before it are kept
};

// Fields separated by `separator`; a field in double quotes may hold separators, line breaks
// and doubled quotes. Refused: a quoted field never closed, text after a closing quote.
CsvTable readCsv(std::string_view text, char separator = ',');

// The column of a header name (compared without case and surrounding blanks), or npos.
std::size_t csvColumn(const CsvRecord& header, std::string_view name);

}  // namespace mq::interchange
