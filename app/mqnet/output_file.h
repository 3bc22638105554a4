#pragma once
// Where a command's -o sends its output: a file replaced only once the whole output is
// written, or standard output; and a workbook, which goes nowhere without -o.
#include <string>
#include <string_view>
#include <vector>

#include "app/mqnet/command_line.h"
#include "textio/file_target.h"
#include "xlsx/sheet.h"

namespace mq::mqnet {

// The file of -o: nullptr for standard output (no -o, or "-"). Its target is checked before
// any work is done (checkOutputFile): the exit status when refused (named), else kExitOk.
int outputPath(const Invocation& call, const std::string*& out);

// True when both paths name one existing file (device and inode, through links).
using textio::sameFile;

// An output file checked before any work is done: kExitOutputFailed, named, when it cannot
// be written (outputTarget); kExitBadInput when it is a file the command reads (an argument
// or --into), which the output would replace before it was read, or in its place: `edited`,
// the plan a command writes back, may be named as its output too. kExitOk otherwise. A
// plan document (asPlan) is also refused, as any plan write is, when it is read-only.
int checkOutputFile(const Invocation& call, const std::string& out, const std::string* edited = nullptr,
                    bool asPlan = false);

// The bytes to out (atomically) or to standard output; kExitOutputFailed, named, when the
// file cannot be written.
int deliver(const Invocation& call, const std::string* out, const std::string& bytes);

// A workbook is no text for a terminal: -o is required (-o - still writes standard output).
// kExitOk when given, else refused as "FORM writes a workbook: -o FILE is required ...".
int requireWorkbookOutput(const Invocation& call, std::string_view form);

// The sheets as a workbook, delivered as above; a sheet that a worksheet cannot hold is
// named, and nothing is written.
int deliverWorkbook(const Invocation& call, const std::string* out, const std::vector<xlsx::Sheet>& sheets);

}  // namespace mq::mqnet
