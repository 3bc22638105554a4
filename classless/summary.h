// "Summarize": a pasted list of addresses, prefixes and ranges (both families)
// reduced to the fewest prefixes covering exactly the same addresses. The list is
// read as mqnet summarize reads a file (textio: comments, CR LF, byte order mark,
// the line-length limit); lines that do not read are listed with their number and
// reason, the rest still counts.
//
// summarizeList is plain, synchronous work that a window may run on another
// thread: it looks at the cancel flag between lines and stops early when it is set.
#pragma once

#include "net/address.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mq::classless {

struct RefusedLine {
    std::size_t number = 0;  // from 1, as an editor counts lines
    std::string text;        // "Line 3: ten: ... at character 1", the item escaped and shortened
};

struct SummaryResult {
    std::vector<std::string> summary;  // one prefix a line, IPv4 first, each family in order
    std::vector<RefusedLine> refused;
    std::size_t inputItems = 0;
    net::Count coveredV4, coveredV6;
    bool cancelled = false;  // stopped part way: nothing in it may be shown
};

SummaryResult summarizeList(std::string_view text, const std::atomic<bool>* cancel = nullptr);

// The counts line: "3 items in, 2 prefixes out, 512 IPv4 addresses; 1 line not read".
std::string countsText(const SummaryResult& r);

class SummaryArea {
public:
    std::string text;       // the pasted list, one item a line
    SummaryResult result;   // of the last text worked out: it stays until the next one is done

    // Works the list out at once (tests, small lists).
    void setText(const std::string& list);
    // A result worked out elsewhere for `list` (the window's worker thread).
    void setResult(const std::string& list, SummaryResult r);

    std::string countsText() const { return classless::countsText(result); }
    std::vector<std::string> errors() const;
    // The report of Save and Print: counts, the summary, the refused lines; empty when
    // the list is empty.
    std::vector<std::string> reportLines() const;
};

}  // namespace mq::classless
