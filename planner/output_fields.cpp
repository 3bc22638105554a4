#include "planner/output_fields.h"

#include "net/parse.h"
#include "textio/escape.h"
#include "textio/fields.h"

#include <limits>

namespace mq::planner {

namespace {

// A name as typed, without the blanks around it and the root's dot that people add.
std::string nameOf(std::string_view text)
{
    std::string_view t = textio::trimBlanks(text);
    if (t.size() > 1 && t.back() == '.')
        t.remove_suffix(1);
    return std::string(t);
}

// Reads addresses separated by commas or blanks into *out; the reason when one does not read.
std::string readAddresses(std::string_view text, std::vector<net::Address>* out, std::size_t most)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
        const std::string_view item = text.substr(at, end - at);
        at = end + 1;
        if (item.empty())
            continue;
        // One more than allowed is enough for checkOutputSettings to say how many.
        if (out->size() > most)
            break;
        const auto a = plan::parseServerAddress(item);
        if (const auto* e = std::get_if<net::ParseError>(&a))
            return net::describe(item, *e);
        out->push_back(std::get<net::Address>(a));
    }
    return {};
}

std::string readSeconds(const char* field, const std::string& text, std::uint32_t* out)
{
    const std::string_view t = textio::trimBlanks(text);
    const auto v = net::parseDecimal(t);
    if (!v || *v > std::numeric_limits<std::uint32_t>::max())
        return std::string(field) + ": " + textio::quoted(t) + " is no whole number of seconds from 0 to 4294967295";
    *out = static_cast<std::uint32_t>(*v);
    return {};
}

std::string readNameServers(std::string_view text, std::vector<plan::NameServer>* out)
{
    std::size_t line = 0;
    for (std::size_t at = 0; at <= text.size() && out->size() <= plan::kMaxNameServers; ++line) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view row = text.substr(at, end - at);
        at = end + 1;
        if (!row.empty() && row.back() == '\r')
            row.remove_suffix(1);
        if (textio::trimBlanks(row).empty())
            continue;
        const std::size_t eq = row.find('=');
        plan::NameServer ns{nameOf(row.substr(0, eq)), {}};
        if (eq != std::string_view::npos) {
            if (auto why = readAddresses(row.substr(eq + 1), &ns.addresses, plan::kMaxDnsServers); !why.empty())
                return "Name servers, line " + std::to_string(line + 1) + ": " + why;
        }
        out->push_back(std::move(ns));
    }
    return {};
}

std::string joined(const std::vector<net::Address>& addresses)
{
    std::string out;
    for (const net::Address& a : addresses)
        out += (out.empty() ? "" : ", ") + net::format(a);
    return out;
}

}  // namespace

OutputFields fieldsOf(const plan::OutputSettings& s)
{
    OutputFields f;
    f.domain = s.domain;
    f.dnsServers = joined(s.dnsServers);
    for (const plan::NameServer& ns : s.nameServers)
        f.nameServers += ns.name + (ns.addresses.empty() ? "" : "=" + joined(ns.addresses)) + "\n";
    f.hostmaster = s.hostmaster;
    f.ttl = std::to_string(s.ttl);
    f.refresh = std::to_string(s.refresh);
    f.retry = std::to_string(s.retry);
    f.expire = std::to_string(s.expire);
    f.minimum = std::to_string(s.minimum);
    f.validLifetime = std::to_string(s.validLifetime);
    f.preferredLifetime = std::to_string(s.preferredLifetime);
    f.interface = s.interface;
    f.leaseFile = s.leaseFile;
    f.zoneCut4 = s.zoneCut4;
    f.zoneCut6 = s.zoneCut6 == 0 ? kPerRoot : "/" + std::to_string(s.zoneCut6);
    f.naming = s.naming;
    f.rfc2317 = s.rfc2317;
    for (const net::Prefix& p : s.delegated)
        f.delegated += (f.delegated.empty() ? "" : ", ") + net::formatNetwork(p);
    f.emptyReverseZones = s.emptyReverseZones;
    return f;
}

std::variant<plan::OutputSettings, std::string> readFields(const OutputFields& f)
{
    plan::OutputSettings s;
    s.domain = nameOf(f.domain);
    if (auto why = readAddresses(f.dnsServers, &s.dnsServers, plan::kMaxDnsServers); !why.empty())
        return "DNS servers: " + why;
    if (auto why = readNameServers(f.nameServers, &s.nameServers); !why.empty())
        return why;
    s.hostmaster = nameOf(f.hostmaster);
    const std::pair<const char*, std::pair<const std::string*, std::uint32_t*>> seconds[] = {
        {"TTL", {&f.ttl, &s.ttl}},
        {"Refresh", {&f.refresh, &s.refresh}},
        {"Retry", {&f.retry, &s.retry}},
        {"Expire", {&f.expire, &s.expire}},
        {"Negative TTL", {&f.minimum, &s.minimum}},
        {"Valid lifetime", {&f.validLifetime, &s.validLifetime}},
        {"Preferred lifetime", {&f.preferredLifetime, &s.preferredLifetime}}};
    for (const auto& [field, value] : seconds)
        if (auto why = readSeconds(field, *value.first, value.second); !why.empty())
            return why;
    s.interface = std::string(textio::trimBlanks(f.interface));
    s.leaseFile = std::string(textio::trimBlanks(f.leaseFile));
    s.zoneCut4 = f.zoneCut4;
    std::string_view cut = textio::trimBlanks(f.zoneCut6);
    if (cut.empty() || textio::equalsIgnoringCase(cut, kPerRoot)) {
        s.zoneCut6 = 0;
    } else {
        if (cut.front() == '/')
            cut.remove_prefix(1);
        const auto n = net::parseDecimal(cut);
        if (!n || *n < 4 || *n > 124)
            return "IPv6 zone cut: " + textio::quoted(textio::trimBlanks(f.zoneCut6)) +
                   " is no prefix length from /4 to /124 (or \"per root\")";
        s.zoneCut6 = static_cast<int>(*n);
    }
    s.naming = f.naming;
    s.rfc2317 = f.rfc2317;
    auto delegated = plan::parseDelegatedList(f.delegated);
    if (const auto* why = std::get_if<std::string>(&delegated))
        return "Delegated blocks: " + *why;
    s.delegated = std::move(std::get<std::vector<net::Prefix>>(delegated));
    s.emptyReverseZones = f.emptyReverseZones;
    plan::qualifyNames(s);
    if (auto why = plan::checkOutputSettings(s); !why.empty())
        return why;
    return s;
}

}  // namespace mq::planner
