#include "planner/subnet_rules.h"

#include "planner/planner_form.h"

namespace mq::planner {

std::string checkLayoutRules(const plan::LayoutRules& rules)
{
    if (rules.kept < 0 || rules.kept > plan::kMaxKept)
        return "The addresses kept for network devices must be from 0 to " + std::to_string(plan::kMaxKept) + ".";
    if (rules.range == plan::RangeRule::Offsets) {
        // Offset 0 is the network address: no range starts there.
        if (rules.rangeFrom == 0)
            return "A DHCP range starts at offset 1 or above (offset 0 is the network address).";
        if (rules.rangeFrom > rules.rangeTo)
            return "The DHCP range's first offset (" + net::toDecimal(rules.rangeFrom) + ") is above its last (" +
                   net::toDecimal(rules.rangeTo) + ").";
    }
    return {};
}

std::string cloudRulesNote(plan::CloudMode mode)
{
    if (mode == plan::CloudMode::None)
        return {};
    const std::string label(plan::cloudRules(mode).label);
    return label + " fixes these for IPv4 blocks: its router is the gateway and its reserved addresses are kept. "
                   "They apply to IPv6 blocks.";
}

}  // namespace mq::planner
