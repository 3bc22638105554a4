// The planner window's logic: documents and the save-changes question, edits
// and their undo, the Allocate panel, the report.
#include "plan/allocations.h"
#include "plan/document.h"
#include "plan/segments.h"
#include "planner/allocation_table.h"
#include "planner/planner_form.h"
#include "planner/text_table.h"
#include "tests/planner/campus_plan.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace mq::planner {
namespace {

using plan::BlockId;
using test::FakePlannerServices;

class PlannerFormTest : public ::testing::Test {
protected:
    FakePlannerServices sv;
    PlannerForm form{sv};

    BlockId root() const { return form.plan().root(); }
    const plan::Block& block(BlockId id) const { return form.plan().block(id); }
    BlockId child(BlockId id, std::size_t i) const { return block(id).children.at(i); }
    std::string prefixOf(BlockId id) const { return prefixText(block(id).prefix); }
    // A saved plan of 192.168.0.0/24 split in two, kept at "/plans/a.mqplan".
    void savedPlan()
    {
        ASSERT_TRUE(form.newPlan("192.168.0.0/24"));
        ASSERT_TRUE(form.split(root(), 2));
        sv.fileNames.push_back("/plans/a");
        ASSERT_TRUE(form.saveAs());
    }
};

TEST_F(PlannerFormTest, SavedPlanReadsBackAndTitleFollowsChanges)
{
    EXPECT_EQ(form.title(), "Network Planner - Untitled");
    savedPlan();
    // The extension is added to a name without one.
    EXPECT_EQ(form.filePath(), "/plans/a.mqplan");
    EXPECT_EQ(form.title(), "Network Planner - a.mqplan");
    ASSERT_TRUE(form.rename(child(root(), 0), "office"));
    EXPECT_EQ(form.title(), "Network Planner - a.mqplan*");
    ASSERT_TRUE(form.save());  // to the same file, no dialog
    EXPECT_TRUE(sv.fileNames.empty());
    EXPECT_FALSE(form.isModified());

    const plan::Plan saved = form.plan();
    ASSERT_TRUE(form.newPlan("10.0.0.0/8"));
    ASSERT_TRUE(form.openFile("/plans/a.mqplan"));
    EXPECT_TRUE(form.plan() == saved);
    EXPECT_EQ(block(child(root(), 0)).name, "office");
    EXPECT_FALSE(form.canUndo());  // a fresh history for the opened plan
    EXPECT_TRUE(sv.messages.empty());
}

TEST_F(PlannerFormTest, FailuresNameTheirCauseAndChangeNothing)
{
    savedPlan();
    const plan::Plan before = form.plan();
    ASSERT_TRUE(form.split(child(root(), 0), 2));

    // A write that fails keeps the plan unsaved and says why.
    sv.unwritable["/ro/b.mqplan"] = "Permission denied";
    sv.fileNames.push_back("/ro/b.mqplan");
    EXPECT_FALSE(form.saveAs());
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("/ro/b.mqplan"), std::string::npos);
    EXPECT_NE(sv.messages[0].find("Permission denied"), std::string::npos);
    EXPECT_TRUE(form.isModified());
    EXPECT_EQ(form.filePath(), "/plans/a.mqplan");
    const plan::Plan edited = form.plan();

    // Unreadable and bad documents: the open plan and its history stay.
    sv.unreadable["/x.mqplan"] = "Is a directory";
    sv.files["/bad.mqplan"] = "{\"format\": 1, \"blocks\": [}";
    for (const char* name : {"/x.mqplan", "/bad.mqplan", "/missing.mqplan"}) {
        sv.messages.clear();
        EXPECT_FALSE(form.openFile(name)) << name;
        ASSERT_EQ(sv.messages.size(), 1u) << name;
        EXPECT_NE(sv.messages[0].find(name), std::string::npos) << sv.messages[0];
        EXPECT_TRUE(form.plan() == edited) << name;
        EXPECT_TRUE(form.canUndo()) << name;
    }
    EXPECT_NE(sv.messages[0].find("No such file"), std::string::npos);
    // A bad document's message names the place inside it.
    sv.messages.clear();
    form.openFile("/bad.mqplan");
    EXPECT_NE(sv.messages[0].find("$"), std::string::npos) << sv.messages[0];
    EXPECT_FALSE(before == edited);
}

// The question before unsaved changes are lost, for each way they could be.
struct DiscardCase {
    const char* what;
    Answer answer;
    bool proceeds;
    bool saved;
};

class DiscardQuestion : public PlannerFormTest, public ::testing::WithParamInterface<DiscardCase> { };

