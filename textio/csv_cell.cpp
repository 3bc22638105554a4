#include "textio/csv_cell.h"

namespace mq::textio {

bool readsAsFormula(std::string_view cell)
{
    return !cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos;
}

void appendCsvField(std::string& out, std::string_view field, CsvReader reader)
{
    const bool sheet = reader == CsvReader::Spreadsheet;
    const bool mark = sheet && readsAsFormula(field);
    if (field.find_first_of(sheet ? ",\"\r\n;\t" : ",\"\r\n") == std::string_view::npos) {
        if (mark)
            out += '\'';
        out += field;
        return;
    }
    out += '"';
    if (mark)
        out += '\'';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace mq::textio
