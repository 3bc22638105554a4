#pragma once
// The IANA IPv4 and IPv6 Special-Purpose Address Registries, carried as constant tables.
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "net/address.h"

namespace mq::net {

struct SpecialEntry {
    Prefix block;  // one block; a registry row that names two blocks gives two entries
    std::string_view blockText;  // the block as the registry writes it ("192.0.0.170/32")
    std::string_view name;  // as the registry writes it, quotes included ("This network")
    std::string_view rfc;  // "RFC 1918", "RFC 791, Section 3.2"
    std::optional<bool> source, destination, forwardable, globallyReachable, reservedByProtocol;
    // nullopt where the registry says N/A or gives nothing (terminated entries)
    std::string_view allocation;  // "1996-02"
    std::string_view termination;  // "N/A" while the entry is live, else "2015-03"
};

std::span<const SpecialEntry> specialRegistry(Family f);
// Every entry whose block holds the whole prefix, most specific first.
std::vector<const SpecialEntry*> specialEntriesHolding(const Prefix& p);
// "Private-Use, RFC 1918, not globally reachable"
std::string badgeText(const SpecialEntry& e);

}  // namespace mq::net