TEST_P(DiscardQuestion, YesSavesNoDiscardsCancelKeeps)
{
    const DiscardCase& c = GetParam();
    for (int action = 0; action < 3; ++action) {
        sv = FakePlannerServices{};
        savedPlan();
        ASSERT_TRUE(form.split(child(root(), 1), 4));
        const plan::Plan edited = form.plan();
        sv.answers.push_back(c.answer);
        bool done = false;
        if (action == 0) {
            sv.prompts.push_back("172.16.0.0/12");
            done = form.newPlan();
        } else if (action == 1) {
            sv.files["/other.mqplan"] = plan::writeDocument(plan::Plan(net::Prefix{net::Address::v4(0xAC100000u), 12}));
            sv.fileNames.push_back("/other.mqplan");
            done = form.open();
        } else {
            done = form.queryClose();
        }
        EXPECT_EQ(sv.questions.size(), 1u) << c.what << action;
        EXPECT_EQ(done, c.proceeds) << c.what << action;
        plan::Plan onDisk = std::get<plan::Plan>(plan::readDocument(sv.files["/plans/a.mqplan"]));
        EXPECT_EQ(onDisk == edited, c.saved) << c.what << action;
        if (!c.proceeds) {
            EXPECT_TRUE(form.plan() == edited) << c.what << action;
        }
        if (c.proceeds && action < 2) {
            EXPECT_EQ(prefixOf(root()), "172.16.0.0/12") << c.what << action;
        }
    }
    // Nothing unsaved: no question at all.
    sv.questions.clear();
    form.openFile("/plans/a.mqplan");
    EXPECT_TRUE(form.queryClose());
    EXPECT_TRUE(sv.questions.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, DiscardQuestion,
                         ::testing::Values(DiscardCase{"yes", Answer::Yes, true, true},
                                           DiscardCase{"no", Answer::No, true, false},
                                           DiscardCase{"cancel", Answer::Cancel, false, false}));

TEST_F(PlannerFormTest, SaveRefusedOnYesKeepsThePlan)
{
    ASSERT_TRUE(form.split(root(), 2));
    sv.answers.push_back(Answer::Yes);
    sv.fileNames.push_back(std::nullopt);  // Save As cancelled
    EXPECT_FALSE(form.queryClose());
    EXPECT_TRUE(form.isModified());
}

TEST_F(PlannerFormTest, SplitJoinUndoRedo)
{
    ASSERT_TRUE(form.newPlan("2001:db8::/32"));
    ASSERT_TRUE(form.split(root(), 4));
    ASSERT_EQ(block(root()).children.size(), 4u);
    EXPECT_EQ(prefixOf(child(root(), 3)), "2001:db8:c000::/34");
    ASSERT_TRUE(form.split(child(root(), 3), 2));
    EXPECT_FALSE(form.undoText().empty());

    // Join on a leaf joins its parent's parts.
    const BlockId leaf = child(child(root(), 3), 1);
    ASSERT_TRUE(form.join(leaf));
    EXPECT_TRUE(block(child(root(), 3)).children.empty());
    ASSERT_TRUE(form.undo());
    EXPECT_EQ(block(child(root(), 3)).children.size(), 2u);
    ASSERT_TRUE(form.undo());
    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(block(root()).children.empty());
    EXPECT_FALSE(form.undo());
    EXPECT_FALSE(form.isModified());  // back at the state of the new plan
    ASSERT_TRUE(form.redo());
    EXPECT_EQ(block(root()).children.size(), 4u);
    EXPECT_TRUE(form.canRedo());
    // A new change drops what could be redone.
    ASSERT_TRUE(form.rename(root(), "lab"));
    EXPECT_FALSE(form.canRedo());

    // Refused: the root has no parts; a /128 cannot be split. Said, not recorded.
    ASSERT_TRUE(form.newPlan("2001:db8::1/128"));
    EXPECT_FALSE(form.split(root(), 2));
    EXPECT_FALSE(form.join(root()));
    EXPECT_EQ(sv.messages.size(), 2u);
    EXPECT_FALSE(form.canUndo());
}

TEST_F(PlannerFormTest, RootAndPartsTextsAreChecked)
{
    for (const char* bad : {"10.0.0.0/33", "10.0.0.1-10.0.0.9", "", "01.2.3.4/8"}) {
        sv.messages.clear();
        EXPECT_FALSE(form.newPlan(std::string(bad))) << bad;
        EXPECT_EQ(sv.messages.size(), 1u) << bad;
        EXPECT_EQ(prefixOf(root()), "10.0.0.0/8") << bad;
    }
    EXPECT_EQ(partsOf("8"), 8);
    EXPECT_EQ(partsOf(" 65536 "), 65536);
    for (const char* bad : {"1", "3", "131072", "x", "", "-2", "4.0"})
        EXPECT_EQ(partsOf(bad), 0) << bad;
    sv.prompts.push_back("6");
    EXPECT_FALSE(form.splitPrompt(root()));
    sv.prompts.push_back("16");
    EXPECT_TRUE(form.splitPrompt(root()));
    EXPECT_EQ(block(root()).children.size(), 16u);
}

TEST_F(PlannerFormTest, AllocationPlacesListsAndUndoesAsOne)
{
    ASSERT_TRUE(form.newPlan("192.168.10.0/24"));
    ASSERT_TRUE(form.allocate(root(), "servers, 50\nbad line without hosts\nphones, 20\nhuge, 9000\n"));
    const auto& lines = form.allocationLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("Line 2: ", 0), 0u) << lines[0];
    // Placed largest first, listed in the order typed.
    EXPECT_EQ(lines[1], "servers: 192.168.10.0/26, hosts 192.168.10.1 - 192.168.10.62, spare 12");
    EXPECT_EQ(lines[2].rfind("phones: 192.168.10.64/27", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3].rfind("huge: does not fit", 0), 0u) << lines[3];
    auto refusing = [&] {
        std::vector<std::size_t> at;  // the lines shown as warnings
        for (std::size_t i = 0; i < form.allocationLines().size() + 1; ++i)
            if (form.allocationLineRefuses(i))
                at.push_back(i);
        return at;
    };
    EXPECT_EQ(refusing(), (std::vector<std::size_t>{0, 3}));
    ASSERT_EQ(form.allocatedBlocks().size(), 2u);
    for (BlockId id : form.allocatedBlocks())
        EXPECT_NE(block(id).state, plan::BlockState::Free);
    EXPECT_EQ(block(form.allocatedBlocks()[0]).name, "servers");
    EXPECT_EQ(cellText(form.plan(), form.allocatedBlocks()[0], ColSpare), "12");

    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(refusing().empty());
    ASSERT_TRUE(form.redo());  // the lines come back with their plan, warnings and all
    EXPECT_EQ(refusing(), (std::vector<std::size_t>{0, 3}));
    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(block(root()).children.empty());
    EXPECT_FALSE(form.allocate(root(), "# nothing\n\n"));
    EXPECT_EQ(form.allocationLines().size(), 1u);
    EXPECT_EQ(refusing(), (std::vector<std::size_t>{0}));
    EXPECT_FALSE(form.canRedo() && form.canUndo());
}

