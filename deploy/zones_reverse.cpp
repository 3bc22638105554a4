// Reverse zones: which zone each named address falls in, the RFC 2317 delegation of the IPv4
// blocks longer than a /24 that the settings delegate, the name servers' own PTRs, the empty
// zones of the plan's space, and the records of each zone in address order.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "deploy/zones_build.h"

namespace mq::deploy::zones {

namespace {

using net::Prefix;
using net::u128;

unsigned octet(u128 value, int index)  // index 0: the most significant of the four
{
    return static_cast<unsigned>(value >> (8 * (3 - index))) & 0xFFu;
}

unsigned nibble(u128 value, int index)  // index 0: the most significant of the 32
{
    return static_cast<unsigned>(value >> (4 * (31 - index))) & 0xFu;
}

// The labels of an address from its last octet (nibble) up to the first one inside the
// zone's length, joined by '.': the address's name relative to a zone of that length.
std::string relative(const net::Address& a, int zoneLength)
{
    std::string out;
    const bool v4 = a.family == net::Family::V4;
    const int step = v4 ? 8 : 4;
    for (int i = a.bits() / step - 1; i >= zoneLength / step; --i) {
        if (!out.empty())
            out += '.';
        if (v4)
            out += std::to_string(octet(a.value, i));
        else
            out += "0123456789abcdef"[nibble(a.value, i)];
    }
    return out;
}

// The name of a zone whose length is a whole number of octets (nibbles).
std::string zoneName(const Prefix& z)
{
    const bool v4 = z.address.family == net::Family::V4;
    std::string labels;
    const int step = v4 ? 8 : 4;
    for (int i = z.length / step - 1; i >= 0; --i) {
        labels += v4 ? std::to_string(octet(z.address.value, i))
                     : std::string(1, "0123456789abcdef"[nibble(z.address.value, i)]);
        labels += '.';
    }
    return labels + (v4 ? "in-addr.arpa" : "ip6.arpa");
}

// RFC 2317's label of a classless block: "64/26", or "64-127" by first and last address.
std::string classlessLabel(const Prefix& block, plan::ReverseNaming naming)
{
    const unsigned first = octet(block.network().value, 3);
    if (naming == plan::ReverseNaming::Slash)
        return std::to_string(first) + '/' + std::to_string(block.length);
    return std::to_string(first) + '-' + std::to_string(octet(block.last().value, 3));
}

Prefix widened(const net::Address& a, int length)
{
    return Prefix{a, length}.masked();
}

struct Zone {
    std::vector<std::pair<u128, std::size_t>> ptrs;  // address, index into the names (then the servers')
    std::vector<Prefix> delegated;  // IPv4 blocks longer than /24 given zones of their own
};

// A name server's address that no name of the plan has, and the server's absolute name.
struct ServerPtr {
    net::Address address;
    const std::string* name;
};

class Builder {
public:
    explicit Builder(const Prepared& m) : m_(m), plan_(m.plan()), names_(m.names()), s_(m.settings())
    {
        cut4_ = std::clamp(s_.zoneCut4 / 8 * 8, 8, 24);
        for (plan::BlockId r : plan_.roots())
            if (plan_.block(r).prefix.address.family == net::Family::V6)
                roots6_.push_back(plan_.block(r).prefix);
        for (const plan::NameServer& ns : s_.nameServers) {
            servers_.emplace_back();
            appendName(servers_.back(), ns.name);
            servers_.back() += '.';
        }
        listed_ = s_.delegated;
        std::sort(listed_.begin(), listed_.end());
    }

    std::vector<ZoneBody> build()
    {
        for (std::size_t i = 0; i < names_.size(); ++i)
            place(i, names_[i].address, blockOf(names_[i]));
        placeServers();
        if (s_.emptyReverseZones)
            for (const PreparedBlock& b : m_.blocks())
                cover(b.layout.prefix);
        std::vector<ZoneBody> out;
        out.reserve(zones_.size());
        for (auto& [prefix, zone] : zones_)
            out.push_back({zoneOf(prefix), render(prefix, zone)});
        return out;
    }

private:
    // The zone of a prefix the map holds: a classless child when it is an IPv4 block
    // longer than /24, else the cut zone it names.
    std::string zoneOf(const Prefix& p) const
    {
        if (p.address.family == net::Family::V4 && p.length > 24)
            return classlessLabel(p, s_.naming) + '.' + zoneName(widened(p.address, 24));
        return zoneName(p);
    }

    bool delegates(const Prefix& block) const
    {
        return block.address.family == net::Family::V4 && block.length > 24 &&
               (s_.rfc2317 == plan::Rfc2317::All || std::binary_search(listed_.begin(), listed_.end(), block));
    }

    int zoneLength6(const net::Address& a) const
    {
        if (s_.zoneCut6 > 0)
            return std::min(128, (s_.zoneCut6 + 3) / 4 * 4);
        for (const Prefix& r : roots6_)
            if (r.contains(a))
                return r.length / 4 * 4;  // one zone holds the whole root
        return 64;  // outside every root: dnsNames gives none such
    }

    Prefix blockOf(const NamedAddress& n) const
    {
        if (n.block != plan::kNoBlock && plan_.exists(n.block))
            return plan_.block(n.block).prefix;
        const plan::BlockId leaf = plan_.leafAt(n.address);
        return leaf == plan::kNoBlock ? Prefix{n.address, n.address.bits()} : plan_.block(leaf).prefix;
    }

