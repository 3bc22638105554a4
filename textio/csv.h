#pragma once
// CSV as RFC 4180 writes it: fields, rows and the reader, with the liberties spreadsheets
// take when they write it (LF or CR LF, a UTF-8 byte order mark, blank lines).
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "textio/problem.h"

namespace mq::textio {

enum class CsvReader : std::uint8_t {
    Program,  // an IPAM's import or a script: the value exactly as typed
    Spreadsheet,  // a person opens the file: a value that looks like a formula stays text
};

// True when a spreadsheet would read the cell as a formula (or a DDE call) rather than as
// text: it starts with =, +, -, @, a tab or a carriage return.
bool readsAsFormula(std::string_view cell);

// Appends the field as RFC 4180 quotes it (in double quotes, quotes doubled, when it holds a
// comma, quote, CR or LF). For a spreadsheet a cell that readsAsFormula gets a leading ' (which
// spreadsheets read as "this is text"), and a semicolon or tab is quoted too, since
// spreadsheets set to other separators would otherwise start a new cell there.
void appendCsvField(std::string& out, std::string_view field, CsvReader reader = CsvReader::Program);

// Appends one record: the fields, each as appendCsvField writes it, separated by commas, then
// lineEnd ("\r\n" for files that spreadsheets and IPAMs open, "\n" for scripts).
void appendCsvRow(std::string& out, std::initializer_list<std::string_view> fields, std::string_view lineEnd,
                  CsvReader reader = CsvReader::Program);
template <class Fields>
void appendCsvRow(std::string& out, const Fields& fields, std::string_view lineEnd,
                  CsvReader reader = CsvReader::Program)
{
    bool first = true;
    for (const auto& field : fields) {
        if (!first)
            out += ',';
        first = false;
        appendCsvField(out, field, reader);
    }
    out += lineEnd;
}

struct CsvRecord {
    std::size_t line = 0;  // the line the record starts on, 1-based
    std::vector<std::string> fields;
};

struct CsvTable {
    std::vector<CsvRecord> records;  // the header included
    std::string error;  // the first fault, with its line; records read before it are kept
    Problem problem{};  // the same fault, its line as a number (describe(problem) == error)
};

// Fields separated by `separator`; a field in double quotes may hold separators, line breaks
// and doubled quotes. Refused: a quoted field never closed, text after a closing quote.
CsvTable readCsv(std::string_view text, char separator = ',');

// The column of a header name (compared without case and surrounding blanks), or npos.
std::size_t csvColumn(const CsvRecord& header, std::string_view name);

}  // namespace mq::textio
