// The .mqplan document: round trips of random plans, the written form byte for byte, every
// kind of bad document refused with the JSON path and reason; the CSV export byte for byte.
#include <gtest/gtest.h>

#include <set>

#include "net/parse.h"
#include "plan/document.h"
#include "tests/plan/plan_helpers.h"

namespace mq::plan {
namespace {
using test::P;

TEST(Document, RandomPlansReadBackIdenticalAndWriteTheSameBytes)
{
    for (const char* root :
         {"10.0.0.0/8", "2001:db8::/32", "0.0.0.0/0", "::/0", "192.0.2.7/32", "::ffff:0:0/96", "dual"}) {
        std::mt19937_64 rng(5);
        for (int round = 0; round < 8; ++round) {
            Plan plan(P(root[0] == 'd' ? "10.40.0.0/16" : root));
            if (root[0] == 'd') {
                ASSERT_EQ(plan.addRoot(P("2001:db8:40::/48")), "");
                ASSERT_EQ(plan.addRoot(P("192.168.0.0/24")), "");
            }
            plan.setSettings({round % 2 == 0, round % 3 == 0});
            std::vector<Segment> segs;
            for (int i = round; i > 0; --i) {
                Segment s{"seg \"" + std::to_string(i) + "\"", rng() % 1000, static_cast<double>(rng() % 1000) / 7};
                if (rng() % 2)
                    s.fixedLength = static_cast<int>(rng() % 33);
                if (rng() % 2)
                    s.fixedLength6 = static_cast<int>(rng() % 129);
                s.vlan = static_cast<int>(rng() % 4095);
                segs.push_back(s);
            }
            plan.setSegments(segs);
            test::grow(plan, rng, 40 * round);
            const std::string text = writeDocument(plan);
            auto back = readDocument(text);
            if (auto* e = std::get_if<textio::Problem>(&back))
                FAIL() << e->path << ": " << e->message << "\n" << text;
            EXPECT_TRUE(std::get<Plan>(back) == plan) << root << " round " << round;
            EXPECT_EQ(writeDocument(std::get<Plan>(back)), text);
        }
        EXPECT_TRUE(std::holds_alternative<Plan>(
            readDocument("\xEF\xBB\xBF" + writeDocument(Plan(P(root[0] == 'd' ? "::/0" : root))))));
    }
}

TEST(Document, WrittenFormAndCsvByteForByte)
{
    Plan plan(P("10.0.0.0/24"));
    ASSERT_EQ(plan.split(0, 2), "");
    const BlockId a = plan.block(0).children[0], b = plan.block(0).children[1];
    ASSERT_EQ(plan.setName(0, "HQ"), "");
    ASSERT_EQ(plan.setName(a, "Office \"A\", 1st"), "");
    ASSERT_EQ(plan.setNote(a, "desks\nprinters"), "");
    ASSERT_EQ(plan.setColour(a, 0x4E79A7), "");
    ASSERT_EQ(plan.setAssigned(a, true, 100), "");
    ASSERT_EQ(plan.setName(b, "caf\xC3\xA9"), "");
    ASSERT_EQ(plan.setVlan(a, 10), "");
    ASSERT_EQ(plan.addRoot(P("2001:db8::/64")), "");
    plan.setSettings({false, true});
    Segment seg{"Office \"A\", 1st", 100, 12.5, 25};
    seg.fixedLength6 = 64;
    seg.vlan = 10;
    plan.setSegments({seg, {"spare", 0, 0, 26}});
    EXPECT_EQ(
        writeDocument(plan),
        "{\n  \"format\": \"maskquill-plan\",\n  \"version\": 2,\n  \"roots\": [\"10.0.0.0/24\", \"2001:db8::/64\"],\n"
        "  \"settings\": {\"links_30\": false, \"nibble\": true},\n  \"segments\": [\n"
        "    {\"name\": \"Office \\\"A\\\", 1st\", \"hosts\": \"100\", \"growth\": \"12.5\", \"length\": 25, "
        "\"length6\": 64, \"vlan\": 10},\n"
        "    {\"name\": \"spare\", \"hosts\": \"0\", \"length\": 26}\n  ],\n  \"blocks\": [\n"
        "    {\"prefix\": \"10.0.0.0/24\", \"name\": \"HQ\", \"note\": \"\", \"colour\": \"#000000\", \"parts\": 2},\n"
        "    {\"prefix\": \"10.0.0.0/25\", \"name\": \"Office \\\"A\\\", 1st\", \"note\": \"desks\\nprinters\", "
        "\"colour\": \"#4e79a7\", \"assigned\": true, \"hosts\": \"100\", \"vlan\": 10},\n"
        "    {\"prefix\": \"10.0.0.128/25\", \"name\": \"caf\xC3\xA9\", \"note\": \"\", \"colour\": \"#000000\", "
        "\"assigned\": false},\n"
        "    {\"prefix\": \"2001:db8::/64\", \"name\": \"\", \"note\": \"\", \"colour\": \"#000000\", \"assigned\": "
        "false}\n  ]\n}\n");
    // The leaves with their VLANs and states; a leaf assigned with no hosts asked says 0.
    const BlockId v6leaf = plan.roots()[1];
    ASSERT_EQ(plan.setAssigned(v6leaf, true), "");
    ASSERT_EQ(plan.setReserved(v6leaf, true), "");
    EXPECT_EQ(leavesCsv(plan),
              "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note\r\n"
              "\"Office \"\"A\"\", "
              "1st\",assigned,10,10.0.0.0/25,10.0.0.1,10.0.0.126,10.0.0.127,100,26,\"desks\nprinters\"\r\n"
              "caf\xC3\xA9,free,,10.0.0.128/25,10.0.0.129,10.0.0.254,10.0.0.255,,126,\r\n"
              ",reserved,,2001:db8::/64,2001:db8::1,2001:db8::ffff:ffff:ffff:ffff,,0,18446744073709551615,\r\n");
    Plan v6(P("2001:db8::/127"));
    EXPECT_EQ(leavesCsv(v6), "name,status,vlan,prefix,first,last,broadcast,hosts,spare,note\r\n,free,,2001:db8::/"
                             "127,2001:db8::,2001:db8::1,,,2,\r\n");
}

// Any address of a prefix; in one of more than 2^64 addresses, among its first 2^64.
net::Address inside(const net::Prefix& p, std::mt19937_64& rng)
{
    const net::u128 span = p.last().value - p.address.value;
    return {p.address.value + (span >= ~std::uint64_t{0} ? rng() : rng() % (static_cast<std::uint64_t>(span) + 1)),
            p.address.family};
}

// Random layout rules, a layout on about a third of the assigned leaves and `hosts` hosts
// with random members: all that version 3 adds, whether it fits the plan or not.
void addSubnets(Plan& plan, std::mt19937_64& rng, int hosts)
{
    Settings s = plan.settings();
    s.vlanNumbering = rng() % 2;
    s.layout = {static_cast<GatewayRule>(rng() % 3),
                static_cast<int>(rng() % 5),
                static_cast<RangeRule>(rng() % 3),
                rng() % 50,
                50 + rng() % 100,
                static_cast<Dhcp6Mode>(rng() % 3)};
    plan.setSettings(s);
    for (BlockId id : plan.leaves()) {
        const net::Prefix p = plan.block(id).prefix;
        if (plan.block(id).state == BlockState::Free || rng() % 3)
            continue;
        SubnetLayout l;
        l.gatewaySet = rng() % 2;
        if (l.gatewaySet && rng() % 3)
            l.gateway = inside(p, rng);
        if (rng() % 2)
            l.kept = static_cast<int>(rng() % 8);
        l.rangesSet = rng() % 2;
        for (int i = l.rangesSet ? static_cast<int>(rng() % 3) : 0; i > 0; --i) {
            const net::Address a = inside(p, rng), z = inside(p, rng);
            l.ranges.push_back({std::min(a, z), std::max(a, z)});
        }
        if (p.address.family == net::Family::V6 && rng() % 2)
            l.dhcp6 = static_cast<Dhcp6Mode>(rng() % 3);
        if (p.address.family == net::Family::V6 && p.length < 128 && rng() % 3 == 0)
            l.delegatedLength = p.length + 1 + static_cast<int>(rng() % static_cast<unsigned>(128 - p.length));
        ASSERT_EQ(plan.setSubnetLayout(id, l), "");
    }
    const net::Prefix v4 = plan.block(plan.rootOf(net::Family::V4)).prefix;
    const net::Prefix v6 = plan.block(plan.rootOf(net::Family::V6)).prefix;
    std::vector<Host> list;
    for (int i = 0; i < hosts; ++i) {
        Host h;
        h.name = "h" + std::to_string(i) + (i % 3 ? "" : ".lab-2");
        const auto family = rng() % 3;
        if (family != 1)
            h.v4 = inside(v4, rng);
        if (family != 0)
            h.v6 = i % 50 ? inside(v6, rng) : net::Address::v6(0xFFFF0A280102u);  // ::ffff:10.40.1.2
        if (rng() % 2) {
            h.mac.emplace();
            for (auto& byte : h.mac->bytes)
                byte = static_cast<std::uint8_t>(rng());
        }
        if (rng() % 4 == 0)
            h.duid.assign(3 + rng() % 20, static_cast<std::uint8_t>(rng()));
        h.role = static_cast<HostRole>(rng() % 8);
        if (rng() % 3 == 0)
            h.note = "desk \"" + std::to_string(i) + "\"\nrow \xF0\x9F\x98\x80";
        list.push_back(std::move(h));
    }
    plan.swapHosts(list);
}

// Random output settings a configuration can be written with, IDs for about half the
// assigned leaves and a prefix the plan no longer has, and serials of forward, reverse and
// RFC 2317 zones with hashes of any 64 bits.
void addOutputs(Plan& plan, std::mt19937_64& rng)
{
    const auto any = [&](net::Family f) {
        for (;;) {
            const net::Address a = f == net::Family::V4
                                       ? net::Address::v4(static_cast<std::uint32_t>(rng()))
                                       : net::Address::v6((static_cast<net::u128>(rng()) << 64) | rng());
            if (unservedSpace(a, a).empty())  // a server's address a client can reach
                return a;
        }
    };
    OutputSettings s;
    s.domain = "lab-" + std::to_string(rng() % 100) + ".example";
    for (int i = static_cast<int>(rng() % 4); i > 0; --i)
        s.dnsServers.push_back(any(i % 2 ? net::Family::V4 : net::Family::V6));
    for (int i = static_cast<int>(rng() % 3); i > 0; --i)
        s.nameServers.push_back({"ns" + std::to_string(i) + "." + s.domain, {any(net::Family::V4)}});
    if (rng() % 2)
        s.hostmaster = "admin." + s.domain;
    for (std::uint32_t* t : {&s.ttl, &s.refresh, &s.retry, &s.expire, &s.minimum})
        *t = rng() % 3 ? *t : 1 + static_cast<std::uint32_t>(rng() % 2147483647);
    s.validLifetime = 1 + static_cast<std::uint32_t>(rng() % 2147483647);
    s.preferredLifetime = 1 + static_cast<std::uint32_t>(rng() % s.validLifetime);
    s.interface = rng() % 2 ? "eth" + std::to_string(rng() % 4) : "";
    s.leaseFile = rng() % 2 ? "/var/lib/kea/leases "
                              " + std::to_string(rng() % 9) + "
                              ".csv"
                            : "";
    s.zoneCut4 = 8 * static_cast<int>(1 + rng() % 3);
    s.zoneCut6 = 4 * static_cast<int>(rng() % 32);
    s.naming = static_cast<ReverseNaming>(rng() % 2);
    s.rfc2317 = static_cast<Rfc2317>(rng() % 2);
    for (int i = static_cast<int>(rng() % 3); i > 0; --i)
        s.delegated.push_back(
            net::Prefix{net::Address::v4(0x0A280000u | (i << 8)), 25 + static_cast<int>(rng() % 8)}.masked());
    s.emptyReverseZones = rng() % 2;
    ASSERT_EQ(checkOutputSettings(s), "");
    plan.setOutputSettings(s);
    DhcpIds ids{{P("192.0.2.0/24"), 1 + static_cast<std::uint32_t>(rng() % 5000)}};
    for (BlockId id : plan.leaves())
        if (plan.block(id).state != BlockState::Free && rng() % 2)
            ids.emplace(plan.block(id).prefix, 5000 + ids.size() * (1 + rng() % 1000));
    plan.setDhcpIds(ids);
    ZoneSerials zones;
    for (int i = static_cast<int>(rng() % 20); i > 0; --i) {
        const std::string v4 = std::to_string(rng() % 256) + ".40.10.in-addr.arpa";
        const std::string names[] = {s.domain, v4, "64/26." + v4, "128-191." + v4, "0.4.0.0.8.b.d.0.1.0.0.2.ip6.arpa"};
        zones[names[rng() % 5]] = {static_cast<std::uint32_t>(rng()), rng() % 4 ? rng() : rng() % 256};
    }
    plan.setZoneSerials(zones);
}

// Version 3 keeps every layout, host and output setting, ID and serial and gives the same
// bytes again; the hosts and IDs stream in pieces as the blocks do. Taken away again, the plan is written as version 2,
// byte for byte as before: a plan that uses nothing new still opens in an older Maskquill.
TEST(Document, RandomLayoutsHostsAndOutputsReadBackAsTheSameBytes)
{
    std::mt19937_64 rng(11);
    for (int round = 0; round < 8; ++round) {
        Plan plan(P("10.40.0.0/16"));
        ASSERT_EQ(plan.addRoot(P("2001:db8:40::/48")), "");
        test::grow(plan, rng, 30 + 10 * round);
        const std::string v2 = writeDocument(plan);
        addSubnets(plan, rng, round == 7 ? 15000 : 1 + 40 * round);
        addOutputs(plan, rng);
        std::string text;
        int pieces = 0;
        writeDocument(plan, [&](std::string_view piece) {
            text += piece;
            ++pieces;
        });
        EXPECT_EQ(text, writeDocument(plan));
        EXPECT_EQ(pieces > 1, text.size() > (1u << 20) + 200) << text.size();
        EXPECT_NE(text.find("\"version\": 3,"), std::string::npos);
        auto back = readDocument(text);
        if (auto* e = std::get_if<textio::Problem>(&back))
            FAIL() << e->path << ": " << e->message << "\n" << text.substr(0, 4000);
        EXPECT_TRUE(std::get<Plan>(back) == plan) << "round " << round;
        EXPECT_EQ(writeDocument(std::get<Plan>(back)), text);

        std::vector<Host> none;
        plan.swapHosts(none);
        for (BlockId id : plan.leaves()) {
            if (plan.subnetLayout(id)) {
                ASSERT_EQ(plan.setSubnetLayout(id, {}), "");
            }
        }
        plan.setSettings({});
        EXPECT_NE(writeDocument(plan).find("\"version\": 3,"), std::string::npos);  // the outputs alone need it
        plan.setOutputSettings({});
        plan.setDhcpIds({});
        plan.setZoneSerials({});
        EXPECT_EQ(writeDocument(plan), v2);
    }
}

// Keys in any order and a MAC in any common form are read; written back, keys in the
// schema's order, one host a line. Hosts that do not fit the plan (the same name and
// address twice, an address in no block) are the plan's checks to show: the plan opens.
TEST(Document, Version3WrittenFormByteForByte)
{
    const std::string in =
        R"({"version": 3, "format": "maskquill-plan", "roots": ["10.0.0.0/24", "2001:db8::/64"], "hosts": [)"
        R"({"ipv4": "10.0.0.7", "name": "pr-1", "mac": "0011.22AA.BBCC", "role": "printer", "note": "2nd \"floor\""},)"
        R"({"name": "pr-1", "ipv4": "10.0.0.7", "ipv6": "2001:DB8:0::7", "duid": "00-01-00-01-aa-bb"},)"
        R"({"name": "cam.lab", "ipv4": "192.168.9.9", "role": "camera"}],)"
        R"("settings": {"layout": {"dhcp6": "both", "range": "offsets", "range_from": "100", "range_to": "199",)"
        R"( "gateway": "first_usable", "kept": 2}, "vlan_numbering": true, "nibble": false}, "blocks": [)"
        R"({"prefix": "10.0.0.0/24", "parts": 2},)"
        R"({"prefix": "10.0.0.0/25", "assigned": true, "vlan": 120, "subnet": {"ranges": [], "gateway": "none"}},)"
        R"({"prefix": "10.0.0.128/25", "assigned": true, "subnet": {"gateway": "10.0.0.254", "kept": 0, "ranges": [)"
        R"({"last": "10.0.0.200", "first": "10.0.0.150"}, {"first": "10.0.0.220", "last": "10.0.0.229"}]}},)"
        R"({"prefix": "2001:db8::/64", "assigned": true, "subnet": {"dhcp6": "stateful", "delegated_length": 72}}]})";
    auto r = readDocument(in);
    ASSERT_TRUE(std::holds_alternative<Plan>(r))
        << std::get<textio::Problem>(r).path << ": " << std::get<textio::Problem>(r).message;
    const Plan& plan = std::get<Plan>(r);
    std::set<std::size_t> named;
    for (const SubnetProblem& p : checkSubnets(plan))
        named.insert(p.host.value_or(99));
    EXPECT_TRUE(named.count(2) && (named.count(0) || named.count(1))) << named.size();
    EXPECT_EQ(writeDocument(plan),
              R"({
  "format": "maskquill-plan",
  "version": 3,
  "roots": ["10.0.0.0/24", "2001:db8::/64"],
  "settings": {"links_30": false, "nibble": false, "vlan_numbering": true, "layout": {"gateway": "first_usable", )"
              R"("kept": 2, "range": "offsets", "range_from": "100", "range_to": "199", "dhcp6": "both"}},
  "segments": [],
  "blocks": [
    {"prefix": "10.0.0.0/24", "name": "", "note": "", "colour": "#000000", "parts": 2},
    {"prefix": "10.0.0.0/25", "name": "", "note": "", "colour": "#000000", "assigned": true, "hosts": "0", )"
              R"("vlan": 120, "subnet": {"gateway": "none", "ranges": []}},
    {"prefix": "10.0.0.128/25", "name": "", "note": "", "colour": "#000000", "assigned": true, "hosts": "0", )"
              R"("subnet": {"gateway": "10.0.0.254", "kept": 0, "ranges": [{"first": "10.0.0.150", "last": )"
              R"("10.0.0.200"}, {"first": "10.0.0.220", "last": "10.0.0.229"}]}},
    {"prefix": "2001:db8::/64", "name": "", "note": "", "colour": "#000000", "assigned": true, "hosts": "0", )"
              R"("subnet": {"dhcp6": "stateful", "delegated_length": 72}}
  ],
  "hosts": [
    {"name": "pr-1", "ipv4": "10.0.0.7", "mac": "00:11:22:aa:bb:cc", "role": "printer", "note": "2nd \"floor\""},
    {"name": "pr-1", "ipv4": "10.0.0.7", "ipv6": "2001:db8::7", "duid": "00:01:00:01:aa:bb"},
    {"name": "cam.lab", "ipv4": "192.168.9.9", "role": "camera"}
  ]
}
)");
}

