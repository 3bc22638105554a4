// mqnet set union|intersect|except|diff: set operations on address lists.
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/set_output.h"

namespace mq::mqnet {

namespace {

enum class Operation { Union, Intersect, Except, Diff };

int runSet(const Invocation& call, Operation op)
{
    const std::vector<std::string>& files = call.args.positional;
    const std::size_t fewest = op == Operation::Union ? 1 : 2;
    if (files.size() < fewest || (op == Operation::Diff && files.size() > 2))
        return call.refuse(op == Operation::Diff ? "takes two FILEs"
                           : fewest == 1         ? "takes one or more FILEs"
                                                 : "takes two or more FILEs");
    if (!standardInputOnce(call, files))
        return kExitBadInput;

    bool unread = false;
    const auto readInto = [&](net::AddressSetBuilder& b, const std::string& path) {
        // The shortest IPv4 prefix line, "0.0.0.0/0", takes 10 bytes.
        if (struct stat st{}; path != "-" && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            b.reserveV4(std::min<std::size_t>(static_cast<std::size_t>(st.st_size) / 10, std::size_t{1} << 27));
        unread |= !readAddressList(call, path, [&](const net::Range& r, const ListLine&) { b.add(r); });
    };
    const auto readSet = [&](const std::string& path) {
        net::AddressSetBuilder b;
        readInto(b, path);
        return b.build();
    };
    net::AddressSet result;
    if (op == Operation::Union || op == Operation::Except) {
        // The first file of except on its own, then every other file in one builder: one sort
        // instead of a merge per file.
        if (op == Operation::Except)
            result = readSet(files[0]);
        net::AddressSetBuilder rest;
        for (std::size_t i = op == Operation::Union ? 0 : 1; i < files.size(); ++i)
            readInto(rest, files[i]);
        result = op == Operation::Union ? rest.build() : net::subtract(result, rest.build());
    } else {
        result = readSet(files[0]);
        for (std::size_t i = 1; i < files.size(); ++i)
            result = op == Operation::Diff ? net::symmetricDifference(result, readSet(files[i]))
                                           : net::intersect(result, readSet(files[i]));
    }
    writeSet(call.out, result, call.args.has("--ranges"));
    return unread || call.faults.refusedItems() ? kExitBadInput : kExitOk;
}

constexpr std::string_view kDetails =
    "      Each FILE is a list as summarize reads it; - is standard input, at most once.\n"
    "      --ranges        first-last lines instead of prefixes (a single address as itself)\n";

// The four commands differ only in their operation and their words.
template <Operation op>
constexpr Command setCommand(std::string_view name, std::string_view synopsis, std::string_view summary)
{
    return {
        name, synopsis, summary, kDetails, {{{"--ranges"}}}, [](const Invocation& call) { return runSet(call, op); },
    };
}

}  // namespace

const Command kSetUnionCommand = setCommand<Operation::Union>(
    "set union", "[--ranges] FILE...",
    "      the addresses in any FILE, as the fewest prefixes (IPv4 first, address order)\n");
const Command kSetIntersectCommand =
    setCommand<Operation::Intersect>("set intersect", "[--ranges] FILE FILE...", "      the addresses in every FILE\n");
const Command kSetExceptCommand = setCommand<Operation::Except>(
    "set except", "[--ranges] FILE FILE...", "      the addresses in the first FILE and in none of the others\n");
const Command kSetDiffCommand = setCommand<Operation::Diff>("set diff", "[--ranges] FILE FILE",
                                                            "      the addresses in exactly one of the two FILEs\n");

}  // namespace mq::mqnet
