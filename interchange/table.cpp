#include "interchange/table.h"

#include "interchange/fields.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::interchange {

std::string_view TableRow::field(std::size_t column) const
{
    const std::size_t c = columns_[column];
    return c < record_.fields.size() ? std::string_view(record_.fields[c]) : std::string_view();
}

void TableRow::notice(std::string reason) const
{
    notices_.push_back(textio::lineProblem(record_.line, std::move(reason)));
}

std::string headerColumns(const textio::CsvRecord& header, std::span<const TableColumn> columns,
                          std::vector<std::size_t>& found)
{
    found.clear();
    for (const TableColumn& c : columns) {
        std::size_t named = std::string_view::npos, aliased = std::string_view::npos;
        for (std::size_t f = 0; f < header.fields.size(); ++f) {
            const std::string_view h = textio::trimBlanks(header.fields[f]);
            const bool isName = textio::equalsIgnoringCase(h, c.name);
            if (!isName && (c.alias.empty() || !textio::equalsIgnoringCase(h, c.alias)))
                continue;
            // Two columns of one meaning: which one the user meant is not ours to guess.
            if (const std::size_t first = std::min(named, aliased); first != std::string_view::npos)
                return "the header names the \"" + std::string(c.name) +
                       "\" column twice: " + textio::quoted(header.fields[first]) + " (column " +
                       std::to_string(first + 1) + ") and " + textio::quoted(header.fields[f]) + " (column " +
                       std::to_string(f + 1) + ")";
            (isName ? named : aliased) = f;
        }
        found.push_back(named != std::string_view::npos ? named : aliased);
    }
    return {};
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
            if (std::string twice = headerColumns(record, columns, found); !twice.empty())
                fault = source.where(record.line) + ": " + twice;
            else if (found.front() == std::string_view::npos)
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