// A fresh unique local /48 offered as the root (two offers differ), and the plan's VLAN
// numbering used by the Allocate panel.
TEST_F(PlannerFormTest, FreshUlaRootAndVlanNumberedAllocation)
{
    sv.prompts = {std::nullopt, std::nullopt};
    EXPECT_FALSE(form.newUlaPlan());
    EXPECT_FALSE(form.newUlaPlan());
    ASSERT_EQ(sv.promptDefaults.size(), 2u);
    EXPECT_NE(sv.promptDefaults[0], sv.promptDefaults[1]);
    for (const std::string& offered : sv.promptDefaults) {
        const auto p = net::parsePrefix(offered, net::HostBits::Refuse);
        ASSERT_TRUE(std::holds_alternative<net::Prefix>(p)) << offered;
        EXPECT_EQ(std::get<net::Prefix>(p).length, 48);
        EXPECT_EQ(std::get<net::Prefix>(p).address.value >> 120, 0xfdu) << offered;
    }
    sv.prompts = {"10.0.0.0/16, " + sv.promptDefaults[0]};
    ASSERT_TRUE(form.newUlaPlan());
    ASSERT_TRUE(form.plan().isDualStack());
    plan::Settings s = form.plan().settings();
    s.vlanNumbering = true;
    ASSERT_TRUE(form.setSettings(s));
    ASSERT_TRUE(form.allocate(root(), "staff, 50, vlan 120\n"));
    net::Prefix want = std::get<net::Prefix>(net::parsePrefix(sv.promptDefaults[0], net::HostBits::Refuse));
    want.address.value |= net::u128{0x120} << 64;
    want.length = 64;
    const BlockId v6 = form.plan().blockOf(want);
    ASSERT_NE(v6, plan::kNoBlock) << sv.promptDefaults[0];
    EXPECT_EQ(block(v6).name, "staff");
}

