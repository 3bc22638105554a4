// What version 3 of the .mqplan document adds (its schema: plan/document.cpp): the plan's
// layout rules, a block's own layout and the plan's hosts, read and written. Each value is
// checked here for what it is; how it fits the plan (a host outside its block, the same
// address twice) is checkSubnets' to tell, so such a plan still opens.
#include <algorithm>

#include "net/parse.h"
#include "plan/document_build.h"
#include "plan/document_table.h"
#include "plan/fields.h"
#include "textio/escape.h"

namespace mq::plan::detail {

namespace {

namespace json = textio::json;

// The words written for each enumeration, in the enumeration's order.
constexpr const char* kGatewayWords[] = {"none", "first_usable", "last_usable"};
constexpr const char* kRangeWords[] = {"none", "upper_half", "offsets"};
constexpr const char* kDhcp6Words[] = {"slaac", "stateful", "both"};
constexpr int kRoles = static_cast<int>(HostRole::Reserved) + 1;  // named by roleName

const char* wordFor(GatewayRule v)
{
    return kGatewayWords[static_cast<std::size_t>(v)];
}
const char* wordFor(RangeRule v)
{
    return kRangeWords[static_cast<std::size_t>(v)];
}
const char* wordFor(Dhcp6Mode v)
{
    return kDhcp6Words[static_cast<std::size_t>(v)];
}

// One of n words, name(i) the word of value i.
template <class E, class Name> void readWordOf(json::Reader& in, int n, Name name, E& out)
{
    std::string v;
    if (!in.readString(v))
        return;
    for (int i = 0; i < n; ++i) {
        if (v == name(i)) {
            out = static_cast<E>(i);
            return;
        }
    }
    std::string all;
    for (int i = 0; i < n; ++i)
        all += (i ? ", " : "") + std::string(name(i));
    in.fail(textio::quoted(v) + " is not one of " + all);
}

template <class E, std::size_t N> void readWord(json::Reader& in, const char* const (&words)[N], E& out)
{
    readWordOf(
        in, static_cast<int>(N), [&](int i) { return words[i]; }, out);
}

void readRole(json::Reader& in, HostRole& out)
{
    readWordOf(
        in, kRoles, [](int i) { return roleName(static_cast<HostRole>(i)); }, out);
}

// An address as a plan writes it: no zone, no prefix length.
std::optional<net::Address> parseAddress(json::Reader& in, const std::string& text)
{
    std::string zone;
    const auto r = net::parseAddress(text, &zone);
    if (const auto* e = std::get_if<net::ParseError>(&r)) {
        in.fail(net::describe(text, *e));
        return std::nullopt;
    }
    if (!zone.empty()) {
        in.fail(textio::quoted(text) + " names a zone: the addresses of a plan have none");
        return std::nullopt;
    }
    return std::get<net::Address>(r);
}

void readFamilyAddress(json::Reader& in, net::Family f, std::optional<net::Address>& out)
{
    const auto a = readAddress(in);
    if (a && a->family != f)
        in.fail(net::format(*a) + " is not an IPv" + std::to_string(static_cast<int>(f)) + " address");
    else if (a)
        out = a;
}

void readOffset(json::Reader& in, net::u128& out)
{
    std::string text;
    if (!in.readString(text))
        return;
    const auto v = net::parseDecimal(text);
    if (!v)
        in.fail(textio::quoted(text) + " is not a whole number from 0 to 2^128 - 1");
    else
        out = *v;
}

void readKept(json::Reader& in, int& out)
{
    std::uint64_t v = 0;
    if (!in.readUnsigned(1'000'000, v))
        return;
    if (const auto read = parseKept(std::to_string(v)); !read)
        in.fail(textio::describe(read.problem()));
    else
        out = static_cast<int>(v);
}

void readRanges(json::Reader& in, SubnetLayout& layout);
void writeRanges(json::Writer& j, const std::vector<AddressRange>& ranges);

void readRangeEnd(json::Reader& in, net::Address& out)
{
    if (auto a = readAddress(in))
        out = *a;
}

void readMac(json::Reader& in, std::optional<net::Mac>& out)
{
    std::string text;
    if (!in.readString(text))
        return;
    const auto m = net::parseMac(text);
    if (const auto* e = std::get_if<net::ParseError>(&m))
        in.fail(net::describe(text, *e));
    else
        out = std::get<net::Mac>(m);
}

void readDuid(json::Reader& in, net::Duid& out)
{
    std::string text;
    if (!in.readString(text))
        return;
    auto d = net::parseDuid(text);
    if (const auto* e = std::get_if<net::ParseError>(&d))
        in.fail(net::describe(text, *e));
    else
        out = std::move(std::get<net::Duid>(d));
}

void readChecked(json::Reader& in, std::string& out, std::string (*check)(std::string_view), const char* what)
{
    if (in.readString(out))
        if (auto r = check(out); !r.empty())
            in.fail(what + r);
}

void readGateway(json::Reader& in, SubnetLayout& layout)
{
    layout.gatewaySet = true;
    if (std::string text; in.readString(text) && text != "none")
        layout.gateway = parseAddress(in, text);
}

void readDelegatedLength(json::Reader& in, int& out)
{
    std::uint64_t v = 0;
    if (in.readUnsigned(128, v) && v == 0)
        in.fail("a delegated prefix is /1 to /128");
    out = static_cast<int>(v);
}

template <auto F> void writeWordOf(json::Writer& j, const ClassOf<F>& v)
{
    j.rawString(wordFor(v.*F));
}

constexpr Member<LayoutRules> kLayoutRules[] = {
    {"gateway", [](json::Reader& in, LayoutRules& r) { readWord(in, kGatewayWords, r.gateway); },
     writeWordOf<&LayoutRules::gateway>, differs<&LayoutRules::gateway>},
    {"kept", [](json::Reader& in, LayoutRules& r) { readKept(in, r.kept); },
     [](json::Writer& j, const LayoutRules& r) { j.number(r.kept); }, differs<&LayoutRules::kept>},
    {"range", [](json::Reader& in, LayoutRules& r) { readWord(in, kRangeWords, r.range); },
     writeWordOf<&LayoutRules::range>, differs<&LayoutRules::range>},
    {"range_from", [](json::Reader& in, LayoutRules& r) { readOffset(in, r.rangeFrom); },
     [](json::Writer& j, const LayoutRules& r) { j.rawString(net::toDecimal(r.rangeFrom)); },
     differs<&LayoutRules::rangeFrom>},
    {"range_to", [](json::Reader& in, LayoutRules& r) { readOffset(in, r.rangeTo); },
     [](json::Writer& j, const LayoutRules& r) { j.rawString(net::toDecimal(r.rangeTo)); },
     differs<&LayoutRules::rangeTo>},
    {"dhcp6", [](json::Reader& in, LayoutRules& r) { readWord(in, kDhcp6Words, r.dhcp6); },
     writeWordOf<&LayoutRules::dhcp6>, differs<&LayoutRules::dhcp6>},
};

constexpr Member<SubnetLayout> kSubnetLayout[] = {
    {"gateway", readGateway,
     [](json::Writer& j, const SubnetLayout& l) {
         if (l.gateway)
             writeAddress(j, *l.gateway);
         else
             j.rawString("none");
     },
     [](const SubnetLayout& l) { return l.gatewaySet; }},
    {"kept", [](json::Reader& in, SubnetLayout& l) { readKept(in, l.kept.emplace()); },
     [](json::Writer& j, const SubnetLayout& l) { j.number(*l.kept); }, differs<&SubnetLayout::kept>},
    {"ranges", [](json::Reader& in, SubnetLayout& l) { readRanges(in, l); },
     [](json::Writer& j, const SubnetLayout& l) { writeRanges(j, l.ranges); },
     [](const SubnetLayout& l) { return l.rangesSet; }},
    {"dhcp6", [](json::Reader& in, SubnetLayout& l) { readWord(in, kDhcp6Words, l.dhcp6.emplace()); },
     [](json::Writer& j, const SubnetLayout& l) { j.rawString(wordFor(*l.dhcp6)); }, differs<&SubnetLayout::dhcp6>},
    {"delegated_length", [](json::Reader& in, SubnetLayout& l) { readDelegatedLength(in, l.delegatedLength); },
     [](json::Writer& j, const SubnetLayout& l) { j.number(l.delegatedLength); },
     differs<&SubnetLayout::delegatedLength>},
};

constexpr Member<AddressRange> kRange[] = {
    {"first", [](json::Reader& in, AddressRange& r) { readRangeEnd(in, r.first); },
     [](json::Writer& j, const AddressRange& r) { writeAddress(j, r.first); }, nullptr, Need::Required},
    {"last", [](json::Reader& in, AddressRange& r) { readRangeEnd(in, r.last); },
     [](json::Writer& j, const AddressRange& r) { writeAddress(j, r.last); }, nullptr, Need::Required},
};

constexpr Member<Host> kHost[] = {
    {"name", [](json::Reader& in, Host& h) { readChecked(in, h.name, checkHostName, "the host name "); },
     writeText<&Host::name>, nullptr, Need::Required},
    {"ipv4", [](json::Reader& in, Host& h) { readFamilyAddress(in, net::Family::V4, h.v4); },
     [](json::Writer& j, const Host& h) { writeAddress(j, *h.v4); }, differs<&Host::v4>},
    {"ipv6", [](json::Reader& in, Host& h) { readFamilyAddress(in, net::Family::V6, h.v6); },
     [](json::Writer& j, const Host& h) { writeAddress(j, *h.v6); }, differs<&Host::v6>},
    {"mac", [](json::Reader& in, Host& h) { readMac(in, h.mac); },
     [](json::Writer& j, const Host& h) { j.rawString(net::formatMac(*h.mac)); }, differs<&Host::mac>},
    {"duid", [](json::Reader& in, Host& h) { readDuid(in, h.duid); },
     [](json::Writer& j, const Host& h) { j.rawString(net::formatDuid(h.duid)); },
     [](const Host& h) { return !h.duid.empty(); }},
    {"role", [](json::Reader& in, Host& h) { readRole(in, h.role); },
     [](json::Writer& j, const Host& h) { j.rawString(roleName(h.role)); }, differs<&Host::role>},
    {"note", [](json::Reader& in, Host& h) { readChecked(in, h.note, checkNote, "the note "); }, writeText<&Host::note>,
     differs<&Host::note>},
};

void readRange(json::Reader& in, AddressRange& r)
{
    readMembers(in, kRange, r, "range");
    if (in.failed())
        return;
    if (r.first.family != r.last.family)
        in.fail("the range runs from " + net::format(r.first) + " to an address of the other family, " +
                net::format(r.last));
    else if (r.last < r.first)
        in.fail("the range runs backwards: " + net::format(r.first) + " comes after " + net::format(r.last));
}

// The block's own ranges, in place of the rule's: none when the list is empty.
void readRanges(json::Reader& in, SubnetLayout& layout)
{
    layout.rangesSet = true;
    std::vector<AddressRange>& ranges = layout.ranges;
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (ranges.size() == kMaxRangesPerBlock) {
            in.fail("a block holds at most " + std::to_string(kMaxRangesPerBlock) + " ranges");
            return;
        }
        readRange(in, ranges.emplace_back());
    }
}

void writeRanges(json::Writer& j, const std::vector<AddressRange>& ranges)
{
    j.beginArray();
    for (const AddressRange& r : ranges) {
        j.beginObject();
        writeMembers<kRange>(j, r);
        j.end();
    }
    j.end();
}

void readHost(json::Reader& in, Host& h)
{
    const std::uint64_t seen = readMembers(in, kHost, h, "host");
    if (!in.failed() && !wasSeen(kHost, seen, "ipv4") && !wasSeen(kHost, seen, "ipv6"))
        in.fail("the host has no \"ipv4\" and no \"ipv6\"");
}

}  // namespace

