#pragma once
// What lies inside an assigned block: its gateway, the addresses kept for network devices,
// its DHCP ranges (or, for IPv6, SLAAC and prefix delegation), and the hosts with fixed
// addresses. The plan holds rules that every block follows (Settings::layout) and, per
// block, what differs from them (SubnetLayout); resolveLayout() gives the addresses that
// result. Hosts are kept plan-wide: a host of a dual-stack segment has an address in each
// of its two blocks.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/address.h"
#include "net/mac.h"
#include "plan/outputs.h"
#include "textio/problem.h"

namespace mq::plan {

class Plan;
struct Settings;
using BlockId = std::uint32_t;

constexpr std::size_t kMaxHosts = 1'000'000;  // hosts of one plan
constexpr std::size_t kMaxRangesPerBlock = 64;
constexpr int kMaxKept = 1024;  // addresses kept for network devices at a block's start

enum class GatewayRule : std::uint8_t { None, FirstUsable, LastUsable };
enum class RangeRule : std::uint8_t {
    None,
    UpperHalf,  // from the block's middle address to its last usable one
    Offsets,  // from offset `from` to offset `to` of the block (0 is the network address)
};
// How an IPv6 block hands out addresses.
enum class Dhcp6Mode : std::uint8_t { Slaac, Stateful, Both };

// The rules every assigned block follows unless its SubnetLayout says otherwise. A cloud
// mode fixes the IPv4 ones instead: the gateway is the provider's router (network + 1) and
// the provider's reserved addresses are kept.
struct LayoutRules {
    GatewayRule gateway = GatewayRule::None;
    int kept =
        0;  // the first N usable addresses kept for network devices (the gateway among them when it is the first)
    RangeRule range = RangeRule::None;
    net::u128 rangeFrom = 0, rangeTo = 0;  // Offsets: inclusive, clipped to the usable addresses
    Dhcp6Mode dhcp6 = Dhcp6Mode::Slaac;
    bool operator==(const LayoutRules&) const = default;
};

struct AddressRange {
    net::Address first, last;  // inclusive, one family, first <= last
    bool operator==(const AddressRange&) const = default;
};

// What one assigned block sets for itself. Absent members follow the plan's rules.
struct SubnetLayout {
    // Initialised, so that SubnetLayout{.kept = 2} names only what it sets.
    bool gatewaySet = false;  // true: `gateway` replaces the rule's (nullopt: no gateway)
    std::optional<net::Address> gateway{};
    std::optional<int> kept{};
    bool rangesSet = false;  // true: `ranges` replace the rule's (empty: no range)
    std::vector<AddressRange> ranges{};
    std::optional<Dhcp6Mode> dhcp6{};  // IPv6 blocks only
    int delegatedLength = 0;  // IPv6: > 0 makes the block a prefix-delegation pool of this length
    bool empty() const { return *this == SubnetLayout{}; }
    bool operator==(const SubnetLayout&) const = default;
};

enum class HostRole : std::uint8_t { Other, Gateway, Router, Server, Printer, AccessPoint, Camera, Reserved };
// "other", "gateway", "router", "server", "printer", "access-point", "camera", "reserved".
const char* roleName(HostRole role);
// The names above, any case, and "access point" / "ap"; nullopt for anything else.
std::optional<HostRole> parseRole(std::string_view text);

struct Host {
    std::string name;  // a DNS name: labels of RFC 1123, e.g. "printer-2" or "printer-2.lab"
    // Initialised, so that Host{.name = ..., .v4 = ...} names only what it sets.
    std::optional<net::Address> v4{}, v6{};  // at least one
    std::optional<net::Mac> mac{};
    net::Duid duid{};  // empty: none
    HostRole role = HostRole::Other;
    std::string note{};
    bool operator==(const Host&) const = default;
};

// The addresses that result in one assigned block.
struct ResolvedLayout {
    net::Prefix prefix;
    std::optional<net::Address> gateway;
    std::vector<AddressRange> kept;  // kept for network devices or by the cloud, the gateway not among them
    std::vector<AddressRange> ranges;  // DHCP ranges (IPv6: stateful DHCPv6 ones), address order
    Dhcp6Mode dhcp6 = Dhcp6Mode::Slaac;  // IPv6 blocks
    int delegatedLength = 0;
    std::optional<net::Address> firstUsable, lastUsable;
};
// The layout of an assigned leaf under the plan's rules, its cloud mode and its own
// SubnetLayout; for any other block, the prefix alone. Usable addresses are the plan's:
// RFC 3021 for /31 and /32 (and /127, /128) uses every address; IPv6 has no broadcast, but
// its network (the subnet-router anycast) is not handed out. A rule's range has the gateway
// and the kept addresses cut out of it (shortened at an end, or in pieces when they lie
// inside), so that it never overlaps them; ranges a block sets for itself are taken as
// they are and checkSubnets reports any overlap. IPv6 blocks have rule ranges only when
// stateful DHCPv6 is on and the block is no prefix-delegation pool.
ResolvedLayout resolveLayout(const Plan& plan, BlockId id);

// Gives the plan new rules for the blocks still to come while every assigned leaf keeps
// the addresses it has: where the new rules would move a leaf's gateway, kept addresses,
// DHCP ranges or DHCPv6 mode, the leaf sets the old ones for itself. Empty, else why a
// leaf could not keep them (the plan then keeps its old rules).
std::string setRulesKeepingLayouts(Plan& plan, const Settings& settings);

// The assigned leaf that holds a host's address of family f, kNoBlock when it has none or
// no assigned leaf holds it.
BlockId hostBlock(const Plan& plan, const Host& host, net::Family f);

// The hosts of every block, built in one pass: of(id) lists the indices into plan.hosts()
// of the hosts with an address in block id, in the order of hosts(). Valid until the
// plan's hosts or tree change (Plan::hostSerial, Plan::changeSerial).
class HostIndex {
public:
    explicit HostIndex(const Plan& plan);
    const std::vector<std::size_t>& of(BlockId id) const;

private:
    std::vector<std::vector<std::size_t>> byBlock_;
};

// The counts a block's picture and the tables show.
struct SubnetCounts {
    net::Count usable;  // as the plan counts them (cloud mode, RFC 3021)
    net::Count inRanges;  // addresses inside the DHCP ranges
    std::size_t statics = 0;  // gateway, kept addresses and hosts, each address once
    net::Count free;  // usable, neither static nor in a range
};
SubnetCounts countSubnet(const Plan& plan, BlockId id, const HostIndex& index);

// The lowest usable address of the block that is not the gateway, kept, inside a range or
// a host's; nullopt when there is none. `except`: a host index not to count (the host
// being edited).
std::optional<net::Address> nextFree(const Plan& plan, BlockId id, const HostIndex& index,
                                     std::optional<std::size_t> except = {});
// What a host's address box takes, for block id: an address of the block's family;
// "next" (nextFree); "::N", the block's network + N (for IPv6 the tail of an address in
// hex groups, "::1:0"; for IPv4 N is decimal, "::20"); for IPv6 also "eui64" (from mac,
// RFC 4291 appendix A). The address must be a usable one of the block. The error says what
// is wrong: "eui64 needs a MAC", "::300 lies outside 10.0.1.0/24".
net::Parsed<net::Address> hostAddress(const Plan& plan, BlockId id, std::string_view text,
                                      const std::optional<net::Mac>& mac, const HostIndex& index,
                                      std::optional<std::size_t> except = {});

// Why a host may not have address a in block id, whose layout is l: it lies in one of the
// block's DHCP ranges (for IPv6 its DHCPv6 ones), which the server leases to clients.
// "10.40.1.150 lies in the DHCP range 10.40.1.100-10.40.1.199 of 10.40.1.0/24 (Staff)";
// empty when it does not. Every way a host gets an address asks this one rule.
std::string rangeFault(const Plan& plan, BlockId id, const ResolvedLayout& l, const net::Address& a);
// The same in the assigned leaf that holds a, with the layout it has now.
std::string rangeFault(const Plan& plan, const net::Address& a);

// One fault of the plan's subnets: the problem record with its block and host (an index into
// plan.hosts()), and a message that names them (prefix and name) for whoever prints it alone:
// "10.40.1.0/24 (Office): host printer-2: 10.40.2.7 lies outside the block".
using SubnetProblem = textio::Problem;
// Every fault, block by block in address order: a gateway, kept address, range or host
// address outside its block or on its network or broadcast address (except /31 and /32);
// ranges overlapping one another, the gateway, kept addresses or a host; the same address,
// MAC or host name twice in the plan; a host name that is no DNS name; a host in no
// assigned block; a DHCP range in space no client is served from (unservedSpace); and
// checkOutputs of the plan's own output settings. Empty when the plan is sound.
std::vector<SubnetProblem> checkSubnets(const Plan& plan);

// The faults of output settings s in the plan: the settings' own (checkOutputSettings,
// plan-wide); a host named as a name server of the domain that is given other addresses
// (the zone holds one name once: one of the two would be lost); a DNS server's or name
// server's address inside a DHCP range (the server may lease it to a client).
std::vector<SubnetProblem> checkOutputs(const Plan& plan, const OutputSettings& s);
// Why the plan's output settings may not become s: checkOutputSettings(s), else the first
// fault of checkOutputs(plan, s) that the plan's own settings do not have already (an
// old fault does not block an edit of another field); empty when they may.
std::string checkNewOutputs(const Plan& plan, const OutputSettings& s);

// Empty when the text may be a host's name: labels of letters, digits and '-' (not at a
// label's ends), 1 to 63 bytes each, 253 bytes in all, joined by '.'; else the reason.
std::string checkHostName(std::string_view name);

}  // namespace mq::plan
