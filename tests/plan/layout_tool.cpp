// Answers lines on stdin for the Python reference test, one line out for each:
//   layout PREFIX CLOUD GATEWAY KEPT RANGE FROM TO DHCP6
//       -> "first=A last=B gateway=G kept=R,... ranges=R,..." ("-" for none; R is A-B)
//   eui64 PREFIX MAC -> the address, or "error"
//   ula -> a fresh unique local prefix
#include <iostream>
#include <sstream>
#include <string>

#include "net/mac.h"
#include "net/parse.h"
#include "plan/plan.h"
#include "plan/subnet.h"

namespace {

using namespace mq;

std::string rangesText(const std::vector<plan::AddressRange>& ranges)
{
    if (ranges.empty())
        return "-";
    std::string out;
    for (const auto& r : ranges)
        out += (out.empty() ? "" : ",") + net::format(r.first) + "-" + net::format(r.last);
    return out;
}

std::string optText(const std::optional<net::Address>& a)
{
    return a ? net::format(*a) : "-";
}

std::string layout(std::istringstream& in)
{
    std::string prefix, cloud;
    int gateway = 0, kept = 0, range = 0, dhcp6 = 0;
    std::string from, to;
    in >> prefix >> cloud >> gateway >> kept >> range >> from >> to >> dhcp6;
    const auto p = net::parsePrefix(prefix, net::HostBits::Refuse);
    if (!std::holds_alternative<net::Prefix>(p))
        return "error";
    plan::Plan plan(std::get<net::Prefix>(p));
    plan::Settings s;
    s.cloud = plan::parseCloudMode(cloud).value_or(plan::CloudMode::None);
    s.layout = {static_cast<plan::GatewayRule>(gateway), kept,
                static_cast<plan::RangeRule>(range),     net::parseDecimal(from).value_or(0),
                net::parseDecimal(to).value_or(0),       static_cast<plan::Dhcp6Mode>(dhcp6)};
    plan.setSettings(s);
    if (!plan.setAssigned(plan.root(), true).empty())
        return "error";
    const plan::ResolvedLayout l = plan::resolveLayout(plan, plan.root());
    return "first=" + optText(l.firstUsable) + " last=" + optText(l.lastUsable) + " gateway=" + optText(l.gateway) +
           " kept=" + rangesText(l.kept) + " ranges=" + rangesText(l.ranges);
}

std::string eui64(std::istringstream& in)
{
    std::string prefix, mac;
    in >> prefix >> mac;
    const auto p = net::parsePrefix(prefix, net::HostBits::Refuse);
    const auto m = net::parseMac(mac);
    if (!std::holds_alternative<net::Prefix>(p) || !std::holds_alternative<net::Mac>(m))
        return "error";
    const auto a = net::eui64Address(std::get<net::Prefix>(p), std::get<net::Mac>(m));
    return std::holds_alternative<net::Address>(a) ? net::format(std::get<net::Address>(a)) : "error";
}

}  // namespace

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string what;
        in >> what;
        if (what == "layout")
            std::cout << layout(in) << '\n';
        else if (what == "eui64")
            std::cout << eui64(in) << '\n';
        else if (what == "ula")
            std::cout << net::formatNetwork(net::ulaPrefix(net::randomUlaGlobalId())) << '\n';
        else
            std::cout << "unknown\n";
    }
}
