#include "plan/import.h"
#include "plan/fields.h"

#include <algorithm>
#include <tuple>

#include "net/overlaps.h"
#include "plan/journal_command.h"

namespace mq::plan {

namespace {

net::Range rangeOf(const net::Prefix& p)
{
    return {p.network(), p.last()};
}

std::string lineText(const ImportItem& item, std::size_t index)
{
    return item.line ? "line " + std::to_string(item.line) : "item " + std::to_string(index + 1);
}

// The reason an item alone cannot become a block, or empty.
std::string checkFields(const ImportItem& item)
{
    if (auto r = checkName(item.name); !r.empty())
        return "the name " + r;
    if (auto r = checkNote(item.note); !r.empty())
        return "the note " + r;
    for (const std::string* text : {&item.ipam.tenant, &item.ipam.role, &item.ipam.vrf})
        if (auto r = checkName(*text); !r.empty())
            return "the IPAM value " + r;
    if (item.colour && *item.colour > 0xFFFFFFu)
        return "a colour is 0xRRGGBB, at most 0xFFFFFF";
    if (auto r = checkVlan(item.vlan); !r.empty())
        return r;
    if (item.vlan && (item.container || item.state == BlockState::Free))
        return "a VLAN is given for a block that is not assigned";
    if (item.container && item.prefix.length == item.prefix.address.bits())
        return net::formatNetwork(item.prefix) + " is a single address: it cannot be split";
    return {};
}

// Whether a pair that shares addresses may stand: a container and what lies inside it.
bool nests(const ImportItem& outer, net::Relation r)
{
    return outer.container && r == net::Relation::Contains;
}

constexpr std::size_t kNoItem = static_cast<std::size_t>(-1);

struct Clash {
    std::size_t other = kNoItem;  // the lowest-numbered item it cannot stand beside
    net::Relation relation = net::Relation::Equal;  // how it stands to that one
};

// For each candidate, the lowest-numbered other candidate it clashes with: an equal prefix, a
// prefix holding it that is not a container, or (unless it is a container) one inside it.
// Prefixes nest or are apart, so one walk in address order, the larger block first, meets
// each one's holders on a stack; equal prefixes are one group, so n identical items cost
// n log n, not the n squared of their pairs. steps counts the groups met and each item's
// look-ups.
std::vector<Clash> firstClashes(const std::vector<ImportItem>& items, const std::vector<net::Range>& ranges,
                                const std::vector<std::size_t>& candidate, std::size_t& steps)
{
    struct Group {
        std::size_t from = 0, to = 0;  // positions in order
        std::size_t first = kNoItem, second = kNoItem;  // its two lowest-numbered items
        std::size_t plain = kNoItem;  // its lowest-numbered item that is not a container
        std::size_t holders = kNoItem;  // the lowest-numbered non-container among the groups holding it
        std::size_t inside = kNoItem;  // the lowest-numbered item of the groups inside it
    };
    std::vector<std::size_t> order = candidate;
    const auto key = [&](std::size_t i) {
        const net::Range& r = ranges[i];
        return std::make_tuple(r.first, ~r.last.value, i);
    };
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return key(x) < key(y); });
    const auto same = [&](std::size_t x, std::size_t y) {
        return ranges[x].first == ranges[y].first && ranges[x].last == ranges[y].last;
    };

    std::vector<Group> groups;
    std::vector<std::size_t> open;  // groups holding the current one, the innermost last
    const auto close = [&] {
        const Group& g = groups[open.back()];
        open.pop_back();
        ++steps;
        if (!open.empty())
            groups[open.back()].inside = std::min({groups[open.back()].inside, g.first, g.inside});
    };
    for (std::size_t p = 0; p < order.size();) {
        Group g;
        g.from = p;
        for (; p < order.size() && same(order[g.from], order[p]); ++p) {
            const std::size_t i = order[p];
            if (g.first == kNoItem)
                g.first = i;
            else if (g.second == kNoItem)
                g.second = i;
            if (g.plain == kNoItem && !items[i].container)
                g.plain = i;
        }
        g.to = p;
        const net::Range& r = ranges[order[g.from]];
        while (!open.empty()) {
            const net::Range& o = ranges[order[groups[open.back()].from]];
            if (o.first.family == r.first.family && o.last.value >= r.first.value)
                break;
            close();
        }
        if (!open.empty())
            g.holders = std::min(groups[open.back()].holders, groups[open.back()].plain);
        groups.push_back(g);
        open.push_back(groups.size() - 1);
    }
    while (!open.empty())
        close();

