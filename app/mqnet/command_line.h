#pragma once
// What every mqnet command shares: the exit codes, the description a command gives of
// itself, the reading of its arguments, and where it writes its output and its faults.
//
// A command is one file that defines one `Command`, declared and placed in the table of
// commands.h (and the file in CMakeLists.txt). The framework answers -h/--help, reads the
// options the command declares ("--" ends them), refuses unknown ones, and after `run`
// flushes the output and reports a failed write with its cause (exit status 1).
#include <array>
#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/mqnet/faults.h"
#include "app/mqnet/writer.h"
#include "net/parse.h"
#include "textio/escape.h"

namespace mq::mqnet {

// The exit status of mqnet, the same for every command.
constexpr int kExitOk = 0;
constexpr int kExitOutputFailed = 1;  // standard output could not be written (cause named)
constexpr int kExitBadInput = 2;  // an argument or an input item was refused (each named)
constexpr int kExitNotFound = 3;  // the answer is "none": a segment not placed, nothing found
constexpr int kExitOverlaps = 4;  // overlapping items (or a plan's faults) were found and listed

struct Option {
    std::string_view name;  // "--from"
    bool takesValue = false;  // "--from N" or "--from=N"
};

struct Arguments {
    std::vector<std::string> positional;
    std::set<std::string, std::less<>> flags;
    std::map<std::string, std::string, std::less<>> values;  // the last value of each option
    std::map<std::string, std::vector<std::string>, std::less<>> lists;  // every value, in order

    bool has(std::string_view flag) const { return flags.contains(flag); }
    const std::string* value(std::string_view option) const
    {
        const auto it = values.find(option);
        return it == values.end() ? nullptr : &it->second;
    }
    // An option that may be given again ("--dns-server A --dns-server B"): all its values.
    const std::vector<std::string>* all(std::string_view option) const
    {
        const auto it = lists.find(option);
        return it == lists.end() ? nullptr : &it->second;
    }
};

struct Command;

// What a command's run() is handed.
struct Invocation {
    const Command& command;
    const Arguments& args;
    BufferedWriter& out;  // standard output; loops stop when out.failed()
    Faults& faults;  // standard error
    // The file being read (or last read), for the message when memory runs out while it is
    // read or worked on: "not enough memory to read FILE".
    mutable std::string input;

    // "mqnet: <command>: <what>" on standard error; returns kExitBadInput.
    int refuse(std::string_view what) const;
};

struct Command {
    std::string_view name;  // "split"; "plan allocate" for a command of a group
    std::string_view synopsis;  // the arguments after the name: "[--json] TEXT"
    std::string_view summary;  // what it does, lines indented by 6 blanks, each ending in '\n'
    std::string_view details;  // more for `mqnet NAME --help` (may be empty), same form
    std::array<Option, 20> options{};  // those it takes besides -h/--help; the unused ones empty
    int (*run)(const Invocation&);
    int outputFailedStatus = kExitOutputFailed;  // grep keeps grep's 2 for any trouble
};

// Runs mqnet on its arguments (without the program name): the one entry of main() and the
// tests. Writes the output to `out`, faults to `faults`, flushes both; returns the exit status.
int runCommandLine(const std::vector<std::string>& args, BufferedWriter& out, Faults& faults);

// Reads a command's arguments: options it declares, anywhere before "--"; the rest positional
// ("-" alone is positional, standard input). An unknown option, a missing value or a value on
// a flag is reported on `faults`: nullopt. (-h and --help are answered before.)
std::optional<Arguments> readArguments(const Command& command, const std::vector<std::string>& args, Faults& faults);

// `mqnet --help`, and one command's usage.
std::string programUsage();
std::string commandUsage(const Command& command);

// The one prefix that a typed item stands for: an address is its /32 or /128, a range
// only when it is exactly one prefix. A refused item is reported under the command's name.
struct TypedPrefix {
    net::Prefix prefix;
    std::string zone;
};
std::optional<TypedPrefix> readPrefix(const Invocation& call, const std::string& text);

// The word of a closed list of choices; nullopt, refused with the choices named, for any other.
template <class T>
std::optional<T> readChoice(const Invocation& call, const char* option, const std::string& word,
                            std::initializer_list<std::pair<const char*, T>> choices)
{
    std::string names;
    for (const auto& [name, value] : choices) {
        if (word == name)
            return value;
        names += (names.empty() ? "" : ", ") + std::string(name);
    }
    call.refuse(std::string(option) + " " + textio::escaped(word) + " is not one of " + names);
    return std::nullopt;
}

}  // namespace mq::mqnet
