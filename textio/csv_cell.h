#pragma once
// One CSV field, for the program that reads the file or for a spreadsheet that opens it.
#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace mq::textio
