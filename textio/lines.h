#pragma once
// The one reader of every list Maskquill takes in, in its windows and in mqnet: addresses,
// prefixes and ranges, segment lines, used-prefix lists. A line is read the same wherever
// it comes from: a byte order mark at the start is skipped, CR LF ends a line as LF does,
// '#' starts a comment that runs to the end of the line, blank lines are skipped, and a line
// longer than kMaxLineBytes is refused without being held in memory.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "textio/problem.h"

namespace mq::textio {

constexpr std::size_t kMaxLineBytes = 65536;

struct Line {
    std::size_t number = 0;  // from 1, counting every line of the input
    std::string_view content;  // without line end, comment and surrounding blanks; never empty
                               // unless tooLong
    bool tooLong = false;  // the line passed kMaxLineBytes: skipped, content empty
};

struct ReadResult {
    std::size_t lines = 0;  // lines read, blank ones included
    bool stopped = false;  // the callback asked to stop
    std::string error;  // why reading failed part way (strerror text), empty when it did not
};

// Returns false to stop reading.
using LineFn = std::function<bool(const Line&)>;

ReadResult readLines(std::string_view text, const LineFn& fn);
// Streams the file in blocks: memory stays bounded by kMaxLineBytes and the block size,
// whatever the file holds.
ReadResult readLines(std::FILE* in, const LineFn& fn);

// Opens a file to read ("-": standard input). On failure nullptr, and *error says why:
// "is a directory", "standard input is closed", "standard input is a directory" or the
// system's text.
std::FILE* openInput(const std::string& path, std::string* error);
// Closes what openInput opened (standard input is left open).
void closeInput(std::FILE* in);

// The reason given for a line that is too long: "the line is longer than 65536 bytes".
std::string tooLongReason();

}  // namespace mq::textio
