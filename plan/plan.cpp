#include "plan/plan.h"
#include "plan/fields.h"

#include <utility>

#include "net/facts.h"

namespace mq::plan {

namespace {

bool powerOfTwo(int n)
{
    return n >= 2 && (n & (n - 1)) == 0;
}

int log2Of(int n)
{
    int k = 0;
    while ((1 << k) < n)
        ++k;
    return k;
}

}  // namespace

const char* stateName(BlockState s)
{
    switch (s) {
    case BlockState::Assigned: return "assigned";
    case BlockState::Reserved: return "reserved";
    case BlockState::Free: break;
    }
    return "free";
}

Plan::Plan(net::Prefix root)
{
    Block b;
    b.prefix = root.masked();
    blocks_.push_back(std::move(b));
    alive_.push_back(1);
    live_ = 1;
    roots_.push_back(0);
}

std::string Plan::addRoot(net::Prefix root, BlockId* id)
{
    root = root.masked();
    if (roots_.size() >= kMaxRoots)
        return "a plan holds at most " + std::to_string(kMaxRoots) + " roots";
    if (live_ + 1 > kMaxBlocks)
        return "the plan would hold more than " + std::to_string(kMaxBlocks) + " blocks";
    for (BlockId r : roots_) {
        const net::Prefix& other = blocks_[r].prefix;
        if (other.address.family == root.address.family && (other.contains(root) || root.contains(other)))
            return net::formatNetwork(root) + " overlaps the root " + net::formatNetwork(other);
    }
    Block b;
    b.prefix = root;
    const BlockId added = append(std::move(b));
    roots_.push_back(added);
    if (id)
        *id = added;
    return {};
}

void Plan::reserve(std::size_t blocks)
{
    blocks_.reserve(blocks);
    alive_.reserve(blocks);
}

BlockId Plan::rootOf(net::Family f) const
{
    for (BlockId r : roots_)
        if (blocks_[r].prefix.address.family == f)
            return r;
    return kNoBlock;
}

bool Plan::isDualStack() const
{
    return rootOf(net::Family::V4) != kNoBlock && rootOf(net::Family::V6) != kNoBlock;
}

const Block& Plan::block(BlockId id) const
{
    return blocks_.at(id);
}
bool Plan::exists(BlockId id) const
{
    return id < alive_.size() && alive_[id];
}
std::size_t Plan::blockCount() const
{
    return live_;
}

std::vector<BlockId> Plan::preorder(BlockId id) const
{
    std::vector<BlockId> out;
    if (!exists(id))
        return out;
    std::vector<BlockId> stack{id};
    while (!stack.empty()) {
        BlockId b = stack.back();
        stack.pop_back();
        out.push_back(b);
        const auto& kids = blocks_[b].children;
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            stack.push_back(*it);
    }
    return out;
}

std::vector<BlockId> Plan::leaves() const
{
    std::vector<BlockId> out;
    for (BlockId r : roots_)
        for (BlockId b : preorder(r))
            if (blocks_[b].children.empty())
                out.push_back(b);
    return out;
}

std::vector<BlockId> Plan::freeLeaves() const
{
    std::vector<BlockId> out;
    for (BlockId b : leaves())
        if (blocks_[b].state == BlockState::Free)
            out.push_back(b);
    return out;
}

BlockId Plan::rootHolding(const net::Prefix& p) const
{
    for (BlockId r : roots_)
        if (blocks_[r].prefix.contains(p))
            return r;
    return kNoBlock;
}

BlockId Plan::partHolding(BlockId split, const net::Address& a) const
{
    // Parts are equal and in address order: the part is found by its number.
    const Block& b = blocks_[split];
    const int shift = b.prefix.address.bits() - blocks_[b.children[0]].prefix.length;
    return b.children[static_cast<std::size_t>((a.value - b.prefix.address.value) >> shift)];
}

BlockId Plan::leafAt(const net::Address& a, BlockId from) const
{
    if (!exists(from) || !blocks_[from].prefix.contains(a))
        return kNoBlock;
    BlockId cur = from;
    while (!blocks_[cur].children.empty())
        cur = partHolding(cur, a);
    return cur;
}

BlockId Plan::leafAt(const net::Address& a) const
{
    for (BlockId r : roots_)
        if (BlockId l = leafAt(a, r); l != kNoBlock)
            return l;
    return kNoBlock;
}

BlockId Plan::blockOf(const net::Prefix& p) const
{
    const net::Prefix want = p.masked();
    BlockId id = rootHolding(want);
    while (id != kNoBlock && blocks_[id].prefix.length < want.length && !blocks_[id].children.empty() &&
           blocks_[blocks_[id].children[0]].prefix.length <= want.length)
        id = partHolding(id, want.address);
    return id != kNoBlock && blocks_[id].prefix == want ? id : kNoBlock;
}

std::string Plan::checkLive(BlockId id) const
{
    return exists(id) ? std::string{} : "block " + std::to_string(id) + " does not exist";
}

// --- Tree -------------------------------------------------------------------------------

std::string Plan::checkSplit(BlockId id, int parts) const
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    const Block& b = blocks_[id];
    auto name = [&] { return net::formatNetwork(b.prefix); };
    if (!b.children.empty())
        return name() + " is already split";
    if (b.state != BlockState::Free)
        return name() + " is assigned: free it before splitting it";
    if (!powerOfTwo(parts))
        return "a block splits into 2, 4, 8 ... parts, not " + std::to_string(parts);
    if (parts > kMaxSplitParts)
        return "a block splits into at most " + std::to_string(kMaxSplitParts) + " parts at a time";
    const int length = b.prefix.length + log2Of(parts);
    if (length > b.prefix.address.bits())
        return name() + " cannot be split into " + std::to_string(parts) + ": the parts would be /" +
               std::to_string(length) + ", longer than /" + std::to_string(b.prefix.address.bits());
    if (live_ + static_cast<std::size_t>(parts) > kMaxBlocks)
        return "the plan would hold more than " + std::to_string(kMaxBlocks) + " blocks";
    return {};
}