const std::string kOutputs =
    R"({"format": "maskquill-plan", "version": 3, "roots": ["10.0.0.0/24"], "blocks": [{"prefix": "10.0.0.0/24"}], )"
    R"("outputs": {"zone_serials": [{"zone": "lab.example", "serial": 1, "hash": "0123456789ABCDEF"}, )"
    R"({"hash": "00ff00ff00ff00ff", "serial": 2026121001, "zone": "0/26.0.0.10.in-addr.arpa"}], )"
    R"("dhcp_ids": [{"prefix": "10.0.1.0/24", "id": 8}, {"id": 7, "prefix": "10.0.0.0/24"}], "settings": )"
    R"({"naming": "dash", "ttl": 600, "name_servers": [{"addresses": ["10.0.0.53"], "name": "ns1.lab.example"}], )"
    R"("dns_servers": ["10.0.0.53", "2001:DB8::53"], "domain": "lab.example", "zone_cut6": 56}}})";

// Keys in any order are read; written back in the schema's order, the IDs by prefix and the
// serials by zone name, one a line.
TEST(Document, OutputsWrittenFormByteForByte)
{
    auto r = readDocument(kOutputs);
    ASSERT_TRUE(std::holds_alternative<Plan>(r))
        << std::get<textio::Problem>(r).path << ": " << std::get<textio::Problem>(r).message;
    EXPECT_EQ(writeDocument(std::get<Plan>(r)), R"({
  "format": "maskquill-plan",
  "version": 3,
  "roots": ["10.0.0.0/24"],
  "settings": {"links_30": false, "nibble": false},
  "segments": [],
  "blocks": [
    {"prefix": "10.0.0.0/24", "name": "", "note": "", "colour": "#000000", "assigned": false}
  ],
  "outputs": {
    "settings": {"domain": "lab.example", "dns_servers": ["10.0.0.53", "2001:db8::53"], "name_servers": )"
                                                R"([{"name": "ns1.lab.example", "addresses": ["10.0.0.53"]}], )"
                                                R"("ttl": 600, "zone_cut6": 56, "naming": "dash"},
    "dhcp_ids": [
      {"prefix": "10.0.0.0/24", "id": 7},
      {"prefix": "10.0.1.0/24", "id": 8}
    ],
    "zone_serials": [
      {"zone": "0/26.0.0.10.in-addr.arpa", "serial": 2026121001, "hash": "00ff00ff00ff00ff"},
      {"zone": "lab.example", "serial": 1, "hash": "0123456789abcdef"}
    ]
  }
}
)");
}

