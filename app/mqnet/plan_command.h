#pragma once
// mqnet plan: the network planner's allocation on the command line.
#include <ostream>
#include <string>
#include <vector>

namespace mq::mqnet {

// `mqnet plan allocate [--json|--csv [--header]] ROOT SEGMENTS-FILE` (args: after "plan").
// SEGMENTS-FILE holds "name, hosts[, growth%[, /len]]" lines ("-": standard input).
// Exit status: 0 every segment placed; 2 bad arguments or segment lines (each named on err,
// the others still allocated); 3 some segment did not fit (listed with its reason);
// 1 the output could not be written.
int planCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace mq::mqnet
