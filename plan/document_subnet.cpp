// What version 3 of the .mqplan document adds (its schema: plan/document.cpp): the plan's
// layout rules, a block's own layout and the plan's hosts, read and written. Each value is
// checked here for what it is; how it fits the plan (a host outside its block, the same
// address twice) is checkSubnets' to tell, so such a plan still opens.
#include <algorithm>

#include "net/parse.h"
#include "plan/document_build.h"
#include "textio/escape.h"

namespace mq::plan::detail {

namespace {

namespace json = textio::json;

// The words written for each enumeration, in the enumeration's order.
constexpr const char* kGatewayWords[] = {"none", "first_usable", "last_usable"};
constexpr const char* kRangeWords[] = {"none", "upper_half", "offsets"};
constexpr const char* kDhcp6Words[] = {"slaac", "stateful", "both"};
constexpr int kRoles = static_cast<int>(HostRole::Reserved) + 1;  // named by roleName

template <class E, std::size_t N> const char* wordOf(const char* const (&words)[N], E value)
{
    return words[static_cast<std::size_t>(value)];
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
    if (in.readUnsigned(kMaxKept, v))
        out = static_cast<int>(v);
}

void readRange(json::Reader& in, AddressRange& r)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "first" && firstTime(in, seen, 1, key)) {
            if (auto a = readAddress(in))
                r.first = *a;
        } else if (key == "last" && firstTime(in, seen, 2, key)) {
            if (auto a = readAddress(in))
                r.last = *a;
        } else {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (in.failed())
        return;
    if (seen != 3)
        in.fail(std::string("the range has no \"") + (seen & 1 ? "last" : "first") + "\"");
    else if (r.first.family != r.last.family)
        in.fail("the range runs from " + net::format(r.first) + " to an address of the other family, " +
                net::format(r.last));
    else if (r.last < r.first)
        in.fail("the range runs backwards: " + net::format(r.first) + " comes after " + net::format(r.last));
}

void readRanges(json::Reader& in, std::vector<AddressRange>& ranges)
{
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

void readHost(json::Reader& in, Host& h)
{
    if (!in.beginObject())
        return;
    std::string key, text;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "name" && firstTime(in, seen, 1, key)) {
            if (in.readString(h.name))
                if (auto r = checkHostName(h.name); !r.empty())
                    in.fail("the host name " + r);
        } else if (key == "ipv4" && firstTime(in, seen, 2, key)) {
            readFamilyAddress(in, net::Family::V4, h.v4);
        } else if (key == "ipv6" && firstTime(in, seen, 4, key)) {
            readFamilyAddress(in, net::Family::V6, h.v6);
        } else if (key == "mac" && firstTime(in, seen, 8, key) && in.readString(text)) {
            const auto m = net::parseMac(text);
            if (const auto* e = std::get_if<net::ParseError>(&m))
                in.fail(net::describe(text, *e));
            else
                h.mac = std::get<net::Mac>(m);
        } else if (key == "duid" && firstTime(in, seen, 16, key) && in.readString(text)) {
            auto d = net::parseDuid(text);
            if (const auto* e = std::get_if<net::ParseError>(&d))
                in.fail(net::describe(text, *e));
            else
                h.duid = std::move(std::get<net::Duid>(d));
        } else if (key == "role" && firstTime(in, seen, 32, key)) {
            readRole(in, h.role);
        } else if (key == "note" && firstTime(in, seen, 64, key)) {
            if (in.readString(h.note))
                if (auto r = checkNote(h.note); !r.empty())
                    in.fail("the note " + r);
        } else if (!in.failed()) {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (in.failed())
        return;
    if (!(seen & 1))
        in.fail("the host has no \"name\"");
    else if (!(seen & 6))
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

bool firstTime(json::Reader& in, unsigned& seen, unsigned bit, const std::string& key)
{
    if (seen & bit) {
        in.fail("duplicate key \"" + key + "\"");
        return false;
    }
    seen |= bit;
    return true;
}

void readLayoutRules(json::Reader& in, LayoutRules& rules)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "gateway" && firstTime(in, seen, 1, key))
            readWord(in, kGatewayWords, rules.gateway);
        else if (key == "kept" && firstTime(in, seen, 2, key))
            readKept(in, rules.kept);
        else if (key == "range" && firstTime(in, seen, 4, key))
            readWord(in, kRangeWords, rules.range);
        else if (key == "range_from" && firstTime(in, seen, 8, key))
            readOffset(in, rules.rangeFrom);
        else if (key == "range_to" && firstTime(in, seen, 16, key))
            readOffset(in, rules.rangeTo);
        else if (key == "dhcp6" && firstTime(in, seen, 32, key))
            readWord(in, kDhcp6Words, rules.dhcp6);
        else if (!in.failed())
            in.fail("unknown key \"" + key + "\"");
    }
}

