// mqnet free: what a block has left given the items in use, or its lowest free /N.
#include <string>
#include <utility>

#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/set_output.h"
#include "net/free_space.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

int runFree(const Invocation& call)
{
    const std::vector<std::string>& positional = call.args.positional;
    if (positional.empty() || positional.size() > 2)
        return call.refuse("takes ROOT and an optional USED-FILE or -");
    const auto typed = readPrefix(call, positional[0]);
    if (!typed)
        return kExitBadInput;
    const net::Prefix root = typed->prefix.masked();
    const net::Family family = root.address.family;
    const int bits = net::familyBits(family);
    std::optional<int> first;
    if (const std::string* n = call.args.value("--first")) {
        const auto value = net::parseDecimal(*n);
        if (!value || *value > static_cast<net::u128>(bits))
            return call.refuse("--first " + textio::escaped(*n) + ": not a prefix length from 0 to " +
                               std::to_string(bits));
        first = static_cast<int>(*value);
    }

    net::AddressSetBuilder used;
    const bool read = readAddressList(
        call, positional.size() == 2 ? positional[1] : "-", [&](const net::Range& r, const ListLine& line) {
            if (r.first.family != family || r.last.value < root.network().value || r.first.value > root.last().value)
                line.refuse("lies outside " + net::formatNetwork(root));
            else
                used.add(r);
        });
    const net::FreeSpace space = net::freeSpace(root, used.build());

    BufferedWriter& w = call.out;
    const bool json = call.args.has("--json");
    bool none = false;
    if (first) {
        const auto block = net::firstAligned(space.free, family, *first);
        none = !block;
        if (json)
            w.write("{\"root\": \"" + net::formatNetwork(root) + "\", \"first\": " +
                    (block ? "\"" + net::formatNetwork(*block) + "\"" : std::string("null")) + "}\n");
        else if (block)
            writePrefix(w, *block);
    } else if (json) {
        w.write("{\"root\": \"" + net::formatNetwork(root) + "\", \"free\": [");
        bool any = false;
        space.free.visitPrefixes([&](const net::Prefix& p) {
            w.write(std::exchange(any, true) ? ", \"" : "\"");
            w.write(net::formatNetwork(p));
            w.put('"');
        });
        w.write("], \"free_addresses\": \"" + net::toDecimal(space.freeAddresses) + "\", \"used_addresses\": \"" +
                net::toDecimal(space.usedAddresses) + "\"}\n");
    } else {
        writeSet(w, space.free, call.args.has("--ranges"));
    }
    if (!read || call.faults.refusedItems())
        return kExitBadInput;
    return none ? kExitNotFound : kExitOk;
}

}  // namespace

const Command kFreeCommand{
    "free",
    "[--json] [--ranges] [--first N] ROOT [USED-FILE|-]",
    "      the free prefixes of ROOT given the items in use (standard input by default);\n"
    "      --first N: the lowest free aligned /N, exit status 3 when there is none\n",
    "      An item wholly outside ROOT is named (exit status 2); of one that reaches\n"
    "      outside, the part inside counts.\n"
    "      --json          {\"root\", \"free\": [prefixes], \"free_addresses\", \"used_addresses\"}\n"
    "                      (counts as decimal strings); with --first {\"root\", \"first\"}\n"
    "      --ranges        first-last lines instead of prefixes\n",
    {{{"--json"}, {"--ranges"}, {"--first", true}}},
    runFree,
};

}  // namespace mq::mqnet
