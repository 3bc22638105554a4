#include "app/mqnet/command_line.h"

#include <algorithm>
#include <new>

#include "app/mqnet/commands.h"
#include "net/summarize.h"
#include "textio/escape.h"
#include "textio/lines.h"

#ifndef MQ_VERSION
#define MQ_VERSION "unknown"
#endif

namespace mq::mqnet {

namespace {

constexpr std::string_view kCommon =
    "Every command takes -h or --help (its own usage) and -- (what follows is not an option).\n"
    "Lists are read a line at a time: # starts a comment, blank lines, a byte order mark and\n"
    "CR LF line ends are fine, and a line longer than 65536 bytes is refused and skipped.\n";

constexpr std::string_view kExitStatus =
    "Exit status: 0 success; 1 the output could not be written (the cause is named);\n"
    "2 bad input (each refused item is named on standard error with its file and line,\n"
    "the rest is still processed); 3 the answer is none (plan allocate: a segment did not fit;\n"
    "free --first: no free block); 4 overlaps were listed (plan hosts: faults of the\n"
    "plan's subnets). grep: 0, 1 or 2 as grep's.\n";

std::vector<std::string_view> words(std::string_view name)
{
    std::vector<std::string_view> out;
    for (std::size_t at; (at = name.find(' ')) != std::string_view::npos; name.remove_prefix(at + 1))
        out.push_back(name.substr(0, at));
    out.push_back(name);
    return out;
}

// The command that the first arguments name, and how many arguments its name took: the
// longest name that matches ("plan hosts import" before "plan hosts").
const Command* commandNamed(const std::vector<std::string>& args, std::size_t& nameWords)
{
    const Command* found = nullptr;
    for (const Command* c : kCommands) {
        const auto w = words(c->name);
        if (w.size() <= args.size() && w.size() > nameWords && std::equal(w.begin(), w.end(), args.begin())) {
            nameWords = w.size();
            found = c;
        }
    }
    return found;
}

// True when some command's name begins with the group word: "plan" for "plan allocate".
bool isGroup(std::string_view word)
{
    return std::any_of(std::begin(kCommands), std::end(kCommands),
                       [&](const Command* c) { return c->name.starts_with(std::string(word) + " "); });
}

std::string groupUsage(std::string_view group)
{
    std::string s = "Usage: mqnet " + std::string(group) + " COMMAND [OPTIONS] ...\n";
    for (const Command* c : kCommands)
        if (c->name.starts_with(std::string(group) + " "))
            s += "  mqnet " + std::string(c->name) + " " + std::string(c->synopsis) + "\n" + std::string(c->summary);
    return s + "\n" + std::string(kCommon) + std::string(kExitStatus);
}

bool helpAsked(const std::vector<std::string>& args)
{
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "-h" || a == "--help")
            return true;
    }
    return false;
}

const Option* optionNamed(const Command& c, std::string_view name)
{
    for (const Option& o : c.options)
        if (!o.name.empty() && o.name == name)
            return &o;
    return nullptr;
}

int dispatch(const std::vector<std::string>& args, BufferedWriter& out, Faults& faults, std::string& where,
             const Command*& found)
{
    if (args.empty()) {
        faults.say("usage", "mqnet COMMAND ... (mqnet --help lists the commands)");
        return kExitBadInput;
    }
    where = args[0];
    if (args[0] == "--help" || args[0] == "-h") {
        out.write(programUsage());
        return kExitOk;
    }
    if (args[0] == "--version") {
        out.write("mqnet (Maskquill) " MQ_VERSION "\n");
        return kExitOk;
    }
    std::size_t nameWords = 0;
    const Command* command = commandNamed(args, nameWords);
    if (!command) {
        const std::string word = textio::escaped(args[0]);
        if (!isGroup(args[0])) {
            faults.say("unknown command", word + " (mqnet --help lists the commands)");
        } else if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
            out.write(groupUsage(args[0]));
            return kExitOk;
        } else if (args.size() == 1) {
            faults.say(word, "which " + word + " command? (mqnet " + word + " --help lists them)");
        } else {
            faults.say(word, "unknown " + word + " command " + textio::escaped(args[1]) + " (mqnet " + word +
                                 " --help lists them)");
        }
        return kExitBadInput;
    }
    where = command->name;
    found = command;
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(nameWords), args.end());
    if (helpAsked(rest)) {
        out.write(commandUsage(*command));
        return kExitOk;
    }
    const auto a = readArguments(*command, rest, faults);
    if (!a)
        return kExitBadInput;
    const Invocation call{*command, *a, out, faults, {}};
    try {
        return command->run(call);
    } catch (const std::bad_alloc&) {
        // A file larger than memory allows is bad input like any other, not a crash; what was
        // held for it is free again by now.
        faults.say(command->name, call.input.empty() ? std::string("not enough memory")
                                                     : "not enough memory to read " + textio::escaped(call.input));
        return kExitBadInput;
    }
}

}  // namespace

