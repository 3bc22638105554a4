#include "interchange/table.h"

#include "interchange/fields.h"

namespace mq::interchange {

std::string_view TableRow::field(std::size_t column) const
{
    const std::size_t c = columns_[column];
    return c < record_.fields.size() ? std::string_view(record_.fields[c]) : std::string_view();
}

void TableRow::notice(std::string reason) const
{
    notices_.push_back({record_.line, std::move(reason)});
}

ReadResult readTable(std::string_view text, char separator, std::span<const TableColumn> columns,
                     std::string_view required, const TableRowReader& readRow)
{
    ReadResult r;
    textio::CsvTable table = textio::readCsv(text, separator);
    if (!table.error.empty()) {
        r.error = table.error;
        return r;
    }
    const std::string quoted = "\"" + std::string(required) + "\"";
    if (table.records.empty()) {
        r.error = "the file is empty: a header line with a " + quoted + " column is expected";
        return r;
    }
    const textio::CsvRecord& header = table.records.front();
    std::vector<std::size_t> found;
    for (const TableColumn& c : columns) {
        const std::size_t at = textio::csvColumn(header, c.name);
        found.push_back(at == std::string_view::npos && !c.alias.empty() ? textio::csvColumn(header, c.alias) : at);
    }
    if (found.front() == std::string_view::npos) {
        r.error = "line " + std::to_string(header.line) + ": the header has no " + quoted + " column";
        return r;
    }
    for (std::size_t i = 1; i < table.records.size(); ++i) {
        const textio::CsvRecord& record = table.records[i];
        if (std::optional<FlatBlock> b = readRow(TableRow(record, found, r.notices), r.values)) {
            b->line = record.line;
            r.blocks.push_back(std::move(*b));
        }
    }
    shareCommonValues(r);
    return r;
}

}  // namespace mq::interchange
