// The .mqplan document's "outputs" (its schema: plan/document.cpp): what the DHCP and DNS
// configuration is written with, the Kea subnet ID of each block and each zone's last
// serial. The IDs and serials are what keeps leases and secondaries right from one export
// to the next, so a document that garbles one is refused rather than opened with it lost.
#include <charconv>
#include <iterator>
#include <tuple>
#include <unordered_map>

#include "plan/document_build.h"
#include "textio/escape.h"

namespace mq::plan::detail {

namespace {

namespace json = textio::json;
using json::Layout;

// A list inside the settings: the settings' own check names the real limit; this one only
// keeps a hostile document from filling memory before it runs.
constexpr std::size_t kMaxListed = 64;
constexpr std::size_t kMaxZones = kMaxBlocks;

struct Seconds {
    const char* key;
    std::uint32_t OutputSettings::*field;
};
constexpr Seconds kSeconds[] = {
    {"ttl", &OutputSettings::ttl},
    {"refresh", &OutputSettings::refresh},
    {"retry", &OutputSettings::retry},
    {"expire", &OutputSettings::expire},
    {"minimum", &OutputSettings::minimum},
    {"valid_lifetime", &OutputSettings::validLifetime},
    {"preferred_lifetime", &OutputSettings::preferredLifetime},
};
struct Text {
    const char* key;
    std::string OutputSettings::*field;
};
constexpr Text kTexts[] = {{"domain", &OutputSettings::domain},
                           {"hostmaster", &OutputSettings::hostmaster},
                           {"interface", &OutputSettings::interface},
                           {"lease_file", &OutputSettings::leaseFile}};
constexpr const char* kNamingWords[] = {"slash", "dash"};
constexpr const char* kRfc2317Words[] = {"none", "all"};

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

void readNameServer(json::Reader& in, NameServer& ns)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "name" && firstTime(in, seen, 1, key))
            in.readString(ns.name);
        else if (key == "addresses" && firstTime(in, seen, 2, key))
            readAddresses(in, ns.addresses);
        else if (!in.failed())
            in.fail("unknown key \"" + key + "\"");
    }
    if (!in.failed() && !(seen & 1))
        in.fail("the name server has no \"name\"");
}