void readSubnetLayout(json::Reader& in, SubnetLayout& layout)
{
    if (!in.beginObject())
        return;
    std::string key, text;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "gateway" && firstTime(in, seen, 1, key)) {
            layout.gatewaySet = true;
            if (in.readString(text) && text != "none")
                layout.gateway = parseAddress(in, text);
        } else if (key == "kept" && firstTime(in, seen, 2, key)) {
            readKept(in, layout.kept.emplace());
        } else if (key == "ranges" && firstTime(in, seen, 4, key)) {
            layout.rangesSet = true;
            readRanges(in, layout.ranges);
        } else if (key == "dhcp6" && firstTime(in, seen, 8, key)) {
            readWord(in, kDhcp6Words, layout.dhcp6.emplace());
        } else if (key == "delegated_length" && firstTime(in, seen, 16, key)) {
            std::uint64_t v = 0;
            if (in.readUnsigned(128, v) && v == 0)
                in.fail("a delegated prefix is /1 to /128");
            layout.delegatedLength = static_cast<int>(v);
        } else if (!in.failed()) {
            in.fail("unknown key \"" + key + "\"");
        }
    }
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

std::optional<DocumentError> addHosts(Plan& plan, std::vector<Host>& hosts)
{
    for (std::size_t i = 0; i < hosts.size(); ++i)
        if (auto r = plan.insertHost(i, std::move(hosts[i])); !r.empty())
            return DocumentError{"$.hosts[" + std::to_string(i) + "]", r};
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
    if (rules == LayoutRules{})
        return;
    j.key("layout");
    j.beginObject();
    if (rules.gateway != GatewayRule::None) {
        j.key("gateway");
        j.rawString(wordOf(kGatewayWords, rules.gateway));
    }
    if (rules.kept) {
        j.key("kept");
        j.number(rules.kept);
    }
    if (rules.range != RangeRule::None) {
        j.key("range");
        j.rawString(wordOf(kRangeWords, rules.range));
    }
    if (rules.rangeFrom) {
        j.key("range_from");
        j.rawString(net::toDecimal(rules.rangeFrom));
    }
    if (rules.rangeTo) {
        j.key("range_to");
        j.rawString(net::toDecimal(rules.rangeTo));
    }
    if (rules.dhcp6 != Dhcp6Mode::Slaac) {
        j.key("dhcp6");
        j.rawString(wordOf(kDhcp6Words, rules.dhcp6));
    }
    j.end();
}

void writeSubnetLayout(json::Writer& j, const SubnetLayout& layout)
{
    j.key("subnet");
    j.beginObject();
    if (layout.gatewaySet) {
        j.key("gateway");
        if (layout.gateway)
            writeAddress(j, *layout.gateway);
        else
            j.rawString("none");
    }
    if (layout.kept) {
        j.key("kept");
        j.number(*layout.kept);
    }
    if (layout.rangesSet) {
        j.key("ranges");
        j.beginArray();
        for (const AddressRange& r : layout.ranges) {
            j.beginObject();
            j.key("first");
            writeAddress(j, r.first);
            j.key("last");
            writeAddress(j, r.last);
            j.end();
        }
        j.end();
    }
    if (layout.dhcp6) {
        j.key("dhcp6");
        j.rawString(wordOf(kDhcp6Words, *layout.dhcp6));
    }
    if (layout.delegatedLength) {
        j.key("delegated_length");
        j.number(layout.delegatedLength);
    }
    j.end();
}

void writeHost(json::Writer& j, const Host& host)
{
    j.beginObject();
    j.key("name");
    j.string(host.name);
    if (host.v4) {
        j.key("ipv4");
        writeAddress(j, *host.v4);
    }
    if (host.v6) {
        j.key("ipv6");
        writeAddress(j, *host.v6);
    }
    if (host.mac) {
        j.key("mac");
        j.rawString(net::formatMac(*host.mac));
    }
    if (!host.duid.empty()) {
        j.key("duid");
        j.rawString(net::formatDuid(host.duid));
    }
    if (host.role != HostRole::Other) {
        j.key("role");
        j.rawString(roleName(host.role));
    }
    if (!host.note.empty()) {
        j.key("note");
        j.string(host.note);
    }
    j.end();
}

}  // namespace mq::plan::detail