std::string Plan::makeChildren(BlockId id, int parts, const std::vector<BlockId>* reuse)
{
    if (auto r = checkSplit(id, parts); !r.empty())
        return r;
    if (reuse) {
        for (BlockId c : *reuse)
            if (c >= blocks_.size() || alive_[c] || c == id)
                return "block " + std::to_string(c) + " is in use";
    }
    const net::Prefix parent = blocks_[id].prefix;
    const int length = parent.length + log2Of(parts);
    const int shift = parent.address.bits() - length;
    std::vector<BlockId> ids;
    ids.reserve(static_cast<std::size_t>(parts));
    for (int i = 0; i < parts; ++i) {
        Block c;
        c.prefix = {{parent.address.value + (static_cast<net::u128>(i) << shift), parent.address.family}, length};
        c.parent = id;
        if (reuse) {
            const BlockId cid = (*reuse)[static_cast<std::size_t>(i)];
            edit(cid) = std::move(c);
            alive_[cid] = 1;
            ++live_;
            ids.push_back(cid);
        } else {
            ids.push_back(append(std::move(c)));
        }
    }
    edit(id).children = std::move(ids);
    return {};
}

std::string Plan::split(BlockId id, int parts)
{
    return makeChildren(id, parts, nullptr);
}

std::string Plan::splitInto(BlockId id, const std::vector<BlockId>& childIds)
{
    if (childIds.size() > static_cast<std::size_t>(kMaxSplitParts))
        return "too many parts";
    return makeChildren(id, static_cast<int>(childIds.size()), &childIds);
}

std::string Plan::join(BlockId parent)
{
    if (auto r = checkLive(parent); !r.empty())
        return r;
    const Block& p = blocks_[parent];
    if (p.children.empty())
        return net::formatNetwork(p.prefix) + " is not split";
    for (BlockId c : p.children) {
        const Block& b = blocks_[c];
        if (!b.children.empty())
            return net::formatNetwork(b.prefix) + " is split: join its parts first";
        if (b.state != BlockState::Free)
            return net::formatNetwork(b.prefix) + " is assigned: free it first";
    }
    const std::vector<BlockId> kids = std::move(edit(parent).children);
    edit(parent).children.clear();
    for (BlockId c : kids)
        kill(c);
    return {};
}