void readNameServers(json::Reader& in, std::vector<NameServer>& out)
{
    if (!in.beginArray())
        return;
    while (in.nextItem()) {
        if (out.size() == kMaxListed) {
            in.fail("at most " + std::to_string(kMaxListed) + " name servers");
            return;
        }
        readNameServer(in, out.emplace_back());
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

// Bits 1 to 8 the texts, 16 to 1024 the seconds, then the lists, cuts and naming.
bool readSettingsMember(json::Reader& in, const std::string& key, unsigned& seen, OutputSettings& s)
{
    for (unsigned i = 0; i < std::size(kTexts); ++i)
        if (key == kTexts[i].key)
            return firstTime(in, seen, 1u << i, key) && in.readString(s.*kTexts[i].field);
    for (unsigned i = 0; i < std::size(kSeconds); ++i) {
        if (key != kSeconds[i].key)
            continue;
        std::uint64_t v = 0;
        if (!firstTime(in, seen, 16u << i, key) || !in.readUnsigned(0xFFFFFFFFu, v))
            return false;
        s.*kSeconds[i].field = static_cast<std::uint32_t>(v);
        return true;
    }
    if (key == "dns_servers" && firstTime(in, seen, 1u << 12, key))
        readAddresses(in, s.dnsServers);
    else if (key == "name_servers" && firstTime(in, seen, 1u << 13, key))
        readNameServers(in, s.nameServers);
    else if (key == "zone_cut4" && firstTime(in, seen, 1u << 14, key))
        readCut(in, s.zoneCut4);
    else if (key == "zone_cut6" && firstTime(in, seen, 1u << 15, key))
        readCut(in, s.zoneCut6);
    else if (key == "naming" && firstTime(in, seen, 1u << 16, key))
        readNaming(in, s.naming);
    else if (key == "rfc2317" && firstTime(in, seen, 1u << 17, key))
        readRfc2317(in, s.rfc2317);
    else if (key == "delegated" && firstTime(in, seen, 1u << 18, key))
        readDelegated(in, s.delegated);
    else if (key == "empty_reverse_zones" && firstTime(in, seen, 1u << 19, key))
        in.readBool(s.emptyReverseZones);
    else if (!in.failed())
        in.fail("unknown key \"" + key + "\"");
    return !in.failed();
}

void readSettings(json::Reader& in, OutputSettings& s)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    // Each value reads; whether they make settings a server takes is the settings' check,
    // which checkSubnets shows as the plan's problem: a plan saved under looser rules opens.
    while (in.nextMember(key))
        readSettingsMember(in, key, seen, s);
}

void readDhcpId(json::Reader& in, DhcpIds& ids, std::unordered_map<std::uint32_t, net::Prefix>& owner)
{
    if (!in.beginObject())
        return;
    std::string key, text;
    std::optional<net::Prefix> prefix;
    std::uint64_t id = 0;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "prefix" && firstTime(in, seen, 1, key)) {
            if (!in.readString(text))
                return;
            auto p = documentPrefix(text);
            if (auto* why = std::get_if<std::string>(&p))
                in.fail(*why);
            else
                prefix = std::get<net::Prefix>(p);
        } else if (key == "id" && firstTime(in, seen, 2, key)) {
            if (in.readUnsigned(kMaxDhcpId, id) && id == 0)
                in.fail("a Kea subnet ID is 1 to " + std::to_string(kMaxDhcpId));
        } else if (!in.failed()) {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (in.failed())
        return;
    if (seen != 3)
        in.fail(std::string("the entry has no \"") + (seen & 1 ? "id" : "prefix") + "\"");
    else if (ids.count(*prefix))
        in.fail(net::formatNetwork(*prefix) + " has an ID already");
    else if (auto [at, fresh] = owner.emplace(static_cast<std::uint32_t>(id), *prefix); !fresh)
        in.fail("the ID " + std::to_string(id) + " is " + net::formatNetwork(at->second) + "'s already");
    else
        ids.emplace(*prefix, static_cast<std::uint32_t>(id));
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

void readZoneSerial(json::Reader& in, ZoneSerials& serials)
{
    if (!in.beginObject())
        return;
    std::string key, zone;
    ZoneSerial z;
    std::uint64_t serial = 0;
    unsigned seen = 0;
    while (in.nextMember(key)) {
        if (key == "zone" && firstTime(in, seen, 1, key)) {
            if (in.readString(zone))
                if (auto r = zoneNameFault(zone); !r.empty())
                    in.fail(r);
        } else if (key == "serial" && firstTime(in, seen, 2, key)) {
            if (in.readUnsigned(0xFFFFFFFFu, serial))
                z.serial = static_cast<std::uint32_t>(serial);
        } else if (key == "hash" && firstTime(in, seen, 4, key)) {
            readHash(in, z.hash);
        } else if (!in.failed()) {
            in.fail("unknown key \"" + key + "\"");
        }
    }
    if (in.failed())
        return;
    if (seen != 7)
        in.fail(std::string("the entry has no \"") + (!(seen & 1) ? "zone" : !(seen & 2) ? "serial" : "hash") + "\"");
    else if (!serials.emplace(zone, z).second)
        in.fail("the zone " + textio::quoted(zone) + " is listed twice");
}

void writeSettings(json::Writer& j, const OutputSettings& s)
{
    const OutputSettings d;
    j.key("settings");
    j.beginObject();
    for (const Text& t : kTexts) {
        if (s.*t.field == d.*t.field)
            continue;
        j.key(t.key);
        j.string(s.*t.field);
    }
    if (!s.dnsServers.empty()) {
        j.key("dns_servers");
        j.beginArray();
        for (const net::Address& a : s.dnsServers)
            writeAddress(j, a);
        j.end();
    }
    if (!s.nameServers.empty()) {
        j.key("name_servers");
        j.beginArray();
        for (const NameServer& ns : s.nameServers) {
            j.beginObject();
            j.key("name");
            j.string(ns.name);
            if (!ns.addresses.empty()) {
                j.key("addresses");
                j.beginArray();
                for (const net::Address& a : ns.addresses)
                    writeAddress(j, a);
                j.end();
            }
            j.end();
        }
        j.end();
    }
    for (const Seconds& t : kSeconds) {
        if (s.*t.field == d.*t.field)
            continue;
        j.key(t.key);
        j.number(s.*t.field);
    }
    for (const auto& [key, cut, byDefault] :
         {std::tuple{"zone_cut4", s.zoneCut4, d.zoneCut4}, std::tuple{"zone_cut6", s.zoneCut6, d.zoneCut6}}) {
        if (cut == byDefault)
            continue;
        j.key(std::string_view(key));
        j.number(cut);
    }
    if (s.naming != d.naming) {
        j.key("naming");
        j.rawString(kNamingWords[static_cast<int>(s.naming)]);
    }
    if (s.rfc2317 != d.rfc2317) {
        j.key("rfc2317");
        j.rawString(kRfc2317Words[static_cast<int>(s.rfc2317)]);
    }
    if (!s.delegated.empty()) {
        j.key("delegated");
        j.beginArray();
        for (const net::Prefix& p : s.delegated)
            j.rawString(net::formatNetwork(p));
        j.end();
    }
    if (s.emptyReverseZones != d.emptyReverseZones) {
        j.key("empty_reverse_zones");
        j.boolean(s.emptyReverseZones);
    }
    j.end();
}

}  // namespace

void readOutputs(json::Reader& in, RawDocument& doc)
{
    if (!in.beginObject())
        return;
    std::string key;
    unsigned seen = 0;
    std::unordered_map<std::uint32_t, net::Prefix> owner;
    while (in.nextMember(key)) {
        if (key == "settings" && firstTime(in, seen, 1, key)) {
            readSettings(in, doc.outputs);
        } else if (key == "dhcp_ids" && firstTime(in, seen, 2, key) && in.beginArray()) {
            while (in.nextItem()) {
                if (doc.dhcpIds.size() == kMaxBlocks) {
                    in.fail("at most " + std::to_string(kMaxBlocks) + " subnet IDs");
                    return;
                }
                readDhcpId(in, doc.dhcpIds, owner);
            }
        } else if (key == "zone_serials" && firstTime(in, seen, 4, key) && in.beginArray()) {
            while (in.nextItem()) {
                if (doc.zoneSerials.size() == kMaxZones) {
                    in.fail("at most " + std::to_string(kMaxZones) + " zones");
                    return;
                }
                readZoneSerial(in, doc.zoneSerials);
            }
        } else if (!in.failed()) {
            in.fail("unknown key \"" + key + "\"");
        }
    }
}

bool hasOutputs(const Plan& plan)
{
    return plan.outputSettings() != OutputSettings{} || !plan.dhcpIds().empty() || !plan.zoneSerials().empty();
}

void writeOutputs(json::Writer& j, const Plan& plan, const std::function<void()>& spill)
{
    if (!hasOutputs(plan))
        return;
    j.key("outputs");
    j.beginObject(Layout::Indented);
    if (plan.outputSettings() != OutputSettings{})
        writeSettings(j, plan.outputSettings());
    if (!plan.dhcpIds().empty()) {
        j.key("dhcp_ids");
        j.beginArray(Layout::Indented);
        for (const auto& [prefix, id] : plan.dhcpIds()) {
            spill();
            j.beginObject();
            j.key("prefix");
            j.rawString(net::formatNetwork(prefix));
            j.key("id");
            j.number(id);
            j.end();
        }
        j.end();
    }
    if (!plan.zoneSerials().empty()) {
        j.key("zone_serials");
        j.beginArray(Layout::Indented);
        for (const auto& [zone, z] : plan.zoneSerials()) {
            spill();
            char hash[16];
            for (int i = 0; i < 16; ++i)
                hash[i] = "0123456789abcdef"[(z.hash >> (60 - 4 * i)) & 15];
            j.beginObject();
            j.key("zone");
            j.string(zone);
            j.key("serial");
            j.number(z.serial);
            j.key("hash");
            j.rawString({hash, 16});
            j.end();
        }
        j.end();
    }
    j.end();
}

}  // namespace mq::plan::detail
