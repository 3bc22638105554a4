#include "interchange/records.h"

namespace mq::interchange {

namespace {

constexpr std::size_t kPartBytes = 1 << 20;

}  // namespace

RecordSource csvRecords(std::string_view text, char separator)
{
    RecordSource source;
    source.forEach = [text, separator](const RecordFn& fn) { return forEachCsvRecord(text, separator, fn); };
    return source;
}

std::string forEachCsvRecord(std::string_view text, char separator, const RecordFn& fn)
{
    std::size_t lineBase = 0;  // lines before the part
    while (!text.empty()) {
        // The part ends at the first line break past kPartBytes outside quotes.
        std::size_t end = text.size();
        bool quoted = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '"')
                quoted = !quoted;
            else if (text[i] == '\n' && !quoted && i >= kPartBytes) {
                end = i + 1;
                break;
            }
        }
        const std::string_view part = text.substr(0, end);
        textio::CsvTable table = textio::readCsv(part, separator);
        for (textio::CsvRecord& record : table.records) {
            record.line += lineBase;
            if (!fn(record))
                return {};
        }
        if (!table.error.empty()) {
            textio::Problem p = table.problem;
            p.line += lineBase;
            return textio::describe(p);
        }
        for (char c : part)
            lineBase += c == '\n';
        text.remove_prefix(end);
    }
    return {};
}

}  // namespace mq::interchange
