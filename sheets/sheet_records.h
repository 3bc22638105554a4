#pragma once
// A sheet's rows as the records that the readers of in-use prefix tables and host tables
// take (interchange/records.h): a row a record, its cells the fields, named in messages by
// the sheet and the row ("sheet "Hosts" row 4"). Rows are skipped as blank lines are: a row
// without a cell of its own (every cell empty, or inside a merged range started above: the
// lower half of a header merged over two rows).
#include <cstddef>
#include <optional>
#include <string>

#include "interchange/records.h"

namespace mq::sheets {

// sheet: as readSheet takes it (empty for the first). The source can be read more than once;
// its `where` names rows by the sheet read last.
interchange::RecordSource sheetRecords(const std::string& path, const std::string& sheet);

// The first sheet as text for a box that takes one item a line: a record a line, its
// non-empty cells joined by a blank ("10.0.0.0/8 servers"). Nullopt, with *error set, when
// the workbook cannot be read or its text would pass maxBytes.
std::optional<std::string> sheetText(const std::string& path, std::size_t maxBytes, std::string* error);

// Whether the file is meant as a workbook (textio::isWorkbook), its first bytes read here.
bool isWorkbook(const std::string& path);

}  // namespace mq::sheets
