#pragma once
// An address plan: root blocks of either family (one of each for a dual-stack plan, or
// more), each split into a tree of blocks.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/address.h"
#include "plan/cloud.h"
#include "plan/outputs.h"
#include "plan/subnet.h"

namespace mq::plan {

using BlockId = std::uint32_t;
constexpr BlockId kNoBlock = 0xFFFFFFFFu;

// Limits that keep every operation quick and every document bounded.
constexpr int kMaxSplitParts = 65536;  // parts of one split
constexpr std::size_t kMaxBlocks = 4'000'000;  // live blocks of one plan
constexpr std::size_t kMaxNameBytes = 200;
constexpr std::size_t kMaxNoteBytes = 4000;
constexpr std::size_t kMaxRoots = 256;
constexpr int kMaxVlan = 4094;  // IEEE 802.1Q: 1..4094 name a VLAN

// What a leaf is given to. A block split into parts is a container whatever it was before.
enum class BlockState : std::uint8_t {
    Free,
    Assigned,  // to a segment
    Reserved,  // assigned, and kept back by the user rather than given to the segment
};

// "free", "assigned" or "reserved": the word every report, table and file uses for a state.
const char* stateName(BlockState s);

// The fields run from the widest to the narrowest, so that no padding lies between them:
// plans of millions of blocks hold one of these for each. hostsNeeded, growthPercent and
// vlan hold for assigned leaves only (Assigned or Reserved); a free leaf keeps them 0.
struct Block {
    net::Prefix prefix;  // always a network (host bits clear)
    net::u128 hostsNeeded = 0;  // what the segment asked for (0: not given)
    std::string name;
    std::string note;
    std::vector<BlockId> children;  // empty (leaf), or 2^k equal parts in address order
    double growthPercent = 0;  // the growth its segment asked for
    std::uint32_t colour = 0;  // 0xRRGGBB
    int vlan = 0;  // the segment's VLAN ID, 0 for none
    BlockId parent = kNoBlock;
    BlockState state = BlockState::Free;  // leaves only: a split block stays Free
};

// A segment to place: asked for by hosts (and growth) or by a fixed prefix length.
struct Segment {
    Segment() = default;
    Segment(std::string n, net::u128 h, double growth = 0, std::optional<int> fixed = {})
        : name(std::move(n)), hosts(h), growthPercent(growth), fixedLength(fixed)
    {
    }

