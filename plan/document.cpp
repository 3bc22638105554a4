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
//       "settings"      the settings listed in plan/output_keys.h, by their keys there, each
//                       only when not its default (plan/outputs.h) and read by its kind;
//                       whether the whole is one a server takes (checkOutputSettings) is the
//                       plan's checks' to show, so that a plan saved under looser rules
//                       opens: names and texts strings ("domain", "lease_file"), seconds
//                       0 to 4294967295 ("ttl"), "dns_servers" [addresses], "name_servers"
//                       [{"name", "addresses": [addresses]}], "zone_cut4", "zone_cut6"
//                       prefix lengths, "naming" slash or dash, "rfc2317" none or all,
//                       "delegated" [network/len], "empty_reverse_zones" true or false
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
#include <functional>
#include <optional>

#include "plan/document_build.h"
#include "plan/document_table.h"
#include "textio/json.h"

namespace mq::plan {

namespace {

namespace json = textio::json;
using detail::differs;
using detail::Member;
using detail::Need;
using detail::RawBlock;
using detail::RawDocument;
using detail::readMembers;
using detail::TreeBuilder;
using detail::writeMembers;
using json::Layout;
using json::Reader;
using json::Writer;

// Where the blocks go as they are read: a document whose roots come before its blocks (as
// this program writes them) is placed block by block, and no list of every block is held
// beside the plan. start() says at "blocks" whether take() will be called.
struct BlockStream {
    std::function<bool(const RawDocument&)> start;
    std::function<void(std::size_t k, const RawBlock&)> take;
};

void readCloud(Reader& in, CloudMode& out)
{
    std::string v;
    if (!in.readString(v))
        return;
    const auto mode = parseCloudMode(v);
    if (!mode || v != cloudRules(*mode).key)
        in.fail("\"" + v.substr(0, 20) + "\" is not one of none, aws, azure, gcp, oci");
    else
        out = *mode;
}

constexpr Member<Settings> kSettings[] = {
    {"links_30", detail::readBool<&Settings::links30>, detail::writeBool<&Settings::links30>},
    {"nibble", detail::readBool<&Settings::nibble>, detail::writeBool<&Settings::nibble>},
    {"cloud", [](Reader& in, Settings& s) { readCloud(in, s.cloud); },
     [](Writer& j, const Settings& s) { j.string(cloudRules(s.cloud).key); }, differs<&Settings::cloud>},
    {"vlan_numbering", detail::readBool<&Settings::vlanNumbering>, detail::writeBool<&Settings::vlanNumbering>,
     differs<&Settings::vlanNumbering>, Need::Optional, 3},
    {"layout", [](Reader& in, Settings& s) { detail::readLayoutRules(in, s.layout); },
     [](Writer& j, const Settings& s) { detail::writeLayoutRules(j, s.layout); }, differs<&Settings::layout>,
     Need::Optional, 3},
};

// The whole document as it is read, and as it is written.
struct DocumentIn {
    RawDocument& doc;
    const BlockStream& stream;
};
struct DocumentOut {
    const Plan& plan;
    // The text so far, handed on once it has grown to a piece, between two entries.
    std::string& out;
    const std::function<void(std::string_view)>& write;
    static constexpr std::size_t kPiece = 1 << 20;
    void spill() const
    {
        if (out.size() >= kPiece) {
            write(out);
            out.clear();
        }
    }
};

void readFormat(Reader& in, RawDocument& doc)
{
    std::string v;
    if (in.readString(v) && v != "maskquill-plan")
        in.fail("is \"" + v.substr(0, 40) + "\", not \"maskquill-plan\": this is not a Maskquill plan");
    doc.hasFormat = true;
}

void readVersion(Reader& in, RawDocument& doc)
{
    if (in.readUnsigned(1'000'000, doc.version) && (doc.version < 1 || doc.version > 3))
        in.fail("is " + std::to_string(doc.version) + "; this Maskquill reads versions 1 to 3");
    doc.hasVersion = true;
}

// Version 1's one root.
void readRoot(Reader& in, std::optional<std::string>& root)
{
    if (std::string v; in.readString(v))
        root = std::move(v);
}

void readRoots(Reader& in, RawDocument& doc)
{
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
}

void readSegments(Reader& in, std::vector<Segment>& segments)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (segments.size() == kMaxBlocks) {
            in.fail("a plan keeps at most " + std::to_string(kMaxBlocks) + " segments");
            return;
        }
        detail::readSegment(in, segments.emplace_back());
    }
}

