// Hosts and ranges read from a file, checked against the plan and placed as one change.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "interchange/hosts_shared.h"
#include "net/mac.h"
#include "plan/commands.h"
#include "textio/fields.h"

namespace mq::interchange {

namespace {

struct AddressHash {
    std::size_t operator()(const net::Address& a) const
    {
        const auto lo = static_cast<std::uint64_t>(a.value), hi = static_cast<std::uint64_t>(a.value >> 64);
        return std::hash<std::uint64_t>()(lo ^ (hi * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(a.family));
    }
};

bool overlaps(const plan::AddressRange& a, const plan::AddressRange& b)
{
    return !(a.last < b.first || b.last < a.first);
}

// A block being filled: its layout as it stands and the ranges it will have.
struct BlockState {
    plan::ResolvedLayout layout;
    bool changed = false;
};

// Where a host stands once placed: in the plan (index) or among the added (index).
struct HostRef {
    bool added = false;
    std::size_t at = 0;
};

class Placer {
public:
    Placer(const plan::Plan& plan, HostImport& out) : plan_(plan), index_(plan), out_(out)
    {
        for (std::size_t i = 0; i < plan.hosts().size(); ++i)
            remember(plan.hosts()[i], {false, i});
    }

    void range(const RangeRow& row);
    void bare(const BareAddressRow& row);
    void host(const HostRow& row);
    void finish();

private:
    const plan::Plan& plan_;
    plan::HostIndex index_;
    HostImport& out_;
    std::unordered_map<plan::BlockId, BlockState> blocks_;
    std::unordered_map<net::Address, std::string, AddressHash> addresses_;  // -> host name
    std::unordered_map<std::string, HostRef> names_;  // lower case
    std::map<net::Mac, std::string> macs_;
    std::map<net::Duid, std::string> duids_;
    std::map<std::size_t, std::size_t> mergedAt_;  // plan index -> position in out_.merged