std::optional<net::Address> readAddress(json::Reader& in)
{
    std::string text;
    if (!in.readString(text))
        return std::nullopt;
    return parseAddress(in, text);
}

void writeAddress(json::Writer& j, const net::Address& a)
{
    char buf[net::kAddressRoom];
    j.rawString({buf, static_cast<std::size_t>(net::writeAddress(buf, a) - buf)});
}

void readLayoutRules(json::Reader& in, LayoutRules& rules)
{
    readMembers(in, kLayoutRules, rules, "layout");
}

void readSubnetLayout(json::Reader& in, SubnetLayout& layout)
{
    readMembers(in, kSubnetLayout, layout, "subnet");
}

void readHosts(json::Reader& in, std::vector<Host>& hosts)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (hosts.size() == kMaxHosts) {
            in.fail("a plan holds at most " + std::to_string(kMaxHosts) + " hosts");
            return;
        }
        readHost(in, hosts.emplace_back());
    }
}

std::optional<textio::Problem> addHosts(Plan& plan, std::vector<Host>& hosts)
{
    for (std::size_t i = 0; i < hosts.size(); ++i)
        if (auto r = plan.insertHost(i, std::move(hosts[i])); !r.empty())
            return documentFault("$.hosts[" + std::to_string(i) + "]", r);
    hosts.clear();
    return std::nullopt;
}

bool needsVersion3(const Plan& plan)
{
    const Settings& s = plan.settings();
    return s.vlanNumbering || s.layout != LayoutRules{} || plan.hasSubnetLayouts() || !plan.hosts().empty() ||
           hasOutputs(plan);
}

void writeLayoutRules(json::Writer& j, const LayoutRules& rules)
{
    j.beginObject();
    writeMembers<kLayoutRules>(j, rules);
    j.end();
}

void writeSubnetLayout(json::Writer& j, const SubnetLayout& layout)
{
    j.beginObject();
    writeMembers<kSubnetLayout>(j, layout);
    j.end();
}

void writeHost(json::Writer& j, const Host& host)
{
    j.beginObject();
    writeMembers<kHost>(j, host);
    j.end();
}

}  // namespace mq::plan::detail
