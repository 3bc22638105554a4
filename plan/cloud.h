#pragma once
// Address rules of the public clouds for IPv4 subnets: which addresses each reserves in a
// subnet and which prefix lengths it allows. IPv6 blocks keep the standard rules.
#include <optional>
#include <string_view>

#include "net/address.h"

namespace mq::plan {

enum class CloudMode : std::uint8_t { None, Aws, Azure, Gcp, Oci };

struct CloudRules {
    CloudMode mode;
    std::string_view key;  // "aws": as typed on the command line and kept in documents
    std::string_view label;  // "AWS": as shown
    int reservedLow;  // the network address and the ones after it: network .. +reservedLow-1
    int reservedHigh;  // at the top: the broadcast (1), or the second-to-last as well (2)
    int shortest;  // the largest subnet allowed, as a prefix length (0: no limit)
    int longest;  // the smallest subnet allowed
};

// None: 0 reserved, lengths 0..32 (the standard rules apply instead, see below).
const CloudRules& cloudRules(CloudMode mode);
// "none", "aws", "azure", "gcp", "oci" (any case); nullopt for anything else.
std::optional<CloudMode> parseCloudMode(std::string_view text);

// Whether a subnet of this length may exist in the mode (IPv6: always).
bool cloudAllowsLength(CloudMode mode, const net::Prefix& p);
// Usable addresses of a block: with None or for IPv6 as net::hostsOf says (RFC 3021 for /31
// and /32); in a cloud mode the block less its reserved addresses, 0 where the mode does not
// allow a subnet that small.
net::Count cloudUsableHosts(CloudMode mode, const net::Prefix& p);
// The first and last usable address; nullopt when the block has none.
std::optional<net::Address> cloudFirstUsable(CloudMode mode, const net::Prefix& p);
std::optional<net::Address> cloudLastUsable(CloudMode mode, const net::Prefix& p);
// The longest prefix length (the smallest block) of the family that the mode allows and that
// holds `needed` usable addresses; nullopt when even the largest allowed block is too small.
std::optional<int> cloudLengthFor(CloudMode mode, net::Family family, net::u128 needed);

}  // namespace mq::plan
