// mqnet free: what a block has left given the items in use, or its lowest free /N.
#include <string>

#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "app/mqnet/set_output.h"
#include "net/free_space.h"
#include "textio/escape.h"
#include "textio/json.h"

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
    std::string s;
    textio::json::Writer j(s);
    if (json) {
        j.beginObject();
        j.key("root");
        j.string(net::formatNetwork(root));
    }
    bool none = false;
    if (first) {
        const auto block = net::firstAligned(space.free, family, *first);
        none = !block;
        if (json) {
            j.key("first");
            if (block)
                j.string(net::formatNetwork(*block));
            else
                j.null();
        } else if (block) {
            writePrefix(w, *block);
        }
    } else if (json) {
        j.key("free");
        j.beginArray();
        space.free.visitPrefixes([&](const net::Prefix& p) {
            j.string(net::formatNetwork(p));
            if (s.size() >= 64 * 1024) {
                w.write(s);
                s.clear();
            }
        });
        j.end();
        j.key("free_addresses");
        j.string(net::toDecimal(space.freeAddresses));
        j.key("used_addresses");
        j.string(net::toDecimal(space.usedAddresses));
    } else {
        writeSet(w, space.free, call.args.has("--ranges"));
    }
    if (json) {
        j.end();
        s += '\n';
        w.write(s);
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
