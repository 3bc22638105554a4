// Workbooks in the planner: the sheet asked for when there are several, the rows of the one
// read named by sheet and row, the table a dropped workbook holds told by its header row, and
// a file that is no workbook refused.
#include "planner/planner_form.h"
#include "planner/subnet_form.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace mq::planner {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A plan of 10.40.0.0/16 with office at 10.40.0.0/26, selected in the subnet panel.
class PlannerSheets : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.newPlan("10.40.0.0/16"));
        ASSERT_TRUE(form.allocate(form.plan().root(), "office, 50\n"));
        subnet.select(form.plan().blockOf(net::Prefix{net::Address::v4(0x0A280000u), 26}));
    }
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    SubnetForm subnet{form, sv};
};

TEST_F(PlannerSheets, TheSheetPickedIsReadAndItsRowsNamed)
{
    sv.workbooks["/in/site.xlsx"] = {{"Plan", Rows{{"name", "hosts"}}},
                                     {"Used", Rows{{"prefix", "name"}, {"10.40.1.0/24", "web"}, {}, {"10.40.2.5/24"}}}};
    sv.workbooks["/in/ipam.xlsx"] = {
        {"Subnets", Rows{{"Section", "Subnet", "Mask", "Description"}, {"LAN", "10.40.3.0", "24", "Lab"}}}};
    sv.workbooks["/in/hosts.xlsx"] = {{"hosts", Rows{{"name", "ipv4"}, {"pc", "10.40.0.5"}, {"far", "10.9.0.1"}}}};
    sv.workbooks["/in/panel.xlsx"] = {{"A", Rows{{"host name", "ipv4"}, {"cam", "10.40.0.7"}, {"x", "10.41.0.1"}}}};
    sv.files["/in/fake.xlsx"] = "name,hosts\n";
    auto file = [&](const char* path) { sv.fileNames.push_back(std::string(path)); };
    const struct {
        const char* what;
        std::function<bool()> act;
        std::optional<std::string> answer;  // to the question which sheet
        bool done;
        std::size_t asked;  // questions so far
        std::string said;  // the message, or the subnet panel's status ("" for none)
    } cases[] = {
        {"in-use prefixes from the sheet picked", [&] { return file("/in/site.xlsx"), form.importInUseFile(); }, "Used",
         true, 1,
         "Imported 1 prefix from /in/site.xlsx sheet \"Used\" (prefix list); 1 row was not placed (row 4):\n"
         "sheet \"Used\" row 4: \"10.40.2.5/24\" has host bits set; did you mean 10.40.2.0/24?"},
        {"the question cancelled", [&] { return file("/in/site.xlsx"), form.importInUseFile(); }, std::nullopt, false,
         2, ""},
        {"a dropped workbook of one sheet: no question, phpIPAM told by its header",
         [&] { return form.importDroppedFile("/in/ipam.xlsx"); }, std::nullopt, true, 2, ""},
        {"hosts", [&] { return file("/in/hosts.xlsx"), form.importHostsFile(interchange::HostFormat::Csv); },
         std::nullopt, true, 2,
         "Imported 1 host from /in/hosts.xlsx sheet \"hosts\"; 1 row was not placed (row 3):\n"
         "sheet \"hosts\" row 3: far: 10.9.0.1 lies in no assigned block"},
        {"the subnet panel's hosts", [&] { return file("/in/panel.xlsx"), subnet.importFile(); }, std::nullopt, true, 2,
         "1 host added from panel.xlsx sheet \"A\"; 1 row refused: sheet \"A\" row 3: IPv4 address \"10.41.0.1\": "
         "10.41.0.1 lies outside 10.40.0.0/26"},
        {"no workbook", [&] { return form.importFile(interchange::Format::List, "/in/fake.xlsx", false); },
         std::nullopt, false, 2, "/in/fake.xlsx could not be read.\n\nnot an XLSX workbook (not a zip archive)"},
    };
    for (const auto& c : cases) {
        sv.sheetAnswers.clear();
        sv.sheetAnswers.push_back(c.answer);
        const std::size_t messages = sv.messages.size();
        const std::string status = subnet.status();
        EXPECT_EQ(c.act(), c.done) << c.what;
        EXPECT_EQ(sv.sheetChoices.size(), c.asked) << c.what;
        const std::string said = sv.messages.size() > messages ? sv.messages.back()
                                 : subnet.status() != status   ? subnet.status()
                                                               : "";
        EXPECT_EQ(said, c.said) << c.what;
    }
    EXPECT_EQ(sv.sheetChoices.front(), (std::vector<std::string>{"Plan", "Used"}));
    std::vector<std::string> placed;
    for (const plan::BlockId id : form.plan().leaves())
        if (const plan::Block& b = form.plan().block(id); b.state != plan::BlockState::Free)
            placed.push_back(prefixText(b.prefix) + " " + b.name);
    EXPECT_EQ(placed, (std::vector<std::string>{"10.40.0.0/26 office", "10.40.1.0/24 web", "10.40.3.0/24 Lab"}));
    EXPECT_EQ(form.plan().hosts().size(), 2u);
}

