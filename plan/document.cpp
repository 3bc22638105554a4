// The .mqplan document, version 2. A UTF-8 JSON object (RFC 8259) with exactly these keys:
//
//   "format":   "maskquill-plan"
//   "version":  2 (version 1 documents are read too; see below)
//   "roots":    the root blocks, each "network/len" ("10.40.0.0/16", "2001:db8:40::/48"),
//               overlapping none of the others: one of each family for a dual-stack plan
//   "settings": {"links_30": true|false, "nibble": true|false, "cloud": "aws"} (optional;
//               default false; "cloud" is one of none, aws, azure, gcp, oci, default none)
//   "ipam":     values handed to an IPAM with every prefix (optional, each optional, default
//               ""): {"tenant", "role", "vrf": strings, "tags": [strings], "section",
//               "domain", "customer", "vlan_group", "site": strings}, each at most 200
//               bytes, no control characters
//   "segments": the segment list last allocated (optional), each an object with
//       "name"      as a block's name (required)
//       "hosts"     a decimal string (required; "0" when only lengths are asked)
//       "growth"    percent as a decimal string, "12.5" (default "0")
//       "length"    a fixed prefix length: IPv4, or the only family's (optional)
//       "length6"   the fixed IPv6 length (optional)
//       "vlan"      1 to 4094 (optional)
//   "blocks":   every block of every root's tree, root by root in the order of "roots", each
//               root before its parts and parts in address order (a depth-first walk, so the
//               leaves come in address order). Each block is an object with the keys
//       "prefix"    "network/len", host bits clear (required)
//       "name"      string, at most 200 bytes, no control characters (default "")
//       "note"      string, at most 4000 bytes, line breaks and tabs allowed (default "")
//       "colour"    "#rrggbb" (default "#000000")
//       "parts"     2, 4, 8 ... 65536: the block is split into that many equal parts, which
//                   are the blocks that follow (absent: the block is a leaf)
//       "assigned"  true or false (leaves only; default false)
//       "hosts"     the hosts its segment asked for, a decimal string because counts go up
//                   to 2^128 (assigned leaves only; default "0": not given)
//       "growth"    the growth its segment asked for, as in a segment (assigned leaves only)
//       "vlan"      its segment's VLAN ID, 1 to 4094 (assigned leaves only)
//       "reserved"  true: kept back by the user (assigned leaves only; default false)
//       "ipam"      what an IPAM said of this prefix (optional): {"tenant", "role", "vrf":
//                   strings as in "ipam" above, "status": container, active, reserved or
//                   deprecated, "pool": true}, each optional
//
// Version 1 has "root" (one prefix) instead of "roots", and none of "settings", "segments",
// "growth" and "vlan"; it is read as a plan of that one root.
//
// A leading UTF-8 byte order mark is skipped. Keys may come in any order; unknown and
// duplicate keys are refused, so a typing error is never silently dropped. Reading checks
// every block against the place the tree leaves for it, and names overlaps, gaps,
// misaligned or foreign prefixes by their JSON path. This program writes keys in the order
// above (optional ones only when they differ from the default), one block or segment a
// line, LF line ends and a final line end, so one plan always gives the same bytes.
#include "plan/document.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <unordered_map>

#include "net/address_scan.h"
#include "net/parse.h"
#include "plan/json.h"