    std::vector<std::size_t> slot(items.size());
    for (std::size_t k = 0; k < candidate.size(); ++k)
        slot[candidate[k]] = k;
    std::vector<Clash> out(candidate.size());
    for (const Group& g : groups)
        for (std::size_t p = g.from; p < g.to; ++p) {
            const std::size_t i = order[p];
            Clash& c = out[slot[i]];
            steps += 3;
            const std::size_t equal = i == g.first ? g.second : g.first;
            if (equal != kNoItem)
                c = {equal, net::Relation::Equal};
            if (g.holders < c.other)
                c = {g.holders, net::Relation::Inside};
            if (!items[i].container && g.inside < c.other)
                c = {g.inside, net::Relation::Contains};
        }
    return out;
}

// The first reason found for each item is the one it is refused with.
void refuse(std::vector<std::string>& reason, std::size_t i, std::string why)
{
    if (reason[i].empty())
        reason[i] = std::move(why);
}

// Inside a root: equal to it or inside it; a prefix cannot cross a root's edge otherwise.
void refuseOutsiders(const Plan& plan, const std::vector<net::Range>& ranges, std::vector<std::string>& reason)
{
    std::vector<net::Range> roots;
    for (BlockId r : plan.roots())
        roots.push_back(rangeOf(plan.block(r).prefix));
    std::vector<std::uint8_t> inside(ranges.size(), 0);
    std::vector<std::size_t> around(ranges.size(), roots.size());
    net::visitOverlaps(ranges, roots, [&](const net::OverlapPair& p) {
        if (p.relation == net::Relation::Equal || p.relation == net::Relation::Inside)
            inside[p.a] = 1;
        else
            around[p.a] = p.b;
    });
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (inside[i])
            continue;
        if (around[i] < roots.size())
            refuse(reason, i,
                   "holds the root " + net::formatNetwork(plan.block(plan.roots()[around[i]]).prefix) + " and more");
        else
            refuse(reason, i, "lies outside every root");
    }
}

// The assigned leaves do not overlap each other: in address order, the first that reaches an
// item is the only one that can hold it, and any other it meets lies inside it.
void refuseTaken(const Plan& plan, const std::vector<ImportItem>& items, const std::vector<net::Range>& ranges,
                 std::vector<std::string>& reason)
{
    struct Taken {
        net::Range range;
        BlockId id;
    };
    std::vector<Taken> taken;
    for (BlockId id : plan.leaves())
        if (plan.block(id).state != BlockState::Free)
            taken.push_back({rangeOf(plan.block(id).prefix), id});
    std::stable_sort(taken.begin(), taken.end(),
                     [](const Taken& x, const Taken& y) { return x.range.first < y.range.first; });
    for (std::size_t i = 0; i < items.size(); ++i) {
        const net::Range& r = ranges[i];
        const auto t =
            std::partition_point(taken.begin(), taken.end(), [&](const Taken& x) { return x.range.last < r.first; });
        if (t == taken.end() || t->range.first.family != r.first.family || t->range.first.value > r.last.value)
            continue;
        if (nests(items[i], net::relationOf(r, t->range)))
            continue;
        const Block& b = plan.block(t->id);
        refuse(reason, i,
               "overlaps the assigned block " + net::formatNetwork(b.prefix) +
                   (b.name.empty() ? "" : " (" + b.name + ")"));
    }
}

}  // namespace

