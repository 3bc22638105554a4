#pragma once
// Whole files for the plan commands: a plan document or an interchange file read at once
// (bounded), and a document written atomically.
#include <optional>
#include <string>

#include "app/mqnet/command_line.h"

namespace mq::mqnet {

constexpr std::size_t kMaxPlanFileBytes = std::size_t{512} << 20;  // as the planner opens

// The whole file ("-": standard input), at most kMaxPlanFileBytes; nullopt, named on
// standard error under the command's name, when it cannot be read.
std::optional<std::string> readWholeFile(const Invocation& call, const std::string& path);

// Writes text to path through a temporary file in the same folder, renamed over it once
// written and synced: the old file stays as it was when anything fails. Empty on success,
// else the cause.
std::string writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace mq::mqnet
