// BIND master files: the forward zone, each zone's head (SOA and NS), serials that rise only
// when a zone's content changes, and the named.conf fragment. The reverse zones' records
// are zones_reverse.cpp's.
#include "deploy/zones.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <unordered_map>

#include "deploy/zones_build.h"
#include "plan/outputs.h"
#include "textio/fields.h"

namespace mq::deploy {

namespace zones {

// RFC 1035 section 5.1: these would be read as syntax, so they are written "\c"; bytes
// that are not printable ASCII as "\DDD". The checked settings and host names hold none,
// but a name is never let break the file's syntax.
void appendName(std::string& out, std::string_view name)
{
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) {
            out += '\\';
            out += static_cast<char>('0' + u / 100);
            out += static_cast<char>('0' + u / 10 % 10);
            out += static_cast<char>('0' + u % 10);
            continue;
        }
        if (c == '"' || c == '(' || c == ')' || c == ';' || c == '@' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
}

}  // namespace zones

namespace {

using zones::appendName;
using zones::ZoneBody;

// The SOA's RNAME (RFC 1035 section 3.3.13): the hostmaster setting, a name whose first
// label is the mailbox's local part, or hostmaster.<domain> when none is given.
std::string mailbox(const plan::OutputSettings& s)
{
    std::string out = s.hostmaster.empty() ? "hostmaster." : "";
    appendName(out, s.hostmaster.empty() ? s.domain : s.hostmaster);
    return out + '.';
}

void appendAddress(std::string& out, std::string_view owner, const net::Address& a)
{
    if (owner.empty())
        out += '@';
    else
        appendName(out, owner);
    out += a.family == net::Family::V4 ? "\tIN\tA\t" : "\tIN\tAAAA\t";
    net::appendFormat(out, a);
    out += '\n';
}

// A and AAAA of every name, a name's addresses together in the order given, and before them
// those of the name servers inside the domain that no name of the plan stands for: without
// them the zone's own NS records would not resolve.
std::string forwardRecords(const plan::OutputSettings& s, const std::vector<NamedAddress>& names)
{
    std::unordered_map<std::string, std::size_t> group;  // lower-case name: index into owners
    std::vector<std::pair<std::string_view, std::vector<net::Address>>> owners;
    for (const NamedAddress& n : names) {
        const auto [it, fresh] = group.try_emplace(textio::lowerCase(n.name), owners.size());
        if (fresh)
            owners.push_back({n.name, {}});
        std::vector<net::Address>& list = owners[it->second].second;
        if (std::find(list.begin(), list.end(), n.address) == list.end())
            list.push_back(n.address);
    }
    std::string out;
    for (const plan::NameServer& ns : s.nameServers) {
        const std::optional<std::string> owner = plan::nameInDomain(ns.name, s.domain);
        if (!owner || !group.try_emplace(textio::lowerCase(*owner), owners.size()).second)
            continue;
        for (const net::Address& a : ns.addresses)
            appendAddress(out, *owner, a);
    }
    for (const auto& [owner, addresses] : owners)
        for (const net::Address& a : addresses)
            appendAddress(out, owner, a);
    return out;
}

// A zone's text around its serial: what comes before it and what after, the records included.
std::pair<std::string, std::string> zoneText(const plan::OutputSettings& s, const ZoneBody& z)
{
    std::string head = "; " + z.name + ": written by Maskquill from its plan\n$ORIGIN ";
    appendName(head, z.name);
    head += ".\n$TTL " + std::to_string(s.ttl) + "\n@\tIN\tSOA\t";
    if (!s.nameServers.empty())
        appendName(head, s.nameServers.front().name);
    head += ". " + mailbox(s) + " (\n\t\t";
    std::string tail = "\t; serial\n\t\t" + std::to_string(s.refresh) + "\t; refresh\n\t\t" + std::to_string(s.retry) +
                       "\t; retry\n\t\t" + std::to_string(s.expire) + "\t; expire\n\t\t" + std::to_string(s.minimum) +
                       " )\t; minimum: how long a missing name is cached (RFC 2308)\n";
    for (const plan::NameServer& ns : s.nameServers) {
        tail += "@\tIN\tNS\t";
        appendName(tail, ns.name);
        tail += ".\n";
    }
    tail += z.records;
    return {std::move(head), std::move(tail)};
}

// FNV-1a, 64 bits: stable from one run and one machine to the next, as a kept hash must be.
std::uint64_t fnv1a(std::string_view text, std::uint64_t h = 14695981039346656037ULL)
{
    for (const char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return h;
}

// The same content keeps its serial; new content gets today's first (YYYYMMDD00) or, when
// the zone has already had that or a later one, the next after its last. Serials compare
// modulo 2^32 (RFC 1982), so even a wrap past the top still reads as an increase.
std::uint32_t nextSerial(const plan::ZoneSerials& last, const std::string& zone, std::uint64_t hash,
                         std::uint32_t today)
{
    const auto it = last.find(zone);
    if (it != last.end() && it->second.hash == hash)
        return it->second.serial;
    std::uint64_t serial = std::uint64_t{today} * 100;
    if (it != last.end())
        serial = std::max(serial, std::uint64_t{it->second.serial} + 1);
    return static_cast<std::uint32_t>(serial);
}

// A file name safe on every disk: the zone's name with RFC 2317's '/' made '-'.
std::string fileName(const std::string& zone)
{
    std::string f = "db." + zone;
    std::replace(f.begin(), f.end(), '/', '-');
    return f;
}

}  // namespace

std::variant<ZoneOutput, textio::Problems> writeZones(const Prepared& m, std::uint32_t today)
{
    if (const textio::Problems& p = m.problems(Output::Zones); !p.empty())
        return p;
    const plan::Plan& plan = m.plan();
    const plan::OutputSettings& s = m.settings();
    std::vector<ZoneBody> bodies{{s.domain, forwardRecords(s, m.names())}};
    for (ZoneBody& z : zones::reverseZones(m))
        bodies.push_back(std::move(z));
    ZoneOutput out;
    out.serials = plan.zoneSerials();  // zones no longer written keep theirs, should they return
    std::string conf = "// The zones written by Maskquill from its plan. Their files are named relative to\n"
                       "// the directory of named.conf's options; include this file there.\n";
    for (const ZoneBody& z : bodies) {
        auto [head, tail] = zoneText(s, z);
        const std::uint64_t hash = fnv1a(tail, fnv1a(std::string_view("\0", 1), fnv1a(head)));
        const std::uint32_t serial = nextSerial(plan.zoneSerials(), z.name, hash, today);
        out.serials[z.name] = {serial, hash};
        const std::string file = fileName(z.name);
        conf += "zone \"" + z.name + "\" { type primary; file \"" + file + "\"; };\n";
        out.files.push_back({file, head + std::to_string(serial) + tail});
    }
    out.files.push_back({"named.conf.zones", std::move(conf)});
    return out;
}

std::uint32_t todayUtc()
{
    using namespace std::chrono;
    const year_month_day d{floor<days>(system_clock::now())};
    return static_cast<std::uint32_t>(static_cast<int>(d.year())) * 10000 + static_cast<unsigned>(d.month()) * 100 +
           static_cast<unsigned>(d.day());
}

}  // namespace mq::deploy
