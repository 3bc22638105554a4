// What a plan keeps inside its assigned blocks: their own layouts (a side table, journaled
// like the IPAM values) and the plan-wide list of hosts.
#include <algorithm>
#include <utility>

#include "plan/fields.h"
#include "plan/plan.h"

namespace mq::plan {

namespace {

std::string checkLayoutFor(const net::Prefix& p, const SubnetLayout& l)
{
    const net::Family f = p.address.family;
    if (l.gateway && !l.gatewaySet)
        return "a gateway is given but not set";
    if (l.gateway && l.gateway->family != f)
        return "the gateway " + net::format(*l.gateway) + " is not of the block's family";
    if (l.kept)
        if (auto r = checkKept(*l.kept); !r.empty())
            return r;
    if (l.ranges.size() > kMaxRangesPerBlock)
        return "a block holds at most " + std::to_string(kMaxRangesPerBlock) + " ranges";
    if (!l.rangesSet && !l.ranges.empty())
        return "ranges are given but not set";
    for (const AddressRange& r : l.ranges) {
        if (r.first.family != f || r.last.family != f)
            return "the range " + net::format(r.first) + "-" + net::format(r.last) + " is not of the block's family";
        if (r.last < r.first)
            return "the range " + net::format(r.first) + "-" + net::format(r.last) + " ends before it starts";
    }
    if (f == net::Family::V4 && (l.dhcp6 || l.delegatedLength))
        return "DHCPv6 and prefix delegation are for IPv6 blocks";
    if (l.delegatedLength && (l.delegatedLength <= p.length || l.delegatedLength > 128))
        return "a delegated prefix of " + net::formatNetwork(p) + " is from /" + std::to_string(p.length + 1) +
               " to /128, not /" + std::to_string(l.delegatedLength);
    return {};
}

std::string checkHost(const Host& h)
{
    if (auto r = checkHostName(h.name); !r.empty())
        return "the host name " + r;
    if (auto r = checkNote(h.note); !r.empty())
        return "the note of host " + h.name + " " + r;
    if (!h.v4 && !h.v6)
        return "host " + h.name + " has no address";
    if (h.v4 && h.v4->family != net::Family::V4)
        return "host " + h.name + ": " + net::format(*h.v4) + " is not an IPv4 address";
    if (h.v6 && h.v6->family != net::Family::V6)
        return "host " + h.name + ": " + net::format(*h.v6) + " is not an IPv6 address";
    if (!h.duid.empty() && (h.duid.size() < 3 || h.duid.size() > 130))
        return "host " + h.name + ": a DUID is 3 to 130 bytes, not " + std::to_string(h.duid.size());
    return {};
}

}  // namespace

const SubnetLayout* Plan::subnetLayout(BlockId id) const
{
    const auto it = layouts_.find(id);
    return it == layouts_.end() ? nullptr : &it->second;
}

std::string Plan::setSubnetLayout(BlockId id, SubnetLayout layout)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    const Block& b = blocks_[id];
    const auto it = layouts_.find(id);
    if (layout.empty()) {
        if (it != layouts_.end()) {
            recordLayout(id);
            layouts_.erase(id);
        }
        return {};
    }
    if (!b.children.empty() || b.state == BlockState::Free)
        return net::formatNetwork(b.prefix) + " is not an assigned block: only those have a layout";
    if (auto r = checkLayoutFor(b.prefix, layout); !r.empty())
        return net::formatNetwork(b.prefix) + ": " + r;
    recordLayout(id);
    layouts_[id] = std::move(layout);
    return {};
}

std::string Plan::insertHost(std::size_t at, Host host)
{
    if (hosts_.size() >= kMaxHosts)
        return "a plan holds at most " + std::to_string(kMaxHosts) + " hosts";
    if (at > hosts_.size())
        return "no host " + std::to_string(at);
    if (auto r = checkHost(host); !r.empty())
        return r;
    const bool atEnd = at == hosts_.size();
    hosts_.insert(hosts_.begin() + static_cast<std::ptrdiff_t>(at), std::move(host));
    ++hostSerial_;
    if (atEnd)
        hostEdited(at);
    else
        hostsMoved();
    return {};
}

std::string Plan::setHost(std::size_t i, Host host)
{
    if (i >= hosts_.size())
        return "no host " + std::to_string(i);
    if (auto r = checkHost(host); !r.empty())
        return r;
    hosts_[i] = std::move(host);
    ++hostSerial_;
    hostEdited(i);
    return {};
}

void Plan::eraseHost(std::size_t i)
{
    if (i >= hosts_.size())
        return;
    hosts_.erase(hosts_.begin() + static_cast<std::ptrdiff_t>(i));
    ++hostSerial_;
    hostsMoved();
}

void Plan::swapHosts(std::vector<Host>& hosts)
{
    hosts_.swap(hosts);
    ++hostSerial_;
    hostsMoved();
}

void Plan::hostEdited(std::size_t i)
{
    if (hostEdits_.size() >= kMaxChanges)
        hostsMoved();
    else
        hostEdits_.push_back(i);
}

void Plan::hostsMoved()
{
    ++hostListSerial_;
    hostEdits_.clear();
}

}  // namespace mq::plan
