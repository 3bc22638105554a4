// The checks of the settings the DHCP and DNS configuration is written with: each value
// must be one the servers take, since a configuration is refused whole for one bad value.
#include <algorithm>

#include "plan/outputs.h"
#include "plan/subnet.h"
#include "textio/escape.h"

namespace mq::plan {

namespace {

constexpr std::uint32_t kMaxTtl = 2147483647u;  // RFC 2181 section 8: 31 bits
constexpr std::size_t kMaxPathBytes = 4096;
constexpr std::size_t kMaxInterfaceBytes = 15;  // Linux's IFNAMSIZ less its final NUL

std::string quoted(std::string_view text)
{
    return "\"" + textio::escaped(text, textio::kQuotedValue) + "\"";
}

bool hasControl(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f;
    });
}

std::string checkName(const char* field, std::string_view name)
{
    if (!name.empty() && name.back() == '.')
        return std::string(field) + ": " + quoted(name) + " ends in '.'; write the name without the final dot";
    if (auto why = checkHostName(name); !why.empty())
        return std::string(field) + ": " + why;
    return {};
}

template <class T> bool repeats(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return std::adjacent_find(values.begin(), values.end()) != values.end();
}

std::string checkServers(const OutputSettings& s)
{
    if (s.dnsServers.size() > kMaxDnsServers)
        return "DNS servers: " + std::to_string(s.dnsServers.size()) + " given; at most " +
               std::to_string(kMaxDnsServers);
    if (repeats(s.dnsServers))
        return "DNS servers: one is given twice";
    if (s.nameServers.size() > kMaxNameServers)
        return "name servers: " + std::to_string(s.nameServers.size()) + " given; at most " +
               std::to_string(kMaxNameServers);
    std::vector<std::string> names;
    for (const NameServer& ns : s.nameServers) {
        if (auto why = checkName("name server", ns.name); !why.empty())
            return why;
        if (ns.addresses.size() > 4)
            return "name server " + quoted(ns.name) + ": at most 4 addresses";
        if (repeats(ns.addresses))
            return "name server " + quoted(ns.name) + ": an address is given twice";
        std::string lower = ns.name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        names.push_back(lower);
    }
    if (repeats(names))
        return "name servers: one is given twice";
    return {};
}

std::string checkTimes(const OutputSettings& s)
{
    const std::pair<const char*, std::uint32_t> zone[] = {
        {"TTL", s.ttl}, {"refresh", s.refresh}, {"retry", s.retry}, {"expire", s.expire}, {"minimum", s.minimum}};
    for (const auto& [field, value] : zone)
        if (value > kMaxTtl)
            return std::string(field) + ": " + std::to_string(value) + " seconds is more than 2147483647";
    for (const auto& [field, value] : {zone[1], zone[2], zone[3]})
        if (value == 0)
            return std::string(field) + ": must be at least 1 second";
    if (s.validLifetime == 0 || s.validLifetime > kMaxTtl)
        return "valid lifetime: " + std::to_string(s.validLifetime) + " seconds; it must be 1 to 2147483647";
    if (s.preferredLifetime == 0 || s.preferredLifetime > s.validLifetime)
        return "preferred lifetime: " + std::to_string(s.preferredLifetime) +
               " seconds; it must be at least 1 and at most the valid lifetime (" + std::to_string(s.validLifetime) +
               ")";
    return {};
}

std::string checkPlaces(const OutputSettings& s)
{
    if (!s.interface.empty()) {
        const bool bad = s.interface.size() > kMaxInterfaceBytes || s.interface == "." || s.interface == ".." ||
                         std::any_of(s.interface.begin(), s.interface.end(), [](char c) {
                             const auto u = static_cast<unsigned char>(c);
                             return u <= 0x20 || u >= 0x7f || c == '/' || c == ',' || c == '"' || c == '\\';
                         });
        if (bad)
            return "interface: " + quoted(s.interface) +
                   " is no interface name (at most 15 bytes, no blanks, '/', ',', quotes or backslashes)";
    }
    if (!s.leaseFile.empty()) {
        if (s.leaseFile.front() != '/' || s.leaseFile.size() > kMaxPathBytes || hasControl(s.leaseFile) ||
            s.leaseFile.back() == '/')
            return "lease file: " + quoted(s.leaseFile) + " is no absolute path of a file";
    }
    if (s.zoneCut4 != 8 && s.zoneCut4 != 16 && s.zoneCut4 != 24)
        return "IPv4 zone cut: /" + std::to_string(s.zoneCut4) + "; it must be /8, /16 or /24";
    if (s.zoneCut6 != 0 && (s.zoneCut6 < 4 || s.zoneCut6 > 124 || s.zoneCut6 % 4 != 0))
        return "IPv6 zone cut: /" + std::to_string(s.zoneCut6) + "; it must be a multiple of 4 from /4 to /124";
    if (s.naming != ReverseNaming::Slash && s.naming != ReverseNaming::Dash)
        return "RFC 2317 naming: unknown";
    return {};
}

}  // namespace

std::string checkOutputSettings(const OutputSettings& s)
{
    if (!s.domain.empty())
        if (auto why = checkName("domain", s.domain); !why.empty())
            return why;
    if (!s.hostmaster.empty())
        if (auto why = checkName("hostmaster", s.hostmaster); !why.empty())
            return why;
    for (auto check : {checkServers, checkTimes, checkPlaces})
        if (auto why = check(s); !why.empty())
            return why;
    return {};
}

}  // namespace mq::plan