std::string Plan::regroup(BlockId id)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    const Block& b = blocks_[id];
    if (b.children.size() < 4)
        return net::formatNetwork(b.prefix) + " is not split into 4 or more parts";
    if (live_ + 2 > kMaxBlocks)
        return "the plan would hold more than " + std::to_string(kMaxBlocks) + " blocks";
    const std::vector<BlockId> kids = b.children;
    const std::size_t half = kids.size() / 2;
    const net::Prefix whole = b.prefix;
    const int shift = whole.address.bits() - whole.length - 1;
    std::vector<BlockId> halves;
    for (std::size_t h = 0; h < 2; ++h) {
        Block mid;
        mid.prefix = {{whole.address.value + (static_cast<net::u128>(h) << shift), whole.address.family},
                      whole.length + 1};
        mid.parent = id;
        mid.children.assign(kids.begin() + static_cast<std::ptrdiff_t>(h * half),
                            kids.begin() + static_cast<std::ptrdiff_t>((h + 1) * half));
        const BlockId m = append(std::move(mid));
        for (BlockId c : blocks_[m].children)
            edit(c).parent = m;
        halves.push_back(m);
    }
    edit(id).children = std::move(halves);
    return {};
}

std::string Plan::carve(const net::Prefix& p, BlockId* out, BlockId within, std::vector<BlockId>* regrouped)
{
    BlockId id = within;
    if (within == kNoBlock) {
        id = rootHolding(p);
        if (id == kNoBlock)
            return net::formatNetwork(p) + " lies outside every root";
    } else if (auto r = checkLive(within); !r.empty()) {
        return r;
    } else if (!blocks_[within].prefix.contains(p)) {
        return net::formatNetwork(p) + " lies outside " + net::formatNetwork(blocks_[within].prefix);
    }
    while (blocks_[id].prefix.length != p.length) {
        const Block& b = blocks_[id];
        if (b.children.empty()) {
            if (auto r = split(id, 2); !r.empty())
                return r;
        } else if (blocks_[b.children[0]].prefix.length > p.length) {  // p spans several parts
            if (auto r = regroup(id); !r.empty())
                return r;
            if (regrouped)
                regrouped->insert(regrouped->end(), blocks_[id].children.begin(), blocks_[id].children.end());
        } else {
            id = partHolding(id, p.address);
        }
    }
    *out = id;
    return {};
}

std::string Plan::collapse(BlockId id)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    const auto under = preorder(id);
    for (BlockId b : under)
        if (blocks_[b].state != BlockState::Free)
            return net::formatNetwork(blocks_[b].prefix) + " is assigned: free it first";
    if (blocks_[id].children.empty())
        return {};
    edit(id).children.clear();
    for (std::size_t i = 1; i < under.size(); ++i)
        kill(under[i]);
    return {};
}

// --- Fields -----------------------------------------------------------------------------

std::string Plan::setName(BlockId id, std::string name)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    if (auto r = checkName(name); !r.empty())
        return "the name " + r;
    edit(id).name = std::move(name);
    return {};
}

std::string Plan::setNote(BlockId id, std::string note)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    if (auto r = checkNote(note); !r.empty())
        return "the note " + r;
    edit(id).note = std::move(note);
    return {};
}

std::string Plan::setColour(BlockId id, std::uint32_t rgb)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    if (rgb > 0xFFFFFFu)
        return "a colour is 0xRRGGBB, at most 0xFFFFFF";
    edit(id).colour = rgb;
    return {};
}

std::string Plan::setAssigned(BlockId id, bool assigned, net::u128 hostsNeeded, double growthPercent)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    const Block& b = blocks_[id];
    if (!b.children.empty())
        return net::formatNetwork(b.prefix) + " is split: only its parts can be assigned";
    if (!assigned && (hostsNeeded || growthPercent != 0))
        return "a free block needs no hosts";
    if (!(growthPercent >= 0 && growthPercent <= 1'000'000))
        return "growth must be from 0 to 1000000 %";
    const net::Count usable = usableHosts(b.prefix);
    if (!usable.twoTo128 && hostsNeeded > usable.low)
        return net::formatNetwork(b.prefix) + " holds " + net::toDecimal(usable) + " hosts, not " +
               net::toDecimal(hostsNeeded);
    Block& e = edit(id);
    e.hostsNeeded = hostsNeeded;
    e.growthPercent = growthPercent;
    if (!assigned) {
        e.state = BlockState::Free;
        e.vlan = 0;
        if (layouts_.count(id)) {
            recordLayout(id);
            layouts_.erase(id);
        }
    } else if (e.state == BlockState::Free) {
        e.state = BlockState::Assigned;  // a reserved leaf stays reserved
    }
    return {};
}

