// The rules of plan allocate's options: sizing and the layout of a written plan.
#include "app/mqnet/plan_allocate_options.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "net/address.h"
#include "textio/escape.h"

namespace mq::mqnet {

namespace {

// --dhcp none | upper-half | A-B (offsets from the network address, A <= B).
bool readDhcp(const Invocation& call, const std::string& text, plan::LayoutRules& rules)
{
    if (text == "none" || text == "upper-half") {
        rules.range = text == "none" ? plan::RangeRule::None : plan::RangeRule::UpperHalf;
        return true;
    }
    const std::size_t dash = text.find('-');
    const auto from = net::parseDecimal(std::string_view(text).substr(0, dash));
    const auto to =
        dash == std::string::npos ? std::nullopt : net::parseDecimal(std::string_view(text).substr(dash + 1));
    if (!from || !to || *from > *to) {
        call.refuse("--dhcp " + textio::escaped(text) +
                    " is not none, upper-half or FROM-TO (offsets in the block, FROM at most TO: 100-199)");
        return false;
    }
    rules.range = plan::RangeRule::Offsets;
    rules.rangeFrom = *from;
    rules.rangeTo = *to;
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
        const auto n = net::parseDecimal(*k);
        if (!n || *n > plan::kMaxKept) {
            call.refuse("--kept " + textio::escaped(*k) + " is not a number from 0 to " +
                        std::to_string(plan::kMaxKept));
            return false;
        }
        rules.kept = static_cast<int>(*n);
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
