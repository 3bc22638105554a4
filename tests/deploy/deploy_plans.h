#pragma once
// Plans for the configuration writers' tests: the campus plan with gateways, ranges, hosts and
// output settings, and random plans of both families that every writer must turn into a
// configuration the servers accept.
#include <random>
#include <string>

#include "plan/commands.h"
#include "plan/plan.h"
#include "tests/planner/campus_plan.h"

namespace mq::test {

inline plan::OutputSettings campusOutputs(const plan::Plan& p)
{
    plan::OutputSettings s;
    s.domain = "campus.example";
    s.dnsServers = {net::Address::v4(0x0A280035u), net::Address::v6((net::u128{0x20010db80040} << 80) | 0x53)};
    s.nameServers = {{"ns1.campus.example", {at(p, "servers", net::Family::V4, 4)}}};
    s.leaseFile = "/var/lib/kea/campus-leases4.csv";
    return s;
}

// The campus plan: the first usable address is each block's gateway (the one address kept),
// the upper half is handed out (IPv6: SLAAC and stateful DHCPv6), and nine of the campus
// hosts (all but the one in no block) have their addresses.
inline plan::Plan deployCampus()
{
    plan::Plan p = campusPlan();
    plan::Settings s = p.settings();
    s.layout.gateway = plan::GatewayRule::FirstUsable;
    s.layout.kept = 1;
    s.layout.range = plan::RangeRule::UpperHalf;
    s.layout.dhcp6 = plan::Dhcp6Mode::Both;
    p.setSettings(s);
    std::vector<plan::Host> hosts = campusHosts(p);
    hosts.pop_back();  // "stray" lies in no assigned block
    // gw-office and lab-router stand on their gateways; the others after the kept addresses.
    for (std::size_t i = 0; i < hosts.size(); ++i)
        (void)p.insertHost(i, hosts[i]);
    p.setOutputSettings(campusOutputs(p));
    return p;
}

// A random plan that can give every output: one or two roots (10.R.0.0/16,
// 2001:db8:R::/48), up to a dozen segments of 2 to 600 hosts with VLANs, random rules, and
// hosts on free addresses of the blocks, some with MACs and DUIDs.
inline plan::Plan randomDeployPlan(unsigned seed)
{
    std::mt19937 rng(seed);
    const unsigned r = rng() % 200;
    const int families = static_cast<int>(rng() % 3);  // 0: IPv4, 1: IPv6, 2: both
    std::optional<plan::Plan> made;
    auto add = [&](net::Prefix root) {
        if (!made)
            made.emplace(root);
        else
            (void)made->addRoot(root);
    };
    if (families != 1)
        add({net::Address::v4(0x0A000000u | (r << 16)), 16});
    if (families != 0)
        add({net::Address::v6((net::u128{0x20010db80000} | r) << 80), 48});
    plan::Plan& p = *made;
    plan::Settings s;
    s.layout.gateway = rng() % 2 ? plan::GatewayRule::FirstUsable : plan::GatewayRule::LastUsable;
    s.layout.kept = static_cast<int>(rng() % 4);
    s.layout.range = rng() % 3 ? plan::RangeRule::UpperHalf : plan::RangeRule::None;
    s.layout.dhcp6 = static_cast<plan::Dhcp6Mode>(rng() % 3);
    p.setSettings(s);
    std::vector<plan::Segment> segments;
    const int n = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) {
        static const net::u128 sizes[] = {2, 6, 20, 50, 100, 200, 300, 600};
        segments.emplace_back("seg-" + std::to_string(i), sizes[rng() % 8]);
        segments.back().vlan = 100 + i;
    }
    plan::History h;
    h.run(p, plan::makeAllocate(p.roots(), segments));
    const plan::HostIndex none(p);
    int k = 0;
    for (plan::BlockId id : p.leaves()) {
        if (p.block(id).state != plan::BlockState::Assigned)
            continue;
        const int count = static_cast<int>(rng() % 4);
        for (int j = 0; j < count; ++j) {
            const plan::HostIndex index(p);
            const std::optional<net::Address> a = plan::nextFree(p, id, index);
            if (!a)
                break;
            plan::Host host;
            host.name = "host-" + std::to_string(k);
            (p.block(id).prefix.address.family == net::Family::V4 ? host.v4 : host.v6) = a;
            if (rng() % 2)
                host.mac = net::Mac{{0x02, 0x00, 0x00, static_cast<std::uint8_t>(k >> 8), static_cast<std::uint8_t>(k),
                                     static_cast<std::uint8_t>(seed)}};
            if (rng() % 3 == 0)
                host.duid = {0x00,
                             0x03,
                             0x00,
                             0x01,
                             0x02,
                             0x00,
                             0x00,
                             static_cast<std::uint8_t>(k >> 8),
                             static_cast<std::uint8_t>(k),
                             static_cast<std::uint8_t>(seed)};
            host.role = static_cast<plan::HostRole>(rng() % 7);
            (void)p.insertHost(p.hosts().size(), host);
            ++k;
        }
    }
    plan::OutputSettings o;
    o.domain = "site" + std::to_string(r) + ".example";
    o.nameServers = {{"ns.example.net", {}}};
    o.naming = rng() % 2 ? plan::ReverseNaming::Slash : plan::ReverseNaming::Dash;
    p.setOutputSettings(o);
    return p;
}

}  // namespace mq::test
