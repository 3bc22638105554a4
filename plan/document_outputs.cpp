// The .mqplan document's "outputs" (its schema: plan/document.cpp): what the DHCP and DNS
// configuration is written with, the Kea subnet ID of each block and each zone's last
// serial. The IDs and serials are what keeps leases and secondaries right from one export
// to the next, so a document that garbles one is refused rather than opened with it lost.
#include <charconv>
#include <iterator>
#include <unordered_map>
#include <utility>

#include "plan/document_build.h"
#include "plan/document_table.h"
#include "plan/output_keys.h"
#include "textio/escape.h"

namespace mq::plan::detail {

namespace {

namespace json = textio::json;
using json::Layout;

// A list inside the settings: the settings' own check names the real limit; this one only
// keeps a hostile document from filling memory before it runs.
constexpr std::size_t kMaxListed = 64;
constexpr std::size_t kMaxZones = kMaxBlocks;

constexpr const char* kNamingWords[] = {"slash", "dash"};
constexpr const char* kRfc2317Words[] = {"none", "all"};

void writeAddresses(json::Writer& j, const std::vector<net::Address>& addresses)
{
    j.beginArray();
    for (const net::Address& a : addresses)
        writeAddress(j, a);
    j.end();
}

void readAddresses(json::Reader& in, std::vector<net::Address>& out)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (out.size() == kMaxListed) {
            in.fail("at most " + std::to_string(kMaxListed) + " addresses");
            return;
        }
        if (auto a = readAddress(in))
            out.push_back(*a);
    }
}

constexpr Member<NameServer> kNameServer[] = {
    {"name", [](json::Reader& in, NameServer& ns) { in.readString(ns.name); }, writeText<&NameServer::name>, nullptr,
     Need::Required},
    {"addresses", [](json::Reader& in, NameServer& ns) { readAddresses(in, ns.addresses); },
     [](json::Writer& j, const NameServer& ns) { writeAddresses(j, ns.addresses); }, differs<&NameServer::addresses>},
};

void readNameServers(json::Reader& in, std::vector<NameServer>& out)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (out.size() == kMaxListed) {
            in.fail("at most " + std::to_string(kMaxListed) + " name servers");
            return;
        }
        readMembers(in, kNameServer, out.emplace_back(), "name server");
    }
}

void readCut(json::Reader& in, int& out)
{
    std::uint64_t v = 0;
    if (in.readUnsigned(128, v))
        out = static_cast<int>(v);
}

void readNaming(json::Reader& in, ReverseNaming& out)
{
    std::string v;
    if (!in.readString(v))
        return;
    if (v == kNamingWords[0])
        out = ReverseNaming::Slash;
    else if (v == kNamingWords[1])
        out = ReverseNaming::Dash;
    else
        in.fail(textio::quoted(v) + " is not one of slash, dash");
}

void readRfc2317(json::Reader& in, Rfc2317& out)
{
    std::string v;
    if (!in.readString(v))
        return;
    if (v == kRfc2317Words[0])
        out = Rfc2317::None;
    else if (v == kRfc2317Words[1])
        out = Rfc2317::All;
    else
        in.fail(textio::quoted(v) + " is not one of none, all");
}

// Each a network of the document's form; whether it is a block to delegate is the settings'
// check, as for every other setting.
void readDelegated(json::Reader& in, std::vector<net::Prefix>& out)
{
    if (!in.beginArray())
        return;
    std::string text;
    while (in.nextItem()) {
        if (out.size() == kMaxDelegated) {
            in.fail("at most " + std::to_string(kMaxDelegated) + " delegated blocks");
            return;
        }
        if (!in.readString(text))
            return;
        auto p = documentPrefix(text);
        if (auto* why = std::get_if<std::string>(&p)) {
            in.fail(*why);
            return;
        }
        out.push_back(std::get<net::Prefix>(p));
    }
}

// An entry of "dhcp_ids" as read, and as the plan holds it.
struct DhcpIdEntry {
    std::optional<net::Prefix> prefix;
    std::uint64_t id = 0;
};
using DhcpId = DhcpIds::value_type;

