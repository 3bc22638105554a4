// The subnet panel's logic: host cells typed, refused with their reason and undone; the
// layout of both families of a dual-stack segment, and the cloud's fixed addresses; pasted
// rows; the picture's marks and counts.
#include "planner/planner_form.h"
#include "planner/subnet_form.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

#include <functional>

namespace mq::planner {
namespace {

using net::Family;
using plan::BlockId;

class SubnetFormTest : public ::testing::Test {
protected:
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    SubnetForm subnet{form, sv};
    BlockId office = plan::kNoBlock;

    // office gets 10.40.0.0/26 and 2001:db8:40::/64, lab 10.40.0.64/28 and the next /64.
    void SetUp() override
    {
        ASSERT_TRUE(form.newPlan("10.40.0.0/16, 2001:db8:40::/48"));
        ASSERT_TRUE(form.allocate(form.plan().root(), "office, 50\nlab, 10\n"));
        office = form.plan().blockOf(net::Prefix{net::Address::v4(0x0A280000u), 26});
        ASSERT_NE(office, plan::kNoBlock);
        subnet.select(office);
        ASSERT_TRUE(subnet.active());
        ASSERT_NE(subnet.block(Family::V6), plan::kNoBlock);
    }
    std::size_t hosts() const { return form.plan().hosts().size(); }
};

// Each edit of one host's cells, in turn: what the cell shows after it, or why it was refused
// (and then nothing changed). Every edit that was taken is one step of Undo.
TEST_F(SubnetFormTest, HostCellsTakeTheirFormsRefuseWithAReasonAndUndo)
{
    ASSERT_TRUE(subnet.setCell(subnet.rowCount() - 1, HostName, "srv-1"));  // the new row adds a host
    ASSERT_EQ(subnet.rowCount(), 2u);
    EXPECT_EQ(subnet.cell(0, HostV4), "10.40.0.1");  // the next free addresses of both blocks
    EXPECT_EQ(subnet.cell(0, HostV6), "2001:db8:40::1");
    struct Edit {
        int column;
        const char* text;
        const char* shown;  // the cell after the edit; nullptr: refused
        const char* why = "";  // in the status line when refused
    };
    const Edit edits[] = {
        {HostName, "printer-2", "printer-2"},
        {HostName, "bad_name!", nullptr, "Host name \"bad_name!\""},
        {HostV4, "10.40.0.40", "10.40.0.40"},
        {HostV4, "10.40.9.9", nullptr, "IPv4 address \"10.40.9.9\""},
        {HostV4, "2001:db8:40::9", nullptr, "IPv4 address"},
        {HostV6, "::20", "2001:db8:40::20"},
        {HostMac, "0011.2233.4455", "00:11:22:33:44:55"},
        {HostMac, "00:11:22:33:44", nullptr, "MAC \"00:11:22:33:44\""},
        {HostV6, "eui64", "2001:db8:40:0:211:22ff:fe33:4455"},
        {HostDuid, "00-01-00-01", "00:01:00:01"},
        {HostDuid, "0g", nullptr, "DUID \"0g\""},
        {HostRole, "Access point", "access-point"},
        {HostRole, "boss", nullptr, "Role \"boss\" is none of"},
        {HostNote, "rack 4", "rack 4"},
        {HostV4, "", ""},
        {HostV6, "", nullptr, "A host needs an IPv4 or an IPv6 address"},
    };
    std::size_t taken = 1;
    for (const Edit& e : edits) {
        SCOPED_TRACE(std::string(blockHostColumnTitle(e.column)) + " " + e.text);
        const plan::Plan before = form.plan();
        const bool ok = subnet.setCell(0, e.column, e.text);
        EXPECT_EQ(ok, e.shown != nullptr) << subnet.status();
        if (ok) {
            ++taken;
            EXPECT_EQ(subnet.cell(0, e.column), e.shown);
            EXPECT_EQ(subnet.status(), "");
        } else {
            EXPECT_TRUE(form.plan() == before);
            EXPECT_NE(subnet.status().find(e.why), std::string::npos) << subnet.status();
        }
    }
    EXPECT_TRUE(sv.messages.empty());  // refusals go to the status line, not a message box
    const plan::Host last = form.plan().hosts().at(0);
    for (std::size_t k = 0; k < taken; ++k)
        ASSERT_TRUE(form.undo());
    subnet.sync();
    EXPECT_EQ(hosts(), 0u);
    EXPECT_EQ(subnet.rowCount(), 1u);
    for (std::size_t k = 0; k < taken; ++k)
        ASSERT_TRUE(form.redo());
    subnet.sync();
    EXPECT_EQ(form.plan().hosts().at(0), last);
    // A host typed with an escape sequence in it is quoted escaped.
    EXPECT_FALSE(subnet.setCell(0, HostName, "\x1b]0;x\x07"));
    EXPECT_EQ(subnet.status().find('\x1b'), std::string::npos);
}

// An address inside a DHCP range is refused however it comes (typed, eui64, pasted, a plan's
// import), each time with the one message that names the range.
TEST_F(SubnetFormTest, AddressesInADhcpRangeAreRefusedWithTheRange)
{
    ASSERT_TRUE(subnet.addRange(Family::V4, "10.40.0.30-10.40.0.40"));
    ASSERT_TRUE(subnet.setDhcp6(plan::Dhcp6Mode::Stateful));
    ASSERT_TRUE(subnet.addRange(Family::V6, "::211:0:0:0-::211:ffff:ffff:ffff"));
    ASSERT_TRUE(subnet.setCell(subnet.rowCount() - 1, HostMac, "00:11:22:33:44:55"));
    const std::string range4 = "lies in the DHCP range 10.40.0.30-10.40.0.40 of 10.40.0.0/26 (office)";
    const std::string range6 =
        "lies in the DHCP range 2001:db8:40:0:211::-2001:db8:40:0:211:ffff:ffff:ffff of 2001:db8:40::/64 (office)";
    struct Way {
        const char* what;
        std::function<bool()> act;
        std::function<std::string()> said;
        std::string want;
    };
    auto status = [this] { return subnet.status(); };
    const Way ways[] = {
        {"typed into the new row", [&] { return subnet.setCell(subnet.rowCount() - 1, HostV4, "10.40.0.35"); }, status,
         "IPv4 address \"10.40.0.35\": 10.40.0.35 " + range4},
        {"typed over a host's", [&] { return subnet.setCell(0, HostV4, " 10.40.0.30"); }, status,
         "IPv4 address \"10.40.0.30\": 10.40.0.30 " + range4},
        {"eui64 in a DHCPv6 range", [&] { return subnet.setCell(0, HostV6, "eui64"); }, status,
         "IPv6 address \"eui64\": 2001:db8:40:0:211:22ff:fe33:4455 " + range6},
        {"pasted", [&] { return subnet.paste("pc-9\t10.40.0.31\n"); }, status,
         "0 hosts added from the pasted rows; 1 row refused: line 1: IPv4 address \"10.40.0.31\": 10.40.0.31 " +
             range4},
        {"imported into the plan",
         [&] { return form.importHosts(interchange::HostFormat::Csv, "name,ipv4\npc-8,10.40.0.32\n", "hosts.csv"); },
         [&] { return form.importLines().empty() ? std::string() : form.importLines().front(); },
         "line 2: pc-8: 10.40.0.32 " + range4},
    };
    const plan::Plan before = form.plan();
    for (const Way& w : ways) {
        EXPECT_FALSE(w.act()) << w.what;
        EXPECT_EQ(w.said(), w.want) << w.what;
        EXPECT_TRUE(form.plan() == before) << w.what;
    }
}

// The layout edits of each family, what results and what is refused.
TEST_F(SubnetFormTest, LayoutOfBothFamiliesAndTheCloudsFixedAddresses)
{
    struct Step {
        const char* what;
        std::function<bool(SubnetForm&)> edit;
        bool ok;
        std::function<std::string(const SubnetForm&)> result;
        const char* expected;  // the result, or a part of the status when refused
    };
    auto gateway4 = [](const SubnetForm& s) { return s.gatewayText(Family::V4); };
    auto ranges = [](Family f) {
        return [f](const SubnetForm& s) {
            std::string t;
            for (const std::string& r : s.rangeTexts(f))
                t += r + " ";
            return t;
        };
    };
    const Step steps[] = {
        {"gateway address",
         [](SubnetForm& s) { return s.setGateway(Family::V4, GatewayChoice::Address, "10.40.0.62"); }, true, gateway4,
         "10.40.0.62"},
        {"gateway outside", [](SubnetForm& s) { return s.setGateway(Family::V4, GatewayChoice::Address, "10.40.1.1"); },
         false, nullptr, "Gateway: IPv4 address \"10.40.1.1\""},
        {"no gateway", [](SubnetForm& s) { return s.setGateway(Family::V4, GatewayChoice::None); }, true, gateway4, ""},
        {"IPv6 gateway ::1", [](SubnetForm& s) { return s.setGateway(Family::V6, GatewayChoice::Address, "::1"); },
         true, [](const SubnetForm& s) { return s.gatewayText(Family::V6); }, "2001:db8:40::1"},
        {"kept beside no gateway", [](SubnetForm& s) { return s.setKept(Family::V4, "2"); }, true,
         [](const SubnetForm& s) { return s.keptNote(Family::V4); }, "own count: 2"},
        {"kept", [](SubnetForm& s) { return s.setKept(Family::V4, "3"); }, true,
         [](const SubnetForm& s) { return s.keptText(Family::V4); }, "3"},
        {"kept counting the gateway",
         [](SubnetForm& s) { return s.setGateway(Family::V4, GatewayChoice::Address, "10.40.0.1"); }, true,
         [](const SubnetForm& s) { return s.keptNote(Family::V4); }, "own count: 3, the gateway among them"},
        {"kept not a number", [](SubnetForm& s) { return s.setKept(Family::V4, "three"); }, false, nullptr,
         "Kept for network devices: \"three\""},
        {"own range", [](SubnetForm& s) { return s.addRange(Family::V4, "10.40.0.30-10.40.0.40"); }, true,
         ranges(Family::V4), "10.40.0.30-10.40.0.40 "},
        {"second range, sorted", [](SubnetForm& s) { return s.addRange(Family::V4, "10.40.0.10 - 10.40.0.20"); }, true,
         ranges(Family::V4), "10.40.0.10-10.40.0.20 10.40.0.30-10.40.0.40 "},
        {"range backwards", [](SubnetForm& s) { return s.addRange(Family::V4, "10.40.0.50-10.40.0.45"); }, false,
         nullptr, "comes after its last"},
        {"range outside", [](SubnetForm& s) { return s.addRange(Family::V4, "10.40.0.50-10.40.0.70"); }, false, nullptr,
         "10.40.0.70 lies outside 10.40.0.0/26"},
        {"range edited", [](SubnetForm& s) { return s.setRange(Family::V4, 1, "10.40.0.33-10.40.0.35"); }, true,
         ranges(Family::V4), "10.40.0.10-10.40.0.20 10.40.0.33-10.40.0.35 "},
        {"range deleted", [](SubnetForm& s) { return s.deleteRange(Family::V4, 0); }, true, ranges(Family::V4),
         "10.40.0.33-10.40.0.35 "},
        {"IPv6 range in offsets", [](SubnetForm& s) { return s.addRange(Family::V6, "::100-::1ff"); }, true,
         ranges(Family::V6), "2001:db8:40::100-2001:db8:40::1ff "},
        {"stateful", [](SubnetForm& s) { return s.setDhcp6(plan::Dhcp6Mode::Stateful); }, true,
         [](const SubnetForm& s) { return std::to_string(static_cast<int>(s.dhcp6().value())); }, "1"},
        {"delegation", [](SubnetForm& s) { return s.setDelegation("/72"); }, true,
         [](const SubnetForm& s) { return s.delegationText(); }, "/72"},
        {"delegation wider than the block", [](SubnetForm& s) { return s.setDelegation("56"); }, false, nullptr,
         "/65 to /128"},
        {"back to the rule's ranges", [](SubnetForm& s) { return s.setOwnRanges(Family::V4, false); }, true,
         [](const SubnetForm& s) { return std::to_string(s.ownRanges(Family::V4)); }, "0"},
    };
    std::size_t taken = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.edit(subnet), s.ok) << subnet.status();
        if (s.ok) {
            ++taken;
            EXPECT_EQ(s.result(subnet), s.expected);
        } else
            EXPECT_NE(subnet.status().find(s.expected), std::string::npos) << subnet.status();
    }
    for (std::size_t k = 0; k < taken; ++k)
        ASSERT_TRUE(form.undo());
    subnet.sync();
    EXPECT_EQ(form.plan().subnetLayout(office), nullptr);
    EXPECT_EQ(subnet.gatewayChoice(Family::V4), GatewayChoice::Rule);