// As a new plan, the question about unsaved work comes first, then which sheet, then the roots.
TEST(PlannerSheetsNewPlan, ANewPlanFromASheetAsksFirstAboutUnsavedWork)
{
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    ASSERT_TRUE(form.newPlan("10.0.0.0/16"));
    ASSERT_TRUE(form.allocate(form.plan().root(), "lab, 10\n"));
    sv.workbooks["/in/nb.xlsx"] = {{"Notes", Rows{{"x"}}},
                                   {"Prefixes", Rows{{"prefix", "status"}, {"10.60.1.0/24", "active"}}}};
    sv.answers = {planner::Answer::Cancel, planner::Answer::No};
    sv.fileNames = {std::string("/in/nb.xlsx"), std::string("/in/nb.xlsx")};
    EXPECT_FALSE(form.importFormatFile(interchange::Format::Netbox, true));
    EXPECT_EQ(sv.questions.size(), 1u);
    EXPECT_EQ(sv.sheetChoices.size(), 0u);
    sv.sheetAnswers = {std::string("Prefixes")};
    sv.prompts = {std::string("10.60.0.0/16")};
    ASSERT_TRUE(form.importFormatFile(interchange::Format::Netbox, true));
    EXPECT_EQ(sv.questions.size(), 2u);
    EXPECT_EQ(sv.sheetChoices.size(), 1u);
    EXPECT_EQ(sv.promptDefaults, (std::vector<std::string>{"10.60.1.0/24"}));
    EXPECT_EQ(prefixText(form.plan().block(form.plan().root()).prefix), "10.60.0.0/16");
    EXPECT_NE(form.plan().blockOf(net::Prefix{net::Address::v4(0x0A3C0100u), 24}), plan::kNoBlock);
}

// Every import from a file reads it aside (off the window's thread), after its questions; a
// read cancelled changes nothing and says nothing, and a sheet's read stops at the row it is
// cancelled on. Read to its end, the same import is applied.
TEST_F(PlannerSheets, EveryImportReadsAsideAndACancelledReadChangesNothing)
{
    sv.workbooks["/in/used.xlsx"] = {{"Notes", Rows{{"x"}}}, {"Used", Rows{{"prefix"}, {"10.40.1.0/24"}}}};
    sv.workbooks["/in/ipam.xlsx"] = {{"S", Rows{{"Section", "Subnet", "Mask"}, {"LAN", "10.40.3.0", "24"}}}};
    sv.workbooks["/in/hosts.xlsx"] = {{"h", Rows{{"name", "ipv4"}, {"pc", "10.40.0.5"}, {"nas", "10.40.0.6"}}}};
    sv.workbooks["/in/panel.xlsx"] = {{"A", Rows{{"host name", "ipv4"}, {"cam", "10.40.0.7"}}}};
    sv.files["/in/nb.csv"] = "prefix,status\n10.40.4.0/24,active\n";
    sv.files["/in/hosts.csv"] = "name,ipv4\nprinter,10.40.0.9\n";
    sv.files["/in/panel.txt"] = "host name\tipv4\nclock\t10.40.0.10\n";
    using interchange::Format;
    auto file = [&](const char* path) { sv.fileNames.push_back(std::string(path)); };
    const struct {
        const char* path;
        std::function<bool()> act;
        std::size_t rows;  // the records a sheet's read hands on (a file's read counts none)
    } cases[] = {
        {"/in/used.xlsx", [&] { return file("/in/used.xlsx"), form.importInUseFile(); }, 2},
        {"/in/ipam.xlsx", [&] { return form.importDroppedFile("/in/ipam.xlsx"); }, 2},
        {"/in/hosts.xlsx", [&] { return file("/in/hosts.xlsx"), form.importHostsFile(interchange::HostFormat::Csv); },
         3},
        {"/in/panel.xlsx", [&] { return file("/in/panel.xlsx"), subnet.importFile(); }, 2},
        {"/in/nb.csv", [&] { return form.importFile(Format::Netbox, "/in/nb.csv", false); }, 0},
        {"/in/hosts.csv", [&] { return file("/in/hosts.csv"), form.importHostsFile(interchange::HostFormat::Csv); }, 0},
        {"/in/panel.txt", [&] { return file("/in/panel.txt"), subnet.importFile(); }, 0},
    };
    for (const auto& c : cases) {
        for (const bool cancel : {true, false}) {
            sv.cancelReads = cancel;
            sv.sheetAnswers = {std::string("Used")};
            const std::size_t messages = sv.messages.size(), reads = sv.reads.size();
            const std::uint64_t revision = form.revision();
            const std::string status = subnet.status();
            EXPECT_EQ(c.act(), !cancel) << c.path;
            ASSERT_EQ(sv.reads.size(), reads + 1) << c.path;
            EXPECT_EQ(sv.reads.back().file, c.path);
            EXPECT_EQ(sv.reads.back().sheetQuestions, sv.sheetChoices.size()) << c.path << ": asked after the read";
            EXPECT_EQ(sv.reads.back().rows, cancel ? std::min<std::size_t>(c.rows, 1) : c.rows) << c.path;
            if (cancel) {
                EXPECT_EQ(form.revision(), revision) << c.path;
                EXPECT_EQ(sv.messages.size(), messages) << c.path;
                EXPECT_EQ(subnet.status(), status) << c.path;
            } else {
                EXPECT_GT(form.revision(), revision) << c.path;
            }
        }
    }
    EXPECT_EQ(sv.sheetChoices.size(), 2u);  // used.xlsx's two sheets, once a read
    EXPECT_EQ(form.plan().hosts().size(), 5u);
    for (const std::uint32_t net : {0x0A280100u, 0x0A280300u, 0x0A280400u})
        EXPECT_NE(form.plan().blockOf(net::Prefix{net::Address::v4(net), 24}), plan::kNoBlock);
}

}  // namespace
}  // namespace mq::planner