void readBlocks(Reader& in, const DocumentIn& d)
{
    RawDocument& doc = d.doc;
    doc.hasBlocks = true;
    if (!in.beginArray())
        return;
    const bool streamed = d.stream.start(doc);
    RawBlock one;
    while (in.nextItem()) {
        if (doc.blockCount == kMaxBlocks) {
            in.fail("a plan holds at most " + std::to_string(kMaxBlocks) + " blocks");
            return;
        }
        if (streamed)
            one = RawBlock{};
        RawBlock& b = streamed ? one : doc.blocks.emplace_back();
        detail::readBlock(in, b, doc.later);
        if (streamed && !in.failed())
            d.stream.take(doc.blockCount, b);
        ++doc.blockCount;
    }
}

void writeBlocks(Writer& j, const DocumentOut& d)
{
    const Plan& plan = d.plan;
    j.beginArray(Layout::Indented);
    for (BlockId r : plan.roots()) {
        for (BlockId id : plan.preorder(r)) {
            d.spill();
            detail::writeBlock(j, plan, id);
        }
    }
    j.end();
}

constexpr Member<DocumentIn, DocumentOut> kDocument[] = {
    {"format", [](Reader& in, DocumentIn& d) { readFormat(in, d.doc); },
     [](Writer& j, const DocumentOut&) { j.string("maskquill-plan"); }},
    {"version", [](Reader& in, DocumentIn& d) { readVersion(in, d.doc); },
     [](Writer& j, const DocumentOut& d) { j.number(detail::needsVersion3(d.plan) ? 3 : 2); }},
    {"root", [](Reader& in, DocumentIn& d) { readRoot(in, d.doc.root); }},
    {"roots", [](Reader& in, DocumentIn& d) { readRoots(in, d.doc); },
     [](Writer& j, const DocumentOut& d) {
         j.beginArray();
         for (BlockId r : d.plan.roots())
             j.string(net::formatNetwork(d.plan.block(r).prefix));
         j.end();
     },
     nullptr, Need::Optional, 2},
    {"settings",
     [](Reader& in, DocumentIn& d) { readMembers(in, kSettings, d.doc.settings, "settings", &d.doc.later); },
     [](Writer& j, const DocumentOut& d) {
         j.beginObject();
         writeMembers<kSettings>(j, d.plan.settings());
         j.end();
     },
     nullptr, Need::Optional, 2},
    {"ipam", [](Reader& in, DocumentIn& d) { detail::readIpam(in, d.doc.ipam); },
     [](Writer& j, const DocumentOut& d) { detail::writeIpam(j, d.plan.ipamValues()); },
     [](const DocumentOut& d) { return !d.plan.ipamValues().empty(); }, Need::Optional, 2},
    {"segments", [](Reader& in, DocumentIn& d) { readSegments(in, d.doc.segments); },
     [](Writer& j, const DocumentOut& d) {
         j.beginArray(Layout::Indented);
         for (const Segment& s : d.plan.segments())
             detail::writeSegment(j, s);
         j.end();
     },
     nullptr, Need::Optional, 2},
    {"blocks", [](Reader& in, DocumentIn& d) { readBlocks(in, d); }, writeBlocks},
    {"hosts", [](Reader& in, DocumentIn& d) { detail::readHosts(in, d.doc.hosts); },
     [](Writer& j, const DocumentOut& d) {
         j.beginArray(Layout::Indented);
         for (const Host& h : d.plan.hosts()) {
             d.spill();
             detail::writeHost(j, h);
         }
         j.end();
     },
     [](const DocumentOut& d) { return !d.plan.hosts().empty(); }, Need::Optional, 3},
    {"outputs", [](Reader& in, DocumentIn& d) { detail::readOutputs(in, d.doc); },
     [](Writer& j, const DocumentOut& d) { detail::writeOutputs(j, d.plan, [&d] { d.spill(); }); },
     [](const DocumentOut& d) { return detail::hasOutputs(d.plan); }, Need::Optional, 3},
};

// What a whole document must hold, once it is read without a fault.
void checkComplete(Reader& in, const RawDocument& doc)
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
    else if (!doc.hasBlocks)
        in.fail("has no \"blocks\"");
    else if (doc.blockCount == 0)
        in.fail("\"blocks\" is empty: the root block must be listed");
}

