#include "net/special.h"

#include <algorithm>

namespace mq::net {

std::vector<const SpecialEntry*> specialEntriesHolding(const Prefix& p)
{
    std::vector<const SpecialEntry*> found;
    for (const SpecialEntry& e : specialRegistry(p.address.family))
        if (e.block.contains(p))
            found.push_back(&e);
    std::stable_sort(found.begin(), found.end(),
                     [](const SpecialEntry* a, const SpecialEntry* b) { return a->block.length > b->block.length; });
    return found;
}

std::string badgeText(const SpecialEntry& e)
{
    std::string s(e.name);
    s += ", ";
    s += e.rfc;
    if (e.globallyReachable)
        s += *e.globallyReachable ? ", globally reachable" : ", not globally reachable";
    else if (e.termination != "N/A")
        s += ", terminated " + std::string(e.termination);
    else
        s += ", globally reachable: N/A";
    return s;
}

}  // namespace mq::net