int Invocation::refuse(std::string_view what) const
{
    faults.say(command.name, what);
    return kExitBadInput;
}

std::string programUsage()
{
    std::string s = "Usage: mqnet COMMAND [OPTIONS] ...\n"
                    "Classless IPv4 and IPv6 address arithmetic, the engine of Maskquill's classless windows.\n\n";
    for (const Command* c : kCommands)
        s += "  mqnet " + std::string(c->name) + " " + std::string(c->synopsis) + "\n" + std::string(c->summary);
    return s + "\n  --help      this text\n  --version   the program's version\n\n" + std::string(kCommon) +
           std::string(kExitStatus);
}

std::string commandUsage(const Command& c)
{
    return "Usage: mqnet " + std::string(c.name) + " " + std::string(c.synopsis) + "\n" + std::string(c.summary) +
           std::string(c.details) + "\n" + std::string(kCommon) + std::string(kExitStatus);
}

std::optional<Arguments> readArguments(const Command& c, const std::vector<std::string>& args, Faults& faults)
{
    Arguments out;
    bool options = true;
    const std::string name(c.name);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options || a == "-" || !a.starts_with('-')) {
            out.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options = false;
            continue;
        }
        const std::size_t equals = a.find('=');
        const std::string option = a.substr(0, equals);
        const Option* o = optionNamed(c, option);
        if (!o) {
            faults.say(name, "unknown option " + textio::escaped(a) + " (mqnet " + name + " --help lists them)");
            return std::nullopt;
        }
        if (!o->takesValue) {
            if (equals != std::string::npos) {
                faults.say(name, option + " takes no value");
                return std::nullopt;
            }
            out.flags.insert(option);
        } else if (equals != std::string::npos || i + 1 < args.size()) {
            std::string value = equals != std::string::npos ? a.substr(equals + 1) : args[++i];
            out.lists[option].push_back(value);
            out.values[option] = std::move(value);
        } else {
            faults.say(name, option + " needs a value");
            return std::nullopt;
        }
    }
    return out;
}

int runCommandLine(const std::vector<std::string>& args, BufferedWriter& out, Faults& faults)
{
    std::string where;
    const Command* command = nullptr;
    int status = dispatch(args, out, faults, where, command);
    faults.flush();  // refused items first, as they were found
    if (!out.flush()) {
        faults.say(textio::escaped(where), "cannot write the output: " + out.error());
        status = command ? command->outputFailedStatus : kExitOutputFailed;
    }
    faults.flush();
    return status;
}

std::optional<TypedPrefix> readPrefix(const Invocation& call, const std::string& text)
{
    const auto parsed = net::parseInput(text);
    if (const auto* e = std::get_if<net::ParseError>(&parsed)) {
        call.refuse(net::describe(text, *e));
        return std::nullopt;
    }
    const net::Input& in = std::get<net::Input>(parsed);
    if (in.kind != net::Input::Kind::Range)
        return TypedPrefix{in.prefix, in.zone};
    const std::vector<net::Prefix> parts = net::rangeToPrefixes(in.range);
    if (parts.size() == 1)
        return TypedPrefix{parts.front(), in.zone};
    call.refuse(textio::escaped(text) + ": the range is not one prefix but " + std::to_string(parts.size()) +
                " (mqnet summarize lists them)");
    return std::nullopt;
}

}  // namespace mq::mqnet
