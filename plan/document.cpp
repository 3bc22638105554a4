// The .mqplan document, version 3. A UTF-8 JSON object (RFC 8259) with exactly these keys:
//
//   "format":   "maskquill-plan"
//   "version":  3, or 2 for a plan that holds nothing marked (v3) below (versions 1 and 2
//               are read too; see below)
//   "roots":    the root blocks, each "network/len" ("10.40.0.0/16", "2001:db8:40::/48"),
//               overlapping none of the others: one of each family for a dual-stack plan
//   "settings": {"links_30": true|false, "nibble": true|false, "cloud": "aws"} (optional;
//               default false; "cloud" is one of none, aws, azure, gcp, oci, default none),
//               and (v3) "vlan_numbering": true (each segment's IPv6 /64 numbered by its
//               VLAN; default false) and "layout": the rules every assigned block follows
//               unless its "subnet" says otherwise, an object with, each optional:
//       "gateway"     none, first_usable or last_usable (default none)
//       "kept"        the first N usable addresses kept for network devices, 0 to 1024
//       "range"       the DHCP range: none, upper_half or offsets (default none)
//       "range_from", "range_to"  the offsets' first and last, decimal strings (default "0")
//       "dhcp6"       how IPv6 blocks hand out addresses: slaac, stateful or both (default
//                     slaac)
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
//       "subnet"    (v3) what an assigned leaf sets for its own layout, each optional,
//                   absent ones following "layout": "gateway" an address of the block's
//                   family or "none"; "kept" as in "layout"; "ranges" the DHCP ranges, in
//                   place of the rule's ([] for none, at most 64), each {"first": address,
//                   "last": address} of the block's family, first <= last; "dhcp6" as in
//                   "layout" (IPv6 blocks); "delegated_length" 1 to 128, longer than the
//                   block: an IPv6 block that is a prefix-delegation pool
//       "ipam"      what an IPAM said of this prefix (optional): {"tenant", "role", "vrf":
//                   strings as in "ipam" above, "status": container, active, reserved or
//                   deprecated, "pool": true}, each optional
//   "hosts":    (v3) the plan's hosts (optional), in the plan's order, each an object with
//       "name"      a DNS name: labels of letters, digits and '-', 63 bytes each, 253 in all
//                   (required)
//       "ipv4"      an IPv4 address; "ipv6" an IPv6 address (at least one of the two)
//       "mac"       a MAC address, written 00:11:22:aa:bb:cc (read in any common form)
//       "duid"      a DHCP unique identifier: hex pairs joined by ':'
//       "role"      other, gateway, router, server, printer, access-point, camera or reserved
//                   (default other)
//       "note"      string as a block's (default "")
//               How the hosts fit the plan (inside their blocks, no address, MAC or name
//               twice) is not the document's to refuse: the plan's checks show it.
//   "outputs":  (v3) what the DHCP and DNS configuration is written with and what it must
//               keep from one export to the next (optional), an object with, each optional:
//       "settings"      each member only when not its default (plan/outputs.h), each read
//                       by its type; whether the whole is one a server takes
//                       (checkOutputSettings) is the plan's checks' to show, so that a plan
//                       saved under looser rules opens: "domain", "hostmaster", "interface",
//                       "lease_file" strings; "dns_servers" [addresses]; "name_servers"
//                       [{"name", "addresses": [addresses]}]; "ttl", "refresh", "retry",
//                       "expire", "minimum", "valid_lifetime", "preferred_lifetime" seconds;
//                       "zone_cut4", "zone_cut6" prefix lengths; "naming" slash or dash;
//                       "rfc2317" none or all; "delegated" [network/len]; "empty_reverse_zones"
//                       true or false (absent: none, [], true)
//       "dhcp_ids"      the Kea subnet IDs, in prefix order, each {"prefix": "network/len",
//                       "id": 1 to 4294967294}; no prefix and no ID twice. A prefix need not
//                       be a block any more: its ID is never handed to another.
//       "zone_serials"  each zone's last serial, in name order, each {"zone": a DNS name
//                       ('/' allowed, RFC 2317), "serial": 0 to 4294967295, "hash": 16 hex
//                       digits of its content}; no zone twice
//
// Version 1 has "root" (one prefix) instead of "roots", and none of "settings", "segments",
// "growth", "vlan", "reserved" and "ipam"; it is read as a plan of that one root. Version 2
// has none of the keys marked (v3). A key of a later version is refused in an earlier one,
// so that an older Maskquill never opens a plan and silently drops part of it.
//
// A leading UTF-8 byte order mark is skipped. Keys may come in any order; unknown and
// duplicate keys are refused, so a typing error is never silently dropped. Reading checks
// every block against the place the tree leaves for it, and names overlaps, gaps,
// misaligned or foreign prefixes by their JSON path. This program writes keys in the order
// above (optional ones only when they differ from the default), one block, segment or host
// a line, LF line ends and a final line end, so one plan always gives the same bytes.
#include "plan/document.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>