void readIdPrefix(json::Reader& in, std::optional<net::Prefix>& out)
{
    std::string text;
    if (!in.readString(text))
        return;
    auto p = documentPrefix(text);
    if (auto* why = std::get_if<std::string>(&p))
        in.fail(*why);
    else
        out = std::get<net::Prefix>(p);
}

void readDhcpIdNumber(json::Reader& in, std::uint64_t& id)
{
    if (in.readUnsigned(kMaxDhcpId, id) && id == 0)
        in.fail("a Kea subnet ID is 1 to " + std::to_string(kMaxDhcpId));
}

constexpr Member<DhcpIdEntry, DhcpId> kDhcpId[] = {
    {"prefix", [](json::Reader& in, DhcpIdEntry& e) { readIdPrefix(in, e.prefix); },
     [](json::Writer& j, const DhcpId& e) { j.rawString(net::formatNetwork(e.first)); }, nullptr, Need::Required},
    {"id", [](json::Reader& in, DhcpIdEntry& e) { readDhcpIdNumber(in, e.id); },
     [](json::Writer& j, const DhcpId& e) { j.number(e.second); }, nullptr, Need::Required},
};

void readDhcpId(json::Reader& in, DhcpIds& ids, std::unordered_map<std::uint32_t, net::Prefix>& owner)
{
    DhcpIdEntry e;
    readMembers(in, kDhcpId, e, "entry");
    if (in.failed())
        return;
    if (ids.count(*e.prefix))
        in.fail(net::formatNetwork(*e.prefix) + " has an ID already");
    else if (auto [at, fresh] = owner.emplace(static_cast<std::uint32_t>(e.id), *e.prefix); !fresh)
        in.fail("the ID " + std::to_string(e.id) + " is " + net::formatNetwork(at->second) + "'s already");
    else
        ids.emplace(*e.prefix, static_cast<std::uint32_t>(e.id));
}

void readDhcpIds(json::Reader& in, DhcpIds& ids)
{
    if (!in.beginArray())
        return;
    std::unordered_map<std::uint32_t, net::Prefix> owner;
    while (in.nextItem()) {
        if (ids.size() == kMaxBlocks) {
            in.fail("at most " + std::to_string(kMaxBlocks) + " subnet IDs");
            return;
        }
        readDhcpId(in, ids, owner);
    }
}

// A zone's name as the zone writer makes it: labels of letters, digits, '-', '_' and, for an
// RFC 2317 child zone, '/'.
std::string zoneNameFault(std::string_view name)
{
    if (name.empty() || name.size() > 253)
        return "a zone name is 1 to 253 bytes";
    std::size_t label = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        const char c = i < name.size() ? name[i] : '.';
        if (c == '.') {
            if (label == 0 || label > 63)
                return textio::quoted(name) + " has a label that is empty or longer than 63 bytes";
            label = 0;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                   c == '/') {
            ++label;
        } else {
            return textio::quoted(name) + " is no zone name: it holds " + textio::quoted(std::string_view(&name[i], 1));
        }
    }
    return {};
}

bool readHash(json::Reader& in, std::uint64_t& out)
{
    std::string text;
    if (!in.readString(text))
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, 16);
    if (text.size() != 16 || ec != std::errc{} || end != text.data() + text.size()) {
        in.fail(textio::quoted(text) + " is not 16 hexadecimal digits");
        return false;
    }
    return true;
}

// An entry of "zone_serials" as read, and as the plan holds it.
struct ZoneEntry {
    std::string zone;
    ZoneSerial z;
};
using Zone = ZoneSerials::value_type;

void readZoneName(json::Reader& in, std::string& zone)
{
    if (in.readString(zone))
        if (auto r = zoneNameFault(zone); !r.empty())
            in.fail(r);
}

void writeHash(json::Writer& j, std::uint64_t hash)
{
    char text[16];
    for (int i = 0; i < 16; ++i)
        text[i] = "0123456789abcdef"[(hash >> (60 - 4 * i)) & 15];
    j.rawString({text, 16});
}

