// The checks of the settings the DHCP and DNS configuration is written with: each value
// must be one the servers take, since a configuration is refused whole for one bad value.
#include <algorithm>

#include "plan/outputs.h"
#include "plan/subnet.h"
#include "textio/escape.h"
#include "textio/fields.h"

namespace mq::plan {

namespace {

constexpr std::uint32_t kMaxTtl = 2147483647u;  // RFC 2181 section 8: 31 bits
constexpr std::size_t kMaxPathBytes = 4096;
constexpr std::size_t kMaxInterfaceBytes = 15;  // Linux's IFNAMSIZ less its final NUL

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
        return std::string(field) + ": " + textio::quoted(name) + " ends in '.'; write the name without the final dot";
    if (auto why = checkHostName(name); !why.empty())
        return std::string(field) + ": " + why;
    return {};
}

// Zone files take a name without a dot for the root's child: a name server "ns2" would be
// written as "ns2.".
std::string checkFullName(const char* field, std::string_view name)
{
    if (auto why = checkName(field, name); !why.empty())
        return why;
    if (name.find('.') == std::string_view::npos)
        return std::string(field) + ": " + textio::quoted(name) +
               " has no dot; a name without one lies in the domain, and there is none";
    return {};
}

// The reverse zones are written beside the domain's: a domain among them would be one of
// them, or hold them, and named refuses two zones of one name.
std::string checkDomain(std::string_view domain)
{
    if (auto why = checkName("domain", domain); !why.empty())
        return why;
    const std::string d = textio::lowerCase(domain);
    for (std::string_view tree : {"in-addr.arpa", "ip6.arpa"})
        if (d == tree || (d.size() > tree.size() && d.ends_with(tree) && d[d.size() - tree.size() - 1] == '.'))
            return "domain: " + textio::quoted(domain) + " lies in " + std::string(tree) +
                   ", where the reverse zones are; the domain holds the hosts' names";
    return {};
}

std::string checkAddress(const std::string& what, const net::Address& a)
{
    if (const std::string space = unservedSpace(a, a); !space.empty())
        return what + ": " + net::format(a) + " lies in " + space + ", where no client reaches a server";
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
    for (const net::Address& a : s.dnsServers)
        if (auto why = checkAddress("DNS servers", a); !why.empty())
            return why;
    if (s.nameServers.size() > kMaxNameServers)
        return "name servers: " + std::to_string(s.nameServers.size()) + " given; at most " +
               std::to_string(kMaxNameServers);
    std::vector<std::string> names;
    for (const NameServer& ns : s.nameServers) {
        if (auto why = checkFullName("name server", ns.name); !why.empty())
            return why;
        if (ns.addresses.size() > 4)
            return "name server " + textio::quoted(ns.name) + ": at most 4 addresses";
        if (repeats(ns.addresses))
            return "name server " + textio::quoted(ns.name) + ": an address is given twice";
        for (const net::Address& a : ns.addresses)
            if (auto why = checkAddress("name server " + textio::quoted(ns.name), a); !why.empty())
                return why;
        names.push_back(textio::lowerCase(ns.name));
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

// A path whose parts name a file where it stands: no "." or ".." (the file would lie
// elsewhere than it reads), no empty part, and none of the kernel's own trees.
bool isPlainPath(std::string_view path)
{
    for (std::string_view tree : {"/dev/", "/proc/", "/sys/"})
        if (path.starts_with(tree))
            return false;
    for (std::size_t at = 1; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        const std::string_view part = path.substr(at, end - at);
        if (part.empty() || part == "." || part == "..")
            return false;
        at = end + 1;
    }
    return true;
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
            return "interface: " + textio::quoted(s.interface) +
                   " is no interface name (at most 15 bytes, no blanks, '/', ',', quotes or backslashes)";
        // Kea takes "*" in its interface list only, and no pattern in a subnet's interface.
        if (s.interface.find('*') != std::string::npos)
            return "interface: " + textio::quoted(s.interface) +
                   " is a pattern; name one interface, or leave it empty for every one";
    }
    if (!s.leaseFile.empty()) {
        if (s.leaseFile.front() != '/' || s.leaseFile.size() > kMaxPathBytes || hasControl(s.leaseFile) ||
            s.leaseFile.back() == '/')
            return "lease file: " + textio::quoted(s.leaseFile) + " is no absolute path of a file";
        if (!isPlainPath(s.leaseFile))
            return "lease file: " + textio::quoted(s.leaseFile) +
                   " is no plain path (it may hold no '.', '..' or empty part, and lie outside /dev, /proc and /sys)";
    }
    if (s.zoneCut4 != 8 && s.zoneCut4 != 16 && s.zoneCut4 != 24)
        return "IPv4 zone cut: /" + std::to_string(s.zoneCut4) + "; it must be /8, /16 or /24";
    if (s.zoneCut6 != 0 && (s.zoneCut6 < 4 || s.zoneCut6 > 124 || s.zoneCut6 % 4 != 0))
        return "IPv6 zone cut: /" + std::to_string(s.zoneCut6) + "; it must be a multiple of 4 from /4 to /124";
    if (s.naming != ReverseNaming::Slash && s.naming != ReverseNaming::Dash)
        return "RFC 2317 naming: unknown";
    return {};
}

// RFC 2317 delegates part of a /24's zone; a block of a /24 or more is a zone of its own or
// lies across several. Whether each is an assigned block is the plan's check.
std::string checkDelegation(const OutputSettings& s)
{
    if (s.rfc2317 != Rfc2317::None && s.rfc2317 != Rfc2317::All)
        return "RFC 2317 delegation: unknown";
    if (s.delegated.size() > kMaxDelegated)
        return "delegated blocks: " + std::to_string(s.delegated.size()) + " given; at most " +
               std::to_string(kMaxDelegated);
    for (const net::Prefix& p : s.delegated) {
        const std::string block = "delegated block " + net::formatNetwork(p);
        if (p.address.family != net::Family::V4)
            return block + ": RFC 2317 delegation is for IPv4 blocks";
        if (p.length <= 24)
            return block + ": RFC 2317 delegates blocks longer than /24 (part of a /24's zone)";
        if (!p.isNetwork())
            return block + ": has host bits set";
    }
    if (repeats(s.delegated))
        return "delegated blocks: one is given twice";
    return {};
}

}  // namespace

std::string checkOutputSettings(const OutputSettings& s)
{
    if (!s.domain.empty())
        if (auto why = checkDomain(s.domain); !why.empty())
            return why;
    if (!s.hostmaster.empty())
        if (auto why = checkFullName("hostmaster", s.hostmaster); !why.empty())
            return why;
    for (auto check : {checkServers, checkTimes, checkPlaces, checkDelegation})
        if (auto why = check(s); !why.empty())
            return why;
    return {};
}

void qualifyNames(OutputSettings& s)
{
    if (s.domain.empty())
        return;
    const auto qualify = [&s](std::string& name) {
        if (!name.empty() && name.find('.') == std::string::npos)
            name += "." + s.domain;
    };
    qualify(s.hostmaster);
    for (NameServer& ns : s.nameServers)
        qualify(ns.name);
}

std::optional<std::string> nameInDomain(std::string_view name, std::string_view domain)
{
    if (domain.empty() || name.size() < domain.size())
        return std::nullopt;
    const std::size_t cut = name.size() - domain.size();
    if (!textio::equalsIgnoringCase(name.substr(cut), domain) || (cut > 0 && name[cut - 1] != '.') || cut == 1)
        return std::nullopt;
    return std::string(name.substr(0, cut == 0 ? 0 : cut - 1));
}

net::Parsed<net::Address> parseServerAddress(std::string_view text)
{
    std::string zone;
    net::Parsed<net::Address> a = net::parseAddress(text, &zone);
    if (std::holds_alternative<net::Address>(a) && !zone.empty())
        return net::ParseError{text.find('%'),
                               "a zone index (%" + textio::escaped(zone, textio::kQuotedValue) +
                                   ") names an interface of one machine; give the address without it",
                               net::ParseError::Fault::Zone};
    return a;
}

std::variant<std::vector<net::Prefix>, std::string> parseDelegatedList(std::string_view text)
{
    std::vector<net::Prefix> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
        const std::string_view item = text.substr(at, end - at);
        at = end + 1;
        if (item.empty())
            continue;
        const auto p = net::parsePrefix(item, net::HostBits::Suggest);
        if (const auto* e = std::get_if<net::ParseError>(&p))
            return net::describe(item, *e);
        out.push_back(std::get<net::Prefix>(p));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string unservedSpace(const net::Address& first, const net::Address& last)
{
    struct Space {
        net::Prefix prefix;
        const char* what;
    };
    static const Space kSpaces[] = {
        {{net::Address::v4(0x00000000u), 8}, "0.0.0.0/8 (this network)"},
        {{net::Address::v4(0x7F000000u), 8}, "127.0.0.0/8 (loopback)"},
        {{net::Address::v4(0xE0000000u), 4}, "224.0.0.0/4 (multicast)"},
        {{net::Address::v4(0xFFFFFFFFu), 32}, "255.255.255.255 (the limited broadcast)"},
        {{net::Address::v6(0), 128}, ":: (the unspecified address)"},
        {{net::Address::v6(1), 128}, "::1 (loopback)"},
        {{net::Address::v6(net::u128{0xFF} << 120), 8}, "ff00::/8 (multicast)"},
    };
    for (const Space& space : kSpaces)
        if (space.prefix.address.family == first.family && !(last < space.prefix.network()) &&
            !(space.prefix.last() < first))
            return space.what;
    return {};
}

}  // namespace mq::plan
