#pragma once
// What every mqnet command shares: its exit codes, reading its arguments and the one
// line it writes for each fault.
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "net/parse.h"

namespace mq::mqnet {

constexpr int kExitOk = 0;
constexpr int kExitOutputFailed = 1;  // standard output could not be written
constexpr int kExitBadInput = 2;      // an argument or an input item was refused

struct Arguments {
  std::vector<std::string> positional;
  std::set<std::string, std::less<>> flags;
  std::map<std::string, std::string, std::less<>> values;
  bool help = false;  // --help was among them
};

// Options are "--name" (one of `flags`) or "--name VALUE" / "--name=VALUE" (one of `valued`).
// An unknown option or a missing value is reported under the command's name: nullopt.
std::optional<Arguments> readArguments(const std::vector<std::string>& args, std::string_view command,
                                       const std::vector<std::string_view>& flags,
                                       const std::vector<std::string_view>& valued, std::ostream& err);

// "mqnet: <where>: <what>"
void fault(std::ostream& err, std::string_view where, std::string_view what);

// The one prefix that an input item stands for: an address is its /32 or /128, a range
// only when it is exactly one prefix. Otherwise the reason, for fault().
std::optional<net::Prefix> onePrefix(const net::Input& in, std::string_view text, std::string* reason);

// A JSON string literal of the text, quotes included.
std::string jsonString(std::string_view text);

// The help text of `mqnet --help`.
extern const char* const kUsage;

}  // namespace mq::mqnet
