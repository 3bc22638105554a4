// The dnsmasq writer: the lines a known plan gives, the plans it refuses, and what dnsmasq
// itself accepts, odd names included.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <tuple>

#include "deploy/dnsmasq.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/support/files.h"
#include "tests/support/net_text.h"
#include "textio/escape.h"

namespace mq::deploy {
namespace {

using mq::test::P;

net::Address A(std::string_view text)
{
    return std::get<net::Address>(net::parseAddress(text));
}

std::string dnsmasqProgram()
{
    for (const char* path : {"/usr/sbin/dnsmasq", "/usr/bin/dnsmasq", "/sbin/dnsmasq"})
        if (std::filesystem::exists(path))
            return path;
    return {};
}

// The file's text, or "refused:" and the first reason.
std::string shown(const Written& w)
{
    if (const auto* faults = std::get_if<textio::Problems>(&w))
        return "refused: " + (faults->empty() ? std::string() : faults->front().message);
    const auto& files = std::get<std::vector<OutputFile>>(w);
    EXPECT_EQ(files.size(), 1u);
    EXPECT_EQ(files.front().name, "dnsmasq.conf");
    return files.front().text;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// A hand-made plan of every kind of block: 10.9.0.0/24 with a range, a gateway and hosts;
// 10.9.1.0/24 of reservations alone and no gateway; IPv6 /64s of SLAAC and DHCPv6 together,
// SLAAC alone and reservations alone; a /120 of stateful DHCPv6.
plan::Plan handMade(plan::DhcpIds& ids)
{
    plan::Plan p(P("10.9.0.0/23"));
    (void)p.addRoot(P("2001:db8:9::/48"));
    plan::Settings s;
    s.layout = {
        .gateway = plan::GatewayRule::FirstUsable, .range = plan::RangeRule::UpperHalf, .dhcp6 = plan::Dhcp6Mode::Both};
    p.setSettings(s);
    std::uint32_t id = 7;
    auto block = [&](const char* prefix, const char* name, plan::SubnetLayout layout = {}) {
        plan::BlockId b = plan::kNoBlock;
        EXPECT_EQ(p.carve(P(prefix), &b), "");
        EXPECT_EQ(p.setAssigned(b, true, 10), "");
        EXPECT_EQ(p.setName(b, name), "");
        EXPECT_EQ(p.setSubnetLayout(b, layout), "");
        ids[P(prefix)] = id++;
    };
    block("10.9.0.0/24", "office");
    block("10.9.1.0/24", "lab", {.gatewaySet = true, .rangesSet = true});
    block("2001:db8:9:1::/64", "office");
    block("2001:db8:9:2::/64", "wifi", {.dhcp6 = plan::Dhcp6Mode::Slaac});
    block("2001:db8:9:3::/64", "lab", {.rangesSet = true, .dhcp6 = plan::Dhcp6Mode::Stateful});
    block("2001:db8:9:4::/120", "links", {.dhcp6 = plan::Dhcp6Mode::Stateful});
    const net::Mac mac{{0x02, 0, 0, 0, 0, 0x01}};
    const net::Mac mac2{{0x02, 0, 0, 0, 0, 0x02}};
    const std::vector<plan::Host> hosts{
        {.name = "printer",
         .v4 = A("10.9.0.10"),
         .v6 = A("2001:db8:9:1::10"),
         .mac = mac,
         .duid = {0, 3, 0, 1, 2, 0, 0, 0, 0, 1}},
        {.name = "ignore", .v4 = A("10.9.0.11"), .v6 = A("2001:db8:9:1::11"), .mac = mac2},
        {.name = "nas.store", .v4 = A("10.9.1.5"), .mac = net::Mac{{0x02, 0, 0, 0, 0, 0x03}}},
        {.name = "cam", .v6 = A("2001:db8:9:2::5"), .duid = {0, 3, 0, 1, 2, 0, 0, 0, 0, 4}},
        {.name = "scanner", .v6 = A("2001:db8:9:3::6"), .duid = {0, 3, 0, 1, 2, 0, 0, 0, 0, 5}},
    };
    for (const plan::Host& h : hosts)
        EXPECT_EQ(p.insertHost(p.hosts().size(), h), "");
    plan::OutputSettings o;
    o.domain = "lab.example";
    o.dnsServers = {A("10.9.0.53"), A("2001:db8:9::53"), A("10.9.0.54")};
    o.nameServers = {{"ns.example.net", {}}};
    o.validLifetime = 3600;
    o.preferredLifetime = 1800;
    o.interface = "eth1";
    p.setOutputSettings(o);
    return p;
}

// Every line the hand-made plan gives, in order.
TEST(DnsmasqWriter, LinesOfAHandMadePlan)
{
    plan::DhcpIds ids;
    const plan::Plan p = handMade(ids);
    const std::vector<std::string> expected{
        "domain=lab.example",
        "interface=eth1",
        "dhcp-option=option:dns-server,10.9.0.53,10.9.0.54",
        "dhcp-option=option6:dns-server,[2001:db8:9::53]",
        "enable-ra",
        "# 10.9.0.0/24 (office)",
        "dhcp-range=set:s7,10.9.0.128,10.9.0.254,255.255.255.0,3600",
        "dhcp-option=tag:s7,option:router,10.9.0.1",
        // By MAC; a name dnsmasq would take for a keyword is written whole.
        "dhcp-host=02:00:00:00:00:01,10.9.0.10,printer.lab.example",
        "dhcp-host=02:00:00:00:00:02,10.9.0.11,ignore.lab.example",
        // Reservations alone, and no router but the plan's.
        "# 10.9.1.0/24 (lab)",
        "dhcp-range=set:s8,10.9.1.0,static,255.255.255.0,3600",
        "dhcp-option=tag:s8,option:router",
        "dhcp-host=02:00:00:00:00:03,10.9.1.5",
        "# 2001:db8:9:1::/64 (office)",
        "dhcp-range=set:s9,2001:db8:9:1:8000::,2001:db8:9:1:ffff:ffff:ffff:ffff,slaac,64,3600",
        "dhcp-host=id:00:03:00:01:02:00:00:00:00:01,[2001:db8:9:1::10],printer.lab.example",
        "dhcp-host=02:00:00:00:00:02,[2001:db8:9:1::11],ignore.lab.example",
        // SLAAC alone: no DHCPv6, so no reservation.
        "# 2001:db8:9:2::/64 (wifi)",
        "dhcp-range=set:s10,2001:db8:9:2::,ra-only,64,3600",
        "# 2001:db8:9:3::/64 (lab)",
        "dhcp-range=set:s11,2001:db8:9:3::,static,64,3600",
        "dhcp-host=id:00:03:00:01:02:00:00:00:00:05,[2001:db8:9:3::6],scanner.lab.example",
        "# 2001:db8:9:4::/120 (links)",
        "dhcp-range=set:s12,2001:db8:9:4::80,2001:db8:9:4::ff,120,3600",
        // A name with both its addresses on one line.
        "host-record=printer.lab.example,10.9.0.10,2001:db8:9:1::10",
        "host-record=ignore.lab.example,10.9.0.11,2001:db8:9:1::11",
        "host-record=nas.store.lab.example,10.9.1.5",
        "host-record=cam.lab.example,2001:db8:9:2::5",
        "host-record=scanner.lab.example,2001:db8:9:3::6",
    };
    std::vector<std::string> got;
    for (const std::string& line : lines(shown(writeDnsmasq(prepare(p, ids)))))
        if (!line.empty() && line.rfind("# dnsmasq", 0) != 0 && line.find("-gw") == std::string::npos)
            got.push_back(line);
    EXPECT_EQ(got, expected);
}

// Plans dnsmasq cannot serve are refused, naming the block and why.
TEST(DnsmasqWriter, RefusesWhatDnsmasqCannotServe)
{
    const std::vector<std::pair<std::function<void(plan::Plan&, plan::DhcpIds&)>, const char*>> cases{
        {[](plan::Plan& p, plan::DhcpIds&) {
             (void)p.setSubnetLayout(p.blockOf(P("2001:db8:9:4::/120")), {.dhcp6 = plan::Dhcp6Mode::Both});
         },
         "2001:db8:9:4::/120 (links): SLAAC needs a /64"},
        {[](plan::Plan&, plan::DhcpIds& ids) { ids.erase(P("10.9.1.0/24")); },
         "10.9.1.0/24 (lab): has no DHCP subnet ID"},
        // Without a domain dnsmasq would read the name as a TTL.
        {[](plan::Plan& p, plan::DhcpIds&) {
             plan::OutputSettings o = p.outputSettings();
             o.domain.clear();
             p.setOutputSettings(o);
             plan::Host h = p.hosts()[4];
             h.name = "2024";
             (void)p.setHost(4, h);
         },
         "2001:db8:9:3::/64 (lab): the name \"2024\" ends in a number"},
    };
    for (const auto& [edit, message] : cases) {
        SCOPED_TRACE(message);
        plan::DhcpIds ids;
        plan::Plan p = handMade(ids);
        edit(p, ids);
        const Written w = writeDnsmasq(prepare(p, ids));
        ASSERT_TRUE(std::holds_alternative<textio::Problems>(w));
        const auto& faults = std::get<textio::Problems>(w);
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_NE(faults.front().message.find(message), std::string::npos) << faults.front().message;
    }
}

// The campus plan, random plans of both families, and the hand-made plan with odd text in a
// block's name, the domain or the interface pass dnsmasq's own check (or are refused) and
// give the same bytes every time. Whatever a name holds, each line stays a comment or one
// option, shorter than the 1024 bytes dnsmasq reads at a time (it reads on as a new line).
TEST(DnsmasqWriter, DnsmasqAcceptsEveryPlan)
{
    std::vector<std::tuple<std::string, plan::Plan, plan::DhcpIds>> plans;
    for (unsigned seed = 0; seed <= 50; ++seed) {
        plan::Plan p = seed == 0 ? mq::test::deployCampus() : mq::test::randomDeployPlan(seed);
        plan::DhcpIds ids = assignDhcpIds(p);
        plans.emplace_back("seed " + std::to_string(seed), std::move(p), std::move(ids));
    }
    std::string rtl;  // each character escaped in 8 bytes
    for (int i = 0; i < 66; ++i)
        rtl += "\u202e";
    for (const std::string& text : {std::string("office\nenable-tftp"), std::string("a\u2028b #=,\"\\"), rtl})
        for (int field = 0; field < 3; ++field) {
            plan::DhcpIds ids;
            plan::Plan p = handMade(ids);
            plan::OutputSettings o = p.outputSettings();
            (field == 0 ? o.domain : o.interface) += text;
            if (field < 2)
                p.setOutputSettings(o);
            else
                (void)p.setName(p.blockOf(P("10.9.0.0/24")), text);
            const char* fields[] = {"domain ", "interface ", "name "};
            plans.emplace_back(fields[field] + textio::escaped(text), std::move(p), std::move(ids));
        }
    static const std::vector<std::string> keys{"domain=",     "interface=", "dhcp-option=", "enable-ra",
                                               "dhcp-range=", "dhcp-host=", "host-record="};
    const std::string program = dnsmasqProgram();
    const mq::test::TempDir dir;
    for (const auto& [what, p, ids] : plans) {
        SCOPED_TRACE(what);
        const std::string text = shown(writeDnsmasq(prepare(p, ids)));
        const plan::Plan copy(p);
        EXPECT_EQ(shown(writeDnsmasq(prepare(copy, ids))), text);
        if (text.rfind("refused: ", 0) == 0) {
            // An odd domain or interface may be refused; a name is the user's own text.
            EXPECT_TRUE(what.rfind("domain ", 0) == 0 || what.rfind("interface ", 0) == 0) << text;
            continue;
        }
        for (const std::string& line : lines(text))
            EXPECT_TRUE(
                line.size() < 1000 &&
                (line.empty() || line[0] == '#' ||
                 std::any_of(keys.begin(), keys.end(), [&](const std::string& k) { return line.rfind(k, 0) == 0; })))
                << line;
        if (program.empty())
            continue;  // reported below
        const auto r = mq::test::runProgram(program, {"--test", "--conf-file=" + dir.write("d.conf", text)});
        EXPECT_EQ(r.status, 0) << r.err << text;
        EXPECT_NE(r.err.find("syntax check OK."), std::string::npos) << r.err;
    }
    if (program.empty())
        GTEST_SKIP() << "dnsmasq is not installed (Debian package dnsmasq-base): lines checked, not dnsmasq";
}

}  // namespace
}  // namespace mq::deploy
