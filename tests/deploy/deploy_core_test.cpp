// What every output shares: the reasons a plan is refused, the Kea subnet IDs, the names of
// gateways, the settings' checks, and the all-or-none folder write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <tuple>

#include "deploy/deploy.h"
#include "deploy/dnsmasq.h"
#include "deploy/folder.h"
#include "deploy/kea.h"
#include "deploy/zones.h"
#include "net/mac.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/support/files.h"
#include "textio/fields.h"

namespace mq::deploy {
namespace {

using net::Family;

std::string faultsOf(const plan::Plan& p, Output o)
{
    std::string all;
    for (const textio::Problem& f : checkForOutput(p, o))
        all += f.message + "\n";
    return all;
}

void rename(plan::Plan& p, const std::string& from, const std::string& to)
{
    for (std::size_t i = 0; i < p.hosts().size(); ++i) {
        if (p.hosts()[i].name != from)
            continue;
        plan::Host h = p.hosts()[i];
        h.name = to;
        ASSERT_EQ(p.setHost(i, h), "");
    }
}

void nameServer(plan::Plan& p, plan::NameServer ns)
{
    plan::OutputSettings s = p.outputSettings();
    s.nameServers = {std::move(ns)};
    p.setOutputSettings(s);
}

TEST(DeployChecks, RefusalsNameTheirBlockOrSetting)
{
    struct Case {
        const char* what;
        Output output;
        std::function<void(plan::Plan&)> spoil;
        const char* message;  // a part of one fault's message; "" for no fault
    };
    const Case cases[] = {
        {"sound", Output::Kea4, [](plan::Plan&) {}, ""},
        {"sound zones", Output::Zones, [](plan::Plan&) {}, ""},
        {"no gateway", Output::Kea4,
         [](plan::Plan& p) {
             plan::Settings s = p.settings();
             s.layout.gateway = plan::GatewayRule::None;
             p.setSettings(s);
         },
         "(office): has DHCP ranges but no gateway"},
        {"no gateway is no fault for zones", Output::Zones,
         [](plan::Plan& p) {
             plan::Settings s = p.settings();
             s.layout.gateway = plan::GatewayRule::None;
             p.setSettings(s);
         },
         ""},
        {"DUID twice", Output::Kea6,
         [](plan::Plan& p) {
             plan::Host h = p.hosts()[5];
             h.duid = p.hosts()[4].duid;
             (void)p.setHost(5, h);
         },
         "host \"nas\": DUID 00:01:00:01:aa:bb is host \"srv-db\"'s too"},
        {"no domain", Output::Zones,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.domain.clear();
             p.setOutputSettings(s);
         },
         "settings: zones need a domain"},
        {"name server without address", Output::Zones,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.nameServers = {{"ns2.campus.example", {}}};
             p.setOutputSettings(s);
         },
         "name server \"ns2.campus.example\" lies in the domain but has no address"},
        {"a host of the name server's name serves", Output::Zones,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.nameServers = {{"srv-db.campus.example", {}}};
             p.setOutputSettings(s);
         },
         ""},
        {"IPv6 cut inside a block", Output::Zones,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.zoneCut6 = 68;
             p.setOutputSettings(s);
         },
         "(office): the IPv6 zone cut /68 lies inside the block; cut at /64 or shorter"},
        {"a bad setting", Output::Dnsmasq,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.zoneCut4 = 20;
             p.setOutputSettings(s);
         },
         "settings: IPv4 zone cut: /20; it must be /8, /16 or /24"},
        // A name stands once in the zone: a host and a name server of one name, given two
        // sets of addresses, lose one of them; names compare in any case.
        {"a host named as a name server", Output::Zones, [](plan::Plan& p) { rename(p, "nas", "NS1"); },
         "host NS1: the name is also the name server \"ns1.campus.example\"'s, which is given 10.40."},
        {"a name server named as a host", Output::Zones,
         [](plan::Plan& p) {
             nameServer(p, {"srv-db.campus.example", {test::at(p, "servers", Family::V4, 9)}});
         },
         "host srv-db: the name is also the name server \"srv-db.campus.example\"'s"},
        {"a name server of a host's name and addresses", Output::Zones,
         [](plan::Plan& p) {
             nameServer(p, {"SRV-DB.campus.example",
                            {test::at(p, "servers", Family::V4, 4), test::at(p, "servers", Family::V6, 4)}});
         },
         ""},
        {"a DNS server inside a range", Output::Kea4,
         [](plan::Plan& p) {
             plan::OutputSettings s = p.outputSettings();
             s.dnsServers = {test::at(p, "office", Family::V4, 100)};
             p.setOutputSettings(s);
         },
         "(office): the DNS server 10.40."},
        {"a name server inside a range", Output::Zones,
         [](plan::Plan& p) {
             nameServer(p, {"ns1.campus.example", {test::at(p, "wifi", Family::V4, 200)}});
         },
         "(wifi): the name server \"ns1.campus.example\"'s address 10.40."},
        // Named whole, a name of the domain is the same as the host's named within it.
        {"two hosts one name in the domain", Output::Zones,
         [](plan::Plan& p) { rename(p, "nas", "SRV-DB.campus.example"); },
         "host \"SRV-DB.campus.example\": in the domain the name is also host \"srv-db\"'s"},
        {"DHCP in multicast space", Output::Kea4,
         [](plan::Plan& p) {
             plan::BlockId root = plan::kNoBlock;
             ASSERT_EQ(p.addRoot({net::Address::v4(0xEF010000u), 24}, &root), "");
             plan::History h;
             ASSERT_EQ(h.run(p, plan::makeAllocate(root, std::vector<plan::Segment>{{"video", 50}})), "");
         },
         "lies in 224.0.0.0/4 (multicast), where no DHCP client is served"},
        {"the plan's own problems", Output::Kea4,
         [](plan::Plan& p) {
             plan::Host h = p.hosts()[1];
             h.v4 = p.hosts()[2].v4;
             ASSERT_EQ(p.setHost(1, h), "");
         },
         "printer-10"},
    };
    for (const Case& c : cases) {
        plan::Plan p = test::deployCampus();
        c.spoil(p);
        const std::string faults = faultsOf(p, c.output);
        if (*c.message == 0)
            EXPECT_EQ(faults, "") << c.what;
        else
            EXPECT_NE(faults.find(c.message), std::string::npos) << c.what << ":\n" << faults;
    }
}

