// The plan's output settings as the Outputs dialog's fields hold them, as text: what the
// user typed is kept as it was until it can be read, and a field that cannot be read is
// named in the reason.
#pragma once

#include "plan/outputs.h"

#include <string>
#include <variant>

namespace mq::planner {

struct OutputFields {
    std::string domain;
    std::string dnsServers;  // addresses separated by commas or blanks
    std::string nameServers;  // one a line: NAME, or NAME=ADDR[, ADDR]
    std::string hostmaster;
    // Seconds, as whole numbers.
    std::string ttl, refresh, retry, expire, minimum, validLifetime, preferredLifetime;
    std::string interface;
    std::string leaseFile;
    int zoneCut4 = 24;  // 8, 16 or 24: a choice, so always readable
    std::string zoneCut6;  // "per root", or a length: "/48" or "48"
    plan::ReverseNaming naming = plan::ReverseNaming::Slash;
    plan::Rfc2317 rfc2317 = plan::Rfc2317::None;  // a choice
    std::string delegated;  // prefixes separated by commas or blanks
    bool emptyReverseZones = true;  // a check box
    bool operator==(const OutputFields&) const = default;
};

inline constexpr const char* kPerRoot = "per root";

// The fields showing these settings; readFields gives them back unchanged.
OutputFields fieldsOf(const plan::OutputSettings& s);
// The settings the fields hold, or the first reason they cannot be used, naming the field
// ("DNS servers: \"10.0.0.x\" ..."): a text that does not read, then checkOutputSettings.
std::variant<plan::OutputSettings, std::string> readFields(const OutputFields& f);

}  // namespace mq::planner
