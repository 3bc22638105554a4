// The plan's subnet rules (Settings::layout) as the "Subnet rules" dialog words and checks
// them: the gateway rule, the addresses kept for network devices, the DHCP range rule and
// how IPv6 blocks hand out addresses.
#pragma once

#include "plan/plan.h"

#include <string>

namespace mq::planner {

// Empty when the rules may be set (plan::checkLayoutRules), else the reason as the window
// says it.
std::string checkLayoutRules(const plan::LayoutRules& rules);
// What a cloud mode does to the rules, for the dialog to say beside the gateway and kept
// rows; empty without a cloud mode.
std::string cloudRulesNote(plan::CloudMode mode);

}  // namespace mq::planner