TEST(DeployChecks, SettingsRefusedByField)
{
    const std::pair<std::function<void(plan::OutputSettings&)>, const char*> cases[] = {
        {[](plan::OutputSettings&) {}, ""},
        {[](plan::OutputSettings& s) { s.domain = "campus..example"; },
         "domain: \"campus..example\" has an empty label"},
        {[](plan::OutputSettings& s) { s.domain = "campus.example."; }, "without the final dot"},
        {[](plan::OutputSettings& s) { s.hostmaster = "root@campus"; }, "hostmaster: \"root@campus\" holds '@'"},
        {[](plan::OutputSettings& s) { s.dnsServers.push_back(s.dnsServers[0]); }, "DNS servers: one is given twice"},
        {[](plan::OutputSettings& s) {
             s.nameServers.push_back({"NS1.campus.example", {}});
         },
         "name servers: one is given twice"},
        {[](plan::OutputSettings& s) { s.ttl = 3000000000u; }, "TTL: 3000000000 seconds is more than 2147483647"},
        {[](plan::OutputSettings& s) { s.retry = 0; }, "retry: must be at least 1 second"},
        {[](plan::OutputSettings& s) { s.preferredLifetime = s.validLifetime + 1; }, "preferred lifetime: 86401"},
        {[](plan::OutputSettings& s) { s.interface = "eth0 \"x\""; }, "interface: \"eth0 \"x\"\" is no interface"},
        {[](plan::OutputSettings& s) { s.interface = "veth-campus-01"; }, ""},
        {[](plan::OutputSettings& s) { s.leaseFile = "leases.csv"; }, "lease file: \"leases.csv\" is no absolute path"},
        {[](plan::OutputSettings& s) { s.zoneCut6 = 50; }, "IPv6 zone cut: /50; it must be a multiple of 4"},
        // What a client cannot reach, or dnsmasq reads as "this machine".
        {[](plan::OutputSettings& s) { s.dnsServers = {net::Address::v4(0)}; },
         "DNS servers: 0.0.0.0 lies in 0.0.0.0/8 (this network)"},
        {[](plan::OutputSettings& s) { s.dnsServers = {net::Address::v4(0x7F000001u)}; }, "127.0.0.0/8 (loopback)"},
        {[](plan::OutputSettings& s) { s.dnsServers = {net::Address::v4(0xFFFFFFFFu)}; }, "(the limited broadcast)"},
        {[](plan::OutputSettings& s) { s.dnsServers = {net::Address::v6(0)}; }, ":: (the unspecified address)"},
        {[](plan::OutputSettings& s) { s.dnsServers = {net::Address::v6((net::u128{0xFF02} << 112) | 1)}; },
         "ff00::/8 (multicast)"},
        {[](plan::OutputSettings& s) { s.nameServers[0].addresses = {net::Address::v4(0xEF000001u)}; },
         "name server \"ns1.campus.example\": 239.0.0.1 lies in 224.0.0.0/4 (multicast)"},
        // A name without a dot would be the root's child.
        {[](plan::OutputSettings& s) { s.nameServers[0].name = "ns1"; }, "name server: \"ns1\" has no dot"},
        {[](plan::OutputSettings& s) { s.hostmaster = "admin"; }, "hostmaster: \"admin\" has no dot"},
        {[](plan::OutputSettings& s) { s.domain = "0.40.10.in-addr.arpa"; }, "lies in in-addr.arpa, where the reverse"},
        {[](plan::OutputSettings& s) { s.domain = "IP6.Arpa"; }, "lies in ip6.arpa"},
        {[](plan::OutputSettings& s) { s.domain = "home.arpa"; }, ""},
        {[](plan::OutputSettings& s) { s.interface = "*"; }, "interface: \"*\" is a pattern"},
        {[](plan::OutputSettings& s) { s.interface = "eth*"; }, "is a pattern"},
        {[](plan::OutputSettings& s) { s.leaseFile = "/var/lib/kea/../x.csv"; }, "is no plain path"},
        {[](plan::OutputSettings& s) { s.leaseFile = "/var//kea.csv"; }, "is no plain path"},
        {[](plan::OutputSettings& s) { s.leaseFile = "/dev/stdout"; }, "is no plain path"},
        {[](plan::OutputSettings& s) { s.leaseFile = "/var/lib/kea/.kea-leases4.csv"; }, ""},
        {[](plan::OutputSettings& s) { s.zoneCut6 = 56; }, ""},
    };
    for (const auto& [spoil, message] : cases) {
        plan::OutputSettings s = test::campusOutputs(test::deployCampus());
        spoil(s);
        const std::string why = plan::checkOutputSettings(s);
        if (*message == 0)
            EXPECT_EQ(why, "");
        else
            EXPECT_NE(why.find(message), std::string::npos) << why;
    }
}