const std::string kGood = R"({"format": "maskquill-plan", "version": 1, "root": "10.0.0.0/24", "blocks": [)"
                          R"({"prefix": "10.0.0.0/24", "parts": 2},)"
                          R"({"prefix": "10.0.0.0/25", "name": "a", "assigned": true, "hosts": "100"},)"
                          R"({"prefix": "10.0.0.128/25", "colour": "#A0b0C0"}]})";

// A version 1 document opens unchanged and is written as version 2 only when saved.
TEST(Document, VersionOneOpensAsItWas)
{
    auto r = readDocument(kGood);
    ASSERT_TRUE(std::holds_alternative<Plan>(r)) << std::get<textio::Problem>(r).message;
    const Plan& plan = std::get<Plan>(r);
    EXPECT_EQ(plan.roots().size(), 1u);
    EXPECT_EQ(plan.block(plan.root()).prefix, P("10.0.0.0/24"));
    const Block& a = plan.block(plan.leafAt(P("10.0.0.1").address));
    EXPECT_NE(a.state, plan::BlockState::Free);
    EXPECT_EQ(a.hostsNeeded, 100u);
    EXPECT_EQ(plan.block(plan.leafAt(P("10.0.0.200").address)).colour, 0xA0B0C0u);
    EXPECT_EQ(plan.settings(), Settings{});
    const std::string v2 = writeDocument(plan);
    EXPECT_NE(v2.find("\"version\": 2"), std::string::npos);
    EXPECT_TRUE(std::get<Plan>(readDocument(v2)) == plan);
}

