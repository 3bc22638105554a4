// Writing the .mqplan document (its schema: plan/document.cpp): keys in the schema's order,
// optional ones only when they differ from the default, one block, segment or host a line.
#include <cstdio>

#include "plan/document.h"
#include "plan/document_build.h"
#include "textio/fields.h"
#include "textio/json.h"

namespace mq::plan {

namespace {

using textio::json::Layout;
using textio::json::Writer;

// A member holding a text, left out when the text is empty.
void text(Writer& j, const char* key, const std::string& value)
{
    if (value.empty())
        return;
    j.key(key);
    j.string(value);
}

void writeIpam(Writer& j, const IpamValues& v)
{
    if (v.empty())
        return;
    j.key("ipam");
    j.beginObject();
    text(j, "tenant", v.tenant);
    text(j, "role", v.role);
    text(j, "vrf", v.vrf);
    if (!v.tags.empty()) {
        j.key("tags");
        j.beginArray();
        for (const std::string& tag : v.tags)
            j.string(tag);
        j.end();
    }
    text(j, "section", v.section);
    text(j, "domain", v.domain);
    text(j, "customer", v.customer);
    text(j, "vlan_group", v.vlanGroup);
    text(j, "site", v.site);
    j.end();
}

void writeBlockIpam(Writer& j, const BlockIpam& v)
{
    j.key("ipam");
    j.beginObject();
    text(j, "tenant", v.tenant);
    text(j, "role", v.role);
    text(j, "vrf", v.vrf);
    text(j, "status", v.status);
    if (v.pool) {
        j.key("pool");
        j.boolean(true);
    }
    j.end();
}

// "format" to "segments": everything before the blocks.
void writeHead(Writer& j, const Plan& plan)
{
    j.key("format");
    j.string("maskquill-plan");
    j.key("version");
    j.number(detail::needsVersion3(plan) ? 3 : 2);
    j.key("roots");
    j.beginArray();
    for (BlockId r : plan.roots())
        j.string(net::formatNetwork(plan.block(r).prefix));
    j.end();
    j.key("settings");
    j.beginObject();
    j.key("links_30");
    j.boolean(plan.settings().links30);
    j.key("nibble");
    j.boolean(plan.settings().nibble);
    if (plan.settings().cloud != CloudMode::None) {
        j.key("cloud");
        j.string(cloudRules(plan.settings().cloud).key);
    }
    if (plan.settings().vlanNumbering) {
        j.key("vlan_numbering");
        j.boolean(true);
    }
    detail::writeLayoutRules(j, plan.settings().layout);
    j.end();
    writeIpam(j, plan.ipamValues());
    j.key("segments");
    j.beginArray(Layout::Indented);
    for (const Segment& s : plan.segments()) {
        j.beginObject();
        j.key("name");
        j.string(s.name);
        j.key("hosts");
        j.string(net::toDecimal(s.hosts));
        if (s.growthPercent != 0) {
            j.key("growth");
            j.shortestString(s.growthPercent);
        }
        if (s.fixedLength) {
            j.key("length");
            j.number(*s.fixedLength);
        }
        if (s.fixedLength6) {
            j.key("length6");
            j.number(*s.fixedLength6);
        }
        if (s.vlan) {
            j.key("vlan");
            j.number(s.vlan);
        }
        j.end();
    }
    j.end();
}

void writeBlock(Writer& j, const Plan& plan, BlockId id)
{
    const Block& b = plan.block(id);
    j.beginObject();
    j.key("prefix");
    j.rawString(net::formatNetwork(b.prefix));
    j.key("name");
    j.string(b.name);
    j.key("note");
    j.string(b.note);
    j.key("colour");
    j.rawString(textio::colourText(b.colour));
    if (!b.children.empty()) {
        j.key("parts");
        j.number(b.children.size());
    } else {
        j.key("assigned");
        j.boolean(b.state != BlockState::Free);
    }
    if (b.children.empty() && b.state != BlockState::Free) {
        j.key("hosts");
        j.rawString(net::toDecimal(b.hostsNeeded));
        if (b.growthPercent != 0) {
            j.key("growth");
            j.shortestString(b.growthPercent);
        }
        if (b.vlan) {
            j.key("vlan");
            j.number(b.vlan);
        }
        if (b.state == BlockState::Reserved) {
            j.key("reserved");
            j.boolean(true);
        }
        if (const SubnetLayout* l = plan.hasSubnetLayouts() ? plan.subnetLayout(id) : nullptr)
            detail::writeSubnetLayout(j, *l);
    }
    if (const BlockIpam* v = plan.hasBlockIpam() ? plan.blockIpam(id) : nullptr)
        writeBlockIpam(j, *v);
    j.end();
}

}  // namespace

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
    constexpr std::size_t kPiece = 1 << 20;
    std::string out;
    out.reserve(kPiece + 64 * 1024);
    const auto spill = [&] {
        if (out.size() >= kPiece) {
            write(out);
            out.clear();
        }
    };
    Writer j(out);
    j.beginObject(Layout::Indented);
    writeHead(j, plan);
    j.key("blocks");
    j.beginArray(Layout::Indented);
    for (BlockId r : plan.roots()) {
        for (BlockId id : plan.preorder(r)) {
            spill();
            writeBlock(j, plan, id);
        }
    }
    j.end();
    if (!plan.hosts().empty()) {
        j.key("hosts");
        j.beginArray(Layout::Indented);
        for (const Host& h : plan.hosts()) {
            spill();
            detail::writeHost(j, h);
        }
        j.end();
    }
    detail::writeOutputs(j, plan, spill);
    j.end();
    out += '\n';
    write(out);
}

}  // namespace mq::plan