TEST(DeployIds, KeptFreshAboveTheHighestAndNeverReused)
{
    plan::Plan p = test::deployCampus();
    const plan::DhcpIds first = assignDhcpIds(p);
    ASSERT_EQ(first.size(), 8u);  // four segments in two families
    EXPECT_EQ(assignDhcpIds(p), first);  // the same plan, the same IDs
    // IDs the plan keeps stay; the others come above the highest, in leaf order.
    const net::Prefix office = p.block(test::segmentBlock(p, "office", Family::V4)).prefix;
    const net::Prefix gone = net::Prefix{net::Address::v4(0x0B000000u), 24};
    p.setDhcpIds({{office, 40}, {gone, 90}});
    const plan::DhcpIds ids = assignDhcpIds(p);
    EXPECT_EQ(ids.at(office), 40u);
    EXPECT_EQ(ids.at(gone), 90u);  // kept though no block has it: never handed to another
    std::vector<std::uint32_t> fresh;
    for (Family f : {Family::V4, Family::V6})
        for (plan::BlockId id : dhcpBlocks(p, f))
            if (p.block(id).prefix != office)
                fresh.push_back(ids.at(p.block(id).prefix));
    EXPECT_EQ(fresh, (std::vector<std::uint32_t>{91, 92, 93, 94, 95, 96, 97}));
    // A reserved block hands out nothing, and gets no ID.
    const plan::BlockId lab = test::segmentBlock(p, "lab", Family::V4);
    ASSERT_EQ(p.setReserved(lab, true), "");
    p.setDhcpIds({});
    EXPECT_EQ(assignDhcpIds(p).count(p.block(lab).prefix), 0u);
}