    std::string name;
    net::u128 hosts = 0;
    double growthPercent = 0;  // hosts x (1 + growth/100), rounded up
    std::optional<int> fixedLength;  // a prefix length asked for instead of one from hosts:
                                     // the IPv4 one, or the only one in a plan of one family
    std::optional<int> fixedLength6;  // the IPv6 length; when absent an IPv6 block of a plan
                                      // of one family takes fixedLength
    int vlan = 0;  // 1..kMaxVlan, 0 for none
    bool operator==(const Segment&) const = default;
};

// The plan-wide rules of sizing.
struct Settings {
    bool links30 = false;  // 1 and 2 hosts take a /30 (the older practice) instead of /32 and /31
    bool nibble = false;  // IPv6 blocks other than /64 are widened to a multiple of 4 bits
    CloudMode cloud = CloudMode::None;  // IPv4 blocks follow a public cloud's address rules
    // IPv6: each segment's /64 takes its subnet ID from its VLAN ID written as digits
    // (VLAN 120 in 2001:db8:40::/48 is 2001:db8:40:120::/64).
    bool vlanNumbering = false;
    LayoutRules layout{};  // gateways, kept addresses and DHCP ranges (plan/subnet.h)
    bool operator==(const Settings&) const = default;
};

// Values an IPAM asks of every prefix handed to it, kept with the plan so that an export
// need not ask again: NetBox's tenant, role, VRF and tags; phpIPAM's section, VLAN domain
// and customer (its VRF is the same as NetBox's). A VLAN ID alone is ambiguous in NetBox
// when two VLAN groups hold it: its import narrows the VLAN by vlan_group and vlan_site.
struct IpamValues {
    std::string tenant, role, vrf;
    std::vector<std::string> tags;
    std::string section, domain, customer;
    std::string vlanGroup{}, site{};  // initialised: the seven values before them make a whole item
    bool empty() const { return *this == IpamValues{}; }
    bool operator==(const IpamValues&) const = default;
};

// What an IPAM said of one of its prefixes where it differs from the plan-wide values:
// kept with the block it became, so that an export writes it back. status is the IPAM's
// own where the block's state does not tell it ("deprecated"), or "container" for a
// container read from a file (kept on export even without a name).
struct BlockIpam {
    std::string tenant, role, vrf, status;
    bool pool = false;  // NetBox's is_pool
    bool empty() const { return *this == BlockIpam{}; }
    bool operator==(const BlockIpam&) const = default;
};
// Empty when the status may be a block's IPAM status: "", container, active, reserved or
// deprecated (NetBox's PrefixStatusChoices).
std::string checkIpamStatus(std::string_view status);
// NetBox looks tags up by slug (Django's validate_slug: letters, digits, '-' and '_'):
// empty when the tag is one, else the reason, naming the slug Django's slugify makes of it.
std::string checkSlug(std::string_view tag);

// Empty when the text may be a block's name (valid UTF-8, no control characters, at most
// kMaxNameBytes bytes), else the reason.
std::string checkName(std::string_view name);
// The same for a note: line breaks and tabs are allowed, kMaxNoteBytes bytes at most.
std::string checkNote(std::string_view note);

class Plan;

// What a run of edits changed, block by block: enough to take the edits back and to make
// them again, whatever they were. A Plan fills it between startJournal and stopJournal.
// Each entry holds the other state of its block: undo and redo swap it with the plan's, so
// neither copies a block (they must alternate, as a history's undo and redo do).
class Journal {
public:
    bool empty() const { return entries_.empty(); }

private:
    friend class Plan;
    struct Entry {
        BlockId id;
        bool alive;
        Block block;
    };
    std::vector<Entry> entries_;
    std::vector<std::uint8_t> seen_;  // by id, for the blocks that existed at the start
    // The blocks' IPAM values as they were (nullopt: none), once per block edited.
    std::vector<std::pair<BlockId, std::optional<BlockIpam>>> ipam_;
    std::vector<std::uint8_t> ipamSeen_;  // by id
    // The blocks' subnet layouts as they were (nullopt: none), once per block edited.
    std::vector<std::pair<BlockId, std::optional<SubnetLayout>>> layouts_;
    std::vector<std::uint8_t> layoutSeen_;  // by id
};

class Plan {
public:
    explicit Plan(net::Prefix root);  // root's host bits are cleared

    // One more root, overlapping none of the others; on success *id (when given) names it.
    std::string addRoot(net::Prefix root, BlockId* id = nullptr);
    const std::vector<BlockId>& roots() const { return roots_; }
    BlockId root() const { return roots_.front(); }  // the first root
    void reserve(std::size_t blocks);  // room for this many blocks in all
    BlockId rootOf(net::Family f) const;  // the first root of a family, or kNoBlock
    bool isDualStack() const;  // roots of both families

    const Settings& settings() const { return settings_; }
    // Refused, changing nothing, when the layout rules are not sound (checkLayoutRules).
    std::string setSettings(const Settings& s);
    // The segment list last allocated, kept with the plan so that it can be edited again.
    const std::vector<Segment>& segments() const { return segments_; }
    void setSegments(std::vector<Segment> s) { segments_ = std::move(s); }
    void swapSegments(std::vector<Segment>& s) { segments_.swap(s); }  // for undo and redo: no copy
    const IpamValues& ipamValues() const { return ipam_; }
    void setIpamValues(IpamValues v) { ipam_ = std::move(v); }