// A writer keeps the old file rather than write one that no reader opens: the limit is the
// readers' own, a byte over it is refused, and the size is named as people read it.
TEST(Document, NoDocumentLargerThanTheReadersTakeIsWritten)
{
    EXPECT_EQ(documentSizeFault(0), "");
    EXPECT_EQ(documentSizeFault(kMaxDocumentBytes), "");
    EXPECT_EQ(documentSizeFault(kMaxDocumentBytes + 1),
              "the plan would take 537 MB, more than the 512 MiB a plan is read back from");
    EXPECT_EQ(documentSizeFault(567'000'000),
              "the plan would take 567 MB, more than the 512 MiB a plan is read back from");
}

// Blocks are placed as they are read when the roots come first, and kept until the end
// otherwise: both orders give the same plan, and the same fault, found in the same turn (a
// fault of the text before one of the tree, whichever comes first in the text).
TEST(Document, BlocksBeforeOrAfterTheRootsReadAlike)
{
    const std::string head = R"("format": "maskquill-plan", "version": 2, "roots": ["10.0.0.0/24")";
    const std::string tree =
        R"({"prefix": "10.0.0.0/24", "parts": 2}, {"prefix": "10.0.0.0 255.255.255.128", "name": "a"},)"
        R"( {"prefix": "10.0.0.128/25", "parts": 2}, {"prefix": "10.0.0.128/26"}, {"prefix": "10.0.0.192/26"})";
    struct Case {
        std::string roots, blocks, tail;
        const char* path;
        const char* reason;  // empty: the plan reads
    };
    const Case cases[] = {
        {R"(, "::/0"])", tree + R"(, {"prefix": "::/0"})", "", "", ""},
        {R"(, "::/0"])", tree + R"(, {"prefix": "10.0.0.64/26"}, {"prefix": "::/0"})", "", "$.blocks[5].prefix",
         "10.0.0.64/26 overlaps $.blocks[1] (10.0.0.0 255.255.255.128)"},
        {R"(, "::/0"])", tree + R"(, {"prefix": "10.0.1.0/26"})", "", "$.blocks[5].prefix",
         "the next block must be the root ::/0 ($.roots[1])"},
        {R"(, "::/0"])", tree + R"(, {"prefix": "::/0"}, {"prefix": "10.0.1.0/26"})", "", "$.blocks[6].prefix",
         "10.0.1.0/26 overlaps $.blocks[5] (::/0)"},
        {"]", tree + R"(, {"prefix": "10.0.1.0/26"})", "", "$.blocks[5].prefix",
         "10.0.1.0/26 overlaps $.blocks[4] (10.0.0.192/26)"},
        {"]", tree + R"(, {"prefix": "9.0.0.0/26"})", "", "$.blocks[5].prefix", "9.0.0.0/26 overlaps $.blocks[0]"},
        {"]", tree + R"(, {"prefix": "10.0.0.64/26"})", R"(, "extra": 1)", "$.extra", "unknown key \"extra\""},
        {R"(, "::/0"])", tree, "", "$.blocks", "ends before the root ::/0 ($.roots[1])"},
    };
    for (const Case& c : cases) {
        const std::string blocks = "\"blocks\": [" + c.blocks + "]";
        for (const std::string& text : {"{" + head + c.roots + ", " + blocks + c.tail + "}",
                                        "{" + blocks + ", " + head + c.roots + c.tail + "}"}) {
            auto r = readDocument(text);
            if (!*c.reason) {
                ASSERT_TRUE(std::holds_alternative<Plan>(r)) << text << "\n" << std::get<textio::Problem>(r).message;
                EXPECT_EQ(std::get<Plan>(r).blockCount(), 6u);  // and a's name on the leaf written with a mask
                EXPECT_EQ(std::get<Plan>(r).block(std::get<Plan>(r).leafAt(P("10.0.0.1").address)).name, "a");
                continue;
            }
            ASSERT_TRUE(std::holds_alternative<textio::Problem>(r)) << text;
            EXPECT_EQ(std::get<textio::Problem>(r).path, c.path) << text;
            EXPECT_EQ(std::get<textio::Problem>(r).message, c.reason) << text;
        }
    }
}