TEST_F(PlannerFormTest, DualStackFreeAssignTidyEachUndoAsOne)
{
    ASSERT_TRUE(form.newPlan("10.40.0.0/16, 2001:db8:40::/48"));
    ASSERT_EQ(form.plan().roots().size(), 2u);
    EXPECT_EQ(form.allocationTargets(root()).size(), 2u);
    ASSERT_TRUE(form.allocate(root(), "staff, 300\nlink, 2\n"));
    // Each segment in both families on one result line: a link is a /31, a LAN a /64.
    ASSERT_EQ(form.allocationLines().size(), 2u);
    EXPECT_NE(form.allocationLines()[0].find("/23"), std::string::npos) << form.allocationLines()[0];
    EXPECT_NE(form.allocationLines()[0].find("2001:db8:40::/64"), std::string::npos) << form.allocationLines()[0];
    EXPECT_NE(form.allocationLines()[1].find("/31"), std::string::npos) << form.allocationLines()[1];
    const auto rows = planner::allocationRows(form.plan());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].cells[AIpv4].empty());
    EXPECT_FALSE(rows[0].cells[AIpv6].empty());
    // The report names both roots and lists the blocks of each.
    const auto report = form.reportLines();
    EXPECT_EQ(report[2], "Root blocks: 10.40.0.0/16, 2001:db8:40::/48");
    EXPECT_TRUE(std::any_of(report.begin(), report.end(),
                            [](const std::string& l) { return l.rfind("2001:db8:40::/48 ", 0) == 0; }));

    // Free, then assign by hand; each one undoable step.
    const BlockId staff = form.allocatedBlocks().at(0);
    const plan::Plan placed = form.plan();
    ASSERT_TRUE(form.freeBlock(staff));
    EXPECT_EQ(block(staff).state, plan::BlockState::Free);
    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(form.plan() == placed);
    ASSERT_TRUE(form.freeBlock(staff));
    ASSERT_TRUE(form.assign(staff, "printers, 20, floor 2, east"));
    EXPECT_EQ(block(staff).name, "printers");
    EXPECT_EQ(block(staff).hostsNeeded, 20u);
    EXPECT_EQ(block(staff).note, "floor 2, east");
    const plan::Plan assigned = form.plan();
    EXPECT_FALSE(form.assign(form.plan().freeLeaves().front(), "x, lots"));
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("\"lots\""), std::string::npos) << sv.messages[0];
    EXPECT_TRUE(form.plan() == assigned);

    // Space split by hand into free quarters still takes a block of half the root; Tidy joins.
    ASSERT_TRUE(form.newPlan("172.20.0.0/16"));
    ASSERT_TRUE(form.split(root(), 4));
    ASSERT_TRUE(form.allocate(root(), "big, 30000\n"));
    EXPECT_EQ(form.allocationLines()[0].rfind("big: 172.20.0.0/17", 0), 0u) << form.allocationLines()[0];
    ASSERT_TRUE(form.freeBlock(form.allocatedBlocks().at(0)));
    ASSERT_TRUE(form.tidy(root()));
    EXPECT_TRUE(block(root()).children.empty());
    ASSERT_TRUE(form.undo());
    EXPECT_FALSE(block(root()).children.empty());
}

// Where a column's title starts (left) or ends (right) in the header line.
std::size_t columnAt(const std::string& header, const std::string& title, bool right)
{
    const auto at = header.find(title);
    return at == std::string::npos ? at : right ? at + title.size() : at;
}

