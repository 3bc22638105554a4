// Hosts, gateways and DHCP ranges out to NetBox, phpIPAM, the hosts CSV and /etc/hosts and
// back in. The IPAM files are compared with fixtures whose columns come from the IPAMs' own
// import code:
// - netbox_ip_addresses.csv: netbox/ipam/forms/bulk_import.py IPAddressImportForm (Meta.fields
//   address, vrf, tenant, status, role, dns_name, description, comments, tags; status from
//   ipam/choices.py IPAddressStatusChoices, role from IPAddressRoleChoices, left empty).
// - netbox_ip_ranges.csv: the same file's IPRangeImportForm (start_address, end_address,
//   status from IPRangeStatusChoices, role a Role by name, mark_utilized, description, ...).
// - phpipam_ip_addresses.csv: app/admin/import-export/import-ipaddr-select.php ($expfields:
//   section, ip_addr, hostname, description, vrf, subnet, mac, owner, device, note, tag,
//   is_gateway) and import-ipaddr-check.php (subnet with /mask, mac as xx:xx:..., tag by
//   ipTags type, is_gateway yes/true/1).
// - netbox_ip_table_export.csv and phpipam_ip_own_export.csv: what their list exports write
//   (NetBox's table columns with display values; phpIPAM's export-ipaddr.php headers).
#include <algorithm>

#include "interchange/hosts_io.h"
#include "interchange_helpers.h"
#include "net/mac.h"
#include "plan/commands.h"