namespace mq::plan {

namespace {

struct RawBlock {
    std::string prefix, name, note, colour, hosts;
    std::optional<std::uint64_t> parts;
    std::optional<bool> assigned;
    bool hasPrefix = false, hasColour = false, hasHosts = false;
    std::optional<double> growth;
    std::optional<int> vlan;
    bool reserved = false;
    std::unique_ptr<BlockIpam> ipam;  // rare: what an IPAM said of this prefix
};

struct RawDocument {
    std::uint64_t version = 0;
    std::optional<std::string> root;  // version 1
    std::vector<std::string> roots;  // version 2
    std::string firstV2Key;  // the path of the first key version 1 lacks
    bool hasFormat = false, hasVersion = false, hasRoots = false;
    Settings settings;
    IpamValues ipam;
    std::vector<Segment> segments;
    std::vector<RawBlock> blocks;  // only when the roots were not known before "blocks"
    std::size_t blockCount = 0;  // blocks read
};

// Where the blocks go as they are read: a document whose roots come before its blocks (as
// this program writes them) is placed block by block, and no list of every block is held
// beside the plan. start() says at "blocks" whether take() will be called.
struct BlockStream {
    std::function<bool(const RawDocument&)> start;
    std::function<void(std::size_t k, const RawBlock&)> take;
};

void noteV2(RawDocument& doc, const json::Reader& in)
{
    if (doc.firstV2Key.empty())
        doc.firstV2Key = in.path();
}

// "12.5": a plain decimal percentage from 0 to 1000000, read back to the same double.
bool readGrowth(json::Reader& in, double& out)
{
    std::string text;
    if (!in.readString(text))
        return false;
    const bool plain = !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos &&
                       text.front() != '.' && text.back() != '.' && std::count(text.begin(), text.end(), '.') <= 1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (!plain || ec != std::errc{} || end != text.data() + text.size() || out > 1'000'000) {
        in.fail("\"" + text.substr(0, 20) + "\" is not a percentage from 0 to 1000000 written as a decimal");
        return false;
    }
    return true;
}

bool readVlan(json::Reader& in, int& out)
{
    std::uint64_t v = 0;
    if (!in.readUnsigned(1'000'000, v))
        return false;
    if (v < 1 || v > static_cast<std::uint64_t>(kMaxVlan)) {
        in.fail("VLAN " + std::to_string(v) + " is not from 1 to " + std::to_string(kMaxVlan));
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

bool readLength(json::Reader& in, std::optional<int>& out)
{
    std::uint64_t v = 0;
    if (!in.readUnsigned(128, v))
        return false;
    out = static_cast<int>(v);
    return true;
}

// Marks a key as seen; false (and the reader failed) when it was seen before.
bool firstTime(json::Reader& in, unsigned& seen, unsigned bit, const std::string& key)
{
    if (seen & bit) {
        in.fail("duplicate key \"" + key + "\"");
        return false;
    }
    seen |= bit;
    return true;
}

void readBlockIpam(json::Reader& in, BlockIpam& v);

void readBlock(json::Reader& in, RawDocument& doc, RawBlock& b)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "prefix" && firstTime(in, seen, 1, key)) {
            b.hasPrefix = in.readString(b.prefix);
        } else if (key == "name" && firstTime(in, seen, 2, key)) {
            in.readString(b.name);
        } else if (key == "note" && firstTime(in, seen, 4, key)) {
            in.readString(b.note);
        } else if (key == "colour" && firstTime(in, seen, 8, key)) {
            b.hasColour = in.readString(b.colour);
        } else if (key == "parts" && firstTime(in, seen, 16, key)) {
            std::uint64_t v = 0;
            if (in.readUnsigned(kMaxSplitParts, v))
                b.parts = v;
        } else if (key == "assigned" && firstTime(in, seen, 32, key)) {
            bool v = false;
            if (in.readBool(v))
                b.assigned = v;
        } else if (key == "hosts" && firstTime(in, seen, 64, key)) {
            b.hasHosts = in.readString(b.hosts);
        } else if (key == "growth" && firstTime(in, seen, 128, key)) {
            noteV2(doc, in);
            double g = 0;
            if (readGrowth(in, g))
                b.growth = g;
        } else if (key == "vlan" && firstTime(in, seen, 256, key)) {
            noteV2(doc, in);
            int v = 0;
            if (readVlan(in, v))
                b.vlan = v;
        } else if (key == "reserved" && firstTime(in, seen, 512, key)) {
            noteV2(doc, in);
            in.readBool(b.reserved);
        } else if (key == "ipam" && firstTime(in, seen, 1024, key)) {
            noteV2(doc, in);
            b.ipam = std::make_unique<BlockIpam>();
            readBlockIpam(in, *b.ipam);
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (!in.failed() && !b.hasPrefix)
        in.fail("the block has no \"prefix\"");
}

void readSettings(json::Reader& in, Settings& s)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "links_30" && firstTime(in, seen, 1, key)) {
            in.readBool(s.links30);
        } else if (key == "nibble" && firstTime(in, seen, 2, key)) {
            in.readBool(s.nibble);
        } else if (key == "cloud" && firstTime(in, seen, 4, key)) {
            std::string v;
            if (!in.readString(v))
                return;
            const auto mode = parseCloudMode(v);
            if (!mode || v != cloudRules(*mode).key)
                in.fail("\"" + v.substr(0, 20) + "\" is not one of none, aws, azure, gcp, oci");
            else
                s.cloud = *mode;
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
}

// A value handed to an IPAM: a name's rules (they name objects there).
void readIpamText(json::Reader& in, std::string& out)
{
    if (!in.readString(out))
        return;
    if (auto r = checkName(out); !r.empty())
        in.fail("the value " + r);
}

void readIpam(json::Reader& in, IpamValues& v)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    std::string* const texts[] = {&v.tenant, &v.role,     &v.vrf,       &v.section,
                                  &v.domain, &v.customer, &v.vlanGroup, &v.site};
    constexpr const char* kNames[] = {"tenant", "role", "vrf", "section", "domain", "customer", "vlan_group", "site"};
    while (in.nextMember(key)) {
        bool known = false;
        for (unsigned i = 0; i < 8 && !known; ++i) {
            if (key != kNames[i])
                continue;
            known = true;
            if (firstTime(in, seen, 1u << i, key))
                readIpamText(in, *texts[i]);
        }
        if (known)
            continue;
        if (key == "tags" && firstTime(in, seen, 1024, key)) {
            if (!in.beginArray())
                return;
            while (in.nextItem()) {
                if (v.tags.size() == 256) {
                    in.fail("at most 256 tags");
                    return;
                }
                readIpamText(in, v.tags.emplace_back());
            }
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
}

void readBlockIpam(json::Reader& in, BlockIpam& v)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "tenant" && firstTime(in, seen, 1, key)) {
            readIpamText(in, v.tenant);
        } else if (key == "role" && firstTime(in, seen, 2, key)) {
            readIpamText(in, v.role);
        } else if (key == "vrf" && firstTime(in, seen, 4, key)) {
            readIpamText(in, v.vrf);
        } else if (key == "status" && firstTime(in, seen, 8, key)) {
            if (in.readString(v.status))
                if (auto r = checkIpamStatus(v.status); !r.empty())
                    in.fail("\"" + v.status.substr(0, 20) + "\" " + r);
        } else if (key == "pool" && firstTime(in, seen, 16, key)) {
            in.readBool(v.pool);
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
}

void readSegment(json::Reader& in, Segment& s)
{
    if (!in.beginObject())
        return;
    std::string key, hosts;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "name" && firstTime(in, seen, 1, key)) {
            if (in.readString(s.name))
                if (auto r = checkName(s.name); !r.empty())
                    in.fail("the name " + r);
        } else if (key == "hosts" && firstTime(in, seen, 2, key)) {
            if (in.readString(hosts)) {
                const auto h = net::parseDecimal(hosts);
                if (!h)
                    in.fail("\"" + hosts.substr(0, 45) + "\" is not a whole number from 0 to 2^128 - 1");
                else
                    s.hosts = *h;
            }
        } else if (key == "growth" && firstTime(in, seen, 4, key)) {
            readGrowth(in, s.growthPercent);
        } else if (key == "length" && firstTime(in, seen, 8, key)) {
            readLength(in, s.fixedLength);
        } else if (key == "length6" && firstTime(in, seen, 16, key)) {
            readLength(in, s.fixedLength6);
        } else if (key == "vlan" && firstTime(in, seen, 32, key)) {
            readVlan(in, s.vlan);
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (in.failed())
        return;
    if (!(seen & 1))
        in.fail("the segment has no \"name\"");
    else if (!(seen & 2))
        in.fail("the segment has no \"hosts\"");
}

void readRaw(json::Reader& in, RawDocument& doc, const BlockStream& stream)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "format" && firstTime(in, seen, 1, key)) {
            std::string v;
            if (in.readString(v) && v != "maskquill-plan")
                in.fail("is \"" + v.substr(0, 40) + "\", not \"maskquill-plan\": this is not a Maskquill plan");
            doc.hasFormat = true;
        } else if (key == "version" && firstTime(in, seen, 2, key)) {
            if (in.readUnsigned(1'000'000, doc.version) && doc.version != 1 && doc.version != 2)
                in.fail("is " + std::to_string(doc.version) + "; this Maskquill reads versions 1 and 2");
            doc.hasVersion = true;
        } else if (key == "root" && firstTime(in, seen, 4, key)) {
            std::string v;
            if (in.readString(v))
                doc.root = std::move(v);
        } else if (key == "roots" && firstTime(in, seen, 16, key)) {
            noteV2(doc, in);
            doc.hasRoots = true;
            if (!in.beginArray())
                return;
            while (in.nextItem()) {
                if (doc.roots.size() == kMaxRoots) {
                    in.fail("a plan holds at most " + std::to_string(kMaxRoots) + " roots");
                    return;
                }
                in.readString(doc.roots.emplace_back());
            }
        } else if (key == "settings" && firstTime(in, seen, 32, key)) {
            noteV2(doc, in);
            readSettings(in, doc.settings);
        } else if (key == "ipam" && firstTime(in, seen, 128, key)) {
            noteV2(doc, in);
            readIpam(in, doc.ipam);
        } else if (key == "segments" && firstTime(in, seen, 64, key)) {
            noteV2(doc, in);
            if (!in.beginArray())
                return;
            while (in.nextItem()) {
                if (doc.segments.size() == kMaxBlocks) {
                    in.fail("a plan keeps at most " + std::to_string(kMaxBlocks) + " segments");
                    return;
                }
                readSegment(in, doc.segments.emplace_back());
            }
        } else if (key == "blocks" && firstTime(in, seen, 8, key)) {
            if (!in.beginArray())
                return;
            const bool streamed = stream.start(doc);
            RawBlock one;
            while (in.nextItem()) {
                if (doc.blockCount == kMaxBlocks) {
                    in.fail("a plan holds at most " + std::to_string(kMaxBlocks) + " blocks");
                    return;
                }
                if (streamed)
                    one = RawBlock{};
                RawBlock& b = streamed ? one : doc.blocks.emplace_back();
                readBlock(in, doc, b);
                if (streamed && !in.failed())
                    stream.take(doc.blockCount, b);
                ++doc.blockCount;
            }
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (in.failed() || !in.atEnd())
        return;
    if (!doc.hasFormat)
        in.fail("has no \"format\": this is not a Maskquill plan");
    else if (!doc.hasVersion)
        in.fail("has no \"version\"");
    else if (doc.version == 1 && !doc.root)
        in.fail("has no \"root\"");
    else if (doc.version == 2 && !doc.hasRoots)
        in.fail("has no \"roots\"");
    else if (doc.version == 2 && doc.roots.empty())
        in.fail("\"roots\" is empty: a plan has at least one root");
    else if (!(seen & 8))
        in.fail("has no \"blocks\"");
    else if (doc.blockCount == 0)
        in.fail("\"blocks\" is empty: the root block must be listed");
}

// Keys of the other version: named by their path, as any other fault.
std::optional<DocumentError> checkVersionKeys(const RawDocument& doc)
{
    if (doc.version == 1 && !doc.firstV2Key.empty())
        return DocumentError{doc.firstV2Key, "is not a key of version 1 documents (\"version\": 2 has it)"};
    if (doc.version == 2 && doc.root)
        return DocumentError{"$.root", "is a key of version 1 documents; version 2 lists \"roots\""};
    return std::nullopt;
}

std::string at(std::size_t k)
{
    return "$.blocks[" + std::to_string(k) + "]";
}

// A prefix as a document writes it: "network/len", no zone, host bits clear.
std::variant<net::Prefix, std::string> documentPrefix(std::string_view text)
{
    const auto r = net::parsePrefix(text, net::HostBits::Keep);
    if (const auto* e = std::get_if<net::ParseError>(&r)) {
        if (e->fault == net::ParseError::Fault::Text)
            return net::describe(text, *e);
        return "\"" + std::string(text) + "\" is not written network/length";
    }
    const net::Prefix& p = std::get<net::Prefix>(r);
    if (!p.isNetwork())
        return net::formatNetwork(p) + " is meant, but \"" + std::string(text) + "\" has host bits set";
    return p;
}

std::optional<std::uint32_t> parseColour(std::string_view s)
{
    if (s.size() != 7 || s[0] != '#')
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s.substr(1)) {
        const int h = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (h < 0)
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(h);
    }
    return v;
}

