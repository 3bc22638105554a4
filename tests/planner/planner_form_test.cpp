// The planner window's logic: documents and the save-changes question, edits
// and their undo, the Allocate panel, the report.
#include "planner/planner_form.h"
#include "plan/document.h"
#include "plan/allocations.h"
#include "planner/allocation_table.h"
#include "planner/text_table.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

#include <algorithm>

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

class DiscardQuestion : public PlannerFormTest, public ::testing::WithParamInterface<DiscardCase> {};

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
    ASSERT_EQ(form.allocatedBlocks().size(), 2u);
    for (BlockId id : form.allocatedBlocks())
        EXPECT_TRUE(block(id).assigned);
    EXPECT_EQ(block(form.allocatedBlocks()[0]).name, "servers");
    EXPECT_EQ(cellText(form.plan(), form.allocatedBlocks()[0], ColSpare), "12");

    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(block(root()).children.empty());
    EXPECT_FALSE(form.allocate(root(), "# nothing\n\n"));
    EXPECT_EQ(form.allocationLines().size(), 1u);
    EXPECT_FALSE(form.canRedo() && form.canUndo());
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
    EXPECT_FALSE(block(staff).assigned);
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
              "Name\tStatus\tVLAN\tIPv4 prefix\tIPv6 prefix\tMask\tFirst\tLast\tBroadcast\tHosts asked\tNeeded\tUsable\tSpare\tNote");
    EXPECT_NE(tsv.find("\tfloor 2, \"west\"\n"), std::string::npos) << tsv;  // one line a row
    const std::string csv = plan::allocationsCsv(form.plan(), "\r\n");
    EXPECT_NE(csv.find(",\"floor 2,\n\"\"west\"\"\"\r\n"), std::string::npos) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\r'), 3);
}

}  // namespace
}  // namespace mq::planner