namespace mq::interchange {
namespace {

using mq::test::P;
using test::fixture;

net::Address A(std::string_view text)
{
    return std::get<net::Address>(net::parseAddress(text));
}

plan::BlockId assign(plan::Plan& p, const char* prefix, const char* name, int vlan, bool reserved = false)
{
    const plan::BlockId id = p.blockOf(P(prefix));
    EXPECT_NE(id, plan::kNoBlock) << prefix;
    EXPECT_EQ(p.setAssigned(id, true, 20), "");
    EXPECT_EQ(p.setName(id, name), "");
    if (vlan) {
        EXPECT_EQ(p.setVlan(id, vlan), "");
    }
    if (reserved) {
        EXPECT_EQ(p.setReserved(id, true), "");
    }
    return id;
}

plan::Host host(const char* name, const char* v4, const char* v6, const char* mac, const char* duid,
                plan::HostRole role, const char* note)
{
    plan::Host h{.name = name, .role = role, .note = note};
    if (*v4)
        h.v4 = A(v4);
    if (*v6)
        h.v6 = A(v6);
    if (*mac)
        h.mac = std::get<net::Mac>(net::parseMac(mac));
    if (*duid)
        h.duid = std::get<net::Duid>(net::parseDuid(duid));
    return h;
}

// A dual-stack campus: gateways first usable with one more kept address, DHCP from offset
// 100 to 199 by rule; Voice has two ranges of its own, the IPv6 Staff block a stateful one.
plan::Plan campusPlan()
{
    plan::Plan p(P("10.40.0.0/16"));
    EXPECT_EQ(p.split(p.root(), 256), "");
    plan::BlockId v6;
    EXPECT_EQ(p.addRoot(P("2001:db8:40::/48"), &v6), "");
    EXPECT_EQ(p.split(v6, 256), "");
    EXPECT_EQ(p.split(p.block(v6).children[0], 256), "");
    assign(p, "10.40.1.0/24", "Staff", 110);
    const plan::BlockId voice = assign(p, "10.40.2.0/24", "Voice", 120);
    assign(p, "10.40.3.0/24", "Growth", 0, true);
    const plan::BlockId staff6 = assign(p, "2001:db8:40:1::/64", "Staff", 110);
    plan::Settings s;
    s.layout = {.gateway = plan::GatewayRule::FirstUsable,
                .kept = 2,
                .range = plan::RangeRule::Offsets,
                .rangeFrom = 100,
                .rangeTo = 199};
    p.setSettings(s);
    plan::SubnetLayout own;
    own.rangesSet = true;
    own.ranges = {{A("10.40.2.100"), A("10.40.2.149")}, {A("10.40.2.200"), A("10.40.2.249")}};
    EXPECT_EQ(p.setSubnetLayout(voice, own), "");
    own.ranges = {{A("2001:db8:40:1::1000"), A("2001:db8:40:1::1fff")}};
    own.dhcp6 = plan::Dhcp6Mode::Stateful;
    EXPECT_EQ(p.setSubnetLayout(staff6, own), "");
    using R = plan::HostRole;
    const plan::Host hosts[] = {
        host("printer-2", "10.40.1.10", "", "00:11:22:33:44:55", "", R::Printer, "2nd floor, by the lift"),
        host("srv-a", "10.40.1.20", "2001:db8:40:1::20", "00:11:22:33:44:66", "00:01:00:01:aa:bb:cc:dd", R::Server, ""),
        host("ap-1.hall", "10.40.2.5", "", "", "", R::AccessPoint, "east"),
        host("cam", "", "2001:db8:40:1::c0", "", "", R::Camera, ""),
        host("spare", "10.40.2.6", "", "", "", R::Reserved, ""),
        host("vip", "10.40.2.7", "", "", "", R::Gateway, ""),
        host("plain", "10.40.3.9", "", "", "", R::Other, "=cmd"),
    };
    for (const plan::Host& h : hosts)
        EXPECT_EQ(p.insertHost(p.hosts().size(), h), "") << h.name;
    plan::IpamValues v;
    v.tenant = "Campus IT";
    v.role = "Access";
    v.vrf = "campus";
    v.tags = {"planned"};
    v.section = "Campus";
    p.setIpamValues(v);
    return p;
}

// The plan without its hosts and the ranges its blocks set for themselves.
plan::Plan bare(plan::Plan p)
{
    std::vector<plan::Host> none;
    p.swapHosts(none);
    for (plan::BlockId id : p.leaves())
        if (const plan::SubnetLayout* l = p.subnetLayout(id)) {
            plan::SubnetLayout kept = *l;
            kept.ranges.clear();  // and no range by the rule either
            kept.dhcp6.reset();
            EXPECT_EQ(p.setSubnetLayout(id, kept), "");
        }
    return p;
}

std::string text(const std::vector<textio::Problem>& notes)
{
    std::string out;
    for (const auto& n : notes)
        out += describe(n) + "\n";
    return out;
}

// What a format keeps of the hosts, sorted by name, one a line.
std::string hostsText(const std::vector<plan::Host>& hosts, bool details)
{
    std::vector<std::string> lines;
    for (const plan::Host& h : hosts) {
        std::string l = h.name + " " + (h.v4 ? net::format(*h.v4) : "-") + " " + (h.v6 ? net::format(*h.v6) : "-");
        if (details)
            l += " " + (h.mac ? net::formatMac(*h.mac) : "-") + " " + (h.duid.empty() ? "-" : net::formatDuid(h.duid)) +
                 " " + plan::roleName(h.role) + " |" + h.note;
        lines.push_back(l);
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

std::string rangesOf(const plan::Plan& p)
{
    std::string out;
    for (plan::BlockId id : p.leaves())
        for (const plan::AddressRange& r : plan::resolveLayout(p, id).ranges)
            out += net::format(r.first) + "-" + net::format(r.last) + "\n";
    return out;
}

TEST(HostExport, WritesTheImportFormsColumns)
{
    const plan::Plan p = campusPlan();
    const struct {
        HostExport what;
        const char* file;
    } cases[] = {{HostExport::NetboxAddresses, "netbox_ip_addresses.csv"},
                 {HostExport::NetboxRanges, "netbox_ip_ranges.csv"},
                 {HostExport::PhpipamAddresses, "phpipam_ip_addresses.csv"},
                 {HostExport::Subnets, "subnets.csv"},
                 {HostExport::Hosts, "hosts.csv"},
                 {HostExport::EtcHosts, "etc_hosts.txt"}};
    for (const auto& c : cases) {
        const WriteResult r = exportHosts(p, c.what, p.ipamValues());
        ASSERT_EQ(r.error, "") << c.file;
        EXPECT_EQ(r.text, fixture(c.file)) << c.file;
    }
    EXPECT_EQ(text(exportHosts(p, HostExport::NetboxAddresses, p.ipamValues()).notices),
              "the hosts' roles are written as tags, which NetBox's import looks up by slug: create the tags "
              "role-access-point, role-camera, role-gateway, role-printer, role-reserved, role-server first\n");
    EXPECT_EQ(hostFormulaWarnings(p),
              std::vector<std::string>{
                  "host plain: a spreadsheet would read the note \"=cmd\" as a formula; written as it is"});
    // Refused where the IPAM would refuse every row.
    plan::IpamValues v = p.ipamValues();
    v.section.clear();
    EXPECT_EQ(exportHosts(p, HostExport::PhpipamAddresses, v).error,
              "phpIPAM's import needs the name of a section: set the plan's section");
    v.tags = {"Not a slug"};
    EXPECT_NE(exportHosts(p, HostExport::NetboxRanges, v).error.find("the tag \"Not a slug\""), std::string::npos);
}

// Each format out of the plan and back into it without hosts and ranges: the same hosts
// (what the format carries of them) and the same ranges, in one undoable step.
TEST(HostImport, RoundTripsGiveTheSameHostsAndRanges)
{
    const plan::Plan full = campusPlan();
    const struct {
        std::vector<HostExport> files;
        HostFormat format;
        bool details;
    } cases[] = {{{HostExport::NetboxRanges, HostExport::NetboxAddresses}, HostFormat::Netbox, true},
                 {{HostExport::PhpipamAddresses}, HostFormat::Phpipam, true},
                 {{HostExport::Hosts}, HostFormat::Csv, true},
                 {{HostExport::EtcHosts}, HostFormat::EtcHosts, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(hostExportKey(c.files.back()));
        plan::Plan p = bare(full);
        const plan::Plan before = p;
        plan::History history;
        for (HostExport what : c.files) {
            const HostImport check =
                checkHostImport(p, readHostFile(c.format, exportHosts(full, what, full.ipamValues()).text));
            EXPECT_EQ(text(check.refused), "");
            ASSERT_EQ(history.run(p, makeHostImport(check)), "");
        }
        EXPECT_EQ(hostsText(p.hosts(), c.details), hostsText(full.hosts(), c.details));
        if (c.format == HostFormat::Netbox) {
            EXPECT_EQ(rangesOf(p), rangesOf(full));
        }
        while (history.canUndo())
            history.undo(p);
        EXPECT_TRUE(p == before);
    }
}

TEST(HostImport, ReadsFilesAsTheIpamsExportThem)
{
    plan::Plan p = bare(campusPlan());
    const struct {
        HostFormat format;
        const char* file;
        const char* hosts;
    } cases[] = {
        {HostFormat::Netbox, "netbox_ip_table_export.csv",
         "db-1 10.40.1.30 2001:db8:40:1::30 - - gateway |primary\nkiosk 10.40.2.40 - - - reserved |lobby\n"},
        {HostFormat::Phpipam, "phpipam_ip_own_export.csv",
         "fw-1 10.40.1.1 - - - gateway |\nlab-pc 10.40.3.20 - 00:aa:bb:cc:dd:ee - other |bench 3\n"},
    };
    for (const auto& c : cases) {
        const HostImport check = checkHostImport(p, readHostFile(c.format, fixture(c.file)));
        EXPECT_EQ(hostsText(check.added, true), c.hosts) << c.file;
        EXPECT_EQ(text(check.refused), "") << c.file;
    }
}

// Every row that cannot be taken, with its line and reason; the rest are placed.
TEST(HostImport, RefusesRowsNamingLineAndReason)
{
    const plan::Plan p = campusPlan();
    const struct {
        HostFormat format;
        const char* file;
        const char* refused;
        std::size_t placed;
    } cases[] = {
        {HostFormat::Csv,
         "Note,NAME,ipv4,ipv6,mac,role\n"
         ",ok-1,10.40.1.50,,,\n"
         ",bad-ip,10.40.1.300,,,\n"
         ",outside,10.40.9.9,,,\n"
         ",net,10.40.1.0,,,\n"
         ",gw,10.40.1.1,,,\n"
         ",kept,10.40.1.2,,,\n"
         ",pool,10.40.1.150,,,\n"
         ",taken,10.40.1.10,,,\n"
         ",printer-2,10.40.1.11,,,\n"
         ",mac-twice,10.40.1.51,,00-11-22-33-44-55,\n"
         ",-bad,10.40.1.52,,,\n"
         ",no-address,,,,\n"
         ",boss,10.40.1.53,,,boss\n"
         ",badmac,10.40.1.54,,00:11,\n"
         ",family,2001:db8:40:1::9,,,\n"
         ",printer-2,,2001:db8:40:1::10,,\n"
         ",ok-1,,2001:db8:40:1::50,,\n",
         "line 3: bad-ip: \"10.40.1.300\": not an address (octet 4 is above 255)\n"
         "line 4: outside: 10.40.9.9 lies in no assigned block\n"
         "line 5: net: 10.40.1.0 is not a usable address in 10.40.1.0/24 (Staff)\n"
         "line 6: gw: 10.40.1.1 is the gateway of 10.40.1.0/24 (Staff)\n"
         "line 7: kept: 10.40.1.2 is kept for network devices in 10.40.1.0/24 (Staff)\n"
         "line 8: pool: 10.40.1.150 lies in the DHCP range 10.40.1.100-10.40.1.199 of 10.40.1.0/24 (Staff)\n"
         "line 9: taken: 10.40.1.10 is already the address of printer-2\n"
         "line 10: printer-2: the name is taken: printer-2 has the address 10.40.1.10 already\n"
         "line 11: mac-twice: MAC 00:11:22:33:44:55 is already printer-2's\n"
         "line 12: host name \"-bad\": \"-bad\" has a label that starts or ends with '-'\n"
         "line 13: no-address: no address\n"
         "line 14: boss: role \"boss\" is none of gateway, router, server, printer, access-point, camera, reserved, "
         "other\n"
         "line 15: badmac: MAC \"00:11\": a MAC address has 6 bytes, not 2\n"
         "line 16: family: \"2001:db8:40:1::9\": not an IPv4 address\n",
         3},
        {HostFormat::Netbox,
         "start_address,end_address\n"
         "10.40.1.100/24,10.40.1.199/24\n"
         "10.40.1.220/24,10.40.1.230/24\n"
         "10.40.1.190/24,10.40.1.210/24\n"
         "10.40.2.250/24,10.40.3.5/24\n"
         "10.40.3.0/24,10.40.3.10/24\n"
         "10.40.3.1/24,10.40.3.10/24\n"
         "10.40.3.5/24,10.40.3.10/24\n"
         "10.40.9.1/24,10.40.9.10/24\n"
         "10.40.3.30/24,10.40.3.20/24\n",
         "line 4: the range 10.40.1.190-10.40.1.210 overlaps the DHCP range 10.40.1.100-10.40.1.199 of 10.40.1.0/24 "
         "(Staff)\n"
         "line 5: the range 10.40.2.250-10.40.3.5 reaches past 10.40.2.0/24 (Voice)\n"
         "line 6: the range 10.40.3.0-10.40.3.10 holds addresses that are not usable in 10.40.3.0/24 (Growth)\n"
         "line 7: the range 10.40.3.1-10.40.3.10 holds the gateway of 10.40.3.0/24 (Growth)\n"
         "line 8: the range 10.40.3.5-10.40.3.10 holds the address of plain\n"
         "line 9: the range 10.40.9.1-10.40.9.10: 10.40.9.1 lies in no assigned block\n"
         "line 10: the range ends (10.40.3.20) before it starts (10.40.3.30)\n",
         1},
        {HostFormat::Netbox,
         "address,dns_name,status\n"
         "10.40.1.1/24,,active\n"
         "10.40.1.60/24,,active\n"
         "10.40.1.61/24,ok.example,dhcp\n",
         "line 3: 10.40.1.60 has no host name, and is not the gateway of 10.40.1.0/24 (Staff)\n", 1},
        {HostFormat::EtcHosts,
         "# a comment\n"
         "127.0.0.1\tlocalhost\n"
         "10.40.1.70 box box.local  # alias\n"
         "fe80::1%eth0 link\n"
         "10.40.1.71\n"
         "\n"
         "2001:db8:40:1::71 box\n",
         "line 2: localhost: 127.0.0.1 lies in no assigned block\n"
         "line 4: \"fe80::1%eth0\": an address with a zone names an interface, not a host's address\n"
         "line 5: 10.40.1.71 has no host name\n"
         "line 3: box: the aliases after the first name are left out (\"box.local\")\n",
         2},
    };
    for (const auto& c : cases) {
        const HostImport check = checkHostImport(p, readHostFile(c.format, c.file));
        EXPECT_EQ(text(check.refused) + text(check.notes), c.refused) << c.file;
        EXPECT_EQ(check.hostRows + check.rangeRows, c.placed) << c.file;
    }
}

// A name given whole is the name inside the plan's domain; an address's length, a retired
// status and a character no workbook keeps are told, with the row's line.
TEST(HostImport, ReadsNamesLengthsAndStatusesAsTheyMean)
{
    plan::Plan p = bare(campusPlan());
    plan::OutputSettings outputs;
    outputs.domain = "campus.example";
    p.setOutputSettings(outputs);
    const struct {
        HostFormat format;
        const char* file;
        const char* hosts;
        const char* told;  // refused, then notes
        std::size_t ranges = 0;
    } cases[] = {
        {HostFormat::EtcHosts,
         "10.40.1.34\th34.campus.example\n10.40.1.35 H35.Campus.Example\n10.40.1.36 h36.other.example\n"
         "10.40.1.37 campus.example\n10.40.1.38 xcampus.example\n",
         "H35 10.40.1.35 -\ncampus.example 10.40.1.37 -\nh34 10.40.1.34 -\nh36.other.example 10.40.1.36 -\n"
         "xcampus.example 10.40.1.38 -\n",
         "line 3: h36.other.example: the name does not end in the plan's domain campus.example; kept as it is\n"
         "line 4: campus.example: the name is the plan's domain itself; kept as it is\n"
         "line 5: xcampus.example: the name does not end in the plan's domain campus.example; kept as it is\n"},
        {HostFormat::Netbox,
         "address,status,dns_name\n10.40.1.34/24,active,H34.Campus.Example\n10.40.1.35/25,active,h35\n"
         "10.40.1.36/24,Deprecated,old\n10.40.1.1/16,active,\n10.40.1.37/33,active,x\n",
         "H34 10.40.1.34 -\nh35 10.40.1.35 -\n",
         "line 6: \"10.40.1.37/33\": the prefix length is not /0 to /32\n"
         "line 3: h35: 10.40.1.35/25: the length differs from its block's /24 (10.40.1.0/24 (Staff)); the address "
         "is taken\n"
         "line 4: 10.40.1.36: its status is deprecated (no longer in use); left out\n"
         "line 5: 10.40.1.1/16: the length differs from its block's /24 (10.40.1.0/24 (Staff)); the address is "
         "taken\n"},
        {HostFormat::Netbox,
         "start_address,end_address,status\n10.40.2.100/24,10.40.2.149/24,deprecated\n"
         "10.40.2.200/24,10.40.2.249/24,active\n",
         "", "line 2: the range 10.40.2.100-10.40.2.149: its status is deprecated (no longer in use); left out\n", 1},
        {HostFormat::Phpipam, "ip_addr,hostname\n10.40.1.40,h40.campus.example\n", "h40 10.40.1.40 -\n", ""},
        {HostFormat::Csv, "name,ipv4,note\nh41.CAMPUS.example,10.40.1.41,\nh42,10.40.1.42,a\xEF\xBF\xBE\n",
         "h41 10.40.1.41 -\n", "line 3: h42: note \"a\\u{fffe}\": holds U+FFFE, which is no character (byte 2)\n"},
    };
    for (const auto& c : cases) {
        const HostImport check = checkHostImport(p, readHostFile(c.format, c.file));
        EXPECT_EQ(hostsText(check.added, false), c.hosts) << c.file;
        EXPECT_EQ(text(check.refused) + text(check.notes), c.told) << c.file;
        EXPECT_EQ(check.rangeRows, c.ranges) << c.file;
    }
    EXPECT_EQ(readHostFile(HostFormat::Netbox, "address,dns_name,IP Address\n10.40.1.5/24,a,10.40.1.6/24\n").error,
              "line 1: the header names the \"address\" column twice: \"address\" (column 1) and \"IP Address\" "
              "(column 3)");
}

}  // namespace
}  // namespace mq::interchange
