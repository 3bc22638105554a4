#include "planner/subnet_rules.h"

#include "plan/fields.h"
#include "planner/planner_form.h"

namespace mq::planner {

std::string checkLayoutRules(const plan::LayoutRules& rules)
{
    const std::string why = plan::checkLayoutRules(rules);
    return why.empty() ? why : "The subnet rules cannot be set: " + why + ".";
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
