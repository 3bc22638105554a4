#include "textio/csv.h"

#include "textio/fields.h"

namespace mq::textio {

bool readsAsFormula(std::string_view cell)
{
    return !cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos;
}

namespace {

// One pass with one test a byte: find_first_of tries each character of its set on each byte,
// which slows the export of a plan of a million leaves by half.
bool needsQuotes(std::string_view field, bool sheet)
{
    for (char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n' || (sheet && (c == ';' || c == '\t')))
            return true;
    return false;
}

}  // namespace

void appendCsvField(std::string& out, std::string_view field, CsvReader reader)
{
    const bool sheet = reader == CsvReader::Spreadsheet;
    const bool mark = sheet && readsAsFormula(field);
    if (!needsQuotes(field, sheet)) {
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

void appendCsvRow(std::string& out, std::initializer_list<std::string_view> fields, std::string_view lineEnd,
                  CsvReader reader)
{
    appendCsvRow<std::initializer_list<std::string_view>>(out, fields, lineEnd, reader);
}

CsvTable readCsv(std::string_view text, char separator)
{
    CsvTable table;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t i = 0, line = 1;
    while (i < text.size()) {
        // One record.
        CsvRecord rec;
        rec.line = line;
        std::string field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            field.clear();
            if (i < text.size() && text[i] == '"') {
                const std::size_t opened = line;
                ++i;
                for (;;) {
                    if (i >= text.size()) {
                        table.problem = lineProblem(opened, "a quoted field is not closed");
                        table.error = describe(table.problem);
                        return table;
                    }
                    const char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                if (i < text.size() && text[i] != separator && text[i] != '\n' && text[i] != '\r') {
                    table.problem = lineProblem(line, "text after the closing quote of a field");
                    table.error = describe(table.problem);
                    return table;
                }
            } else {
                while (i < text.size() && text[i] != separator && text[i] != '\n' && text[i] != '\r')
                    field += text[i++];
            }
            rec.fields.push_back(field);
            if (i < text.size() && text[i] == separator) {
                ++i;
                continue;
            }
            // End of line or of text.
            if (i < text.size() && text[i] == '\r')
                ++i;
            if (i < text.size() && text[i] == '\n')
                ++i;
            ++line;
            endOfRecord = true;
        }
        const bool blank = rec.fields.size() == 1 && rec.fields[0].find_first_not_of(" \t") == std::string::npos;
        if (!blank)
            table.records.push_back(std::move(rec));
    }
    return table;
}

std::size_t csvColumn(const CsvRecord& header, std::string_view name)
{
    for (std::size_t c = 0; c < header.fields.size(); ++c)
        if (equalsIgnoringCase(trimBlanks(header.fields[c]), name))
            return c;
    return std::string_view::npos;
}

}  // namespace mq::textio