    void place(std::size_t i, const net::Address& a, const std::optional<Prefix>& block)
    {
        if (a.family == net::Family::V6) {
            zones_[widened(a, zoneLength6(a))].ptrs.emplace_back(a.value, i);
        } else if (block && delegates(*block)) {
            zones_[block->masked()].ptrs.emplace_back(a.value, i);
            zones_[widened(a, cut4_)].delegated.push_back(block->masked());
        } else {
            zones_[widened(a, cut4_)].ptrs.emplace_back(a.value, i);
        }
    }

    // A name server's address in the plan's space gets its PTR, unless a name of the plan
    // stands on it: the one PTR an address has is then that name's. An address outside the
    // plan lies in a reverse zone that is someone else's.
    void placeServers()
    {
        std::set<net::Address> named;
        for (const NamedAddress& n : names_)
            named.insert(n.address);
        for (std::size_t k = 0; k < s_.nameServers.size(); ++k) {
            for (const net::Address& a : s_.nameServers[k].addresses) {
                const plan::BlockId leaf = plan_.leafAt(a);
                if (leaf == plan::kNoBlock || !named.insert(a).second)
                    continue;
                const plan::Block& b = plan_.block(leaf);
                serverPtrs_.push_back({a, &servers_[k]});
                place(names_.size() + serverPtrs_.size() - 1, a,
                      b.state == plan::BlockState::Free ? std::nullopt : std::optional(b.prefix));
            }
        }
    }

    // The zones at the cut that an assigned block lies in, made when they hold nothing; a
    // delegated block's child zone and its delegation. A block shorter than the cut by more
    // than 16 bits would give more zones than any server is meant to load: it gets none.
    void cover(const Prefix& block)
    {
        const bool v4 = block.address.family == net::Family::V4;
        if (v4 && delegates(block)) {
            zones_.try_emplace(block);
            zones_[widened(block.address, cut4_)].delegated.push_back(block);
            return;
        }
        const int length = v4 ? cut4_ : zoneLength6(block.address);
        if (block.length >= length) {
            zones_.try_emplace(widened(block.address, length));
            return;
        }
        if (length - block.length > 16)
            return;
        const u128 step = u128{1} << (block.address.bits() - length);
        for (u128 k = 0; k < (u128{1} << (length - block.length)); ++k)
            zones_.try_emplace(Prefix{{block.address.value + k * step, block.address.family}, length});
    }

    const net::Address& addressOf(std::size_t i) const
    {
        return i < names_.size() ? names_[i].address : serverPtrs_[i - names_.size()].address;
    }

    void appendPtr(std::string& out, const Prefix& zone, std::size_t i) const
    {
        const std::string owner = relative(addressOf(i), zone.length);
        out += owner.empty() ? "@" : owner;
        out += "\tIN\tPTR\t";
        if (i >= names_.size()) {
            out += *serverPtrs_[i - names_.size()].name;
            out += '\n';
            return;
        }
        appendName(out, names_[i].fqdn);
        out += ".\n";
    }

    // RFC 2317 section 4: the child's NS records at its label, and a CNAME for each address
    // of the block into the child, which holds the PTRs.
    void appendDelegation(std::string& out, const Prefix& zone, const Prefix& block) const
    {
        std::string rest = relative(widened(block.address, 24).address, zone.length);
        // The /24's part of the name: what the address's own name has after its octet.
        const std::size_t dot = rest.find('.');
        rest = dot == std::string::npos ? std::string() : rest.substr(dot);
        const std::string label = classlessLabel(block, s_.naming);
        const std::string child = zoneOf(block);
        for (const std::string& server : servers_)
            out += label + rest + "\tIN\tNS\t" + server + '\n';
        for (u128 v = block.network().value; v <= block.last().value; ++v) {
            const std::string o = std::to_string(octet(v, 3));
            out += o + rest + "\tIN\tCNAME\t" + o + '.' + child + ".\n";
        }
    }

    std::string render(const Prefix& prefix, Zone& zone) const
    {
        std::stable_sort(zone.ptrs.begin(), zone.ptrs.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::sort(zone.delegated.begin(), zone.delegated.end());
        zone.delegated.erase(std::unique(zone.delegated.begin(), zone.delegated.end()), zone.delegated.end());
        std::string out;
        std::size_t d = 0;
        for (const auto& [value, i] : zone.ptrs) {
            for (; d < zone.delegated.size() && zone.delegated[d].address.value < value; ++d)
                appendDelegation(out, prefix, zone.delegated[d]);
            appendPtr(out, prefix, i);
        }
        for (; d < zone.delegated.size(); ++d)
            appendDelegation(out, prefix, zone.delegated[d]);
        return out;
    }

    const Prepared& m_;
    const plan::Plan& plan_;
    const std::vector<NamedAddress>& names_;
    const plan::OutputSettings& s_;
    int cut4_ = 24;
    std::vector<Prefix> roots6_;
    std::vector<std::string> servers_;  // the name servers' absolute names
    std::vector<ServerPtr> serverPtrs_;  // the PTRs of name servers' addresses, after the names'
    std::vector<Prefix> listed_;  // the blocks delegated one by one, sorted
    std::map<Prefix, Zone> zones_;
};

}  // namespace

std::vector<ZoneBody> reverseZones(const Prepared& m)
{
    return Builder(m).build();
}

}  // namespace mq::deploy::zones
