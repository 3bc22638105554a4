#pragma once
// VLSM for any block of either family, growth kept in mind.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan/plan.h"

namespace mq::plan {

// Segment and Settings are declared in plan/plan.h: a plan keeps its segment list.

// Where a segment went in one target block.
struct Place {
    std::optional<net::Prefix> prefix;  // nullopt: did not fit
    net::Address first, last;  // usable hosts
    net::Count spare;  // usable - hosts asked (the growth reserve counts as spare)
    std::string reason;  // when it did not fit
    net::Family family = net::Family::V4;  // the target block's, whichever target came first
    // When it did not fit: the largest free block left once every segment that fits is
    // placed (nullopt: no free space left).
    std::optional<net::Prefix> largestFree;
    std::optional<net::Address> broadcast;  // IPv4 up to /30
    // Dual-stack: it would fit here, but the other family's block does not, and a segment
    // is placed in both families or in neither (reason says so).
    bool heldBack = false;
};

// A segment's place in the first target (its fields), and in a dual-stack allocation its
// place in the second target too.
struct Placement : Place {
    std::string name;
    net::u128 hosts = 0;  // as asked
    std::optional<net::u128> needed;  // hosts x (1 + growth); nullopt when above 2^128 - 1
    int vlan = 0;
    std::optional<Place> second;  // the second target's (dual-stack: the IPv6 block's)
    bool placed() const { return prefix && (!second || second->prefix); }  // everywhere asked
};

// hosts x (1 + growth/100), rounded up; growth is taken to a millionth of a percent.
// nullopt when the result passes 2^128 - 1 (or growth is negative or not a number).
std::optional<net::u128> neededHosts(net::u128 hosts, double growthPercent);
// The longest prefix length whose block holds `needed` usable hosts: for IPv4 the hosts
// plus the network and broadcast addresses; for IPv6 the hosts as the engine counts them
// usable (the Subnet-Router anycast address is not a host). nullopt when even /0 is too small.
std::optional<int> lengthFor(net::Family f, net::u128 needed);

// The prefix length a segment takes in a block of family f, or the reason it cannot be
// placed at all. `dual`: the segment goes into blocks of both families (its fixedLength is
// then the IPv4 one). IPv4: 1 host a /32 and 2 hosts a /31 (RFC 3021) unless
// settings.links30, else hosts x (1 + growth) + network + broadcast. IPv6: a /64 (RFC 7421)
// unless a fixed length is given or the hosts need more; with settings.nibble every length
// but 64 is shortened to a multiple of 4.
struct SegmentLength {
    int length = -1;  // -1: refused, see reason
    std::string reason;
};
SegmentLength segmentLength(const Segment& s, net::Family f, bool dual, const Settings& settings);

// VLAN numbering (Settings::vlanNumbering): the /64 of an IPv6 root whose subnet ID is the
// VLAN ID's decimal digits read as hex digits (VLAN 120 in 2001:db8:40::/48 is
// 2001:db8:40:120::/64; in a root shorter than /48 the ID takes the low digits of the
// subnet field). nullopt, with the reason, when the root cannot hold it.
struct VlanBlock {
    std::optional<net::Prefix> prefix;
    std::string reason;
};
VlanBlock vlanBlock(const net::Prefix& root, int vlan);

// Largest first, entry order among equals, each at the lowest aligned position in the free
// space under `within`: free leaves count as joined with their free neighbours (a /16 split
// by hand into four free /18s takes a /17). Pure: the plan is not changed. One placement
// per segment, in the segments' order, sized by the plan's settings. With VLAN numbering an
// IPv6 block takes each segment's vlanBlock instead, refused with the reason where that is
// not free, the segment has no VLAN or shares it, or asks for a length other than /64.
// O(s log s + leaves under within + s x prefix width) for s segments.
std::vector<Placement> allocate(const Plan& plan, BlockId within, const std::vector<Segment>& segments);
// Dual-stack: `targets` names one block of each family (or a single block); each segment
// is placed in each target by the same rules, and in both or in neither: a segment that
// does not fit in one family takes no space in the other (its place there is heldBack),
// and the others are placed as if it had not been asked for.
std::vector<Placement> allocate(const Plan& plan, const std::vector<BlockId>& targets,
                                const std::vector<Segment>& segments);

// Why a segment was not placed, empty when it was. Dual-stack: the families whose block
// did not fit, each with its reason ("IPv6: needs a /40, larger than 2001:db8::/48").
std::string unplacedReason(const Placement& p);

// Joins again the halves of `regrouped` (last first) whose parts all ended up as blank free
// leaves: the tree changes no more than the new blocks need. A placement is made a block by
// Plan::carve, which lists the halves it regroups, and Plan::collapse, which joins the free
// parts it spans.
std::string joinBlankHalves(Plan& plan, const std::vector<BlockId>& regrouped);

// IPv6 space as people count it: "65536 /48s", "256 /64s", "1 /64 and 16 addresses"
// (/48s once there are whole /48s, /64s from a /64 on, else addresses); IPv4 as addresses.
std::string spaceText(net::Family f, const net::Count& addresses);
// The same for a block split into parts of partLength (its own length when it is a leaf):
// counted in the unit its parts are counted in, so a /48 of /49s is "65536 /64s" as its
// halves are "32768 /64s", and a /48 leaf is "1 /48".
std::string spaceText(const net::Prefix& block, int partLength);

}  // namespace mq::plan