    // A cloud fixes the IPv4 gateway and kept addresses, and names them with the provider.
    ASSERT_TRUE(form.setCloudMode(plan::CloudMode::Aws));
    subnet.sync();
    EXPECT_TRUE(subnet.cloudFixed(Family::V4));
    EXPECT_FALSE(subnet.cloudFixed(Family::V6));
    EXPECT_EQ(subnet.cloudText(Family::V4), "AWS reserved: 10.40.0.1 (router), 10.40.0.2-10.40.0.3");
    EXPECT_FALSE(subnet.setGateway(Family::V4, GatewayChoice::None));
    EXPECT_NE(subnet.status().find("cloud provider's router"), std::string::npos);
    EXPECT_FALSE(subnet.setKept(Family::V4, "5"));
}

// Rows from a spreadsheet, with or without a header: the good ones added in one step,
// "next" and empty addresses stepping on, the bad ones named with their line.
TEST_F(SubnetFormTest, PastedRowsAreAddedInOneStepAndBadOnesNamed)
{
    ASSERT_TRUE(subnet.paste("Role\tHost name\tIPv4\tMAC\n"
                             "server\tdns-1\t10.40.0.5\t\n"
                             "printer\tprn-1\t\t00-11-22-33-44-55\n"
                             "camera\tcam_1\t10.40.0.6\t\n"
                             "other\tcam-2\tnext\t\n"));
    EXPECT_EQ(hosts(), 3u);
    EXPECT_NE(subnet.status().find("3 hosts added from the pasted rows; 1 row refused: line 4: Host name \"cam_1\""),
              std::string::npos)
        << subnet.status();
    EXPECT_EQ(subnet.cell(0, HostRole), "server");
    EXPECT_EQ(subnet.cell(1, HostV4), "10.40.0.1");  // no address given: the next free ones
    EXPECT_EQ(subnet.cell(1, HostV6), "2001:db8:40::1");
    EXPECT_EQ(subnet.cell(1, HostMac), "00:11:22:33:44:55");
    EXPECT_EQ(subnet.cell(2, HostV4), "10.40.0.2");  // after the row before it
    // Without a header the columns go in the table's order.
    ASSERT_TRUE(subnet.paste("ap-1\t10.40.0.9\t::9\t\t\taccess point\tceiling\n"));
    EXPECT_EQ(subnet.cell(3, HostV6), "2001:db8:40::9");
    EXPECT_EQ(subnet.cell(3, HostNote), "ceiling");
    ASSERT_TRUE(form.undo());
    ASSERT_TRUE(form.undo());
    EXPECT_EQ(hosts(), 0u);
    // From a file chosen in the dialog, as CSV.
    sv.fileNames.push_back("/lists/hosts.csv");
    sv.files["/lists/hosts.csv"] = "name,ipv4\r\nweb-1,10.40.0.20\r\nweb-2,10.40.0.80\r\n";
    EXPECT_TRUE(subnet.importFile());
    EXPECT_EQ(hosts(), 1u);
    EXPECT_NE(subnet.status().find("1 host added from hosts.csv; 1 row refused: line 3"), std::string::npos)
        << subnet.status();
}