ImportCheck checkImport(const Plan& plan, const std::vector<ImportItem>& items)
{
    ImportCheck out;
    std::vector<std::string> reason(items.size());
    std::vector<net::Range> ranges;
    ranges.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        ranges.push_back(rangeOf(items[i].prefix));
        if (auto r = checkFields(items[i]); !r.empty())
            refuse(reason, i, std::move(r));
    }
    refuseOutsiders(plan, ranges, reason);

    // Items refused so far would not be placed: they take nothing from the others.
    std::vector<std::size_t> candidate;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (reason[i].empty())
            candidate.push_back(i);
    const std::vector<Clash> clash = firstClashes(items, ranges, candidate, out.steps);
    for (std::size_t k = 0; k < candidate.size(); ++k)
        if (clash[k].other != kNoItem) {
            const ImportItem& b = items[clash[k].other];
            refuse(reason, candidate[k],
                   "overlaps " + lineText(b, clash[k].other) + " (" + net::formatNetwork(b.prefix) + ", " +
                       std::string(net::relationName(clash[k].relation)) + ")");
        }
    refuseTaken(plan, items, ranges, reason);

    for (std::size_t i = 0; i < items.size(); ++i) {
        if (reason[i].empty())
            out.accepted.push_back(i);
        else {
            textio::Problem p = textio::lineProblem(items[i].line, std::move(reason[i]));
            p.item = i;
            out.refused.push_back(std::move(p));
        }
    }
    return out;
}

namespace {

std::string place(Plan& plan, const ImportItem& item)
{
    BlockId id = kNoBlock;
    if (auto r = plan.carve(item.prefix, &id); !r.empty())
        return r;
    std::vector<std::string> results;
    const bool inUse = !item.container && item.state != BlockState::Free;
    if (item.container) {
        if (plan.block(id).children.empty())
            results.push_back(plan.split(id, 2));
    } else if (!plan.block(id).children.empty()) {
        results.push_back(plan.collapse(id));
    }
    // A block in use takes the item's name and note; other blocks keep theirs unless given.
    if (inUse || !item.name.empty())
        results.push_back(plan.setName(id, item.name));
    if (inUse || !item.note.empty())
        results.push_back(plan.setNote(id, item.note));
    if (inUse) {
        results.push_back(plan.setAssigned(id, true));
        results.push_back(plan.setVlan(id, item.vlan));
        results.push_back(plan.setReserved(id, item.state == BlockState::Reserved));
    }
    if (item.colour)
        results.push_back(plan.setColour(id, *item.colour));
    if (!item.ipam.empty())
        results.push_back(plan.setBlockIpam(id, item.ipam));
    for (auto& r : results)
        if (!r.empty())
            return net::formatNetwork(item.prefix) + ": " + r;
    return {};
}

class ImportCommand : public JournalCommand {
public:
    explicit ImportCommand(std::vector<ImportItem> items) : items_(std::move(items))
    {
        for (ImportItem& i : items_)
            i.prefix = i.prefix.masked();  // a prefix found in use may be typed with host bits
    }

private:
    std::string run(Plan& plan) override
    {
        ImportCheck check = checkImport(plan, items_);
        label_ =
            "Import " + std::to_string(check.accepted.size()) + (check.accepted.size() == 1 ? " prefix" : " prefixes");
        if (check.accepted.empty())
            return items_.empty() ? "nothing to import: no prefixes"
                                  : "nothing to import: " + net::formatNetwork(items_[check.refused[0].item].prefix) +
                                        ": " + check.refused[0].message;
        // Containers before what they hold: address order, the larger block first.
        std::stable_sort(check.accepted.begin(), check.accepted.end(),
                         [&](std::size_t a, std::size_t b) { return items_[a].prefix < items_[b].prefix; });
        for (std::size_t i : check.accepted)
            if (auto r = place(plan, items_[i]); !r.empty())
                return r;
        return {};
    }
    std::vector<ImportItem> items_;
};

}  // namespace

std::unique_ptr<Command> makeImport(std::vector<ImportItem> items)
{
    return std::make_unique<ImportCommand>(std::move(items));
}

}  // namespace mq::plan
