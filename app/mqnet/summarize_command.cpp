// mqnet summarize: the fewest prefixes covering exactly what a file lists.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "app/mqnet/list_input.h"
#include "net/summarize.h"

namespace mq::mqnet {

namespace {

int runSummarize(const Invocation& call)
{
    const auto& positional = call.args.positional;
    if (positional.size() > 1)
        return call.refuse("takes one FILE or - (mqnet summarize --help)");
    net::Summarizer summary;
    const bool read = readAddressList(call, positional.empty() ? "-" : positional[0],
                                      [&](const net::Range& r, const ListLine&) { summary.add(r); });
    if (!read)
        return kExitBadInput;

    BufferedWriter& w = call.out;
    summary.visit([&](const net::Prefix& p) {
        char* at = w.room(net::kAddressRoom + 8);
        at = net::writeAddress(at, p.address);
        *at++ = '/';
        at = net::writeDecimal(at, static_cast<net::u128>(p.length));
        *at++ = '\n';
        w.commit(at);
    });
    return call.faults.refusedItems() ? kExitBadInput : kExitOk;
}

}  // namespace

const Command kSummarizeCommand{
    "summarize",
    "[FILE|-]",
    "      the fewest prefixes that cover exactly the addresses, prefixes and ranges\n"
    "      of FILE (standard input by default), one item a line\n",
    "",
    {},
    runSummarize,
};

}  // namespace mq::mqnet
