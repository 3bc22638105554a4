#pragma once
// BIND master files (RFC 1035): the forward zone of the plan's domain (A and AAAA of every
// host and gateway), the reverse zones cut where the settings say (in-addr.arpa, and
// ip6.arpa per RFC 3596) with the PTRs of the hosts, gateways and name servers, empty ones
// for the rest of the plan's assigned space unless the settings say not, RFC 2317
// classless delegation for the IPv4 blocks longer than /24 the settings delegate (CNAMEs
// and NS records in the zone at the cut, and a child zone of the block's own), and a
// named.conf fragment with a zone stanza for each file.
#include "deploy/model.h"

namespace mq::deploy {

struct ZoneOutput {
    // Each zone's file ("db.campus.example", "db.5.40.10.in-addr.arpa",
    // "db.64-26.5.40.10.in-addr.arpa"), in the order forward, IPv4 reverse, IPv6 reverse, and
    // last "named.conf.zones", whose stanzas name the files relative to named's directory.
    std::vector<OutputFile> files;
    // The plan's zone serials as they stand after this output (Plan::setZoneSerials): a
    // zone whose content (all but its serial) hashes as it did keeps its serial; any other
    // gets max(today * 100, last + 1), so YYYYMMDDnn rises with every change. Zones no longer
    // written keep their entries, so that one which returns goes on from its last serial.
    plan::ZoneSerials serials;
};
// today: YYYYMMDD (20261210). The names are the model's (relative to the domain, each
// written once inside it); refused with the model's problems of the output.
std::variant<ZoneOutput, textio::Problems> writeZones(const Prepared& m, std::uint32_t today);

// Today's date as YYYYMMDD in UTC, for writeZones.
std::uint32_t todayUtc();

}  // namespace mq::deploy