TEST(DeployNames, GatewaysNamedAfterTheirBlocksUnlessAHostStandsThere)
{
    plan::Plan p = test::deployCampus();
    // "lab-gw" is taken by a host: the lab's IPv4 gateway is named by its address instead.
    (void)p.insertHost(p.hosts().size(),
                       test::host("lab-gw", test::at(p, "lab", Family::V4, 20), {}, plan::HostRole::Other));
    std::map<std::string, std::vector<std::string>> names;
    for (const NamedAddress& n : dnsNames(p))
        if (!n.host)
            names[n.name].push_back(net::format(n.address));
    const auto v4 = [&](const char* s, unsigned k) { return net::format(test::at(p, s, Family::V4, k)); };
    const auto v6 = [&](const char* s, unsigned k) { return net::format(test::at(p, s, Family::V6, k)); };
    // office has gw-office on both gateways, lab's are lab-router's; servers and wifi named.
    const std::map<std::string, std::vector<std::string>> want{
        {"servers-gw", {v4("servers", 1), v6("servers", 1)}},
        {"wifi-gw", {v4("wifi", 1), v6("wifi", 1)}},
    };
    EXPECT_EQ(names, want);
    // Without lab-router's IPv4 address the lab's gateway needs a name of its own.
    plan::Host router = p.hosts()[8];
    router.v4.reset();
    ASSERT_EQ(p.setHost(8, router), "");
    std::string wanted = "gw-" + v4("lab", 1);
    std::replace(wanted.begin(), wanted.end(), '.', '-');
    bool found = false;
    for (const NamedAddress& n : dnsNames(p))
        found |= !n.host && n.name == wanted;
    EXPECT_TRUE(found);
}