void readSerial(json::Reader& in, std::uint32_t& out)
{
    if (std::uint64_t v = 0; in.readUnsigned(0xFFFFFFFFu, v))
        out = static_cast<std::uint32_t>(v);
}

constexpr Member<ZoneEntry, Zone> kZoneSerial[] = {
    {"zone", [](json::Reader& in, ZoneEntry& e) { readZoneName(in, e.zone); },
     [](json::Writer& j, const Zone& z) { j.string(z.first); }, nullptr, Need::Required},
    {"serial", [](json::Reader& in, ZoneEntry& e) { readSerial(in, e.z.serial); },
     [](json::Writer& j, const Zone& z) { j.number(z.second.serial); }, nullptr, Need::Required},
    {"hash", [](json::Reader& in, ZoneEntry& e) { readHash(in, e.z.hash); },
     [](json::Writer& j, const Zone& z) { writeHash(j, z.second.hash); }, nullptr, Need::Required},
};

void readZoneSerials(json::Reader& in, ZoneSerials& serials)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (serials.size() == kMaxZones) {
            in.fail("at most " + std::to_string(kMaxZones) + " zones");
            return;
        }
        ZoneEntry e;
        readMembers(in, kZoneSerial, e, "entry");
        if (!in.failed() && !serials.emplace(e.zone, e.z).second)
            in.fail("the zone " + textio::quoted(e.zone) + " is listed twice");
    }
}

template <auto F> void readText(json::Reader& in, OutputSettings& s)
{
    in.readString(s.*F);
}

template <auto F> void readSeconds(json::Reader& in, OutputSettings& s)
{
    if (std::uint64_t v = 0; in.readUnsigned(0xFFFFFFFFu, v))
        s.*F = static_cast<std::uint32_t>(v);
}

template <auto F> void writeNumber(json::Writer& j, const OutputSettings& s)
{
    j.number(s.*F);
}

// A text setting, and a setting of seconds.
template <auto F> constexpr Member<OutputSettings> textSetting(std::string_view key)
{
    return {key, readText<F>, writeText<F>, differs<F>};
}
template <auto F> constexpr Member<OutputSettings> secondsSetting(std::string_view key)
{
    return {key, readSeconds<F>, writeNumber<F>, differs<F>};
}

void writeNameServers(json::Writer& j, const OutputSettings& s)
{
    j.beginArray();
    for (const NameServer& ns : s.nameServers) {
        j.beginObject();
        writeMembers<kNameServer>(j, ns);
        j.end();
    }
    j.end();
}

void writeDelegated(json::Writer& j, const OutputSettings& s)
{
    j.beginArray();
    for (const net::Prefix& p : s.delegated)
        j.rawString(net::formatNetwork(p));
    j.end();
}

// The member of each setting that is not a text or seconds: one of each kind.
constexpr Member<OutputSettings> oneOfAKind(std::string_view key, OutputValue value)
{
    using S = OutputSettings;
    switch (value) {
    case OutputValue::Servers:
        return {key, [](json::Reader& in, S& s) { readAddresses(in, s.dnsServers); },
                [](json::Writer& j, const S& s) { writeAddresses(j, s.dnsServers); }, differs<&S::dnsServers>};
    case OutputValue::NameServers:
        return {key, [](json::Reader& in, S& s) { readNameServers(in, s.nameServers); }, writeNameServers,
                differs<&S::nameServers>};
    case OutputValue::ZoneCut4:
        return {key, [](json::Reader& in, S& s) { readCut(in, s.zoneCut4); }, writeNumber<&S::zoneCut4>,
                differs<&S::zoneCut4>};
    case OutputValue::ZoneCut6:
        return {key, [](json::Reader& in, S& s) { readCut(in, s.zoneCut6); }, writeNumber<&S::zoneCut6>,
                differs<&S::zoneCut6>};
    case OutputValue::Naming:
        return {key, [](json::Reader& in, S& s) { readNaming(in, s.naming); },
                [](json::Writer& j, const S& s) { j.rawString(kNamingWords[static_cast<int>(s.naming)]); },
                differs<&S::naming>};
    case OutputValue::Rfc2317:
        return {key, [](json::Reader& in, S& s) { readRfc2317(in, s.rfc2317); },
                [](json::Writer& j, const S& s) { j.rawString(kRfc2317Words[static_cast<int>(s.rfc2317)]); },
                differs<&S::rfc2317>};
    case OutputValue::Delegated:
        return {key, [](json::Reader& in, S& s) { readDelegated(in, s.delegated); }, writeDelegated,
                differs<&S::delegated>};
    case OutputValue::YesNo:
        return {key, readBool<&S::emptyReverseZones>, writeBool<&S::emptyReverseZones>, differs<&S::emptyReverseZones>};
    default: return {key};
    }
}