// Keys of the other version: named by their path, as any other fault.
std::optional<textio::Problem> checkVersionKeys(const RawDocument& doc)
{
    const std::string version = std::to_string(doc.version);
    if (doc.version == 1 && !doc.later.v2.empty())
        return detail::documentFault(doc.later.v2, "is not a key of version 1 documents (\"version\": 2 has it)");
    if (doc.version < 3 && !doc.later.v3.empty())
        return detail::documentFault(doc.later.v3,
                                     "is not a key of version " + version + " documents (\"version\": 3 has it)");
    if (doc.version >= 2 && doc.root)
        return detail::documentFault("$.root",
                                     "is a key of version 1 documents; version " + version + " lists \"roots\"");
    return std::nullopt;
}

}  // namespace

std::variant<Plan, textio::Problem> readDocument(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);  // a byte order mark from a Windows editor
    Reader in(text);
    RawDocument doc;
    std::optional<TreeBuilder> builder;
    // Every block is an object: room for that many, counted in one fast pass, saves growing
    // the plan's block list by copies of itself.
    const auto objects = static_cast<std::size_t>(std::count(text.begin(), text.end(), '{'));
    const BlockStream stream{[&](const RawDocument& d) {
                                 if (!detail::rootsKnown(d))
                                     return false;
                                 auto plan = detail::rootsOf(d);
                                 if (!std::holds_alternative<Plan>(plan))
                                     return false;  // named below, in its turn
                                 builder.emplace(std::move(std::get<Plan>(plan)));
                                 builder->reserve(std::min(objects, kMaxBlocks));
                                 return true;
                             },
                             [&](std::size_t k, const RawBlock& b) { builder->add(k, b); }};
    DocumentIn whole{doc, stream};
    readMembers(in, kDocument, whole, "document", &doc.later);
    if (!in.failed() && in.atEnd())
        checkComplete(in, doc);
    if (in.failed())
        return detail::documentFault(in.errorPath(), in.errorReason(), in.errorLine());
    if (auto e = checkVersionKeys(doc))
        return *e;
    if (!builder) {
        auto plan = detail::rootsOf(doc);
        if (auto* e = std::get_if<textio::Problem>(&plan))
            return *e;
        builder.emplace(std::move(std::get<Plan>(plan)));
        builder->reserve(doc.blocks.size());
        for (std::size_t k = 0; k < doc.blocks.size(); ++k)
            builder->add(k, doc.blocks[k]);
    }
    if (auto e = builder->finish())
        return *e;
    Plan plan = builder->take();
    if (auto r = plan.setSettings(doc.settings); !r.empty()) {
        textio::Problem p;
        p.path = "$.settings.layout";
        p.message = std::move(r);
        return p;
    }
    plan.setSegments(std::move(doc.segments));
    plan.setIpamValues(std::move(doc.ipam));
    if (auto e = detail::addHosts(plan, doc.hosts))
        return *e;
    plan.setOutputSettings(std::move(doc.outputs));
    plan.setDhcpIds(std::move(doc.dhcpIds));
    plan.setZoneSerials(std::move(doc.zoneSerials));
    return plan;
}

std::string documentSizeFault(std::size_t bytes)
{
    if (bytes <= kMaxDocumentBytes)
        return {};
    const std::size_t mb = (bytes + 999'999) / 1'000'000;
    return "the plan would take " + std::to_string(mb) + " MB, more than the " +
           std::to_string(kMaxDocumentBytes >> 20) + " MiB a plan is read back from";
}

std::string writeDocument(const Plan& plan)
{
    std::string all;
    all.reserve(256 + plan.blockCount() * 110 + plan.segments().size() * 80 + plan.hosts().size() * 100);
    writeDocument(plan, [&](std::string_view piece) { all += piece; });
    return all;
}

void writeDocument(const Plan& plan, const std::function<void(std::string_view)>& write)
{
    std::string out;
    out.reserve(DocumentOut::kPiece + 64 * 1024);
    Writer j(out);
    j.beginObject(Layout::Indented);
    writeMembers<kDocument>(j, DocumentOut{plan, out, write});
    j.end();
    out += '\n';
    write(out);
}

}  // namespace mq::plan