struct Bad {
    const char* what;
    const char* from;  // replaced once in the base (empty: the whole text is `to`)
    std::string to;
    const char* path;
    const char* reason;
    const std::string* base = &kGood;
};
void PrintTo(const Bad& b, std::ostream* os)
{
    *os << b.what;
}

class BadDocument : public ::testing::TestWithParam<Bad> { };
TEST_P(BadDocument, IsRefusedWithPathAndReason)
{
    const Bad& b = GetParam();
    std::string text = *b.base;
    if (*b.from) {
        const auto at = text.find(b.from);
        ASSERT_NE(at, std::string::npos) << b.from;
        text.replace(at, std::string_view(b.from).size(), b.to);
    } else {
        text = b.to;
    }
    auto r = readDocument(text);
    ASSERT_TRUE(std::holds_alternative<textio::Problem>(r)) << text;
    const auto& e = std::get<textio::Problem>(r);
    EXPECT_EQ(e.path, b.path) << e.message;
    EXPECT_NE(e.message.find(b.reason), std::string::npos) << e.path << ": " << e.message;
}
INSTANTIATE_TEST_SUITE_P(
    All, BadDocument,
    ::testing::Values(
        Bad{"empty", "", "", "$", "the text ends where an object should be"},
        Bad{"array", "", "[1]", "$", "line 1, column 1: expected an object"},
        Bad{"trailing", "]}", "]} x", "$", "column 240: unexpected text after the end"},
        Bad{"trailing comma", "\"#A0b0C0\"}", "\"#A0b0C0\",}", "$.blocks[2].colour", "expected a key in double quotes"},
        Bad{"duplicate", "\"name\": \"a\"", "\"name\": \"a\", \"name\": \"b\"", "$.blocks[1].name",
            "duplicate key \"name\""},
        Bad{"unknown", "\"name\": \"a\"", "\"Name\": \"a\"", "$.blocks[1].Name", "unknown key \"Name\""},
        Bad{"odd key", "\"version\"", "\"v e\": 1, \"version\"", "$[\"v e\"]", "unknown key"},
        Bad{"bad escape", "\"a\"", "\"a\\q\"", "$.blocks[1].name", "bad escape \\q"},
        Bad{"lone surrogate", "\"a\"", "\"\\ud800x\"", "$.blocks[1].name", "high surrogate without its low one"},
        Bad{"bad utf8", "\"a\"", "\"\xC3\x28\"", "$.blocks[1].name", "not valid UTF-8"},
        Bad{"raw control", "\"a\"", "\"a\tb\"", "$.blocks[1].name",
            "control character inside a string (write it as \\u0009)"},
        Bad{"escaped control", "\"a\"", "\"a\\u0007\"", "$.blocks[1].name", "the name holds a control character"},
        Bad{"noncharacter", "\"a\"", "\"a\\uffff\"", "$.blocks[1].name",
            "the name holds U+FFFF, which is no character"},
        Bad{"long name", "\"a\"", "\"" + std::string(201, 'x') + "\"", "$.blocks[1].name", "longer than 200 bytes"},
        Bad{"not a plan", "maskquill-plan", "other", "$.format", "not a Maskquill plan"},
        Bad{"no format", "\"format\": \"maskquill-plan\",", "", "$", "has no \"format\""},
        Bad{"version 4", "\"version\": 1", "\"version\": 4", "$.version", "this Maskquill reads versions 1 to 3"},
        Bad{"v2 key in v1", "\"hosts\": \"100\"", "\"hosts\": \"100\", \"vlan\": 5", "$.blocks[1].vlan",
            "not a key of version 1"},
        Bad{"v1 root in v2", "\"version\": 1", "\"version\": 2, \"roots\": [\"10.0.0.0/24\"]", "$.root",
            "version 2 lists \"roots\""},
        Bad{"v2 no roots", "\"version\": 1, \"root\": \"10.0.0.0/24\"", "\"version\": 2", "$", "has no \"roots\""},
        Bad{"roots overlap", "\"version\": 1, \"root\": \"10.0.0.0/24\"",
            "\"version\": 2, \"roots\": [\"10.0.0.0/24\", \"10.0.0.0/8\"]", "$.roots[1]",
            "10.0.0.0/8 overlaps the root 10.0.0.0/24"},
        Bad{"second root missing", "\"version\": 1, \"root\": \"10.0.0.0/24\"",
            "\"version\": 2, \"roots\": [\"10.0.0.0/24\", \"::/0\"]", "$.blocks",
            "ends before the root ::/0 ($.roots[1])"},
        Bad{"second root wrong", "",
            "{\"format\": \"maskquill-plan\", \"version\": 2, \"roots\": [\"10.0.0.0/24\", \"::/0\"], "
            "\"blocks\": [{\"prefix\": \"10.0.0.0/24\"}, {\"prefix\": \"::/1\"}]}",
            "$.blocks[1].prefix", "must be the root ::/0"},
        Bad{"vlan range", "\"version\": 1, \"root\": \"10.0.0.0/24\"",
            "\"version\": 2, \"roots\": [\"10.0.0.0/24\"], \"segments\": [{\"name\": \"a\", \"hosts\": \"1\", "
            "\"vlan\": 4095}]",
            "$.segments[0].vlan", "VLAN \"4095\" is not a VLAN ID from 1 to 4094"},
        Bad{"growth exponent", "\"version\": 1, \"root\": \"10.0.0.0/24\"",
            "\"version\": 2, \"roots\": [\"10.0.0.0/24\"], \"segments\": [{\"name\": \"a\", \"hosts\": \"1\", "
            "\"growth\": \"1e3\"}]",
            "$.segments[0].growth", "not a percentage"},
        Bad{"segment no hosts", "\"version\": 1, \"root\": \"10.0.0.0/24\"",
            "\"version\": 2, \"roots\": [\"10.0.0.0/24\"], \"segments\": [{\"name\": \"a\"}]", "$.segments[0]",
            "has no \"hosts\""},
        Bad{"settings key", "\"version\": 1, \"root\": \"10.0.0.0/24\"",
            "\"version\": 2, \"roots\": [\"10.0.0.0/24\"], \"settings\": {\"links30\": true}", "$.settings.links30",
            "unknown key"},
        Bad{"vlan on free", "\"colour\": \"#A0b0C0\"", "\"vlan\": 7", "$.blocks[2].vlan", "not a key of version 1"},
        Bad{"version 1.0", "\"version\": 1", "\"version\": 1.0", "$.version", "whole number"},
        Bad{"version huge", "\"version\": 1", "\"version\": 99999999999999999999999", "$.version", "out of range"},
        Bad{"version 01", "\"version\": 1", "\"version\": 01", "$.version", "expected a number"},
        Bad{"version text", "\"version\": 1", "\"version\": \"1\"", "$.version", "expected a number"},
        Bad{"parts 3", "\"parts\": 2", "\"parts\": 3", "$.blocks[0].parts", "not 3"},
        Bad{"parts huge", "\"parts\": 2", "\"parts\": 131072", "$.blocks[0].parts", "out of range"},
        Bad{"parts too long", "\"parts\": 2", "\"parts\": 512", "$.blocks[0].parts", "longer than /32"},
        Bad{"no prefix", "\"prefix\": \"10.0.0.0/25\", ", "", "$.blocks[1]", "has no \"prefix\""},
        Bad{"host bits", "10.0.0.128/25", "10.0.0.129/25", "$.blocks[2].prefix", "host bits set"},
        Bad{"bad address", "10.0.0.128/25", "10.0.0.300/25", "$.blocks[2].prefix", "10.0.0.300/25"},
        Bad{"outside", "10.0.0.128/25", "10.0.1.0/25", "$.blocks[2].prefix", "outside the root 10.0.0.0/24"},
        Bad{"family", "10.0.0.128/25", "::/25", "$.blocks[2].prefix", "not of the root's family"},
        Bad{"overlap", "10.0.0.128/25", "10.0.0.0/26", "$.blocks[2].prefix", "overlaps $.blocks[1] (10.0.0.0/25)"},
        Bad{"gap", "10.0.0.0/25", "10.0.0.128/25", "$.blocks[1].prefix",
            "gap: 10.0.0.0/25, part 1 of 2 of $.blocks[0]"},
        Bad{"wrong size", "10.0.0.0/25", "10.0.0.0/26", "$.blocks[1].prefix",
            "part 1 of 2 of $.blocks[0] (10.0.0.0/24) is 10.0.0.0/25"},
        Bad{"extra", "\"#A0b0C0\"}", "\"#A0b0C0\"}, {\"prefix\": \"10.0.0.64/26\"}", "$.blocks[3].prefix",
            "overlaps $.blocks[1]"},
        Bad{"missing part", ",{\"prefix\": \"10.0.0.128/25\", \"colour\": \"#A0b0C0\"}", "", "$.blocks",
            "ends before part 2 of 2 of $.blocks[0]"},
        Bad{"not root", "{\"prefix\": \"10.0.0.0/24\", \"parts\": 2}", "{\"prefix\": \"10.0.0.0/25\", \"parts\": 2}",
            "$.blocks[0].prefix", "must be the root"},
        Bad{"root bare", "\"root\": \"10.0.0.0/24\"", "\"root\": \"10.0.0.0\"", "$.root", "not written network/length"},
        Bad{"colour", "#A0b0C0", "#A0b0CG", "$.blocks[2].colour", "#rrggbb"},
        Bad{"hosts free", "\"colour\": \"#A0b0C0\"", "\"hosts\": \"5\"", "$.blocks[2].hosts", "not assigned"},
        Bad{"hosts many", "\"100\"", "\"500\"", "$.blocks[1].hosts", "holds 126 hosts, not 500"},
        Bad{"hosts number", "\"100\"", "100", "$.blocks[1].hosts", "expected a string"},
        Bad{"assigned split", "\"parts\": 2", "\"parts\": 2, \"assigned\": true", "$.blocks[0].assigned",
            "cannot be assigned"},
        Bad{"assigned text", "\"assigned\": true", "\"assigned\": truth", "$.blocks[1].assigned",
            "expected true or false"},
        Bad{"nested bomb", "", "{\"blocks\": " + std::string(100000, '['), "$.blocks[0]", "expected an object"},
        Bad{"open string", "", "{\"format\": \"maskquill-pl", "$.format", "the text ends inside a string"}));

