// The rules of plan allocate's options: sizing and the layout of a written plan.
#include "app/mqnet/plan_allocate_options.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "net/address.h"
#include "plan/fields.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

// --dhcp none | upper-half | A-B (offsets from the network address, 1 <= A <= B).
bool readDhcp(const Invocation& call, const std::string& text, plan::LayoutRules& rules)
{
    const auto v = plan::parseRangeRule(text);
    if (!v) {
        call.refuse("--dhcp " + v.problem().message);
        return false;
    }
    rules.range = v->rule;
    if (v->rule == plan::RangeRule::Offsets) {
        rules.rangeFrom = v->from;
        rules.rangeTo = v->to;
    }
    return true;
}

// The layout rules that --gateway, --kept, --dhcp and --dhcp6 set, over the plan's own.
bool readLayout(const Invocation& call, plan::LayoutRules& rules)
{
    const Arguments& a = call.args;
    using G = plan::GatewayRule;
    using D = plan::Dhcp6Mode;
    if (const std::string* g = a.value("--gateway")) {
        const auto rule = readChoice<G>(call, "--gateway", *g,
                                        {{"first", G::FirstUsable}, {"last", G::LastUsable}, {"none", G::None}});
        if (!rule)
            return false;
        rules.gateway = *rule;
    }
    if (const std::string* k = a.value("--kept")) {
        const auto n = plan::parseKept(*k);
        if (!n) {
            call.refuse("--kept " + n.problem().message);
            return false;
        }
        rules.kept = *n;
    }
    if (const std::string* d = a.value("--dhcp"); d && !readDhcp(call, *d, rules))
        return false;
    if (const std::string* d = a.value("--dhcp6")) {
        const auto mode =
            readChoice<D>(call, "--dhcp6", *d, {{"slaac", D::Slaac}, {"stateful", D::Stateful}, {"both", D::Both}});
        if (!mode)
            return false;
        rules.dhcp6 = *mode;
    }
    return true;
}

}  // namespace

bool readSettings(const Invocation& call, plan::Settings& s)
{
    const Arguments& a = call.args;
    s.links30 = s.links30 || a.has("--links-30");
    s.nibble = s.nibble || a.has("--nibble");
    s.vlanNumbering = s.vlanNumbering || a.has("--vlan-numbering");
    if (const std::string* c = a.value("--cloud")) {
        const auto mode = plan::parseCloudMode(*c);
        if (!mode) {
            call.refuse("--cloud " + textio::escaped(*c) + " is not one of none, aws, azure, gcp, oci");
            return false;
        }
        s.cloud = *mode;
    }
    return readLayout(call, s.layout);
}

}  // namespace mq::mqnet
