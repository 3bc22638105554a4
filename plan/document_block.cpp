// The .mqplan document's blocks, segments and IPAM values (its schema: plan/document.cpp),
// each object a table of its keys: read and written by the same entries.
#include <algorithm>
#include <charconv>

#include "plan/document_build.h"
#include "plan/document_table.h"
#include "plan/fields.h"
#include "textio/fields.h"

namespace mq::plan::detail {

namespace {

namespace json = textio::json;
using json::Reader;
using json::Writer;

// "12.5": a plain decimal percentage from 0 to 1000000, read back to the same double.
bool readGrowth(Reader& in, double& out)
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

bool readVlan(Reader& in, int& out)
{
    // Read as a segment list's or an import's VLAN is: 0 is refused, no VLAN leaves the key out.
    std::uint64_t v = 0;
    if (!in.readUnsigned(1'000'000, v))
        return false;
    if (const auto read = parseVlan(std::to_string(v)); !read) {
        in.fail(textio::describe(read.problem()));
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

void readLength(Reader& in, std::optional<int>& out)
{
    std::uint64_t v = 0;
    if (in.readUnsigned(128, v))
        out = static_cast<int>(v);
}

// A block's members that are absent unless given.
void readParts(Reader& in, std::optional<std::uint64_t>& out)
{
    if (std::uint64_t v = 0; in.readUnsigned(kMaxSplitParts, v))
        out = v;
}

void readAssigned(Reader& in, std::optional<bool>& out)
{
    if (bool v = false; in.readBool(v))
        out = v;
}

void readGrowth(Reader& in, std::optional<double>& out)
{
    if (double v = 0; readGrowth(in, v))
        out = v;
}

void readVlan(Reader& in, std::optional<int>& out)
{
    if (int v = 0; readVlan(in, v))
        out = v;
}

// "10" of 10 hosts: counts go up to 2^128, past what a JSON number keeps.
void readCount(Reader& in, net::u128& out)
{
    std::string text;
    if (!in.readString(text))
        return;
    const auto h = net::parseDecimal(text);
    if (!h)
        in.fail("\"" + text.substr(0, 45) + "\" is not a whole number from 0 to 2^128 - 1");
    else
        out = *h;
}

void readName(Reader& in, std::string& out)
{
    if (in.readString(out))
        if (auto r = checkName(out); !r.empty())
            in.fail("the name " + r);
}

// A value handed to an IPAM: a name's rules (they name objects there).
void readIpamText(Reader& in, std::string& out)
{
    if (!in.readString(out))
        return;
    if (auto r = checkName(out); !r.empty())
        in.fail("the value " + r);
}

void readTags(Reader& in, std::vector<std::string>& tags)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (tags.size() == 256) {
            in.fail("at most 256 tags");
            return;
        }
        readIpamText(in, tags.emplace_back());
    }
}

void readIpamStatus(Reader& in, std::string& status)
{
    if (in.readString(status))
        if (auto r = checkIpamStatus(status); !r.empty())
            in.fail("\"" + status.substr(0, 20) + "\" " + r);
}

template <auto F> void ipamText(Reader& in, detail::ClassOf<F>& v)
{
    readIpamText(in, v.*F);
}

// The plan-wide IPAM values and a block's own, each text written only when it is not empty.
constexpr Member<IpamValues> kIpam[] = {
    {"tenant", ipamText<&IpamValues::tenant>, detail::writeText<&IpamValues::tenant>, differs<&IpamValues::tenant>},
    {"role", ipamText<&IpamValues::role>, detail::writeText<&IpamValues::role>, differs<&IpamValues::role>},
    {"vrf", ipamText<&IpamValues::vrf>, detail::writeText<&IpamValues::vrf>, differs<&IpamValues::vrf>},
    {"tags", [](Reader& in, IpamValues& v) { readTags(in, v.tags); },
     [](Writer& j, const IpamValues& v) {
         j.beginArray();
         for (const std::string& tag : v.tags)
             j.string(tag);
         j.end();
     },
     differs<&IpamValues::tags>},
    {"section", ipamText<&IpamValues::section>, detail::writeText<&IpamValues::section>, differs<&IpamValues::section>},
    {"domain", ipamText<&IpamValues::domain>, detail::writeText<&IpamValues::domain>, differs<&IpamValues::domain>},
    {"customer", ipamText<&IpamValues::customer>, detail::writeText<&IpamValues::customer>,
     differs<&IpamValues::customer>},
    {"vlan_group", ipamText<&IpamValues::vlanGroup>, detail::writeText<&IpamValues::vlanGroup>,
     differs<&IpamValues::vlanGroup>},
    {"site", ipamText<&IpamValues::site>, detail::writeText<&IpamValues::site>, differs<&IpamValues::site>},
};

constexpr Member<BlockIpam> kBlockIpam[] = {
    {"tenant", ipamText<&BlockIpam::tenant>, detail::writeText<&BlockIpam::tenant>, differs<&BlockIpam::tenant>},
    {"role", ipamText<&BlockIpam::role>, detail::writeText<&BlockIpam::role>, differs<&BlockIpam::role>},
    {"vrf", ipamText<&BlockIpam::vrf>, detail::writeText<&BlockIpam::vrf>, differs<&BlockIpam::vrf>},
    {"status", [](Reader& in, BlockIpam& v) { readIpamStatus(in, v.status); }, detail::writeText<&BlockIpam::status>,
     differs<&BlockIpam::status>},
    {"pool", detail::readBool<&BlockIpam::pool>, detail::writeBool<&BlockIpam::pool>, differs<&BlockIpam::pool>},
};

void readBlockIpam(Reader& in, BlockIpam& v)
{
    readMembers(in, kBlockIpam, v, "IPAM");
}

constexpr Member<Segment> kSegment[] = {
    {"name", [](Reader& in, Segment& s) { readName(in, s.name); }, detail::writeText<&Segment::name>, nullptr,
     Need::Required},
    {"hosts", [](Reader& in, Segment& s) { readCount(in, s.hosts); },
     [](Writer& j, const Segment& s) { j.string(net::toDecimal(s.hosts)); }, nullptr, Need::Required},
    {"growth", [](Reader& in, Segment& s) { readGrowth(in, s.growthPercent); },
     [](Writer& j, const Segment& s) { j.shortestString(s.growthPercent); }, differs<&Segment::growthPercent>},
    {"length", [](Reader& in, Segment& s) { readLength(in, s.fixedLength); },
     [](Writer& j, const Segment& s) { j.number(*s.fixedLength); }, differs<&Segment::fixedLength>},
    {"length6", [](Reader& in, Segment& s) { readLength(in, s.fixedLength6); },
     [](Writer& j, const Segment& s) { j.number(*s.fixedLength6); }, differs<&Segment::fixedLength6>},
    {"vlan", [](Reader& in, Segment& s) { readVlan(in, s.vlan); },
     [](Writer& j, const Segment& s) { j.number(s.vlan); }, differs<&Segment::vlan>},
};

// A block as the plan holds it, for the writer.
struct BlockView {
    const Plan& plan;
    BlockId id;
    const Block& b;
    bool leaf() const { return b.children.empty(); }
    bool assignedLeaf() const { return leaf() && b.state != BlockState::Free; }
};

constexpr Member<RawBlock, BlockView> kBlock[] = {
    {"prefix", [](Reader& in, RawBlock& b) { b.hasPrefix = in.readString(b.prefix); },
     [](Writer& j, const BlockView& v) { j.rawString(net::formatNetwork(v.b.prefix)); }, nullptr, Need::Required},
    {"name", [](Reader& in, RawBlock& b) { in.readString(b.name); },
     [](Writer& j, const BlockView& v) { j.string(v.b.name); }},
    {"note", [](Reader& in, RawBlock& b) { in.readString(b.note); },
     [](Writer& j, const BlockView& v) { j.string(v.b.note); }},
    {"colour", [](Reader& in, RawBlock& b) { b.hasColour = in.readString(b.colour); },
     [](Writer& j, const BlockView& v) { j.rawString(textio::colourText(v.b.colour)); }},
    {"parts", [](Reader& in, RawBlock& b) { readParts(in, b.parts); },
     [](Writer& j, const BlockView& v) { j.number(v.b.children.size()); },
     [](const BlockView& v) { return !v.leaf(); }},
    {"assigned", [](Reader& in, RawBlock& b) { readAssigned(in, b.assigned); },
     [](Writer& j, const BlockView& v) { j.boolean(v.b.state != BlockState::Free); },
     [](const BlockView& v) { return v.leaf(); }},
    {"hosts", [](Reader& in, RawBlock& b) { b.hasHosts = in.readString(b.hosts); },
     [](Writer& j, const BlockView& v) { j.rawString(net::toDecimal(v.b.hostsNeeded)); },
     [](const BlockView& v) { return v.assignedLeaf(); }},
    {"growth", [](Reader& in, RawBlock& b) { readGrowth(in, b.growth); },
     [](Writer& j, const BlockView& v) { j.shortestString(v.b.growthPercent); },
     [](const BlockView& v) { return v.assignedLeaf() && v.b.growthPercent != 0; }, Need::Optional, 2},
    {"vlan", [](Reader& in, RawBlock& b) { readVlan(in, b.vlan); },
     [](Writer& j, const BlockView& v) { j.number(v.b.vlan); },
     [](const BlockView& v) { return v.assignedLeaf() && v.b.vlan; }, Need::Optional, 2},
    {"reserved", [](Reader& in, RawBlock& b) { in.readBool(b.reserved); },
     [](Writer& j, const BlockView&) { j.boolean(true); },
     [](const BlockView& v) { return v.assignedLeaf() && v.b.state == BlockState::Reserved; }, Need::Optional, 2},
    {"subnet", [](Reader& in, RawBlock& b) { readSubnetLayout(in, *(b.subnet = std::make_unique<SubnetLayout>())); },
     [](Writer& j, const BlockView& v) { detail::writeSubnetLayout(j, *v.plan.subnetLayout(v.id)); },
     [](const BlockView& v) { return v.assignedLeaf() && v.plan.hasSubnetLayouts() && v.plan.subnetLayout(v.id); },
     Need::Optional, 3},
    {"ipam", [](Reader& in, RawBlock& b) { readBlockIpam(in, *(b.ipam = std::make_unique<BlockIpam>())); },
     [](Writer& j, const BlockView& v) {
         j.beginObject();
         writeMembers<kBlockIpam>(j, *v.plan.blockIpam(v.id));
         j.end();
     },
     [](const BlockView& v) { return v.plan.hasBlockIpam() && v.plan.blockIpam(v.id); }, Need::Optional, 2},
};

}  // namespace

void readIpam(Reader& in, IpamValues& v)
{
    readMembers(in, kIpam, v, "IPAM");
}

void writeIpam(Writer& j, const IpamValues& v)
{
    j.beginObject();
    writeMembers<kIpam>(j, v);
    j.end();
}

void readSegment(Reader& in, Segment& s)
{
    readMembers(in, kSegment, s, "segment");
}

void writeSegment(Writer& j, const Segment& s)
{
    j.beginObject();
    writeMembers<kSegment>(j, s);
    j.end();
}

void readBlock(Reader& in, RawBlock& b, LaterKeys& later)
{
    readMembers(in, kBlock, b, "block", &later);
}

void writeBlock(Writer& j, const Plan& plan, BlockId id)
{
    j.beginObject();
    writeMembers<kBlock>(j, BlockView{plan, id, plan.block(id)});
    j.end();
}

}  // namespace mq::plan::detail