const std::string kGood3 =
    R"({"format": "maskquill-plan", "version": 3, "roots": ["10.0.0.0/24", "2001:db8::/64"], )"
    R"("settings": {"layout": {"gateway": "first_usable"}}, "blocks": [{"prefix": "10.0.0.0/24", "parts": 2},)"
    R"({"prefix": "10.0.0.0/25", "assigned": true, "subnet": {"gateway": "10.0.0.126", "ranges": [)"
    R"({"first": "10.0.0.50", "last": "10.0.0.99"}]}}, {"prefix": "10.0.0.128/25"},)"
    R"({"prefix": "2001:db8::/64", "assigned": true, "subnet": {"dhcp6": "both"}}], "hosts": [)"
    R"({"name": "pr-1", "ipv4": "10.0.0.7", "mac": "00:11:22:33:44:55"},)"
    R"({"name": "ap-2", "ipv6": "2001:db8::2", "role": "access-point"}]})";

INSTANTIATE_TEST_SUITE_P(
    Version3, BadDocument,
    ::testing::Values(
        Bad{"v3 key in v2", "\"version\": 3", "\"version\": 2", "$.settings.layout",
            "is not a key of version 2 documents (\"version\": 3 has it)", &kGood3},
        Bad{"v3 key in v1", "]}", "], \"hosts\": []}", "$.hosts",
            "is not a key of version 1 documents (\"version\": 3 has it)"},
        Bad{"gateway rule", "\"first_usable\"", "\"first\"", "$.settings.layout.gateway",
            "\"first\" is not one of none, first_usable, last_usable", &kGood3},
        Bad{"kept", "\"gateway\": \"first_usable\"", "\"kept\": 1025", "$.settings.layout.kept", "from 0 to 1024",
            &kGood3},
        Bad{"offset", "\"gateway\": \"first_usable\"", "\"range_to\": \"-1\"", "$.settings.layout.range_to",
            "\"-1\" is not a whole number", &kGood3},
        Bad{"gateway family", "10.0.0.126", "2001:db8::1", "$.blocks[1].subnet",
            "10.0.0.0/25: the gateway 2001:db8::1 is not of the block's family", &kGood3},
        Bad{"gateway zone", "10.0.0.126", "fe80::1%eth0", "$.blocks[1].subnet.gateway", "names a zone", &kGood3},
        Bad{"range backwards", "10.0.0.50", "10.0.0.100", "$.blocks[1].subnet.ranges[0]",
            "runs backwards: 10.0.0.100 comes after 10.0.0.99", &kGood3},
        Bad{"range half", ", \"last\": \"10.0.0.99\"", "", "$.blocks[1].subnet.ranges[0]", "has no \"last\"", &kGood3},
        Bad{"range families", "10.0.0.99", "2001:db8::9", "$.blocks[1].subnet.ranges[0]", "the other family", &kGood3},
        Bad{"range family", "\"10.0.0.50\", \"last\": \"10.0.0.99\"", "\"::1\", \"last\": \"::2\"",
            "$.blocks[1].subnet", "the range ::1-::2 is not of the block's family", &kGood3},
        Bad{"dhcp6 on v4", "\"gateway\": \"10.0.0.126\"", "\"dhcp6\": \"both\"", "$.blocks[1].subnet",
            "DHCPv6 and prefix delegation are for IPv6 blocks", &kGood3},
        Bad{"delegated", "\"dhcp6\": \"both\"", "\"delegated_length\": 64", "$.blocks[3].subnet",
            "is from /65 to /128, not /64", &kGood3},
        Bad{"subnet on free", "{\"prefix\": \"10.0.0.128/25\"}", "{\"prefix\": \"10.0.0.128/25\", \"subnet\": {}}",
            "$.blocks[2].subnet", "not assigned has no layout", &kGood3},
        Bad{"subnet on split", "\"parts\": 2", "\"parts\": 2, \"subnet\": {}", "$.blocks[0].subnet",
            "a split block has no layout", &kGood3},
        Bad{"mac", "00:11:22:33:44:55", "00:11:22:33:44", "$.hosts[0].mac", "00:11:22:33:44", &kGood3},
        Bad{"ipv4 of v6", "\"ipv4\": \"10.0.0.7\"", "\"ipv4\": \"2001:db8::7\"", "$.hosts[0].ipv4",
            "2001:db8::7 is not an IPv4 address", &kGood3},
        Bad{"host name", "pr-1", "pr_1", "$.hosts[0].name", "the host name \"pr_1\" holds '_'", &kGood3},
        Bad{"no address", ", \"ipv6\": \"2001:db8::2\"", "", "$.hosts[1]", "has no \"ipv4\" and no \"ipv6\"", &kGood3},
        Bad{"no name", "\"name\": \"pr-1\", ", "", "$.hosts[0]", "has no \"name\"", &kGood3},
        Bad{"role", "access-point", "ap", "$.hosts[1].role", "\"ap\" is not one of other, gateway", &kGood3},
        Bad{"duid", "\"role\": \"access-point\"", "\"duid\": \"00:01\"", "$.hosts[1].duid", "00:01", &kGood3},
        Bad{"host duplicate", "\"name\": \"pr-1\"", "\"name\": \"pr-1\", \"name\": \"pr-2\"", "$.hosts[0].name",
            "duplicate key \"name\"", &kGood3},
        Bad{"host unknown", "\"role\"", "\"Role\"", "$.hosts[1].Role", "unknown key", &kGood3}));

