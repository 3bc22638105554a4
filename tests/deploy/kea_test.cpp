// Kea's configuration: what the plan gives is what kea-dhcp4 -t and kea-dhcp6 -t accept, in
// both forms, for the campus plan and random ones; subnet IDs hold across exports and edits;
// and a real kea-dhcp4 hands out the reservations, ranges and routers it was given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <sstream>

#include "deploy/kea.h"
#include "net/mac.h"
#include "plan/subnet.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/support/files.h"

namespace mq {
namespace {

using deploy::KeaForm;
using net::Family;

// The one file written, failing the test with the faults when refused.
std::string keaText(const plan::Plan& p, Family f, KeaForm form)
{
    const deploy::Written w = deploy::writeKea(deploy::prepare(p, deploy::assignDhcpIds(p)), f, form);
    if (const auto* out = std::get_if<std::vector<deploy::OutputFile>>(&w); out && out->size() == 1)
        return out->front().text;
    for (const textio::Problem& fault : std::get<textio::Problems>(w))
        ADD_FAILURE() << fault.message;
    return "";
}

// Empty when kea-dhcpN -t accepts the file, else what it said.
std::string keaCheck(Family f, const std::string& path)
{
    const test::Outcome o =
        test::runProgram(f == Family::V4 ? "/usr/sbin/kea-dhcp4" : "/usr/sbin/kea-dhcp6", {"-t", path});
    return o.status == 0 ? "" : o.out + o.err;
}

// The lines without their indent: a fragment's lines stand in the whole file as they are,
// one level deeper.
std::string trimmed(const std::string& text)
{
    std::istringstream in(text);
    std::string out, line;
    while (std::getline(in, line))
        out += line.substr(line.find_first_not_of(' ')) + "\n";
    return out;
}

// The campus plan with the lab's IPv6 block a prefix-delegation pool of /72s (cam-1 is then
// given the /72 that holds its address) and the server on "lo", which every system has.
plan::Plan campusWithDelegation()
{
    plan::Plan p = test::deployCampus();
    (void)p.setSubnetLayout(test::segmentBlock(p, "lab", Family::V6), {.delegatedLength = 72});
    plan::OutputSettings s = p.outputSettings();
    s.interface = "lo";
    p.setOutputSettings(s);
    return p;
}

TEST(KeaWriter, ServersAcceptEveryPlanInBothForms)
{
    if (access("/usr/sbin/kea-dhcp4", X_OK) != 0 || access("/usr/sbin/kea-dhcp6", X_OK) != 0)
        GTEST_SKIP() << "kea-dhcp4-server and kea-dhcp6-server are not installed";
    std::vector<plan::Plan> plans{test::deployCampus(), campusWithDelegation()};
    for (unsigned seed = 1; seed <= 50; ++seed)
        plans.push_back(test::randomDeployPlan(seed));
    for (std::size_t i = 0; i < plans.size(); ++i) {
        for (Family f : {Family::V4, Family::V6}) {
            const test::TempDir dir;
            const std::string v = f == Family::V4 ? "4" : "6";
            const std::string whole = keaText(plans[i], f, KeaForm::Whole);
            const std::string fragment = keaText(plans[i], f, KeaForm::Fragment);
            EXPECT_EQ(keaCheck(f, dir.write("whole.conf", whole)), "") << "plan " << i << " v" << v << "\n" << whole;
            EXPECT_NE(trimmed(whole).find(trimmed(fragment)), std::string::npos) << i;
            const std::string included = "{\"Dhcp" + v + "\": {\"subnet" + v + "\": <?include \"" +
                                         dir.write("subnet" + v + ".json", fragment) + "\"?>}}\n";
            EXPECT_EQ(keaCheck(f, dir.write("include.conf", included)), "") << "plan " << i << " v" << v;
        }
    }
}

// Reviewed by eye when the output changes on purpose: MQ_UPDATE_FIXTURES=1 writes them anew.
TEST(KeaWriter, CampusMatchesItsFixtures)
{
    const plan::Plan p = campusWithDelegation();
    for (Family f : {Family::V4, Family::V6}) {
        const std::string name = f == Family::V4 ? "campus-kea-dhcp4.conf" : "campus-kea-dhcp6.conf";
        const std::string text = keaText(p, f, KeaForm::Whole);
        if (std::getenv("MQ_UPDATE_FIXTURES"))
            test::writeFile(MQ_KEA_FIXTURES + name, text);
        EXPECT_EQ(text, test::readFile(MQ_KEA_FIXTURES + name)) << name;
        EXPECT_EQ(text, keaText(p, f, KeaForm::Whole));  // the same plan, the same bytes
    }
}

// Subnet and ID of every entry, as the file says.
std::map<std::string, std::uint32_t> idsIn(const std::string& text)
{
    std::map<std::string, std::uint32_t> out;
    for (std::size_t at = 0; (at = text.find("\"id\": ", at)) != std::string::npos;) {
        const std::uint32_t id = static_cast<std::uint32_t>(std::stoul(text.substr(at + 6)));
        const std::size_t subnet = text.find("\"subnet\": \"", at) + 11;
        out[text.substr(subnet, text.find('"', subnet) - subnet)] = id;
        at = subnet;
    }
    return out;
}

// Each entry carries the ID the plan keeps for its prefix: from one export to the next, and
// after an edit that assigns one more block.
TEST(KeaWriter, EntriesKeepThePlansIds)
{
    plan::Plan p = test::deployCampus();
    p.setDhcpIds(deploy::assignDhcpIds(p));
    const std::map<std::string, std::uint32_t> before = idsIn(keaText(p, Family::V4, KeaForm::Whole));
    ASSERT_EQ(p.setAssigned(p.freeLeaves().front(), true), "");
    p.setDhcpIds(deploy::assignDhcpIds(p));
    for (Family f : {Family::V4, Family::V6}) {
        std::map<std::string, std::uint32_t> want;
        for (plan::BlockId id : deploy::dhcpBlocks(p, f))
            want[net::formatNetwork(p.block(id).prefix)] = p.dhcpIds().at(p.block(id).prefix);
        EXPECT_EQ(idsIn(keaText(p, f, KeaForm::Fragment)), want);
    }
    std::map<std::string, std::uint32_t> after = idsIn(keaText(p, Family::V4, KeaForm::Whole));
    EXPECT_EQ(after.size(), before.size() + 1);
    for (const auto& [subnet, id] : before)
        EXPECT_EQ(after[subnet], id) << subnet;
}

TEST(KeaWriter, RefusesWhatKeaCannotServe)
{
    struct Case {
        Family family;
        std::function<void(plan::Plan&)> edit;
        std::string message;  // a part of the first fault's
    };
    const std::vector<Case> cases{
        {Family::V4,
         [](plan::Plan& p) {
             plan::Settings s = p.settings();
             s.layout.gateway = plan::GatewayRule::None;
             p.setSettings(s);
         },
         "10.40.0.0/24 (wifi): has DHCP ranges but no gateway"},
        {Family::V6, [](plan::Plan& p) { p.setDhcpIds({}); }, "2001:db8:40::/64 (office): has no Kea subnet ID"},
        // kea-dhcp6 -t takes "*" in interfaces-config only: in a subnet6 it is an interface
        // that does not exist. Every interface is the empty setting.
        {Family::V6,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.interface = "*";
             p.setOutputSettings(s);
         },
         "settings: interface: \"*\" is a pattern"},
        // A second router on the lab's pool, inside the /72 that cam-1 is given.
        {Family::V6,
         [](plan::Plan& p) {
             (void)p.setSubnetLayout(test::segmentBlock(p, "lab", Family::V6), {.delegatedLength = 72});
             (void)p.insertHost(p.hosts().size(), test::host("r2", {}, test::at(p, "lab", Family::V6, 0x99),
                                                             plan::HostRole::Router, "02:00:00:00:00:02"));
         },
         "2001:db8:40:1::/64 (lab): host \"r2\": the delegated prefix 2001:db8:40:1::/72 that holds its address "
         "is host \"cam-1\"'s already"},
    };
    for (const Case& c : cases) {
        plan::Plan p = test::deployCampus();
        p.setDhcpIds(deploy::assignDhcpIds(p));
        c.edit(p);
        for (KeaForm form : {KeaForm::Whole, KeaForm::Fragment}) {
            const deploy::Written w = deploy::writeKea(deploy::prepare(p, p.dhcpIds()), c.family, form);
            const auto* faults = std::get_if<textio::Problems>(&w);
            ASSERT_TRUE(faults && !faults->empty()) << c.message;
            EXPECT_NE(faults->front().message.find(c.message), std::string::npos) << faults->front().message;
        }
    }
}

TEST(KeaExchange, ReservedClientGetsItsAddressOthersOneOfTheRange)
{
    const test::TempDir dir;
    const std::string pid = std::to_string(getpid());
    const std::string vs = "mqks" + pid, vc = "mqkc" + pid;
    plan::Plan p = test::deployCampus();
    plan::OutputSettings s = p.outputSettings();
    s.interface = vs;
    s.leaseFile = dir.file("leases4.csv");
    p.setOutputSettings(s);
    const plan::ResolvedLayout office = plan::resolveLayout(p, test::segmentBlock(p, "office", Family::V4));
    const plan::Host& printer = p.hosts()[1];  // printer-2, reserved by its MAC
    ASSERT_TRUE(office.gateway && printer.mac && !office.ranges.empty());
    const std::string conf = dir.write("kea-dhcp4.conf", keaText(p, Family::V4, KeaForm::Whole));
    // The server stands on the gateway: Kea picks the subnet by its interface's address.
    const std::string other = "02:00:5e:10:00:01";
    const test::Outcome o = test::runProgram(
        "/bin/sh", {MQ_DHCP_EXCHANGE, conf, net::format(*office.gateway) + "/" + std::to_string(office.prefix.length),
                    vs, vc, dir.path(), net::formatMac(*printer.mac), other});
    if (o.status == 77)
        GTEST_SKIP() << o.err;
    ASSERT_EQ(o.status, 0) << o.err;
    std::istringstream lines(o.out);
    std::string mac, ip, router;
    ASSERT_TRUE(lines >> mac >> ip >> router) << o.out;
    EXPECT_EQ(ip, net::format(*printer.v4));
    EXPECT_EQ(router, net::format(*office.gateway));
    ASSERT_TRUE(lines >> mac >> ip >> router) << o.out;
    EXPECT_EQ(mac, other);
    const net::Address a = std::get<net::Address>(net::parseAddress(ip));
    EXPECT_TRUE(std::any_of(office.ranges.begin(), office.ranges.end(), [&](const plan::AddressRange& r) {
        return !(a < r.first) && !(r.last < a);
    })) << ip;
    EXPECT_EQ(router, net::format(*office.gateway));
}

}  // namespace
}  // namespace mq