// What the picture paints and counts: the network and broadcast, the gateway, the kept
// addresses, the ranges and the hosts, each at its offset.
TEST_F(SubnetFormTest, PictureMarksAndCounts)
{
    ASSERT_TRUE(subnet.setGateway(Family::V4, GatewayChoice::Address, "10.40.0.1"));
    ASSERT_TRUE(subnet.setKept(Family::V4, "2"));
    ASSERT_TRUE(subnet.addRange(Family::V4, "10.40.0.32-10.40.0.47"));
    ASSERT_TRUE(subnet.setCell(subnet.rowCount() - 1, HostV4, "10.40.0.10"));
    std::string painted;
    for (const AddressMark& m : subnet.marks(Family::V4))
        painted +=
            std::string(addressKindName(m.kind)) + " " + net::toDecimal(m.first) + "-" + net::toDecimal(m.last) + "; ";
    EXPECT_EQ(painted, "free 0-63; DHCP range 32-47; kept 2-2; host 10-10; gateway 1-1; network 0-0; "
                       "broadcast 63-63; ");
    EXPECT_EQ(subnet.size(Family::V4), 64u);
    // 62 usable: the gateway, one more kept and the host are static, 16 in the range.
    EXPECT_EQ(subnet.countsText(Family::V4), "62 usable, 3 static, 16 in DHCP ranges, 43 free");
}

}  // namespace
}  // namespace mq::planner