    void refuse(std::size_t line, std::string why)
    {
        out_.refused.push_back(textio::lineProblem(line, std::move(why)));
    }
    void note(std::size_t line, std::string what) { out_.notes.push_back(textio::lineProblem(line, std::move(what))); }
    plan::Host inDomain(const HostRow& row);
    void lengthNote(std::size_t line, const std::string& who, const net::Address& a, int length);
    void remember(const plan::Host& h, HostRef ref);
    plan::Host& hostOf(HostRef ref);
    // The assigned leaf holding a, with its state; nullptr (and *why) when there is none.
    BlockState* blockOf(const net::Address& a, plan::BlockId& id, std::string& why);
    std::string addressFault(const net::Address& a, const plan::Host& h);
    std::string mergeFault(const plan::Host& into, const plan::Host& row);
};

void Placer::remember(const plan::Host& h, HostRef ref)
{
    for (const auto& a : {h.v4, h.v6})
        if (a)
            addresses_[*a] = h.name;
    names_[textio::lowerCase(h.name)] = ref;
    if (h.mac)
        macs_[*h.mac] = h.name;
    if (!h.duid.empty())
        duids_[h.duid] = h.name;
}

plan::Host& Placer::hostOf(HostRef ref)
{
    if (ref.added)
        return out_.added[ref.at];
    auto [it, fresh] = mergedAt_.try_emplace(ref.at, out_.merged.size());
    if (fresh)
        out_.merged.emplace_back(ref.at, plan_.hosts()[ref.at]);
    return out_.merged[it->second].second;
}

BlockState* Placer::blockOf(const net::Address& a, plan::BlockId& id, std::string& why)
{
    id = plan_.leafAt(a);
    if (id == plan::kNoBlock || plan_.block(id).state == plan::BlockState::Free) {
        why = net::format(a) + " lies in no assigned block";
        return nullptr;
    }
    auto [it, fresh] = blocks_.try_emplace(id);
    if (fresh)
        it->second.layout = plan::resolveLayout(plan_, id);
    return &it->second;
}

std::string blockText(const plan::Plan& plan, plan::BlockId id)
{
    const plan::Block& b = plan.block(id);
    return net::formatNetwork(b.prefix) + (b.name.empty() ? "" : " (" + b.name + ")");
}

// Why the address cannot be a host's: not usable, the gateway, kept, in a range, taken.
std::string Placer::addressFault(const net::Address& a, const plan::Host& h)
{
    plan::BlockId id;
    std::string why;
    BlockState* b = blockOf(a, id, why);
    if (!b)
        return why;
    const plan::ResolvedLayout& r = b->layout;
    const std::string where = " in " + blockText(plan_, id);
    if (!r.firstUsable || a < *r.firstUsable || *r.lastUsable < a)
        return net::format(a) + " is not a usable address" + where;
    // The gateway's own device may stand there (a router named in an IPAM), no other host.
    if (r.gateway == a && h.role != plan::HostRole::Gateway)
        return net::format(a) + " is the gateway of " + blockText(plan_, id);
    for (const plan::AddressRange& k : r.kept)
        if (overlaps(k, {a, a}))
            return net::format(a) + " is kept for network devices" + where;
    if (std::string inRange = plan::rangeFault(plan_, id, r, a); !inRange.empty())
        return inRange;
    if (auto it = addresses_.find(a); it != addresses_.end() && it->second != h.name)
        return net::format(a) + " is already the address of " + it->second;
    return {};
}

// Why a row of the same name cannot join the host: it has the same family, or another MAC or DUID.
std::string Placer::mergeFault(const plan::Host& into, const plan::Host& row)
{
    for (const auto& [mine, theirs] : {std::pair{into.v4, row.v4}, std::pair{into.v6, row.v6}})
        if (mine && theirs)
            return "the name is taken: " + into.name + " has the address " + net::format(*mine) + " already";
    if (into.mac && row.mac && *into.mac != *row.mac)
        return row.name + " has another MAC (" + net::formatMac(*into.mac) + ") already";
    if (!into.duid.empty() && !row.duid.empty() && into.duid != row.duid)
        return row.name + " has another DUID (" + net::formatDuid(into.duid) + ") already";
    return {};
}

// A file names a host whole (h34.campus.example, as /etc/hosts and NetBox's dns_name do):
// inside the plan's domain it is the name there, or the zone would hold the domain twice.
plan::Host Placer::inDomain(const HostRow& row)
{
    plan::Host h = row.host;
    const std::string& domain = plan_.outputSettings().domain;
    if (domain.empty() || h.name.find('.') == std::string::npos)
        return h;
    const std::optional<std::string> inside = plan::nameInDomain(h.name, domain);
    if (inside && !inside->empty())
        h.name = *inside;
    else if (inside)
        note(row.line, h.name + ": the name is the plan's domain itself; kept as it is");
    else
        note(row.line, h.name + ": the name does not end in the plan's domain " + domain + "; kept as it is");
    return h;
}

// NetBox gives an address the length of the network it is configured in: another length
// than its block's tells of a plan that differs from the network.
void Placer::lengthNote(std::size_t line, const std::string& who, const net::Address& a, int length)
{
    const plan::BlockId id = plan_.leafAt(a);
    if (length < 0 || id == plan::kNoBlock || plan_.block(id).prefix.length == length)
        return;
    note(line, who + net::format(a) + "/" + std::to_string(length) + ": the length differs from its block's /" +
                   std::to_string(plan_.block(id).prefix.length) + " (" + blockText(plan_, id) +
                   "); the address is taken");
}

void Placer::host(const HostRow& row)
{
    const plan::Host named = inDomain(row);
    const plan::Host& h = named;
    for (const auto& a : {h.v4, h.v6})
        if (a)
            if (std::string why = addressFault(*a, h); !why.empty())
                return refuse(row.line, h.name + ": " + why);
    if (h.mac)
        if (auto it = macs_.find(*h.mac); it != macs_.end() && it->second != h.name)
            return refuse(row.line, h.name + ": MAC " + net::formatMac(*h.mac) + " is already " + it->second + "'s");
    if (!h.duid.empty())
        if (auto it = duids_.find(h.duid); it != duids_.end() && it->second != h.name)
            return refuse(row.line, h.name + ": DUID " + net::formatDuid(h.duid) + " is already " + it->second + "'s");
    const auto same = names_.find(textio::lowerCase(h.name));
    for (const auto& a : {h.v4, h.v6})
        if (a)
            lengthNote(row.line, h.name + ": ", *a, row.length);
    if (same == names_.end()) {
        out_.added.push_back(h);
        remember(h, {true, out_.added.size() - 1});
        ++out_.hostRows;
        return;
    }
    const plan::Host& existing = same->second.added ? out_.added[same->second.at] : plan_.hosts()[same->second.at];
    if (std::string why = mergeFault(existing, h); !why.empty())
        return refuse(row.line, h.name + ": " + why);
    // One dual-stack host: the other family's address joins it, with what it lacks.
    plan::Host& into = hostOf(same->second);
    (h.v4 ? into.v4 : into.v6) = h.v4 ? h.v4 : h.v6;
    if (!into.mac)
        into.mac = h.mac;
    if (into.duid.empty())
        into.duid = h.duid;
    if (into.role == plan::HostRole::Other)
        into.role = h.role;
    if (into.note.empty())
        into.note = h.note;
    remember(into, same->second);
    ++out_.hostRows;
}

void Placer::bare(const BareAddressRow& row)
{
    plan::BlockId id;
    std::string why;
    BlockState* b = blockOf(row.address, id, why);
    if (!b)
        return refuse(row.line, why);
    const plan::ResolvedLayout& r = b->layout;
    const bool kept = std::any_of(r.kept.begin(), r.kept.end(), [&](const plan::AddressRange& k) {
        return overlaps(k, {row.address, row.address});
    });
    if (r.gateway == row.address || kept)
        return lengthNote(row.line, "", row.address, row.length);
    refuse(row.line, net::format(row.address) + " has no host name, and is not the " +
                         (row.gateway ? "gateway" : "gateway or a kept address") + " of " + blockText(plan_, id));
}

void Placer::range(const RangeRow& row)
{
    const plan::AddressRange& g = row.range;
    const std::string item = rangesText({g});
    plan::BlockId id;
    std::string why;
    BlockState* b = blockOf(g.first, id, why);
    if (!b)
        return refuse(row.line, "the range " + item + ": " + why);
    plan::ResolvedLayout& r = b->layout;
    const std::string where = " in " + blockText(plan_, id);
    if (!plan_.block(id).prefix.contains(g.last))
        return refuse(row.line, "the range " + item + " reaches past " + blockText(plan_, id));
    if (!r.firstUsable || g.first < *r.firstUsable || *r.lastUsable < g.last)
        return refuse(row.line, "the range " + item + " holds addresses that are not usable" + where);
    if (std::find(r.ranges.begin(), r.ranges.end(), g) != r.ranges.end())
        return;  // the block has it already
    for (const plan::AddressRange& o : r.ranges)
        if (overlaps(o, g))
            return refuse(row.line, "the range " + item + " overlaps the DHCP range " + rangesText({o}) + " of " +
                                        blockText(plan_, id));
    if (r.gateway && overlaps(g, {*r.gateway, *r.gateway}))
        return refuse(row.line, "the range " + item + " holds the gateway of " + blockText(plan_, id));
    for (const plan::AddressRange& k : r.kept)
        if (overlaps(k, g))
            return refuse(row.line, "the range " + item + " holds addresses kept for network devices" + where);
    const net::Family f = g.first.family;
    for (std::size_t i : index_.of(id)) {
        const plan::Host& h = plan_.hosts()[i];
        const auto& a = f == net::Family::V4 ? h.v4 : h.v6;
        if (a && overlaps(g, {*a, *a}))
            return refuse(row.line, "the range " + item + " holds the address of " + h.name);
    }
    if (r.ranges.size() >= plan::kMaxRangesPerBlock)
        return refuse(row.line, "the range " + item + ": a block holds at most " +
                                    std::to_string(plan::kMaxRangesPerBlock) + " ranges");
    r.ranges.insert(std::upper_bound(r.ranges.begin(), r.ranges.end(), g,
                                     [](const auto& x, const auto& y) { return x.first < y.first; }),
                    g);
    b->changed = true;
    ++out_.rangeRows;
}

void Placer::finish()
{
    std::vector<plan::BlockId> changed;
    for (const auto& [id, b] : blocks_)
        if (b.changed)
            changed.push_back(id);
    std::sort(changed.begin(), changed.end());
    for (plan::BlockId id : changed) {
        const plan::SubnetLayout* own = plan_.subnetLayout(id);
        plan::SubnetLayout layout = own ? *own : plan::SubnetLayout{};
        const plan::ResolvedLayout& r = blocks_[id].layout;
        layout.rangesSet = true;
        layout.ranges = r.ranges;
        // Ranges of an IPv6 block are stateful DHCPv6: a SLAAC-only block serves both.
        if (plan_.block(id).prefix.address.family == net::Family::V6 && r.dhcp6 == plan::Dhcp6Mode::Slaac)
            layout.dhcp6 = plan::Dhcp6Mode::Both;
        out_.layouts.emplace_back(id, std::move(layout));
    }
    for (auto* notes : {&out_.refused, &out_.notes})
        std::stable_sort(notes->begin(), notes->end(),
                         [](const textio::Problem& a, const textio::Problem& b) { return a.line < b.line; });
}

// The parts of an import as one step of the history: each applied in turn, and all taken
// back when one fails.
class HostImportCommand : public plan::Command {
public:
    explicit HostImportCommand(HostImport import) : hosts_(import.hostRows), ranges_(import.rangeRows)
    {
        for (auto& [id, layout] : import.layouts)
            parts_.push_back(plan::makeSetLayout(id, std::move(layout)));
        for (auto& [i, host] : import.merged)
            parts_.push_back(plan::makeEditHost(i, std::move(host)));
        if (!import.added.empty())
            parts_.push_back(plan::makeAddHosts(std::move(import.added)));
    }