template <std::size_t I> constexpr Member<OutputSettings> settingMember()
{
    constexpr OutputKey k = kOutputKeys[I];
    if constexpr (k.value == OutputValue::Name || k.value == OutputValue::Text)
        return textSetting<k.text>(k.key);
    else if constexpr (k.value == OutputValue::Seconds)
        return secondsSetting<k.seconds>(k.key);
    else
        return oneOfAKind(k.key, k.value);
}

template <std::size_t... I>
constexpr std::array<Member<OutputSettings>, sizeof...(I)> settingMembers(std::index_sequence<I...>)
{
    return {settingMember<I>()...};
}

// The settings in the order of kOutputKeys, each member only when not its default. Each
// value reads; whether they make settings a server takes is the settings' check, which
// checkSubnets shows as the plan's problem: a plan saved under looser rules opens.
constexpr auto kOutputSettings = settingMembers(std::make_index_sequence<kOutputKeyCount>{});

// "outputs" as the plan holds it, for the writer.
struct OutputsView {
    const Plan& plan;
    const std::function<void()>& spill;
};

// An array of entries written one a line, spill() before each.
template <const auto& Keys, class List>
void writeEntries(json::Writer& j, const List& list, const std::function<void()>& spill)
{
    j.beginArray(Layout::Indented);
    for (const auto& e : list) {
        spill();
        j.beginObject();
        writeMembers<Keys>(j, e);
        j.end();
    }
    j.end();
}

constexpr Member<RawDocument, OutputsView> kOutputs[] = {
    {"settings", [](json::Reader& in, RawDocument& doc) { readMembers(in, kOutputSettings, doc.outputs, "settings"); },
     [](json::Writer& j, const OutputsView& v) {
         j.beginObject();
         writeMembers<kOutputSettings>(j, v.plan.outputSettings());
         j.end();
     },
     [](const OutputsView& v) { return v.plan.outputSettings() != OutputSettings{}; }},
    {"dhcp_ids", [](json::Reader& in, RawDocument& doc) { readDhcpIds(in, doc.dhcpIds); },
     [](json::Writer& j, const OutputsView& v) { writeEntries<kDhcpId>(j, v.plan.dhcpIds(), v.spill); },
     [](const OutputsView& v) { return !v.plan.dhcpIds().empty(); }},
    {"zone_serials", [](json::Reader& in, RawDocument& doc) { readZoneSerials(in, doc.zoneSerials); },
     [](json::Writer& j, const OutputsView& v) { writeEntries<kZoneSerial>(j, v.plan.zoneSerials(), v.spill); },
     [](const OutputsView& v) { return !v.plan.zoneSerials().empty(); }},
};

}  // namespace

void readOutputs(json::Reader& in, RawDocument& doc)
{
    readMembers(in, kOutputs, doc, "outputs");
}

bool hasOutputs(const Plan& plan)
{
    return plan.outputSettings() != OutputSettings{} || !plan.dhcpIds().empty() || !plan.zoneSerials().empty();
}

void writeOutputs(json::Writer& j, const Plan& plan, const std::function<void()>& spill)
{
    j.beginObject(Layout::Indented);
    writeMembers<kOutputs>(j, OutputsView{plan, spill});
    j.end();
}

}  // namespace mq::plan::detail