INSTANTIATE_TEST_SUITE_P(
    Outputs, BadDocument,
    ::testing::Values(
        Bad{"outputs in v2", "\"version\": 3", "\"version\": 2", "$.outputs", "not a key of version 2", &kOutputs},
        Bad{"unknown part", "\"dhcp_ids\"", "\"dhcp_id\"", "$.outputs.dhcp_id", "unknown key", &kOutputs},
        Bad{"settings unknown", "\"ttl\"", "\"TTL\"", "$.outputs.settings.TTL", "unknown key", &kOutputs},
        Bad{"settings twice", "\"ttl\": 600", "\"ttl\": 600, \"ttl\": 60", "$.outputs.settings.ttl", "duplicate key",
            &kOutputs},
        Bad{"ttl 2^32", "\"ttl\": 600", "\"ttl\": 4294967296", "$.outputs.settings.ttl", "out of range", &kOutputs},
        Bad{"naming", "\"dash\"", "\"dashes\"", "$.outputs.settings.naming", "is not one of slash, dash", &kOutputs},
        Bad{"dns server", "2001:DB8::53", "2001:DB8::5g", "$.outputs.settings.dns_servers[1]", "2001:DB8::5g",
            &kOutputs},
        Bad{"ns no name", ", \"name\": \"ns1.lab.example\"", "", "$.outputs.settings.name_servers[0]",
            "has no \"name\"", &kOutputs},
        Bad{"id 0", "\"id\": 7", "\"id\": 0", "$.outputs.dhcp_ids[1].id", "1 to 4294967294", &kOutputs},
        Bad{"id 2^32-1", "\"id\": 7", "\"id\": 4294967295", "$.outputs.dhcp_ids[1].id", "out of range", &kOutputs},
        Bad{"id twice", "\"id\": 8", "\"id\": 7", "$.outputs.dhcp_ids[1]", "the ID 7 is 10.0.1.0/24's already",
            &kOutputs},
        Bad{"prefix twice", "10.0.1.0/24", "10.0.0.0/24", "$.outputs.dhcp_ids[1]", "10.0.0.0/24 has an ID already",
            &kOutputs},
        Bad{"host bits", "10.0.1.0/24", "10.0.1.1/24", "$.outputs.dhcp_ids[0].prefix", "has host bits set", &kOutputs},
        Bad{"no id", ", \"id\": 8", "", "$.outputs.dhcp_ids[0]", "has no \"id\"", &kOutputs},
        Bad{"zone twice", "\"zone\": \"lab.example\"", "\"zone\": \"0/26.0.0.10.in-addr.arpa\"",
            "$.outputs.zone_serials[1]", "is listed twice", &kOutputs},
        Bad{"zone name", "\"zone\": \"lab.example\"", "\"zone\": \"lab example\"", "$.outputs.zone_serials[0].zone",
            "holds \" \"", &kOutputs},
        Bad{"zone label", "\"zone\": \"lab.example\"", "\"zone\": \"lab..example\"", "$.outputs.zone_serials[0].zone",
            "a label that is empty", &kOutputs},
        Bad{"hash short", "0123456789ABCDEF", "0123456789ABCDE", "$.outputs.zone_serials[0].hash",
            "not 16 hexadecimal digits", &kOutputs},
        Bad{"no hash", ", \"hash\": \"0123456789ABCDEF\"", "", "$.outputs.zone_serials[0]", "has no \"hash\"",
            &kOutputs},
        Bad{"serial 2^32", "\"serial\": 1,", "\"serial\": 4294967296,", "$.outputs.zone_serials[0].serial",
            "out of range", &kOutputs},
        Bad{"rfc2317", "\"naming\": \"dash\"", "\"rfc2317\": \"some\"", "$.outputs.settings.rfc2317",
            "\"some\" is not one of none, all", &kOutputs},
        Bad{"delegated", "\"naming\": \"dash\"", "\"delegated\": [\"10.0.0.64/26\", \"10.0.0.1/27\"]",
            "$.outputs.settings.delegated[1]", "has host bits set", &kOutputs},
        Bad{"empty zones", "\"naming\": \"dash\"", "\"empty_reverse_zones\": \"no\"",
            "$.outputs.settings.empty_reverse_zones", "expected true or false", &kOutputs}));

}  // namespace
}  // namespace mq::plan
