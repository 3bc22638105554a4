#pragma once
// A list read from a file or standard input through the shared line reader (textio/lines.h),
// with each refused line named on standard error by file and line.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "app/mqnet/command_line.h"

namespace mq::mqnet {

struct ListLine {
    std::string_view content;  // without comment, line end and surrounding blanks; never empty
    std::size_t number;
    const std::string& source;  // the file's name as messages give it
    Faults& faults;

    // "mqnet: SOURCE line N: CONTENT: REASON"
    void refuse(std::string_view reason) const { faults.refused(source, number, content, reason); }
};

// The name messages give a file: "standard input" for "-".
inline std::string sourceName(const std::string& path)
{
    return path == "-" ? "standard input" : path;
}

// Opens `path` ("-": standard input) for reading; null, named on standard error under the
// command's name, when it cannot be opened. Close it with textio::closeInput.
std::FILE* openInputFile(const Invocation& call, const std::string& path);

// Reads `path` ("-": standard input) and hands each line on; a line that is too long is
// refused here. False when the file could not be opened or read to its end (named on
// standard error); what was read before a read error has been handed on.
bool readListFile(const Invocation& call, const std::string& path, const std::function<void(const ListLine&)>& fn);

}  // namespace mq::mqnet