class TreeBuilder {
public:
    explicit TreeBuilder(Plan plan) : plan_(std::move(plan)) { }

    // Room for about this many blocks; only a hint, so a guess too large for memory is dropped.
    void reserve(std::size_t blocks)
    {
        try {
            plan_.reserve(blocks);
            entryOf_.reserve(blocks);
        } catch (const std::bad_alloc&) {
        }
    }
    // Entries come in order, k from 0; after the first fault the rest are not looked at.
    void add(std::size_t k, const RawBlock& raw)
    {
        if (!fault_)
            fault_ = place(k, raw);
    }
    // The first fault, or what the whole list lacks.
    std::optional<DocumentError> finish()
    {
        if (fault_)
            return fault_;
        if (open_.empty() && nextRoot_ < plan_.roots().size())
            return DocumentError{"$.blocks", "ends before the root " +
                                                 net::formatNetwork(plan_.block(plan_.roots()[nextRoot_]).prefix) +
                                                 " ($.roots[" + std::to_string(nextRoot_) + "])"};
        if (!open_.empty()) {
            const Open& o = open_.back();
            const Block& p = plan_.block(o.id);
            return DocumentError{"$.blocks", "ends before part " + std::to_string(o.next + 1) + " of " +
                                                 std::to_string(p.children.size()) + " of " + at(o.entry) + " (" +
                                                 net::formatNetwork(p.prefix) + ")"};
        }
        return std::nullopt;
    }
    Plan take() { return std::move(plan_); }

private:
    struct Open {
        BlockId id;
        std::size_t entry;
        std::size_t next = 0;
    };