    std::string apply(plan::Plan& plan) override
    {
        if (parts_.empty())
            return "nothing to import";
        for (std::size_t i = 0; i < parts_.size(); ++i)
            if (std::string why = parts_[i]->apply(plan); !why.empty()) {
                while (i-- > 0)
                    parts_[i]->revert(plan);
                return why;
            }
        return {};
    }

    void revert(plan::Plan& plan) override
    {
        for (std::size_t i = parts_.size(); i-- > 0;)
            parts_[i]->revert(plan);
    }

    std::string text() const override
    {
        std::string t = "Import " + std::to_string(hosts_) + (hosts_ == 1 ? " host" : " hosts");
        if (ranges_)
            t += " and " + std::to_string(ranges_) + (ranges_ == 1 ? " range" : " ranges");
        return t;
    }

private:
    std::vector<std::unique_ptr<plan::Command>> parts_;
    std::size_t hosts_, ranges_;
};

}  // namespace

HostImport checkHostImport(const plan::Plan& plan, const HostRead& read)
{
    HostImport out;
    out.refused = read.refused;
    out.notes = read.notes;
    Placer placer(plan, out);
    // Ranges first, so that a host inside a range of the same file is refused.
    for (const RangeRow& r : read.ranges)
        placer.range(r);
    for (const BareAddressRow& b : read.bare)
        placer.bare(b);
    for (const HostRow& h : read.hosts)
        placer.host(h);
    placer.finish();
    return out;
}

std::unique_ptr<plan::Command> makeHostImport(HostImport import)
{
    return std::make_unique<HostImportCommand>(std::move(import));
}

}  // namespace mq::interchange
