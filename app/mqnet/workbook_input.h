#pragma once
// Tables read from a workbook where a command reads a list or a CSV file: a file named *.xlsx
// or starting with the zip signature is read as one (its first sheet, or the one --sheet
// names), the same readers taking its rows, each refused row named by sheet and row.
#include <functional>
#include <optional>
#include <string>

#include "app/mqnet/command_line.h"

namespace mq::mqnet {

// Whether path is read as a workbook. --sheet for a file that is none (or for standard
// input) is refused, named: nullopt.
std::optional<bool> readsWorkbook(const Invocation& call, const std::string& path);

// The sheet --sheet names, or empty for the first.
std::string sheetOption(const Invocation& call);

// How a command names a refused item of the file: "SOURCE line N" or "SOURCE sheet "S" row N"
// (nothing after SOURCE for the file as a whole, N being 0).
std::string itemPlace(const std::string& source, const std::function<std::string(std::size_t)>& where,
                      std::size_t line);

}  // namespace mq::mqnet
