#pragma once
// The parts of the zone writer shared by its files: names written as master files spell
// them, and the records of each reverse zone.
#include <string>
#include <string_view>
#include <vector>

#include "deploy/model.h"

namespace mq::deploy::zones {

// Appends a name (labels separated by '.') as RFC 1035 section 5.1 writes it: the
// characters a master file reads as syntax, and any that are not printable, escaped.
void appendName(std::string& out, std::string_view name);

// One zone before its head (SOA and apex NS): its name, without the final dot, and the
// lines of its other records, named relative to its origin.
struct ZoneBody {
    std::string name;
    std::string records;
};

// Every reverse zone that holds a named address (a name server's among them) or an RFC 2317
// delegation, and with emptyReverseZones every one at the cut that covers an assigned block:
// the IPv4 ones (each /24 or wider zone before the classless child zones inside it), then
// the IPv6 ones, each in address order.
std::vector<ZoneBody> reverseZones(const Prepared& m);

}  // namespace mq::deploy::zones
