#include "plan/document_build.h"

#include "textio/escape.h"
#include "textio/fields.h"

#include <algorithm>
#include <new>

#include "net/address_scan.h"
#include "net/parse.h"

namespace mq::plan::detail {

namespace {

std::string at(std::size_t k)
{
    return "$.blocks[" + std::to_string(k) + "]";
}

}  // namespace

// A prefix as a document writes it: "network/len", no zone, host bits clear.
std::variant<net::Prefix, std::string> documentPrefix(std::string_view text)
{
    // Host bits are refused naming the network, as a prefix list's or a root's are.
    const auto r = net::parsePrefix(text, net::HostBits::Suggest);
    if (const auto* e = std::get_if<net::ParseError>(&r)) {
        if (e->fault == net::ParseError::Fault::Text)
            return net::describe(text, *e);
        if (e->fault == net::ParseError::Fault::HostBits)
            return textio::quoted(text) + " " + e->message;
        return textio::quoted(text) + " is not written network/length";
    }
    return std::get<net::Prefix>(r);
}

void TreeBuilder::reserve(std::size_t blocks)
{
    try {
        plan_.reserve(blocks);
        entryOf_.reserve(blocks);
    } catch (const std::bad_alloc&) {
    }
}

std::optional<textio::Problem> TreeBuilder::finish()
{
    if (fault_)
        return fault_;
    if (open_.empty() && nextRoot_ < plan_.roots().size())
        return documentFault("$.blocks", "ends before the root " +
                                             net::formatNetwork(plan_.block(plan_.roots()[nextRoot_]).prefix) +
                                             " ($.roots[" + std::to_string(nextRoot_) + "])");
    if (!open_.empty()) {
        const Open& o = open_.back();
        const Block& p = plan_.block(o.id);
        return documentFault("$.blocks", "ends before part " + std::to_string(o.next + 1) + " of " +
                                             std::to_string(p.children.size()) + " of " + at(o.entry) + " (" +
                                             net::formatNetwork(p.prefix) + ")");
    }
    return std::nullopt;
}

std::variant<BlockId, std::string> TreeBuilder::locate(std::size_t k, const net::Prefix& p)
{
    const auto refuse = [](std::string reason) { return std::variant<BlockId, std::string>(std::move(reason)); };
    BlockId id = kNoBlock;
    if (open_.empty()) {  // a root's tree is complete: the next root, if any, comes now
        if (nextRoot_ == plan_.roots().size())
            return refuse(net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
        id = plan_.roots()[nextRoot_];
        const net::Prefix want = plan_.block(id).prefix;
        if (p != want) {
            if (k > 0 && p.address.family == root_.address.family && root_.contains(p))
                return refuse(net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
            return refuse(std::string(k ? "the next block" : "the first block") + " must be the root " +
                          net::formatNetwork(want) + " ($.roots[" + std::to_string(nextRoot_) + "])");
        }
        ++nextRoot_;
        root_ = want;
        rootId_ = id;
        rootEntry_ = k;
    } else {
        if (p.address.family != root_.address.family)
            return refuse(net::formatNetwork(p) + " is not of the root's family (" + net::formatNetwork(root_) + ")");
        if (!root_.contains(p))
            return refuse(net::formatNetwork(p) + " lies outside the root " + net::formatNetwork(root_));
        Open& o = open_.back();
        id = plan_.block(o.id).children[o.next];
        const net::Prefix want = plan_.block(id).prefix;
        if (p != want) {
            const std::string part = "part " + std::to_string(o.next + 1) + " of " +
                                     std::to_string(plan_.block(o.id).children.size()) + " of " + at(o.entry) + " (" +
                                     net::formatNetwork(plan_.block(o.id).prefix) + ")";
            if (p.address.value < want.address.value)
                return refuse(net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
            if (p.address.value > want.address.value)
                return refuse(net::formatNetwork(p) + " leaves a gap: " + net::formatNetwork(want) + ", " + part +
                              ", is missing");
            return refuse(net::formatNetwork(p) + " is not a part of its block: " + part + " is " +
                          net::formatNetwork(want));
        }
        if (++o.next == plan_.block(o.id).children.size())
            open_.pop_back();
    }
    return id;
}

std::optional<textio::Problem> TreeBuilder::place(std::size_t k, const RawBlock& raw)
{
    auto fault = [&](const char* field, std::string reason) {
        return documentFault(at(k) + (*field ? "." : "") + field, std::move(reason));
    };
    auto parsed = documentPrefix(raw.prefix);
    if (auto* e = std::get_if<std::string>(&parsed))
        return fault("prefix", *e);
    const net::Prefix p = std::get<net::Prefix>(parsed);
    const auto where = locate(k, p);
    if (auto* e = std::get_if<std::string>(&where))
        return fault("prefix", *e);
    const BlockId id = std::get<BlockId>(where);
    if (auto r = checkName(raw.name); !r.empty())
        return fault("name", "the name " + r);
    if (auto r = checkNote(raw.note); !r.empty())
        return fault("note", "the note " + r);
    (void)plan_.setName(id, raw.name);
    (void)plan_.setNote(id, raw.note);
    if (raw.hasColour) {
        const auto c = textio::parseColourText(raw.colour);
        if (!c)
            return fault("colour", "\"" + raw.colour.substr(0, 20) + "\" is not a colour written #rrggbb");
        (void)plan_.setColour(id, *c);
    }
    if (raw.ipam)
        (void)plan_.setBlockIpam(id, *raw.ipam);
    const bool assigned = raw.assigned.value_or(false);
    if (raw.parts) {
        if (assigned)
            return fault("assigned", "a split block cannot be assigned: only its parts can");
        if (raw.hasHosts)
            return fault("hosts", "a split block has no hosts of its own");
        if (raw.subnet)
            return fault("subnet", "a split block has no layout of its own: only its parts have");
        if (auto r = plan_.split(id, static_cast<int>(*raw.parts)); !r.empty())
            return fault("parts", r);
        open_.push_back({id, k});
        return std::nullopt;
    }
    net::u128 hosts = 0;
    if (raw.hasHosts) {
        if (!assigned)
            return fault("hosts", "hosts are given for a block that is not assigned");
        const auto h = net::parseDecimal(raw.hosts);
        if (!h)
            return fault("hosts", "\"" + raw.hosts.substr(0, 45) + "\" is not a whole number from 0 to 2^128 - 1");
        hosts = *h;
    }
    if (raw.growth && !assigned)
        return fault("growth", "growth is given for a block that is not assigned");
    if (raw.vlan && !assigned)
        return fault("vlan", "a VLAN is given for a block that is not assigned");
    if (raw.reserved && !assigned)
        return fault("reserved", "a block that is not assigned cannot be reserved");
    if (auto r = plan_.setAssigned(id, assigned, hosts, raw.growth.value_or(0)); !r.empty())
        return fault("hosts", r);
    if (raw.vlan)
        (void)plan_.setVlan(id, *raw.vlan);
    if (raw.reserved)
        (void)plan_.setReserved(id, true);
    if (raw.subnet) {
        if (!assigned)
            return fault("subnet", "a block that is not assigned has no layout of its own");
        if (auto r = plan_.setSubnetLayout(id, *raw.subnet); !r.empty())
            return fault("subnet", r);
    }
    if (entryOf_.size() <= id)
        entryOf_.resize(id + std::size_t{1}, 0);
    entryOf_[id] = static_cast<std::uint32_t>(k);
    // Messages quote a leaf as written; nearly every one is written as it would be printed.
    std::uint32_t v4 = 0;
    int length = 0;
    if (!net::readV4Prefix(raw.prefix, v4, length) && raw.prefix != net::formatNetwork(p))
        oddTexts_[k] = raw.prefix;
    return std::nullopt;
}

std::string TreeBuilder::leafHolding(net::u128 a) const
{
    const net::Prefix& root = plan_.block(rootId_).prefix;
    if (a < root.address.value)
        return at(rootEntry_);
    const BlockId leaf = plan_.leafAt({std::min(a, root.last().value), root.address.family}, rootId_);
    if (leaf >= entryOf_.size())
        return at(rootEntry_);  // not reached: every leaf before the place is listed
    const std::size_t k = entryOf_[leaf];
    const auto odd = oddTexts_.find(k);
    return at(k) + " (" + (odd != oddTexts_.end() ? odd->second : net::formatNetwork(plan_.block(leaf).prefix)) + ")";
}

bool rootsKnown(const RawDocument& doc)
{
    return doc.hasVersion && (doc.version == 1 ? doc.root.has_value() : doc.hasRoots);
}

std::variant<Plan, textio::Problem> rootsOf(const RawDocument& doc)
{
    const std::vector<std::string> roots = doc.version == 1 ? std::vector<std::string>{*doc.root} : doc.roots;
    std::optional<Plan> plan;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        const std::string path = doc.version == 1 ? "$.root" : "$.roots[" + std::to_string(i) + "]";
        auto root = documentPrefix(roots[i]);
        if (auto* e = std::get_if<std::string>(&root))
            return documentFault(path, *e);
        if (!plan)
            plan.emplace(std::get<net::Prefix>(root));
        else if (auto r = plan->addRoot(std::get<net::Prefix>(root)); !r.empty())
            return documentFault(path, r);
    }
    if (!plan)
        return documentFault("$.roots", "\"roots\" is empty: a plan has at least one root");
    return std::move(*plan);
}

}  // namespace mq::plan::detail
