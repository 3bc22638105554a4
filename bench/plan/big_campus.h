#pragma once
// A campus at size, for the benchmarks of what is done with a whole plan: 10,000 subnets
// (5,000 dual-stack segments, 5,000 IPv4 only) and 100,000 hosts, each with a name, an IPv4
// address, a MAC and, in a dual-stack segment, an IPv6 address; a gateway and DHCP range
// rule for all, ranges of their own on every tenth; with the settings the configuration is
// written with, for the writers. And the baseline most of them are held against: the same
// bytes appended to a string line by line.
#include <cstring>
#include <string>

#include "plan/plan.h"
#include "plan/subnet.h"

namespace mq::bench {

constexpr int kSubnets = 10000, kDualStack = 5000, kHostsEach = 10;

inline plan::Plan bigCampus()
{
    plan::Plan p({net::Address::v4(0x0A000000), 10});  // 10.0.0.0/10: 16,384 /24s
    (void)p.addRoot({net::Address::v6(net::u128{0x20010db8} << 96), 51});  // 8,192 /64s
    (void)p.split(p.roots()[0], 16384);
    (void)p.split(p.roots()[1], 8192);
    plan::Settings s;
    s.layout.gateway = plan::GatewayRule::FirstUsable;
    s.layout.range = plan::RangeRule::Offsets;
    s.layout.rangeFrom = 100;
    s.layout.rangeTo = 199;
    p.setSettings(s);
    const auto v4 = p.block(p.roots()[0]).children, v6 = p.block(p.roots()[1]).children;
    std::vector<plan::Host> hosts;
    hosts.reserve(kSubnets * kHostsEach);
    for (int i = 0; i < kSubnets; ++i) {
        for (plan::BlockId id : {v4[i], i < kDualStack ? v6[i] : plan::kNoBlock}) {
            if (id == plan::kNoBlock)
                continue;
            (void)p.setName(id, "seg-" + std::to_string(i));
            (void)p.setAssigned(id, true, 50);
            (void)p.setVlan(id, 1 + i % 4094);
        }
        const net::Address base4 = p.block(v4[i]).prefix.address;
        if (i % 10 == 0) {
            plan::SubnetLayout own;
            own.rangesSet = true;
            own.ranges.push_back({{base4.value + 50, base4.family}, {base4.value + 99, base4.family}});
            (void)p.setSubnetLayout(v4[i], own);
        }
        for (int j = 0; j < kHostsEach; ++j) {
            plan::Host h;
            h.name = "h" + std::to_string(j) + ".seg-" + std::to_string(i);
            h.v4 = net::Address{base4.value + 10 + j, base4.family};
            if (i < kDualStack)
                h.v6 = net::Address::v6(p.block(v6[i]).prefix.address.value + 10 + j);
            const std::uint64_t n = 0x02005E000000u + static_cast<std::uint64_t>(i) * kHostsEach + j;
            h.mac.emplace();
            for (int b = 0; b < 6; ++b)
                h.mac->bytes[b] = static_cast<std::uint8_t>(n >> (40 - 8 * b));
            h.role = j == 0 ? plan::HostRole::Printer : plan::HostRole::Other;
            hosts.push_back(std::move(h));
        }
    }
    p.swapHosts(hosts);
    return p;
}

// The same campus as its DHCP and DNS configuration is written: stateful DHCPv6 beside
// SLAAC, the domain, DNS servers and a name server (below the ranges, which a server
// address must stay out of).
inline plan::Plan bigCampusForOutput()
{
    plan::Plan p = bigCampus();
    plan::Settings s = p.settings();
    s.layout.dhcp6 = plan::Dhcp6Mode::Both;
    p.setSettings(s);
    plan::OutputSettings o;
    o.domain = "campus.example";
    o.dnsServers = {net::Address::v4(0x0A000005), net::Address::v6((net::u128{0x20010db8} << 96) | 5)};
    o.nameServers = {{"ns1.campus.example", {net::Address::v4(0x0A000005)}}};
    p.setOutputSettings(o);
    return p;
}

inline std::string appendLines(const std::string& text)
{
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const char* end = static_cast<const char*>(std::memchr(text.data() + at, '\n', text.size() - at));
        const std::size_t next = end ? static_cast<std::size_t>(end - text.data()) + 1 : text.size();
        out.append(text, at, next - at);
        at = next;
    }
    return out;
}

}  // namespace mq::bench
