#pragma once
// A plain list of prefixes in use, one a line: `prefix[, name[, note]]` (an address alone
// stands for its /32 or /128), read through the one line reader: '#' comments, blank
// lines, CR LF. A first line "prefix,name,note" (a spreadsheet's header) is skipped, and
// fields may be quoted as a spreadsheet writes them ("web, floor 1").
#include <cstdio>
#include <string_view>

#include "interchange/blocks.h"
#include "interchange/records.h"

namespace mq::interchange {

// Every item read is an assigned block with its line; a line whose prefix, name or note is
// not understood is named in a notice and left out. The note is the rest of the line after
// the second comma, commas included.
ReadResult readPrefixList(std::string_view text);
// The same, read from a file a block at a time: a line too long is refused without being held.
ReadResult readPrefixList(std::FILE* in);
// The same from a table's records (a sheet of a workbook): a field each for the prefix, the
// name and the note (the fields after it joined by commas); a record without a field, or
// whose first field starts with '#', is skipped as a blank or comment line is.
ReadResult readPrefixTable(const RecordSource& source);

}  // namespace mq::interchange
