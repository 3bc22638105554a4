// Any bytes as typed input of the classless engine: whatever reads must write
// back to the same value, split at both ends, and summarize to exactly the
// addresses it covers; whatever does not read names a place inside the text.
#include "net/facts.h"
#include "net/parse.h"
#include "net/split.h"
#include "net/summarize.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace mq::net;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

// The number of addresses of a range, minus one (always fits).
u128 spanLessOne(const Range& r)
{
    return r.last.value - r.first.value;
}

void checkRange(const Range& r)
{
    require(r.first.family == r.last.family && r.first.value <= r.last.value);
    const std::vector<Prefix> parts = rangeToPrefixes(r);
    require(!parts.empty() && parts.size() <= 2u * 128u);
    // In order, back to back, each aligned, first to last.
    require(parts.front().network() == r.first && parts.back().last() == r.last);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        require(parts[i].address == parts[i].network());
        if (i > 0)
            require(parts[i - 1].last().value + 1 == parts[i].network().value);
    }
    const std::vector<Prefix> merged = summarize({r});
    require(merged == parts);
}

void checkPrefix(const Prefix& p)
{
    const PrefixFacts f = describe(p);
    require(f.network == p.network());
    require(p.contains(f.first) && p.contains(f.last) && f.first <= f.last);
    const Parsed<Input> again = parseInput(formatNetwork(p));
    require(std::holds_alternative<Input>(again));
    require(std::get<Input>(again).prefix.network() == p.network());
    require(std::get<Input>(again).prefix.length == p.length);
    for (int extra : {0, 1, 7}) {
        const int length = p.length + extra;
        if (length > p.address.bits())
            continue;
        const Splitter s(p, length);
        require(s.valid());
        const SubnetRow first = s.row(0), last = s.row(s.lastIndex());
        require(first.network.network() == p.network() && last.network.last() == p.last());
        require(s.rowOf(last.network.network()) == s.lastIndex());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Parsed<Input> parsed = parseInput(text);
    if (const auto* e = std::get_if<ParseError>(&parsed)) {
        require(!e->message.empty() && e->position <= text.size());
        (void)describe(text, *e);
        return 0;
    }
    const Input& in = std::get<Input>(parsed);
    require(parseAddress(format(in.prefix.address)).index() == 0);
    require(std::get<Address>(parseAddress(format(in.prefix.address))) == in.prefix.address);
    require(std::get<Address>(parseAddress(formatExpanded(in.prefix.address))) == in.prefix.address);
    checkRange(in.range);
    if (in.kind != Input::Kind::Range)
        checkPrefix(in.prefix);
    (void)spanLessOne(in.range);
    return 0;
}