    const Block& block(BlockId id) const;
    bool exists(BlockId id) const;
    std::size_t blockCount() const;  // live blocks
    std::vector<BlockId> leaves() const;  // every root's, root by root, address order
    std::vector<BlockId> freeLeaves() const;  // the same, free ones only
    // Every live block under id (id included), parents before children, in address order.
    std::vector<BlockId> preorder(BlockId id) const;
    // The leaf under `from` that holds the address, kNoBlock when the address lies outside.
    // Steps down one level at a time by arithmetic: O(depth), not O(blocks).
    BlockId leafAt(const net::Address& a, BlockId from) const;
    BlockId leafAt(const net::Address& a) const;  // under whichever root holds it
    // The block that is exactly this prefix (its host bits aside), under whichever root
    // holds it; kNoBlock when the tree has no such block. O(depth).
    BlockId blockOf(const net::Prefix& p) const;

    // Each returns an empty string on success, else the reason nothing changed.
    std::string split(BlockId id, int parts);  // parts = 2^k, k >= 1, leaf that is free
    std::string join(BlockId parent);  // all children free leaves
    std::string setName(BlockId id, std::string name);
    std::string setNote(BlockId id, std::string note);
    std::string setColour(BlockId id, std::uint32_t rgb);
    std::string setAssigned(BlockId id, bool assigned, net::u128 hostsNeeded = 0, double growthPercent = 0);
    std::string setVlan(BlockId id, int vlan);  // 0 clears it; assigned leaves only
    std::string setReserved(BlockId id, bool reserved);  // assigned leaves only; freeing clears it
    // A block's IPAM values (nullptr when it has none); empty values take them away. Kept
    // in a side table: a plan without them pays nothing per block.
    const BlockIpam* blockIpam(BlockId id) const;
    std::string setBlockIpam(BlockId id, BlockIpam values);
    bool hasBlockIpam() const { return !blockIpam_.empty(); }

    // What an assigned leaf sets for its own layout (nullptr: it follows the rules); an
    // empty layout takes it away. Kept in a side table and recorded in the journal like
    // the IPAM values; freeing the leaf takes it away.
    const SubnetLayout* subnetLayout(BlockId id) const;
    std::string setSubnetLayout(BlockId id, SubnetLayout layout);
    bool hasSubnetLayouts() const { return !layouts_.empty(); }

    // The plan's hosts, in the order they were added. Not recorded in the journal: the
    // host commands keep what they replace. Each edit checks the host's own fields
    // (name, note, an address at all); how hosts fit their blocks is checkSubnets'.
    const std::vector<Host>& hosts() const { return hosts_; }
    std::string insertHost(std::size_t at, Host host);
    std::string setHost(std::size_t i, Host host);
    void eraseHost(std::size_t i);
    void swapHosts(std::vector<Host>& hosts);  // for bulk edits and their undo: no copy
    // Changes whenever a host is inserted, replaced, erased or swapped.
    std::uint64_t hostSerial() const { return hostSerial_; }
    // For views that update only the hosts edited: hostEdits() lists, in order and with
    // repeats, the hosts replaced or appended at the end since hostListSerial() last
    // changed. An insert elsewhere, an erase or a swap moves indices: it changes the serial
    // and starts the list afresh, as a list grown past kMaxChanges does.
    std::uint64_t hostListSerial() const { return hostListSerial_; }
    const std::vector<std::size_t>& hostEdits() const { return hostEdits_; }

    // A block split into 2^k parts (k >= 2) becomes two halves, each split into 2^(k-1) of
    // the same parts (their ids kept): the same address space, one level deeper.
    std::string regroup(BlockId id);
    // Makes p one block of the tree and returns it in *out: on the way down from `within`
    // (kNoBlock: the root that holds p) a free leaf is halved, and a split into parts that
    // p spans several of is regrouped; the halves that regrouping makes are added to
    // *regrouped when given. What the block of p already holds stays.
    std::string carve(const net::Prefix& p, BlockId* out, BlockId within = kNoBlock,
                      std::vector<BlockId>* regrouped = nullptr);
    // Every block under id is a free leaf: they go and id becomes a free leaf (a join of
    // whole subtrees). Refused, changing nothing, when anything under id is assigned.
    std::string collapse(BlockId id);

    // Journal: every block edit between start and stop is recorded; undo() puts the blocks
    // back as they were at start, redo() as they were at stop, each only right after the
    // other (or after stop, for undo). Settings and roots are not recorded. One journal at
    // a time.
    void startJournal(Journal& j);
    void stopJournal();
    void undo(Journal& j);
    void redo(Journal& j);

