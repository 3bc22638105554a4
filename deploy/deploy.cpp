// What every output shares: how a block is named, which blocks DHCP serves, and the Kea
// subnet IDs; the checks and the names are the prepared model's (model.cpp).
#include "deploy/deploy.h"

#include <set>

#include "deploy/model.h"
#include "textio/escape.h"

namespace mq::deploy {

using plan::BlockId;
using plan::Plan;

std::string blockLabel(const Plan& plan, BlockId id)
{
    const plan::Block& b = plan.block(id);
    std::string label = net::formatNetwork(b.prefix);
    if (!b.name.empty())
        label += " (" + textio::escaped(b.name, textio::kQuotedValue) + ")";
    return label;
}

std::vector<BlockId> dhcpBlocks(const Plan& plan, net::Family family)
{
    std::vector<BlockId> out;
    for (BlockId id : plan.leaves()) {
        const plan::Block& b = plan.block(id);
        if (b.state == plan::BlockState::Assigned && b.prefix.address.family == family)
            out.push_back(id);
    }
    return out;
}

textio::Problems checkForOutput(const Plan& plan, Output output)
{
    return prepare(plan, assignDhcpIds(plan), {output}).problems(output);
}

plan::DhcpIds assignDhcpIds(const Plan& plan)
{
    plan::DhcpIds ids = plan.dhcpIds();
    std::set<std::uint32_t> used;
    for (const auto& [prefix, id] : ids)
        used.insert(id);
    // Fresh IDs go above every ID used; only once those run out are the gaps below taken.
    std::uint32_t next = used.empty() ? 0 : *used.rbegin();
    const auto fresh = [&]() -> std::uint32_t {
        if (next < plan::kMaxDhcpId) {
            used.insert(++next);
            return next;
        }
        for (std::uint32_t k = 1; k <= plan::kMaxDhcpId; ++k)
            if (used.insert(k).second)
                return k;
        return 0;
    };
    for (net::Family f : {net::Family::V4, net::Family::V6})
        for (BlockId id : dhcpBlocks(plan, f))
            if (!ids.count(plan.block(id).prefix))
                ids[plan.block(id).prefix] = fresh();
    return ids;
}

std::vector<NamedAddress> dnsNames(const Plan& plan)
{
    return prepare(plan, {}, {Output::Zones}).names();
}

}  // namespace mq::deploy
