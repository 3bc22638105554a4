#pragma once
// The shape of the IPAM readers (NetBox, phpIPAM): a CSV table whose columns are found by
// header name, each record after the header read into a block or named in a notice with its
// line (or row). The format files keep only their columns and the rules of their rows.
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/blocks.h"
#include "interchange/records.h"
#include "textio/csv.h"

namespace mq::interchange {

struct TableColumn {
    std::string_view name;  // as a header names it, compared without case and surrounding blanks
    std::string_view alias = {};  // the name looked for where the header has no `name`
};

// One record of the table, its fields by the position of their column in the reader's list.
class TableRow {
public:
    TableRow(const textio::CsvRecord& record, const std::vector<std::size_t>& columns,
             std::vector<textio::Problem>& notices)
        : record_(record), columns_(columns), notices_(notices)
    {
    }
    // The field as read (not trimmed); empty where the header has no such column or the
    // record ends before it.
    std::string_view field(std::size_t column) const;
    // A notice about this record, with its line.
    void notice(std::string reason) const;

private:
    const textio::CsvRecord& record_;
    const std::vector<std::size_t>& columns_;
    std::vector<textio::Problem>& notices_;
};

// The block a record makes (its line is filled in), or nullopt for a record left out (its
// notice given). values: the plan-wide values the rows give.
using TableRowReader = std::function<std::optional<FlatBlock>(const TableRow& row, plan::IpamValues& values)>;

// Where the header record has each of the columns (npos where it has none), into found.
// Empty, else why the header cannot be read: it names a column twice (by its name or alias,
// compared as TableColumn says).
std::string headerColumns(const textio::CsvRecord& header, std::span<const TableColumn> columns,
                          std::vector<std::size_t>& found);

// Reads the records of `source` (a CSV text, a sheet). columns[0] is required: a table without
// it is refused, the column named as `required` in the message. Every record after the header
// goes to readRow, in order; at the end shareCommonValues makes what every block shares
// plan-wide. Nothing is kept from a table that could not be read to its end.
ReadResult readTable(const RecordSource& source, std::span<const TableColumn> columns, std::string_view required,
                     const TableRowReader& readRow);

}  // namespace mq::interchange