#include "plan/document_build.h"
#include "textio/json.h"

namespace mq::plan {

namespace {

namespace json = textio::json;
using detail::firstTime;
using detail::RawBlock;
using detail::RawDocument;
using detail::TreeBuilder;

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

void noteV3(RawDocument& doc, const json::Reader& in)
{
    if (doc.firstV3Key.empty())
        doc.firstV3Key = in.path();
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
        } else if (key == "subnet" && firstTime(in, seen, 2048, key)) {
            noteV3(doc, in);
            b.subnet = std::make_unique<SubnetLayout>();
            detail::readSubnetLayout(in, *b.subnet);
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (!in.failed() && !b.hasPrefix)
        in.fail("the block has no \"prefix\"");
}

void readSettings(json::Reader& in, RawDocument& doc)
{
    Settings& s = doc.settings;
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
        } else if (key == "vlan_numbering" && firstTime(in, seen, 8, key)) {
            noteV3(doc, in);
            in.readBool(s.vlanNumbering);
        } else if (key == "layout" && firstTime(in, seen, 16, key)) {
            noteV3(doc, in);
            detail::readLayoutRules(in, s.layout);
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

// What a whole document must hold, once it is read without a fault.
void checkComplete(json::Reader& in, const RawDocument& doc, unsigned seen)
{
    if (!doc.hasFormat)
        in.fail("has no \"format\": this is not a Maskquill plan");
    else if (!doc.hasVersion)
        in.fail("has no \"version\"");
    else if (doc.version == 1 && !doc.root)
        in.fail("has no \"root\"");
    else if (doc.version >= 2 && !doc.hasRoots)
        in.fail("has no \"roots\"");
    else if (doc.version >= 2 && doc.roots.empty())
        in.fail("\"roots\" is empty: a plan has at least one root");
    else if (!(seen & 8))
        in.fail("has no \"blocks\"");
    else if (doc.blockCount == 0)
        in.fail("\"blocks\" is empty: the root block must be listed");
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
            if (in.readUnsigned(1'000'000, doc.version) && (doc.version < 1 || doc.version > 3))
                in.fail("is " + std::to_string(doc.version) + "; this Maskquill reads versions 1 to 3");
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
            readSettings(in, doc);
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
        } else if (key == "hosts" && firstTime(in, seen, 256, key)) {
            noteV3(doc, in);
            detail::readHosts(in, doc.hosts);
        } else if (key == "outputs" && firstTime(in, seen, 512, key)) {
            noteV3(doc, in);
            detail::readOutputs(in, doc);
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (!in.failed() && in.atEnd())
        checkComplete(in, doc, seen);
}

// Keys of the other version: named by their path, as any other fault.
std::optional<DocumentError> checkVersionKeys(const RawDocument& doc)
{
    const std::string version = std::to_string(doc.version);
    if (doc.version == 1 && !doc.firstV2Key.empty())
        return DocumentError{doc.firstV2Key, "is not a key of version 1 documents (\"version\": 2 has it)"};
    if (doc.version < 3 && !doc.firstV3Key.empty())
        return DocumentError{doc.firstV3Key,
                             "is not a key of version " + version + " documents (\"version\": 3 has it)"};
    if (doc.version >= 2 && doc.root)
        return DocumentError{"$.root", "is a key of version 1 documents; version " + version + " lists \"roots\""};
    return std::nullopt;
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
    if (auto r = plan.setSettings(doc.settings); !r.empty())
        return DocumentError{"$.settings.layout", r};
    plan.setSegments(std::move(doc.segments));
    plan.setIpamValues(std::move(doc.ipam));
    if (auto e = detail::addHosts(plan, doc.hosts))
        return *e;
    plan.setOutputSettings(std::move(doc.outputs));
    plan.setDhcpIds(std::move(doc.dhcpIds));
    plan.setZoneSerials(std::move(doc.zoneSerials));
    return plan;
}

}  // namespace mq::plan
