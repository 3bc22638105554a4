// A dual-stack campus plan (10.40.0.0/16 and 2001:db8:40::/48) with four segments and hosts
// of several roles, for the tests of the hosts table, its window and the allocations table.
#pragma once

#include "plan/allocations.h"
#include "plan/commands.h"
#include "plan/plan.h"

#include <string>
#include <vector>

namespace mq::test {

inline plan::Plan campusPlan()
{
    plan::Plan p(net::Prefix{net::Address::v4(0x0A280000u), 16});
    p.addRoot({net::Address::v6(net::u128{0x20010db80040} << 80), 48});
    std::vector<plan::Segment> segments{{"office", 100}, {"lab", 50}, {"servers", 20}, {"wifi", 200}};
    for (std::size_t i = 0; i < segments.size(); ++i)
        segments[i].vlan = static_cast<int>(10 * (i + 1));
    plan::History h;
    h.run(p, plan::makeAllocate(p.roots(), segments));
    return p;
}

// The block of a segment in a family.
inline plan::BlockId segmentBlock(const plan::Plan& p, const std::string& name, net::Family f)
{
    for (const plan::AllocationRow& r : plan::allocationRows(p)) {
        const plan::BlockId id = f == net::Family::V4 ? r.v4 : r.v6;
        if (id != plan::kNoBlock && p.block(id).name == name)
            return id;
    }
    return plan::kNoBlock;
}

// The address n above a segment's network.
inline net::Address at(const plan::Plan& p, const std::string& segment, net::Family f, unsigned n)
{
    net::Address a = p.block(segmentBlock(p, segment, f)).prefix.address;
    a.value += n;
    return a;
}

inline plan::Host host(std::string name, std::optional<net::Address> v4, std::optional<net::Address> v6,
                       plan::HostRole role, std::string mac = "", std::string note = "")
{
    plan::Host h;
    h.name = std::move(name);
    h.v4 = v4;
    h.v6 = v6;
    h.role = role;
    if (!mac.empty())
        h.mac = std::get<net::Mac>(net::parseMac(mac));
    h.note = std::move(note);
    return h;
}

// Ten hosts, in this order; printer-10 sits below printer-2 in address order but after it
// as text, cam-1 has only an IPv6 address and stray lies in no assigned block.
inline std::vector<plan::Host> campusHosts(const plan::Plan& p)
{
    using net::Family;
    using R = plan::HostRole;
    std::vector<plan::Host> hosts{
        host("gw-office", at(p, "office", Family::V4, 1), at(p, "office", Family::V6, 1), R::Gateway),
        host("printer-2", at(p, "office", Family::V4, 10), {}, R::Printer, "00:11:22:33:44:55", "2nd floor"),
        host("printer-10", at(p, "office", Family::V4, 9), {}, R::Printer, "0011.2233.4401"),
        host("cam-1", {}, at(p, "lab", Family::V6, 5), R::Camera, "00-11-22-33-44-99", "gate"),
        host("srv-db", at(p, "servers", Family::V4, 4), at(p, "servers", Family::V6, 4), R::Server, "", "=SUM(A1)"),
        host("nas", at(p, "servers", Family::V4, 5), {}, R::Server, "", "backup\tnightly"),
        host("ap-east", at(p, "wifi", Family::V4, 2), {}, R::AccessPoint, "00:11:22:33:44:10"),
        host("AP-west", at(p, "wifi", Family::V4, 3), {}, R::AccessPoint),
        host("lab-router", at(p, "lab", Family::V4, 1), at(p, "lab", Family::V6, 1), R::Router),
        host("stray", net::Address::v4(0x0A28C801u), {}, R::Other, "", "not placed yet"),
    };
    hosts[4].duid = {0x00, 0x01, 0x00, 0x01, 0xaa, 0xbb};
    return hosts;
}

}  // namespace mq::test