    std::optional<DocumentError> place(std::size_t k, const RawBlock& raw)
    {
        auto fault = [&](const char* field, std::string reason) {
            return DocumentError{at(k) + (*field ? "." : "") + field, std::move(reason)};
        };
        auto parsed = documentPrefix(raw.prefix);
        if (auto* e = std::get_if<std::string>(&parsed))
            return fault("prefix", *e);
        const net::Prefix p = std::get<net::Prefix>(parsed);
        BlockId id = kNoBlock;
        if (open_.empty()) {  // a root's tree is complete: the next root, if any, comes now
            if (nextRoot_ == plan_.roots().size())
                return fault("prefix", net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
            id = plan_.roots()[nextRoot_];
            const net::Prefix want = plan_.block(id).prefix;
            if (p != want) {
                if (k > 0 && p.address.family == root_.address.family && root_.contains(p))
                    return fault("prefix", net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
                return fault("prefix", std::string(k ? "the next block" : "the first block") + " must be the root " +
                                           net::formatNetwork(want) + " ($.roots[" + std::to_string(nextRoot_) + "])");
            }
            ++nextRoot_;
            root_ = want;
            rootId_ = id;
            rootEntry_ = k;
        } else {
            if (p.address.family != root_.address.family)
                return fault("prefix", net::formatNetwork(p) + " is not of the root's family (" +
                                           net::formatNetwork(root_) + ")");
            if (!root_.contains(p))
                return fault("prefix", net::formatNetwork(p) + " lies outside the root " + net::formatNetwork(root_));
            Open& o = open_.back();
            id = plan_.block(o.id).children[o.next];
            const net::Prefix want = plan_.block(id).prefix;
            if (p != want) {
                const std::string part = "part " + std::to_string(o.next + 1) + " of " +
                                         std::to_string(plan_.block(o.id).children.size()) + " of " + at(o.entry) +
                                         " (" + net::formatNetwork(plan_.block(o.id).prefix) + ")";
                if (p.address.value < want.address.value)
                    return fault("prefix", net::formatNetwork(p) + " overlaps " + leafHolding(p.address.value));
                if (p.address.value > want.address.value)
                    return fault("prefix", net::formatNetwork(p) + " leaves a gap: " + net::formatNetwork(want) + ", " +
                                               part + ", is missing");
                return fault("prefix", net::formatNetwork(p) + " is not a part of its block: " + part + " is " +
                                           net::formatNetwork(want));
            }
            if (++o.next == plan_.block(o.id).children.size())
                open_.pop_back();
        }
        if (auto r = checkName(raw.name); !r.empty())
            return fault("name", "the name " + r);
        if (auto r = checkNote(raw.note); !r.empty())
            return fault("note", "the note " + r);
        (void)plan_.setName(id, raw.name);
        (void)plan_.setNote(id, raw.note);
        if (raw.hasColour) {
            const auto c = parseColour(raw.colour);
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

    // The listed leaf that holds an address before the place being filled, or the nearest
    // one before it. Everything of the tree being read up to that place is listed, so the
    // tree itself finds it; after the root's end it is the root's last leaf.
    std::string leafHolding(net::u128 a) const
    {
        const net::Prefix& root = plan_.block(rootId_).prefix;
        if (a < root.address.value)
            return at(rootEntry_);
        const BlockId leaf = plan_.leafAt({std::min(a, root.last().value), root.address.family}, rootId_);
        if (leaf >= entryOf_.size())
            return at(rootEntry_);  // not reached: every leaf before the place is listed
        const std::size_t k = entryOf_[leaf];
        const auto odd = oddTexts_.find(k);
        return at(k) + " (" + (odd != oddTexts_.end() ? odd->second : net::formatNetwork(plan_.block(leaf).prefix)) +
               ")";
    }

    Plan plan_;
    std::optional<DocumentError> fault_;
    std::vector<Open> open_;  // split blocks still taking parts
    std::size_t nextRoot_ = 0;  // the root whose tree comes next
    net::Prefix root_;  // the root whose tree is being read
    BlockId rootId_ = kNoBlock;
    std::size_t rootEntry_ = 0;
    std::vector<std::uint32_t> entryOf_;  // by id: the entry that listed the leaf
    std::unordered_map<std::size_t, std::string> oddTexts_;  // leaves written otherwise than printed
};

bool rootsKnown(const RawDocument& doc)
{
    return doc.hasVersion && (doc.version == 1 ? doc.root.has_value() : doc.hasRoots);
}

// The plan of the document's roots, without blocks.
std::variant<Plan, DocumentError> rootsOf(const RawDocument& doc)
{
    const std::vector<std::string> roots = doc.version == 1 ? std::vector<std::string>{*doc.root} : doc.roots;
    std::optional<Plan> plan;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        const std::string path = doc.version == 1 ? "$.root" : "$.roots[" + std::to_string(i) + "]";
        auto root = documentPrefix(roots[i]);
        if (auto* e = std::get_if<std::string>(&root))
            return DocumentError{path, *e};
        if (!plan)
            plan.emplace(std::get<net::Prefix>(root));
        else if (auto r = plan->addRoot(std::get<net::Prefix>(root)); !r.empty())
            return DocumentError{path, r};
    }
    if (!plan)
        return DocumentError{"$.roots", "\"roots\" is empty: a plan has at least one root"};
    return std::move(*plan);
}

}  // namespace

std::variant<Plan, DocumentError> readDocument(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);  // a byte order mark from a Windows editor
    json::Reader in(text);
    RawDocument doc;
    std::optional<TreeBuilder> builder;
    // Every block is an object: room for that many, counted in one fast pass, saves growing
    // the plan's block list by copies of itself.
    const auto objects = static_cast<std::size_t>(std::count(text.begin(), text.end(), '{'));
    const BlockStream stream{[&](const RawDocument& d) {
                                 if (!rootsKnown(d))
                                     return false;
                                 auto plan = rootsOf(d);
                                 if (!std::holds_alternative<Plan>(plan))
                                     return false;  // named below, in its turn
                                 builder.emplace(std::move(std::get<Plan>(plan)));
                                 builder->reserve(std::min(objects, kMaxBlocks));
                                 return true;
                             },
                             [&](std::size_t k, const RawBlock& b) { builder->add(k, b); }};
    readRaw(in, doc, stream);
    if (in.failed())
        return DocumentError{in.errorPath(), in.errorReason()};
    if (auto e = checkVersionKeys(doc))
        return *e;
    if (!builder) {
        auto plan = rootsOf(doc);
        if (auto* e = std::get_if<DocumentError>(&plan))
            return *e;
        builder.emplace(std::move(std::get<Plan>(plan)));
        builder->reserve(doc.blocks.size());
        for (std::size_t k = 0; k < doc.blocks.size(); ++k)
            builder->add(k, doc.blocks[k]);
    }
    if (auto e = builder->finish())
        return *e;
    Plan plan = builder->take();
    plan.setSettings(doc.settings);
    plan.setSegments(std::move(doc.segments));
    plan.setIpamValues(std::move(doc.ipam));
    return plan;
}

namespace {

void appendGrowth(std::string& out, double g)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, g);  // the shortest text that reads back the same
    out += '"';
    out.append(buf, r.ptr);
    out += '"';
}

