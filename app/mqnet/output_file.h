#pragma once
// Where a command's -o sends its output: a file replaced only once the whole output is
// written, or standard output; and a workbook, which goes nowhere without -o.
#include <string>
#include <string_view>
#include <vector>

#include "app/mqnet/command_line.h"
#include "xlsx/sheet.h"

namespace mq::mqnet {

// The file of -o: nullptr for standard output (no -o, or "-"). Its target is checked before
// any work is done: the exit status when it cannot be written (named), else kExitOk.
int outputPath(const Invocation& call, const std::string*& out);

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
