// mqnet eui64 and mqnet ula: the IPv6 addresses made from a MAC address, and fresh unique
// local prefixes. Commands of their own rather than lines of `mqnet info`: info tells the
// facts of the one prefix it is given, and these take a MAC as well, or nothing at all.
#include <string>

#include "app/mqnet/command_line.h"
#include "app/mqnet/commands.h"
#include "net/mac.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

constexpr unsigned kMaxUlaCount = 65536;

// One address a line, in the order the MACs were given; a MAC that cannot be read is named
// and the others are still answered.
int runEui64(const Invocation& call)
{
    const Arguments& a = call.args;
    if (a.positional.size() < 2)
        return call.refuse("takes PREFIX MAC [MAC...] (mqnet eui64 --help)");
    const auto typed = readPrefix(call, a.positional[0]);
    if (!typed)
        return kExitBadInput;
    const net::Prefix prefix = typed->prefix.masked();
    if (prefix.address.family != net::Family::V6 || prefix.length > 64)
        return call.refuse("PREFIX " + textio::escaped(a.positional[0]) +
                           " is not an IPv6 prefix of length 64 or shorter (the interface ID takes the low 64 bits)");
    int status = kExitOk;
    for (std::size_t i = 1; i < a.positional.size() && !call.out.failed(); ++i) {
        const std::string& text = a.positional[i];
        const auto mac = net::parseMac(text);
        if (const auto* e = std::get_if<net::ParseError>(&mac)) {
            call.refuse("MAC " + textio::escaped(text) + ": " + e->message);
            status = kExitBadInput;
            continue;
        }
        const auto address = net::eui64Address(prefix, std::get<net::Mac>(mac));
        if (const auto* e = std::get_if<net::ParseError>(&address)) {
            call.refuse("MAC " + textio::escaped(text) + ": " + e->message);
            status = kExitBadInput;
            continue;
        }
        call.out.write(net::format(std::get<net::Address>(address)) + "\n");
    }
    return status;
}

// RFC 4193 section 3.2: the 40-bit global ID must be random. Its 3.2.2 suggests a SHA-1 of
// the time and an EUI-64; any good random source meets 3.2.1 as well, and the system's
// cryptographic one (net::randomUlaGlobalId) leaves nothing to guess from the machine.
int runUla(const Invocation& call)
{
    const Arguments& a = call.args;
    if (!a.positional.empty())
        return call.refuse("takes no arguments but --count N (mqnet ula --help)");
    unsigned count = 1;
    if (const std::string* c = a.value("--count")) {
        const auto n = net::parseDecimal(*c);
        if (!n || *n < 1 || *n > kMaxUlaCount)
            return call.refuse("--count " + textio::escaped(*c) + " is not a number from 1 to " +
                               std::to_string(kMaxUlaCount));
        count = static_cast<unsigned>(*n);
    }
    for (unsigned i = 0; i < count && !call.out.failed(); ++i)
        call.out.write(net::formatNetwork(net::ulaPrefix(net::randomUlaGlobalId())) + "\n");
    return kExitOk;
}

}  // namespace

const Command kEui64Command{
    "eui64",
    "PREFIX MAC [MAC...]",
    "      the address of each MAC in PREFIX (IPv6, /64 or shorter) by its modified EUI-64\n"
    "      interface ID, one a line\n",
    "      The interface ID is the MAC with ff:fe in its middle and the universal/local bit\n"
    "      inverted (RFC 4291 appendix A); it takes the low 64 bits of the address. A MAC\n"
    "      is read in any common form: 00:11:22:33:44:55, 00-11-22-33-44-55,\n"
    "      0011.2233.4455 or 001122334455; one that cannot be read is named on standard\n"
    "      error and the others are still answered (exit status 2).\n",
    {},
    runEui64,
};

const Command kUlaCommand{
    "ula",
    "[--count N]",
    "      a fresh unique local IPv6 prefix: fd00::/8 with a random 40-bit global ID,\n"
    "      a /48 (RFC 4193)\n",
    "      The global ID comes from the system's cryptographic random source, so two runs\n"
    "      give different prefixes, never a well-known one.\n"
    "      --count N       N prefixes, one a line (1 to 65536)\n",
    {{{"--count", true}}},
    runUla,
};

}  // namespace mq::mqnet