// The members of a JSON object on one line; empty texts are left out.
struct ObjectOut {
    std::string& out;
    bool first = true;
    void key(const char* k)
    {
        out += first ? "\"" : ", \"";
        first = false;
        out += k;
        out += "\": ";
    }
    void text(const char* k, const std::string& value)
    {
        if (value.empty())
            return;
        key(k);
        json::appendString(out, value);
    }
};

void appendIpam(std::string& out, const IpamValues& v)
{
    if (v.empty())
        return;
    out += "\n  \"ipam\": {";
    ObjectOut o{out};
    o.text("tenant", v.tenant);
    o.text("role", v.role);
    o.text("vrf", v.vrf);
    if (!v.tags.empty()) {
        o.key("tags");
        out += '[';
        for (std::size_t i = 0; i < v.tags.size(); ++i) {
            if (i)
                out += ", ";
            json::appendString(out, v.tags[i]);
        }
        out += ']';
    }
    o.text("section", v.section);
    o.text("domain", v.domain);
    o.text("customer", v.customer);
    o.text("vlan_group", v.vlanGroup);
    o.text("site", v.site);
    out += "},";
}

void appendBlockIpam(std::string& out, const BlockIpam& v)
{
    out += ", \"ipam\": {";
    ObjectOut o{out};
    o.text("tenant", v.tenant);
    o.text("role", v.role);
    o.text("vrf", v.vrf);
    o.text("status", v.status);
    if (v.pool) {
        o.key("pool");
        out += "true";
    }
    out += '}';
}

}  // namespace

