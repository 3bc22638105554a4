#include "interchange/csv.h"

#include <cctype>

namespace mq::interchange {

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
                        table.error = "line " + std::to_string(opened) + ": a quoted field is not closed";
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
                    table.error = "line " + std::to_string(line) + ": text after the closing quote of a field";
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
    for (std::size_t c = 0; c < header.fields.size(); ++c) {
        std::string_view h = header.fields[c];
        while (!h.empty() && (h.front() == ' ' || h.front() == '\t'))
            h.remove_prefix(1);
        while (!h.empty() && (h.back() == ' ' || h.back() == '\t'))
            h.remove_suffix(1);
        if (h.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < h.size() && same; ++k)
            same = std::tolower(static_cast<unsigned char>(h[k])) == std::tolower(static_cast<unsigned char>(name[k]));
        if (same)
            return c;
    }
    return std::string_view::npos;
}

}  // namespace mq::interchange