    // For undo and redo: splits again into the ids that an undone split handed out (they
    // must be blocks that a join removed), so that later commands naming them still hold.
    std::string splitInto(BlockId id, const std::vector<BlockId>& childIds);

    // Usable hosts of a block and spare = usable - hostsNeeded (assigned leaves).
    static net::Count usableHosts(const net::Prefix& p);
    net::Count spareHosts(BlockId id) const;  // by the plan's cloud mode

    // What the DHCP and DNS configuration is written with (plan/outputs.h). Not recorded
    // in the journal: the commands that set them keep what they replace.
    const OutputSettings& outputSettings() const { return outputs_; }
    void setOutputSettings(OutputSettings s) { outputs_ = std::move(s); }
    const DhcpIds& dhcpIds() const { return dhcpIds_; }
    void setDhcpIds(DhcpIds ids) { dhcpIds_ = std::move(ids); }
    const ZoneSerials& zoneSerials() const { return zoneSerials_; }
    void setZoneSerials(ZoneSerials z) { zoneSerials_ = std::move(z); }

    // Same roots, trees, names, notes, colours, states, settings, segment list, IPAM values
    // (the plan's and its blocks'), subnet layouts, hosts, output
    // settings, DHCP IDs and zone serials.
    bool operator==(const Plan& other) const;

    // Blocks edited (by any edit, undo or redo) for views that update only what changed:
    // changes() lists their ids in the order edited, repeats allowed, under changeSerial().
    // A new serial (a new, copied or assigned plan, or a list grown past kMaxChanges and
    // started afresh) means anything may have changed.
    static constexpr std::size_t kMaxChanges = 1 << 16;
    std::uint64_t changeSerial() const { return changes_.serial; }
    const std::vector<BlockId>& changes() const { return changes_.ids; }

private:
    std::string checkSplit(BlockId id, int parts) const;
    std::string makeChildren(BlockId id, int parts, const std::vector<BlockId>* reuse);
    std::string checkLive(BlockId id) const;
    BlockId rootHolding(const net::Prefix& p) const;  // kNoBlock when none does
    BlockId partHolding(BlockId split, const net::Address& a) const;  // a lies inside split
    Block& edit(BlockId id);  // a block about to change, recorded in the journal
    BlockId append(Block b);  // a new live block, recorded in the journal
    void kill(BlockId id);  // a live block gone, recorded in the journal
    void swapWith(Journal& j);
    void changed(BlockId id);
    void recordLayout(BlockId id);  // the block's layout as it is, into the journal

    std::vector<Block> blocks_;
    std::vector<std::uint8_t> alive_;
    std::size_t live_ = 0;
    std::vector<BlockId> roots_;
    Settings settings_;
    std::vector<Segment> segments_;
    IpamValues ipam_;
    std::map<BlockId, BlockIpam> blockIpam_;
    std::map<BlockId, SubnetLayout> layouts_;
    std::vector<Host> hosts_;
    OutputSettings outputs_;
    DhcpIds dhcpIds_;
    ZoneSerials zoneSerials_;
    std::uint64_t hostSerial_ = 0;
    std::uint64_t hostListSerial_ = 0;
    std::vector<std::size_t> hostEdits_;
    void hostEdited(std::size_t i);  // i replaced or appended
    void hostsMoved();  // indices moved: the edit list starts afresh
    // Not copied with the plan: a copy records into no journal.
    struct JournalRef {
        Journal* to = nullptr;
        JournalRef() = default;
        JournalRef(const JournalRef&) { }
        JournalRef& operator=(const JournalRef&) { return *this; }
    } journal_;
    struct ChangeLog {
        std::uint64_t serial = next();
        std::vector<BlockId> ids;
        ChangeLog() = default;
        ChangeLog(const ChangeLog&) { }
        ChangeLog& operator=(const ChangeLog&)
        {
            serial = next();
            ids.clear();
            return *this;
        }
        static std::uint64_t next();
    } changes_;
};

}  // namespace mq::plan