TEST_F(PlannerFormTest, ReportTablesKeepTheirColumns)
{
    ASSERT_TRUE(form.newPlan("10.1.0.0/16"));
    const std::string longName = "staff wireless for the third floor of the east wing and its annex";
    ASSERT_TRUE(form.allocate(root(), "servers, 50\n" + longName + ", 300\nlink, 2\n"));
    ASSERT_TRUE(form.setNote(form.allocatedBlocks()[0], std::string(30, 'n') + " " + std::string(30, 'o')));
    const auto lines = form.reportLines(96);
    EXPECT_EQ(lines[0], "Network plan Untitled");
    EXPECT_EQ(lines[2], "Root block: 10.1.0.0/16");
    for (const std::string& l : lines)
        EXPECT_LE(textWidth(l), 96u) << l;

    // Allocations: each value under its title, the long name wrapped in its own column.
    const auto head = std::find(lines.begin(), lines.end(), "Allocations") + 1;
    ASSERT_LT(head + 2, lines.end());
    const std::size_t prefixCol = columnAt(*head, "IPv4 prefix", false);
    const std::size_t spareEnd = columnAt(*head, "Spare", true);
    const std::size_t noteCol = columnAt(*head, "Note", false);
    ASSERT_NE(prefixCol, std::string::npos);
    std::string servers, rest;
    for (auto it = head + 2; it != lines.end() && !it->empty(); ++it) {
        if (it->rfind("servers", 0) == 0)
            servers = *it;
        if (it->rfind("staff", 0) != 0 && it->rfind("servers", 0) != 0 && it->rfind("link", 0) != 0)
            rest += *it + "|";
    }
    ASSERT_FALSE(servers.empty());
    EXPECT_EQ(servers.substr(prefixCol, 13), "10.1.2.0/26  ") << servers;
    EXPECT_EQ(servers.substr(spareEnd - 2, 2), "12") << servers;
    EXPECT_EQ(servers.substr(noteCol, 3), "nnn") << servers;
    // The name's and the note's second lines start in their columns, nothing else on them.
    EXPECT_NE(rest.find("wing"), std::string::npos) << rest;
    EXPECT_NE(rest.find(std::string(noteCol, ' ') + "ooo"), std::string::npos) << rest;

    // Blocks: the depth indents the prefix inside its column; the name column stays put.
    const auto blocks = std::find(lines.begin(), lines.end(), "Blocks") + 1;
    ASSERT_LT(blocks, lines.end());
    const std::size_t nameCol = columnAt(*blocks, "Name", false);
    const std::size_t usableEnd = columnAt(*blocks, "Usable", true);
    int checked = 0;
    for (auto it = blocks + 2; it != lines.end(); ++it) {
        if (it->rfind("10.1.0.0/16", 0) == 0) {
            EXPECT_EQ(it->substr(usableEnd - 5, 5), "65534") << *it;
            ++checked;
        } else if (it->find(" link ") != std::string::npos) {
            EXPECT_EQ(it->substr(nameCol, 5), "link ") << *it;
            EXPECT_EQ(it->substr(it->find("/3"), 2), "/3") << *it;  // a link's block, deep in the tree
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2);
}

TEST_F(PlannerFormTest, AllocationRowsCopyAndExportAsTheTableShows)
{
    ASSERT_TRUE(form.newPlan("192.168.4.0/24"));
    ASSERT_TRUE(form.allocate(root(), "cams, 20\nvoice, 100\n"));
    ASSERT_TRUE(form.setNote(form.allocatedBlocks()[1], "floor 2,\n\"west\""));
    const auto rows = planner::allocationRows(form.plan());
    ASSERT_EQ(rows.size(), 2u);
    // Address order, every fact of the block.
    EXPECT_EQ(rows[0].cells[AName], "voice");
    EXPECT_EQ(rows[0].cells[AIpv4], "192.168.4.0/25");
    EXPECT_EQ(rows[0].cells[AMask], "255.255.255.128");
    EXPECT_EQ(rows[0].cells[AFirst], "192.168.4.1");
    EXPECT_EQ(rows[0].cells[ALast], "192.168.4.126");
    EXPECT_EQ(rows[0].cells[ABroadcast], "192.168.4.127");
    EXPECT_EQ(rows[0].cells[AHosts], "100");
    EXPECT_EQ(rows[0].cells[AUsable], "126");
    EXPECT_EQ(rows[0].cells[ASpare], "26");
    EXPECT_TRUE(rows[0].cells[AIpv6].empty());
    // Numbers sort by value, not as text: 126 after 30.
    EXPECT_LT(rows[1].keys[AUsable], rows[0].keys[AUsable]);
    EXPECT_LT(rows[0].keys[AFirst], rows[1].keys[AFirst]);

    const std::string tsv = allocationsTsv(rows);
    EXPECT_EQ(tsv.substr(0, tsv.find('\n')),
              "Name\tStatus\tVLAN\tIPv4 prefix\tIPv6 prefix\tMask\tFirst\tLast\tBroadcast\tGateway\tDHCP "
              "ranges\tIPv6 gateway\tDHCPv6 ranges\tHosts asked\tNeeded\tUsable\tSpare\tNote\tIPAM");
    EXPECT_NE(tsv.find("\tfloor 2, \"west\"\t\n"), std::string::npos) << tsv;  // one line a row
    const std::string csv = plan::allocationsCsv(form.plan(), "\r\n");
    EXPECT_NE(csv.find(",\"floor 2,\n\"\"west\"\"\"\r\n"), std::string::npos) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\r'), 3);

    // The plan's rules give each block its gateway and range; a dual-stack row has the
    // IPv6 block's beside them.
    EXPECT_TRUE(rows[0].cells[AGateway].empty() && rows[0].cells[ADhcp].empty());
    plan::LayoutRules rules;
    rules.gateway = plan::GatewayRule::FirstUsable;
    rules.range = plan::RangeRule::Offsets;
    rules.rangeFrom = 10;
    rules.rangeTo = 19;
    rules.dhcp6 = plan::Dhcp6Mode::Slaac;
    ASSERT_TRUE(form.setLayoutRules(rules));
    const auto ruled = planner::allocationRows(form.plan());
    EXPECT_EQ(ruled[0].cells[AGateway], "192.168.4.1");
    EXPECT_EQ(ruled[0].cells[ADhcp], "192.168.4.10-192.168.4.19");
    EXPECT_EQ(ruled[1].cells[AGateway], "192.168.4.129");
    EXPECT_EQ(ruled[1].cells[ADhcp], "192.168.4.138-192.168.4.147");
    EXPECT_TRUE(ruled[0].cells[AGateway6].empty());
    EXPECT_LT(ruled[0].keys[ADhcp], ruled[1].keys[ADhcp]);
    EXPECT_NE(plan::allocationsCsv(form.plan(), "\n").find(",192.168.4.1,192.168.4.10-192.168.4.19,,,100,"),
              std::string::npos);
    plan::Plan campus = test::campusPlan();
    plan::Settings s = campus.settings();
    s.layout = rules;
    campus.setSettings(s);
    for (const plan::AllocationRow& r : plan::allocationRows(campus)) {
        const auto cells = plan::allocationCells(campus, r);
        const net::Prefix v4 = campus.block(r.v4).prefix, v6 = campus.block(r.v6).prefix;
        EXPECT_EQ(cells[9], net::format(net::Address::v4(static_cast<std::uint32_t>(v4.address.value + 1))));
        EXPECT_EQ(cells[11], net::format(net::Address::v6(v6.address.value + 1)));
        EXPECT_EQ(cells[12], "");  // SLAAC: no stateful range
    }
}

// The allocations table as "name status families colour" rows, the colour the IPv4
// block's, with "!" when the IPv6 block's differs.
std::vector<std::string> segmentRows(const plan::Plan& p)
{
    std::vector<std::string> out;
    for (const plan::AllocationRow& r : plan::allocationRows(p)) {
        const plan::Block& b = p.block(r.main());
        char colour[16];
        std::snprintf(colour, sizeof colour, "%x", b.colour);
        const bool differ = r.v4 != BlockId(plan::kNoBlock) && r.v6 != BlockId(plan::kNoBlock) &&
                            p.block(r.v4).colour != p.block(r.v6).colour;
        out.push_back(b.name + " " + plan::blockStatus(b) + " " + (r.v4 != plan::kNoBlock ? "4" : "") +
                      (r.v6 != plan::kNoBlock ? "6" : "") + " " + colour + (differ ? "!" : ""));
    }
    return out;
}

// A dual-stack segment is one thing: an edit of either of its blocks acts on both, and
// undo takes it back whole.
struct SegmentEdit {
    const char* what;
    bool (*edit)(PlannerForm&, FakePlannerServices&, BlockId);
    int steps;
    const char* printers;  // the printers row afterwards, "" when it is gone
};

class SegmentEdits : public PlannerFormTest, public ::testing::WithParamInterface<SegmentEdit> { };

TEST_P(SegmentEdits, ActOnBothBlocksAsOneChange)
{
    const SegmentEdit& c = GetParam();
    for (const bool fromV6 : {false, true}) {
        ASSERT_TRUE(form.newPlan("10.40.0.0/24, 2001:db8:40::/48"));
        ASSERT_TRUE(form.allocate(root(), "printers, 20\nstaff, 100\n"));
        const plan::Plan before = form.plan();
        const plan::AllocationRow printers = plan::allocationRows(before).at(1);
        ASSERT_EQ(block(printers.v4).name, "printers");
        ASSERT_TRUE(c.edit(form, sv, fromV6 ? printers.v6 : printers.v4)) << c.what << fromV6 << sv.messages.back();
        std::vector<std::string> want{"staff assigned 46 f28e2b"};
        if (*c.printers)
            want.push_back(c.printers);
        EXPECT_EQ(segmentRows(form.plan()), want) << c.what << (fromV6 ? " from IPv6" : " from IPv4");
        for (int i = 0; i < c.steps; ++i)
            ASSERT_TRUE(form.undo());
        EXPECT_TRUE(form.plan() == before) << c.what << fromV6;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SegmentEdits,
    ::testing::Values(
        SegmentEdit{"free", [](PlannerForm& f, FakePlannerServices&, BlockId id) { return f.freeBlock(id); }, 1, ""},
        SegmentEdit{"reserve", [](PlannerForm& f, FakePlannerServices&, BlockId id) { return f.reserve(id); }, 1,
                    "printers reserved 46 4e79a7"},
        SegmentEdit{"colour",
                    [](PlannerForm& f, FakePlannerServices& sv, BlockId id) {
                        sv.colours.push_back(0x123456);
                        return f.chooseColour(id);
                    },
                    1, "printers assigned 46 123456"},
        SegmentEdit{"rename",
                    [](PlannerForm& f, FakePlannerServices&, BlockId id) { return f.rename(id, "print room"); }, 1,
                    "print room assigned 46 4e79a7"},
        // Assign after Free gives the segment its block in the other family again.
        SegmentEdit{"assign",
                    [](PlannerForm& f, FakePlannerServices&, BlockId id) {
                        return f.freeBlock(id) && f.assign(id, "scanners, 10");
                    },
                    2, "scanners assigned 46 0"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(PlannerFormTest, ASegmentShortOfRoomInOneFamilyTakesNoneInTheOther)
{
    // The IPv6 root holds two /64s; huge does not fit in the IPv4 root.
    ASSERT_TRUE(form.newPlan("10.40.0.0/24, 2001:db8:40::/63"));
    ASSERT_TRUE(form.allocate(root(), "huge, 1000\nstaff, 100\nlab, 10\n"));
    const auto& lines = form.allocationLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "huge: does not fit: IPv4: needs a /22, larger than 10.40.0.0/24");
    // Placed as if huge had not been asked for: staff has the first /64, lab the second.
    EXPECT_EQ(lines[1].rfind("staff: 10.40.0.0/25, ", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("; 2001:db8:40::/64, "), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("; 2001:db8:40:1::/64, "), std::string::npos) << lines[2];
    EXPECT_EQ(segmentRows(form.plan()),
              (std::vector<std::string>{"staff assigned 46 4e79a7", "lab assigned 46 f28e2b"}));
    // Every block made is found for the window, IPv6 ones too.
    ASSERT_EQ(form.allocatedBlocks().size(), 4u);
    for (BlockId id : form.allocatedBlocks())
        EXPECT_EQ(form.plan().blockOf(block(id).prefix), id) << prefixOf(id);

    // Assign by hand is refused, naming the family, when the other family has no room left.
    const BlockId rest = form.plan().freeLeaves().at(0);
    ASSERT_EQ(prefixOf(rest), "10.40.0.144/28");
    const plan::Plan full = form.plan();
    EXPECT_FALSE(form.assign(rest, "printers, 5"));
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_EQ(sv.messages[0], "Assign 10.40.0.144/28 was not done.\n\n"
                              "The IPv6 block of printers does not fit: needs a /64; no free space is left.");
    EXPECT_TRUE(form.plan() == full);
}

// A second segment of a name already in use gets its own block in the other family, though
// it lies before the first one (and the rows pair the blocks in address order).
TEST_F(PlannerFormTest, ASecondSegmentOfOneNameGetsItsOwnOtherBlock)
{
    ASSERT_TRUE(form.newPlan("10.40.0.0/24, 2001:db8:40::/48"));
    ASSERT_TRUE(form.split(root(), 2));
    ASSERT_TRUE(form.allocate(child(root(), 1), "staff, 100\n"));
    ASSERT_TRUE(form.assign(child(root(), 0), "staff, 100"));
    for (const std::string& row : segmentRows(form.plan()))
        EXPECT_EQ(row.substr(0, 18), "staff assigned 46 ") << row;
    EXPECT_EQ(segmentRows(form.plan()).size(), 2u);
}

TEST_F(PlannerFormTest, ReservedBlocksSayReservedInTheTableTreeAndReport)
{
    ASSERT_TRUE(form.newPlan("192.168.0.0/24"));
    ASSERT_TRUE(form.allocate(root(), "servers, 50\n"));
    const BlockId kept = form.plan().freeLeaves().back();
    ASSERT_TRUE(form.reserve(kept));
    const auto rows = planner::allocationRows(form.plan());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[AStatus], "assigned");
    EXPECT_EQ(rows[1].cells[AStatus], "reserved");
    EXPECT_EQ(cellText(form.plan(), kept, ColName), "(reserved)");
    ASSERT_TRUE(form.rename(kept, "spare"));
    EXPECT_EQ(cellText(form.plan(), kept, ColName), "spare (reserved)");
    const auto report = form.reportLines();
    EXPECT_EQ(report[3], "Blocks: 5 (1 assigned, 1 reserved, 1 free)");
    EXPECT_TRUE(std::any_of(report.begin(), report.end(), [](const std::string& l) {
        return l.rfind("  192.168.0.128/25 ", 0) == 0 && l.find(" spare ") != std::string::npos &&
               l.find(" reserved ") != std::string::npos;
    })) << report[3];
}

// Messages say what was asked and which lines went how; counts read as counts.
TEST_F(PlannerFormTest, MessagesSayWhatWhichAndHowMany)
{
    struct Said {
        const char* what;
        std::function<std::string()> act;  // the text to look at
        std::string want;
    };
    auto message = [this] { return sv.messages.empty() ? std::string() : sv.messages.back(); };
    for (const Said& c : std::vector<Said>{
             {"a refusal is titled", [&] { return form.tidy(root()) ? "" : message(); },
              "Tidy 10.0.0.0/8 was not done.\n\nThere are no free neighbours to join."},
             {"the largest free block is named once",
              [&] {
                  form.newPlan("192.168.0.0/24");
                  form.split(root(), 2);
                  form.reserve(child(root(), 0));
                  form.allocate(root(), "c, 10\nd, 200\n");  // c takes 192.168.0.128/28
                  return form.allocationLines().at(1);
              },
              "d: does not fit: needs a /24; the largest free block left is 192.168.0.192/26"},
             {"an import says which lines were not placed and which were changed",
              [&] {
                  form.newPlan("10.0.0.0/16");
                  form.importText(interchange::Format::Netbox,
                                  "prefix,status,description\n10.0.1.0/24,active,servers\n10.0.2.5/24,active,lab\n"
                                  "192.168.0.0/24,active,far\n",
                                  "the file", false);
                  return message().substr(0, message().find(':') + 1);
              },
              "Imported 2 prefixes from the file (NetBox CSV); 1 line was not placed (line 4) and 1 line was "
              "changed (line 3):"},
             {"... in the singular",
              [&] {
                  form.newPlan("10.0.0.0/16");
                  form.importInUse("10.0.1.0/24\n192.168.0.0/24\n", "the list");
                  return message().substr(0, message().find(':') + 1);
              },
              "Imported 1 prefix from the list (prefix list); 1 line was not placed (line 2):"},
             {"phpIPAM's section: where to give it",
              [&] { return form.exportTo("/x.csv", ExportPhpipam) ? "" : message(); },
              "The plan cannot be exported as phpIPAM CSV.\n\nphpIPAM's import needs the name of a section: give "
              "the plan's section under Export > IPAM values, then export again."},
             {"New says several roots may be given",
              [&] {
                  sv.answers.push_back(Answer::No);  // the changes made above are not saved
                  return form.newPlan() || sv.promptTexts.empty() ? "" : sv.promptTexts.back();
              },
              "Root blocks of the new plan: one IPv4 or IPv6 prefix, or several separated by commas (for example "
              "10.0.0.0/8, or 10.0.0.0/8, 2001:db8::/32 for a dual-stack plan)"},
             {"the status line counts in the singular",
              [&] {
                  return summaryText(plan::Plan(net::Prefix{net::Address::v4(0x0A000000u), 8}), 1, 0);
              },
              "1 block, 1 leaf; selected 10.0.0.0/8"},
             {"the status line counts the leaves of every root, whichever is selected",
              [&] {
                  form.newPlan("10.40.0.0/16, 2001:db8:40::/48");
                  const BlockId v6 = form.plan().roots().at(1);
                  form.split(root(), 4);
                  form.split(v6, 2);
                  return summaryText(form.plan(), leafCount(form.plan()), v6);
              },
              "8 blocks, 6 leaves; selected 2001:db8:40::/48"},
             {"a root of IPv6 halves is counted as they are",
              [&] {
                  form.newPlan("2001:db8:40::/48");
                  form.split(root(), 2);
                  return cellText(form.plan(), root(), ColHosts) + " = " +
                         cellText(form.plan(), child(root(), 0), ColHosts) + " + ...";
              },
              "65536 /64s = 32768 /64s + ..."},
             {"a lone /33 in an IPv4 plan is refused with its line",
              [&] {
                  form.newPlan("10.0.0.0/16");
                  form.allocate(root(), "ok, 10\nlab, 10, /33\n");
                  return form.allocationLines().at(0);
              },
              "Line 2: /33 is not a prefix length of IPv4, the plan's only family"}}) {
        sv.messages.clear();
        EXPECT_EQ(c.act(), c.want) << c.what;
    }
}

}  // namespace
}  // namespace mq::planner