// The file's text, failing the test with the first problem when refused.
std::string textOf(const Written& w)
{
    if (const auto* problems = std::get_if<textio::Problems>(&w)) {
        ADD_FAILURE() << (problems->empty() ? "refused" : problems->front().message);
        return {};
    }
    return std::get<std::vector<OutputFile>>(w).front().text;
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// One model, read by every writer: a host of the office (both families) is reserved for the
// same client in Kea's and dnsmasq's files, and named once inside the domain in each file.
TEST(DeployModel, EveryWriterReadsTheOneReservationAndName)
{
    struct Case {
        const char* name;
        const char* mac;  // "" for none
        const char* duid;
        std::string v4, v6;  // the client: "hw-address MAC", "duid DUID", "" for no reservation
        const char* given;  // the name DHCP gives and DNS holds, relative to the domain
    };
    const char* mac = "02:00:00:00:00:20";
    const char* duid = "00:03:00:01:02:00:00:00:00:20";
    const std::string byMac = std::string("hw-address ") + mac, byDuid = std::string("duid ") + duid;
    const Case cases[] = {
        {"pc1", mac, "", byMac, byMac, "pc1"},
        {"pc1", "", duid, byDuid, byDuid, "pc1"},  // DHCPv4: Kea only, from an RFC 4361 client ID
        {"pc1", mac, duid, byMac, byDuid, "pc1"},
        {"pc1", "", "", "", "", "pc1"},
        {"pc1.campus.example", mac, duid, byMac, byDuid, "pc1"},  // named whole, before the domain was set
        {"PC1.Campus.Example", mac, "", byMac, byMac, "PC1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.mac + " " + c.duid);
        plan::Plan p = test::deployCampus();
        const net::Address a4 = test::at(p, "office", Family::V4, 20), a6 = test::at(p, "office", Family::V6, 20);
        plan::Host h = test::host(c.name, a4, a6, plan::HostRole::Other, c.mac);
        if (*c.duid)
            h.duid = std::get<net::Duid>(net::parseDuid(c.duid));
        ASSERT_EQ(p.insertHost(p.hosts().size(), h), "");
        const Prepared m = prepare(p, assignDhcpIds(p));
        const std::string kea4 = textOf(writeKea(m, Family::V4, KeaForm::Whole));
        const std::string kea6 = textOf(writeKea(m, Family::V6, KeaForm::Whole));
        const std::string dnsmasq = textOf(writeDnsmasq(m));
        const std::string whole = std::string(c.given) + ".campus.example";
        for (const auto& [client, address, v4] : {std::tuple{c.v4, a4, true}, std::tuple{c.v6, a6, false}}) {
            const std::string at = net::format(address);
            const std::string kea = v4 ? "\"ip-address\": \"" + at + "\"" : "\"ip-addresses\": [\"" + at + "\"]";
            const std::string host = v4 ? at : "[" + at + "]";
            if (client.empty()) {
                EXPECT_FALSE(has(v4 ? kea4 : kea6, kea)) << at;
                EXPECT_FALSE(has(dnsmasq, "," + host + "," + whole + "\n")) << at;
                continue;
            }
            const std::size_t blank = client.find(' ');
            const std::string key = client.substr(0, blank), id = client.substr(blank + 1);
            EXPECT_TRUE(has(v4 ? kea4 : kea6,
                            "{\"" + key + "\": \"" + id + "\", " + kea + ", \"hostname\": \"" + c.given + "\"}"))
                << client;
            // dnsmasq's DHCPv4 "id:" is the whole client ID, IAID included, which the plan does not hold.
            const bool dnsmasqServes = !(v4 && key == "duid");
            EXPECT_EQ(
                has(dnsmasq, "\ndhcp-host=" + (key == "duid" ? "id:" + id : id) + "," + host + "," + whole + "\n"),
                dnsmasqServes)
                << client;
        }
        EXPECT_TRUE(has(dnsmasq, "\nhost-record=" + whole + "," + net::format(a4) + "," + net::format(a6) + "\n"));
        const auto zones = writeZones(m, 20261210);
        ASSERT_TRUE(std::holds_alternative<ZoneOutput>(zones));
        std::string all;
        for (const OutputFile& f : std::get<ZoneOutput>(zones).files)
            all += f.text;
        EXPECT_TRUE(has(all, "\n" + std::string(c.given) + "\tIN\tA\t" + net::format(a4) + "\n"));
        EXPECT_TRUE(has(all, "\tIN\tPTR\t" + whole + ".\n"));
        EXPECT_FALSE(has(textio::lowerCase(all + kea4 + kea6 + dnsmasq), "campus.example.campus.example"));
    }
}

TEST(DeployFolder, AllOrNone)
{
    test::TempDir dir;
    dir.write("db.old", "old\n");
    ASSERT_EQ(chmod(dir.file("db.old").c_str(), 0640), 0);
    // One target is a folder: nothing is written, the old file stays.
    ASSERT_EQ(mkdir(dir.file("named.conf.zones").c_str(), 0755), 0);
    const std::string refused =
        writeFolder(dir.path(), {{"db.old", "new\n"}, {"db.fresh", "x\n"}, {"named.conf.zones", "z\n"}});
    EXPECT_NE(refused.find("named.conf.zones: is not a regular file"), std::string::npos) << refused;
    EXPECT_EQ(test::readFile(dir.file("db.old")), "old\n");
    EXPECT_EQ(test::readFile(dir.file("db.fresh")), "<unreadable>");
    EXPECT_NE(writeFolder(dir.path(), {{"../escape", "x"}}), "");
    // Written: the old file replaced with its mode kept, and no temporary left behind.
    ASSERT_EQ(rmdir(dir.file("named.conf.zones").c_str()), 0);
    EXPECT_EQ(writeFolder(dir.path(), {{"db.old", "new\n"}, {"db.fresh", "x\n"}}), "");
    EXPECT_EQ(test::readFile(dir.file("db.old")), "new\n");
    struct stat st { };
    ASSERT_EQ(stat(dir.file("db.old").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    const test::Outcome listing = test::runProgram("ls", {"-A", dir.path()});
    EXPECT_EQ(listing.out, "db.fresh\ndb.old\n");
    // Written again: a file that already holds its text is left alone (the same inode), the
    // one that changed replaced.
    struct stat fresh {
    }, again{}, old{};
    ASSERT_EQ(stat(dir.file("db.fresh").c_str(), &fresh), 0);
    EXPECT_EQ(writeFolder(dir.path(), {{"db.old", "newer\n"}, {"db.fresh", "x\n"}}), "");
    ASSERT_EQ(stat(dir.file("db.fresh").c_str(), &again), 0);
    ASSERT_EQ(stat(dir.file("db.old").c_str(), &old), 0);
    EXPECT_EQ(again.st_ino, fresh.st_ino);
    EXPECT_NE(old.st_ino, st.st_ino);
    EXPECT_EQ(test::readFile(dir.file("db.old")), "newer\n");
    EXPECT_EQ(test::runProgram("ls", {"-A", dir.path()}).out, listing.out);
}

}  // namespace
}  // namespace mq::deploy
