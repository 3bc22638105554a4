#pragma once
// A table read a record at a time, from a CSV text or from a sheet of a workbook: the readers
// of in-use prefix tables and host tables take either, so that one set of rules reads both
// and names a refused record by its line or by its sheet and row.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "textio/csv.h"

namespace mq::interchange {

// Returns false to stop.
using RecordFn = std::function<bool(const textio::CsvRecord&)>;

struct RecordSource {
    // Hands on the records in order, each with the line (or row) it starts on. Why the table
    // could not be read to its end; empty when it was.
    std::function<std::string(const RecordFn&)> forEach;
    // How a record is named in the readers' own messages: "line 4", "sheet "Hosts" row 4".
    std::function<std::string(std::size_t)> where = [](std::size_t n) { return "line " + std::to_string(n); };
    // What holds the table and its header, for "the file is empty: a header line ...".
    std::string_view what = "file", header = "header line";
};

// The records of a CSV text separated by `separator`, read a part at a time (so that no
// more than a part's records are held); a fault is named with its line in the whole text.
RecordSource csvRecords(std::string_view text, char separator);

// Reads CSV a part at a time, each part ending at a line break outside quotes, so that
// no more than one part's records are held at once: fn gets every record with its line in
// the whole text. False from fn stops. The error of the first part that fails, with its
// line in the whole text.
std::string forEachCsvRecord(std::string_view text, char separator, const RecordFn& fn);

}  // namespace mq::interchange
