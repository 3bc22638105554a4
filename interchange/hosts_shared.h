#pragma once
// What the host readers and writers share inside interchange/ (not for other callers).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/hosts_io.h"
#include "interchange/records.h"

namespace mq::interchange {

// The assigned and reserved leaves, root by root in address order.
std::vector<plan::BlockId> assignedLeaves(const plan::Plan& plan);
// "first-last" of each range, joined by ' '.
std::string rangesText(const std::vector<plan::AddressRange>& ranges);

// The per-subnet table and the hosts table: their headers, and one row's cells as the CSV
// holds them (before quoting). index: the plan's hosts by block, made once for all rows.
inline constexpr const char* kSubnetColumns[] = {"name",    "vlan",    "prefix", "mask",   "wildcard",
                                                 "network", "gateway", "first",  "last",   "broadcast",
                                                 "ranges",  "kept",    "static", "usable", "free"};
std::vector<std::string> subnetCells(const plan::Plan& plan, plan::BlockId id, const plan::HostIndex& index);
inline constexpr const char* kHostColumns[] = {"name", "ipv4", "ipv6",  "mac",    "duid",
                                               "role", "note", "block", "segment"};
std::vector<std::string> hostCells(const plan::Plan& plan, const plan::Host& h);

WriteResult netboxAddressesCsv(const plan::Plan& plan, const plan::IpamValues& values);
WriteResult netboxRangesCsv(const plan::Plan& plan, const plan::IpamValues& values);
WriteResult phpipamAddressesCsv(const plan::Plan& plan, const plan::IpamValues& values);

// The tag a NetBox row carries for a role other than Other ("role-access-point"), and the
// role of such a tag.
std::string roleTag(plan::HostRole role);
std::optional<plan::HostRole> roleOfTag(std::string_view tag);

}  // namespace mq::interchange
