#include "net/summarize.h"

namespace mq::net {

std::vector<Prefix> rangeToPrefixes(const Range& r)
{
    std::vector<Prefix> out;
    eachPrefixOf(r.first.family, r.first.value, r.last.value, [&](const Prefix& p) { out.push_back(p); });
    return out;
}

std::vector<Prefix> summarize(std::vector<Range> ranges)
{
    return AddressSet::of(ranges).prefixes();
}

}  // namespace mq::net
