// The planner's exchange with other tools: in-use prefixes placed with the
// refused lines named, a NetBox file as a new plan, refused exports, IPAM
// values, Reserve, the cloud mode and Assign's VLAN, each undone as one
// change; the printout turned sideways for wide tables.
#include "interchange/blocks.h"
#include "planner/allocation_table.h"
#include "planner/plan_report.h"
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

namespace mq::planner {
namespace {

using plan::BlockId;
using test::FakePlannerServices;

class PlannerExchangeTest : public ::testing::Test {
protected:
    FakePlannerServices sv;
    PlannerForm form{sv};

    BlockId at(const char* prefix) const
    {
        for (const plan::BlockId id : form.plan().leaves())
            if (prefixText(form.plan().block(id).prefix) == prefix)
                return id;
        return plan::kNoBlock;
    }
    // Assigned leaves as "prefix name vlan note", address order.
    std::vector<std::string> assigned() const
    {
        std::vector<std::string> out;
        for (const BlockId id : form.plan().leaves()) {
            const plan::Block& b = form.plan().block(id);
            if (b.state != plan::BlockState::Free)
                out.push_back(prefixText(b.prefix) + " " + b.name + " " + std::to_string(b.vlan) + " " + b.note);
        }
        return out;
    }
    bool anyLine(const std::string& piece) const
    {
        for (const auto& l : form.importLines())
            if (l.find(piece) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(PlannerExchangeTest, InUsePrefixesPlacedRefusedListedAndUndoneAsOne)
{
    ASSERT_TRUE(form.newPlan("10.0.0.0/16"));
    sv.pastes.push_back("prefix,name,note\n"  // a header line is no item
                        "10.0.1.0/24, servers, rack 4\n"
                        "10.0.1.128/25, twice\n"
                        "192.168.0.0/24, elsewhere\n"
                        "10.0.8.0/22,dmz,\"edge, north\"\n"
                        "bad\x01prefix\n"
                        "10.0.32.5\n");
    ASSERT_TRUE(form.importInUsePaste());
    // Overlapping items are both refused; the rest placed as assigned blocks.
    EXPECT_EQ(assigned(), (std::vector<std::string>{"10.0.8.0/22 dmz 0 edge, north", "10.0.32.5/32  0 "}));
    EXPECT_TRUE(anyLine("line 2: 10.0.1.0/24"));
    EXPECT_TRUE(anyLine("line 3: 10.0.1.128/25"));
    EXPECT_TRUE(anyLine("line 4: 192.168.0.0/24"));
    EXPECT_TRUE(anyLine("line 6"));
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("Imported 2 prefixes"), std::string::npos) << sv.messages[0];
    EXPECT_EQ(sv.messages[0].find('\x01'), std::string::npos);
    EXPECT_NE(sv.messages[0].find("\\x01"), std::string::npos);

    // Allocation fills the free space around what is in use.
    ASSERT_TRUE(form.allocate(form.plan().root(), "big, 1000\n"));
    for (const BlockId id : form.allocatedBlocks())
        EXPECT_FALSE(form.plan().block(id).prefix.contains(form.plan().block(at("10.0.8.0/22")).prefix));
    ASSERT_TRUE(form.undo());
    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(assigned().empty());
    EXPECT_EQ(form.plan().blockCount(), 1u);

    // Nothing placeable: nothing changes and the message says why.
    sv.messages.clear();
    EXPECT_FALSE(form.importInUse("172.16.0.0/12\n", "the list"));
    EXPECT_EQ(form.plan().blockCount(), 1u);
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_EQ(sv.messages[0].rfind("Nothing was imported from the list", 0), 0u) << sv.messages[0];
    // A file that cannot be read names its cause.
    sv.unreadable["/in/use.txt"] = "It is a directory, not a regular file.";
    sv.fileNames.push_back("/in/use.txt");
    EXPECT_FALSE(form.importInUseFile());
    EXPECT_NE(sv.messages.back().find("a directory"), std::string::npos);
}

TEST_F(PlannerExchangeTest, NetboxFileAsANewPlan)
{
    sv.files["/in/nb.csv"] = "prefix,status,description,vlan,tenant,comments\n"
                             "10.20.0.0/16,container,site,,acme,\n"
                             "10.20.1.0/24,active,\"users, floor 1\",110,acme,desk \"A\"\n"
                             "10.20.4.0/22,reserved,later,,acme,\n";
    sv.fileNames.push_back("/in/nb.csv");
    sv.prompts.push_back("10.20.0.0/16");
    ASSERT_TRUE(form.importFormatFile(interchange::Format::Netbox, true));
    ASSERT_EQ(sv.promptDefaults.size(), 1u);
    EXPECT_EQ(sv.promptDefaults[0], "10.20.0.0/16");  // the outermost prefix is offered
    EXPECT_EQ(assigned(),
              (std::vector<std::string>{"10.20.1.0/24 users, floor 1 110 desk \"A\"", "10.20.4.0/22 later 0 "}));
    EXPECT_EQ(form.plan().block(at("10.20.4.0/22")).state, plan::BlockState::Reserved);
    EXPECT_EQ(form.plan().ipamValues().tenant, "acme");
    EXPECT_TRUE(form.isModified());  // an untitled import asks to be saved
    EXPECT_TRUE(form.canUndo());

    // Another new plan first asks about the unsaved import: Cancel keeps it.
    const plan::Plan kept = form.plan();
    EXPECT_FALSE(form.importLinkPaste(true));
    EXPECT_EQ(sv.questions.size(), 1u);
    EXPECT_TRUE(form.plan() == kept);
}

// Prefixes of one file with tenants, roles, VRFs, statuses and pools of their own keep them:
// shown in the table, written back by the export, gone with the import's undo.
TEST_F(PlannerExchangeTest, EachImportedPrefixKeepsItsOwnIpamValues)
{
    sv.files["/in/nb.csv"] = "prefix;status;description;tenant;role;vrf;is_pool\n"
                             "10.30.1.0/24;active;staff;Staff Dept;Access;Global;false\n"
                             "10.30.2.0/24;deprecated;guests;Guests Inc;;guest;true\n";
    sv.fileNames.push_back("/in/nb.csv");
    sv.prompts.push_back("10.30.0.0/16");
    ASSERT_TRUE(form.importFormatFile(interchange::Format::Netbox, true));
    const std::vector<AllocationRow> rows = planner::allocationRows(form.plan());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[AIpam], "Staff Dept, Access");
    EXPECT_EQ(rows[1].cells[AIpam], "Guests Inc, VRF guest, deprecated, pool");
    EXPECT_TRUE(form.plan().ipamValues().tenant.empty());
    ASSERT_TRUE(form.exportTo("/out/nb.csv", ExportNetbox));
    EXPECT_EQ(sv.files["/out/nb.csv"], "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags\r\n"
                                       "10.30.0.0/16,container,,,,,,false,,\r\n"
                                       "10.30.1.0/24,active,staff,,Staff Dept,Access,,false,,\r\n"
                                       "10.30.2.0/24,deprecated,guests,,Guests Inc,,guest,true,,\r\n");
    ASSERT_TRUE(form.undo());
    EXPECT_FALSE(form.plan().hasBlockIpam());
}

TEST_F(PlannerExchangeTest, RefusedExportsAndImportsChangeNothing)
{
    ASSERT_TRUE(form.newPlan("2001:db8::/48"));
    sv.messages.clear();
    EXPECT_FALSE(form.copyVscLink());
    EXPECT_FALSE(form.exportTo("/out/v.json", ExportVscJson));
    EXPECT_EQ(sv.files.count("/out/v.json"), 0u);
    ASSERT_EQ(sv.messages.size(), 2u);
    EXPECT_NE(sv.messages[0].find("IPv4"), std::string::npos) << sv.messages[0];
    EXPECT_TRUE(sv.clipboard.empty());

    // A link that is no link: named, the plan kept, no question of roots.
    const plan::Plan kept = form.plan();
    sv.pastes.push_back("https://visualsubnetcalc.com/?c=1%%%");
    EXPECT_FALSE(form.importLinkPaste(true));
    EXPECT_TRUE(form.plan() == kept);
    EXPECT_TRUE(sv.promptDefaults.empty());
    // Roots that cannot be read leave the plan as it was.
    sv.files["/in/nb.csv"] = "prefix,status\n10.1.0.0/24,active\n";
    sv.fileNames.push_back("/in/nb.csv");
    sv.prompts.push_back("10.1.0.0/33");
    EXPECT_FALSE(form.importFormatFile(interchange::Format::Netbox, true));
    EXPECT_TRUE(form.plan() == kept);
}

TEST_F(PlannerExchangeTest, IpamValuesReserveCloudAndVlanUndoAsOne)
{
    ASSERT_TRUE(form.newPlan("10.0.0.0/23"));
    ASSERT_TRUE(form.split(form.plan().root(), 2));
    const BlockId low = at("10.0.0.0/24");

    plan::IpamValues v;
    v.tenant = "acme";
    v.tags = {"prod", "dc1"};
    v.section = "Customers";
    sv.ipamAnswers.push_back(v);
    ASSERT_TRUE(form.editIpamValues());
    EXPECT_TRUE(form.plan().ipamValues() == v);
    EXPECT_FALSE(form.editIpamValues());  // cancelled
    ASSERT_TRUE(form.exportTo("/out/p.csv", ExportPhpipam));
    EXPECT_NE(sv.files["/out/p.csv"].find("\r\nCustomers,10.0.0.0/23,"), std::string::npos) << sv.files["/out/p.csv"];
    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(form.plan().ipamValues().empty());

    ASSERT_TRUE(form.reserve(low));
    EXPECT_EQ(form.plan().block(low).state, plan::BlockState::Reserved);
    ASSERT_TRUE(form.undo());
    EXPECT_EQ(form.plan().block(low).state, plan::BlockState::Free);

    // The cloud mode changes the hosts column and the allocator's sizing.
    EXPECT_EQ(cellText(form.plan(), low, ColHosts), "254");
    ASSERT_TRUE(form.setCloudMode(plan::CloudMode::Aws));
    EXPECT_EQ(cellText(form.plan(), low, ColHosts), "251");
    ASSERT_TRUE(form.allocate(form.plan().root(), "web, 252\n"));
    ASSERT_EQ(form.allocatedBlocks().size(), 1u);
    EXPECT_EQ(form.plan().block(form.allocatedBlocks()[0]).prefix.length, 23);
    ASSERT_TRUE(form.undo());
    ASSERT_TRUE(form.undo());
    EXPECT_EQ(cellText(form.plan(), low, ColHosts), "254");
    ASSERT_TRUE(form.allocate(form.plan().root(), "web, 252\n"));
    EXPECT_EQ(form.plan().block(form.allocatedBlocks()[0]).prefix.length, 24);
    ASSERT_TRUE(form.undo());

    // Assign takes a VLAN before the note; a bad one is refused.
    ASSERT_TRUE(form.assign(low, "servers, 50, vlan 10, rack 4, left"));
    EXPECT_EQ(form.plan().block(low).vlan, 10);
    EXPECT_EQ(form.plan().block(low).note, "rack 4, left");
    ASSERT_TRUE(form.undo());
    EXPECT_FALSE(form.assign(low, "servers, 50, VLAN 5000, rack"));
    EXPECT_NE(sv.messages.back().find("is not a VLAN"), std::string::npos) << sv.messages.back();
    EXPECT_EQ(form.plan().block(low).state, plan::BlockState::Free);
    ASSERT_TRUE(form.assign(low, "servers, 50, vlanless note"));
    EXPECT_EQ(form.plan().block(low).vlan, 0);
    EXPECT_EQ(form.plan().block(low).note, "vlanless note");
}

// The printer's side: the orientation asked for and what was printed, in order.
class TurningOutput : public ReportOutput {
public:
    std::vector<std::string> log;
    std::optional<int> copies = 1;
    std::vector<PrintLine> printed;
    bool writeFile(const std::string& path, const std::string&, std::string&) override
    {
        log.push_back("file " + path);
        return true;
    }
    bool writeDocument(const std::string& path, const std::string&, std::string&) override
    {
        log.push_back("document " + path);
        return true;
    }
    std::optional<int> printDialog() override
    {
        log.push_back("dialog");
        return copies;
    }
    bool printDocument(const std::vector<PrintLine>& lines, std::string&) override
    {
        printed = lines;
        return true;
    }
    bool endPrintJob(std::string&) override { return true; }
    void abortPrintJob() override { }
    void setBusy(bool) override { }
    void setLandscape(bool on) override { log.push_back(on ? "across" : "down"); }
};

TEST(PlannerPrint, WideTablesTurnThePageForTheirJobOnly)
{
    test::FakeServices services;
    FakePlannerServices sv;
    PlannerForm form(sv);
    ASSERT_TRUE(form.allocate(form.plan().root(), "servers, 50\nusers, 200\n"));
    const std::vector<std::string> narrow = form.reportLines();
    EXPECT_FALSE(needsLandscape(narrow));
    TurningOutput out;
    printReport(narrow, services, out);
    EXPECT_EQ(out.log, (std::vector<std::string>{"dialog"}));  // the pages as they were

    // A table wider than 112 characters would print below 7 points down the page.
    const std::vector<std::string> wide = {"Network plan", std::string(150, '-'), "x"};
    ASSERT_TRUE(needsLandscape(wide));
    EXPECT_FALSE(needsLandscape({"Network plan", std::string(112, '-')}));
    TurningOutput across;
    printReport(wide, services, across);
    EXPECT_EQ(across.log, (std::vector<std::string>{"across", "dialog", "down"}));
    ASSERT_EQ(across.printed.size(), 3u);
    EXPECT_GE(across.printed[1].pointSize, 7.0);
    EXPECT_LT(printLines(wide)[1].pointSize, 7.0);
    // Cancelled, the pages are turned back all the same.
    TurningOutput cancelled;
    cancelled.copies.reset();
    printReport(wide, services, cancelled);
    EXPECT_EQ(cancelled.log, (std::vector<std::string>{"across", "dialog", "down"}));
}

// The report is a file to keep, as a plan is: never written into a device or a pipe.
TEST(PlannerReport, IsSavedAsADocument)
{
    test::FakeServices services;
    services.saveAnswers.push_back("/tmp/plan.txt");
    TurningOutput out;
    saveReport({"Network plan", "x"}, services, out);
    EXPECT_EQ(out.log, (std::vector<std::string>{"document /tmp/plan.txt"}));
}

}  // namespace
}  // namespace mq::planner
