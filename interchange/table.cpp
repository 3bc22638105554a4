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

std::vector<std::size_t> headerColumns(const textio::CsvRecord& header, std::span<const TableColumn> columns)
{
    std::vector<std::size_t> found;
    for (const TableColumn& c : columns) {
        const std::size_t at = textio::csvColumn(header, c.name);
        found.push_back(at == std::string_view::npos && !c.alias.empty() ? textio::csvColumn(header, c.alias) : at);
    }
    return found;
}

ReadResult readTable(const RecordSource& source, std::span<const TableColumn> columns, std::string_view required,
                     const TableRowReader& readRow)
{
    ReadResult r;
    const std::string quoted = "\"" + std::string(required) + "\"";
    std::vector<std::size_t> found;
    bool header = true;
    std::string fault;
    r.error = source.forEach([&](const textio::CsvRecord& record) {
        if (header) {
            header = false;
            found = headerColumns(record, columns);
            if (found.front() == std::string_view::npos)
                fault = source.where(record.line) + ": the header has no " + quoted + " column";
            return fault.empty();
        }
        if (std::optional<FlatBlock> b = readRow(TableRow(record, found, r.notices), r.values)) {
            b->line = record.line;
            r.blocks.push_back(std::move(*b));
        }
        return true;
    });
    if (r.error.empty())
        r.error = fault;
    if (r.error.empty() && header)
        r.error = "the " + std::string(source.what) + " is empty: a " + std::string(source.header) + " with a " +
                  quoted + " column is expected";
    if (!r.error.empty()) {
        ReadResult refused;
        refused.error = std::move(r.error);
        return refused;
    }
    shareCommonValues(r);
    return r;
}

}  // namespace mq::interchange