std::string Plan::setReserved(BlockId id, bool reserved)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    if (reserved && blocks_[id].state == BlockState::Free)
        return net::formatNetwork(blocks_[id].prefix) + " is free: only an assigned block is reserved";
    Block& e = edit(id);
    if (e.state != BlockState::Free)
        e.state = reserved ? BlockState::Reserved : BlockState::Assigned;
    return {};
}

std::string Plan::setSettings(const Settings& s)
{
    if (auto r = checkLayoutRules(s.layout); !r.empty())
        return r;
    settings_ = s;
    return {};
}

std::string Plan::setVlan(BlockId id, int vlan)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    if (auto r = checkVlan(vlan); !r.empty())
        return r;
    if (vlan && blocks_[id].state == BlockState::Free)
        return net::formatNetwork(blocks_[id].prefix) + " is free: only an assigned block has a VLAN";
    edit(id).vlan = vlan;
    return {};
}

const BlockIpam* Plan::blockIpam(BlockId id) const
{
    const auto it = blockIpam_.find(id);
    return it == blockIpam_.end() ? nullptr : &it->second;
}

std::string Plan::setBlockIpam(BlockId id, BlockIpam values)
{
    if (auto r = checkLive(id); !r.empty())
        return r;
    for (const std::string* text : {&values.tenant, &values.role, &values.vrf})
        if (auto r = checkName(*text); !r.empty())
            return "the IPAM value " + r;
    if (auto r = checkIpamStatus(values.status); !r.empty())
        return "the IPAM status " + r;
    const auto it = blockIpam_.find(id);
    if (it == blockIpam_.end() && values.empty())
        return {};
    changed(id);
    if (Journal* j = journal_.to) {
        if (j->ipamSeen_.size() <= id)
            j->ipamSeen_.resize(blocks_.size(), 0);
        if (!j->ipamSeen_[id]) {
            j->ipamSeen_[id] = 1;
            j->ipam_.emplace_back(id, it == blockIpam_.end() ? std::nullopt : std::optional<BlockIpam>(it->second));
        }
    }
    if (values.empty())
        blockIpam_.erase(it);
    else
        blockIpam_[id] = std::move(values);
    return {};
}

net::Count Plan::usableHosts(const net::Prefix& p)
{
    // The engine decides which addresses are usable (RFC 3021, Subnet-Router anycast).
    return net::hostsOf(p).usable;
}

net::Count Plan::spareHosts(BlockId id) const
{
    const Block& b = block(id);
    net::Count c = cloudUsableHosts(settings_.cloud, b.prefix);
    if (b.state != BlockState::Free)
        c.low -= b.hostsNeeded;
    return c;
}

bool Plan::operator==(const Plan& other) const
{
    if (roots_.size() != other.roots_.size() || settings_ != other.settings_ || segments_ != other.segments_ ||
        ipam_ != other.ipam_ || hosts_ != other.hosts_ || outputs_ != other.outputs_ || dhcpIds_ != other.dhcpIds_ ||
        zoneSerials_ != other.zoneSerials_)
        return false;
    std::vector<std::pair<BlockId, BlockId>> stack;
    for (std::size_t i = 0; i < roots_.size(); ++i)
        stack.emplace_back(roots_[i], other.roots_[i]);
    while (!stack.empty()) {
        auto [a, b] = stack.back();
        stack.pop_back();
        const Block& x = blocks_[a];
        const Block& y = other.blocks_[b];
        if (x.prefix != y.prefix || x.name != y.name || x.note != y.note || x.colour != y.colour ||
            x.state != y.state || x.hostsNeeded != y.hostsNeeded || x.growthPercent != y.growthPercent ||
            x.vlan != y.vlan || x.children.size() != y.children.size())
            return false;
        if (hasBlockIpam() || other.hasBlockIpam()) {
            const BlockIpam* p = blockIpam(a);
            const BlockIpam* q = other.blockIpam(b);
            if (!(p && q ? *p == *q : p == q))
                return false;
        }
        if (hasSubnetLayouts() || other.hasSubnetLayouts()) {
            const SubnetLayout* p = subnetLayout(a);
            const SubnetLayout* q = other.subnetLayout(b);
            if (!(p && q ? *p == *q : p == q))
                return false;
        }
        for (std::size_t i = 0; i < x.children.size(); ++i)
            stack.emplace_back(x.children[i], y.children[i]);
    }
    return true;
}

}  // namespace mq::plan
