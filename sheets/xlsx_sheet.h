#pragma once
// The parts of a workbook a sheet's cells are read with, and the sheet itself, streamed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/xlsx_reader.h"

namespace mq::sheets {

class XlsxArchive;

struct Merge {
    std::size_t firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
    std::string value;  // the first cell's, once read
};

// The shared strings end to end: a million short ones cost their text and an offset each.
class SharedStrings {
public:
    std::size_t size() const { return ends_.size(); }
    std::string at(std::size_t i) const
    {
        return text_.substr(i ? ends_[i - 1] : 0, ends_[i] - (i ? ends_[i - 1] : 0));
    }
    std::uint64_t heldBytes() const { return text_.size() + 4 * ends_.size(); }
    void add(const std::string& s)
    {
        text_ += s;
        ends_.push_back(static_cast<std::uint32_t>(text_.size()));
    }

private:
    std::string text_;
    std::vector<std::uint32_t> ends_;
};

struct SheetParts {
    SharedStrings strings;  // by index
    std::vector<bool> percentStyles;  // by cell style index: shown as a percentage
    std::vector<Merge> merges;  // by first row
};

std::string readSharedStrings(XlsxArchive& zip, const std::string& entry, SharedStrings& out);
std::string readPercentStyles(XlsxArchive& zip, const std::string& entry, std::vector<bool>& out);
std::string readMerges(XlsxArchive& zip, const std::string& entry, std::vector<Merge>& out);
// Hands on the rows of the sheet; counts them and notes a stop in `read`. Why it stopped
// short; empty when it did not.
std::string streamRows(XlsxArchive& zip, const std::string& entry, SheetParts& parts, const RowFn& fn, SheetRead& read);

}  // namespace mq::sheets