std::string writeDocument(const Plan& plan)
{
    std::string all;
    all.reserve(256 + plan.blockCount() * 110 + plan.segments().size() * 80);
    writeDocument(plan, [&](std::string_view piece) { all += piece; });
    return all;
}

void writeDocument(const Plan& plan, const std::function<void(std::string_view)>& write)
{
    constexpr std::size_t kPiece = 1 << 20;
    std::vector<BlockId> order;
    for (BlockId r : plan.roots()) {
        auto tree = plan.preorder(r);
        order.insert(order.end(), tree.begin(), tree.end());
    }
    std::string out;
    out.reserve(kPiece + 64 * 1024);
    out += "{\n  \"format\": \"maskquill-plan\",\n  \"version\": 2,\n  \"roots\": [";
    for (std::size_t i = 0; i < plan.roots().size(); ++i) {
        if (i)
            out += ", ";
        json::appendString(out, net::formatNetwork(plan.block(plan.roots()[i]).prefix));
    }
    out += "],\n  \"settings\": {\"links_30\": ";
    out += plan.settings().links30 ? "true" : "false";
    out += ", \"nibble\": ";
    out += plan.settings().nibble ? "true" : "false";
    if (plan.settings().cloud != CloudMode::None) {
        out += ", \"cloud\": \"";
        out += cloudRules(plan.settings().cloud).key;
        out += '"';
    }
    out += "},";
    appendIpam(out, plan.ipamValues());
    out += "\n  \"segments\": [";
    const auto& segs = plan.segments();
    for (std::size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        out += i ? ",\n    {\"name\": " : "\n    {\"name\": ";
        json::appendString(out, s.name);
        out += ", \"hosts\": \"" + net::toDecimal(s.hosts) + "\"";
        if (s.growthPercent != 0) {
            out += ", \"growth\": ";
            appendGrowth(out, s.growthPercent);
        }
        if (s.fixedLength)
            out += ", \"length\": " + std::to_string(*s.fixedLength);
        if (s.fixedLength6)
            out += ", \"length6\": " + std::to_string(*s.fixedLength6);
        if (s.vlan)
            out += ", \"vlan\": " + std::to_string(s.vlan);
        out += "}";
    }
    out += segs.empty() ? "],\n  \"blocks\": [\n" : "\n  ],\n  \"blocks\": [\n";
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (out.size() >= kPiece) {
            write(out);
            out.clear();
        }
        const Block& b = plan.block(order[i]);
        out += "    {\"prefix\": \"";
        out += net::formatNetwork(b.prefix);
        out += "\", \"name\": ";
        json::appendString(out, b.name);
        out += ", \"note\": ";
        json::appendString(out, b.note);
        char colour[16];
        std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(b.colour));
        out += ", \"colour\": \"";
        out += colour;
        if (!b.children.empty()) {
            out += "\", \"parts\": " + std::to_string(b.children.size());
        } else if (b.assigned) {
            out += "\", \"assigned\": true, \"hosts\": \"" + net::toDecimal(b.hostsNeeded) + "\"";
            if (b.growthPercent != 0) {
                out += ", \"growth\": ";
                appendGrowth(out, b.growthPercent);
            }
            if (b.vlan)
                out += ", \"vlan\": " + std::to_string(b.vlan);
            if (b.reserved)
                out += ", \"reserved\": true";
        } else {
            out += "\", \"assigned\": false";
        }
        if (const BlockIpam* v = plan.hasBlockIpam() ? plan.blockIpam(order[i]) : nullptr)
            appendBlockIpam(out, *v);
        out += i + 1 < order.size() ? "},\n" : "}\n";
    }
    out += "  ]\n}\n";
    write(out);
}

}  // namespace mq::plan
