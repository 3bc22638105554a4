// What the planner writes where people read it: formula-like names and notes as text in
// the CSV files a spreadsheet opens, as typed in an IPAM's file with the user told, and a
// visualsubnetcalc file's fault quoted escaped and shortened once.
#include "interchange/lzstring.h"
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/xlsx/read_back.h"
#include "textio/utf8.h"

#include <gtest/gtest.h>

#include <functional>

namespace mq::planner {
namespace {

constexpr const char* kNames = "10.0.1.0/24,=cmd|' /C calc'!A0,@SUM(A1)\n"
                               "10.0.2.0/24,+1 staff,\"-2, north\"\n";

// A window's form with a new plan of 10.0.0.0/16 open.
struct NewPlan {
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    NewPlan() { EXPECT_TRUE(form.newPlan("10.0.0.0/16")); }
};

TEST(PlannerText, SpreadsheetFilesMarkFormulasIpamFilesKeepThemAndSaySo)
{
    NewPlan p;
    auto& [sv, form] = p;
    ASSERT_TRUE(form.importInUse(kNames, "the pasted list"));
    // A prefix's own IPAM values, as an IPAM's export gives them, go back in its row.
    sv.files["/in/own.csv"] =
        "prefix,status,tenant,role,vrf\n10.0.3.0/24,active,=own,@role,-vrf\n10.0.4.0/24,active,t,r,v\n";
    sv.fileNames.push_back("/in/own.csv");
    ASSERT_TRUE(form.importFormatFile(interchange::Format::Netbox, false));
    plan::IpamValues values;
    values.tenant = "=tenant";
    values.section = "lab";
    ASSERT_TRUE(form.setIpamValues(values));
    struct Case {
        int type;
        std::vector<std::string> lines;  // each found in the file
        std::vector<std::string> told;  // each found in the message after the export
    };
    const std::vector<std::string> marked{"'=cmd|' /C calc'!A0,assigned,,10.0.1.0/24,", ",'@SUM(A1)\r\n", "'+1 staff,",
                                          ",\"'-2, north\"\r\n"};
    const Case cases[] = {
        {ExportAllocations, marked, {}},
        {ExportLeaves, marked, {}},
        {ExportNetbox,
         {"10.0.1.0/24,active,=cmd|' /C calc'!A0,,=tenant,", ",@SUM(A1),", "10.0.2.0/24,active,+1 staff,"},
         {"\n10.0.1.0/24: a spreadsheet would read the name \"=cmd|' /C calc'!A0\" as a formula; written as it is",
          "\n10.0.1.0/24: a spreadsheet would read the note \"@SUM(A1)\"",
          "\n10.0.2.0/24: a spreadsheet would read the name \"+1 staff\"",
          "\n10.0.2.0/24: a spreadsheet would read the note \"-2, north\"",
          "\n10.0.3.0/24: a spreadsheet would read the tenant \"=own\"",
          "\n10.0.3.0/24: a spreadsheet would read the role \"@role\"",
          "\n10.0.3.0/24: a spreadsheet would read the vrf \"-vrf\"",
          "\na spreadsheet would read the tenant \"=tenant\" as a formula"}},
        {ExportPhpipam,
         {"lab,10.0.1.0/24,24,=cmd|' /C calc'!A0,", "lab,10.0.3.0/24,24,,,,-vrf\r\n"},
         {"\n10.0.1.0/24: a spreadsheet would read the name \"=cmd|' /C calc'!A0\"",
          "\n10.0.3.0/24: a spreadsheet would read the vrf \"-vrf\""}},
    };
    for (const Case& c : cases) {
        sv.messages.clear();
        ASSERT_TRUE(form.exportTo("/out/x.csv", c.type)) << c.type;
        const std::string& file = sv.files["/out/x.csv"];
        for (const auto& piece : c.lines)
            EXPECT_NE(file.find(piece), std::string::npos) << c.type << ": " << piece << "\n" << file;
        ASSERT_EQ(sv.messages.size(), 1u);
        for (const auto& piece : c.told)
            EXPECT_NE(sv.messages[0].find(piece), std::string::npos) << c.type << ": " << piece << "\n"
                                                                     << sv.messages[0];
        EXPECT_EQ(sv.messages[0].find("spreadsheet") != std::string::npos, !c.told.empty()) << sv.messages[0];
    }
}

TEST(PlannerText, ExportTakesTheFormatAndTheExtensionOfTheFileTypeChosen)
{
    NewPlan p;
    auto& [sv, form] = p;
    ASSERT_TRUE(form.importInUse(kNames, "the pasted list"));
    const struct {
        int type;
        const char* typed;
        const char* written;
        const char* starts;
    } cases[] = {
        {ExportWorkbook, "/out/site", "/out/site.xlsx", "PK\x03\x04"},  // a zip, as .xlsx is
        {ExportWorkbook, "/out/site.book", "/out/site.book", "PK\x03\x04"},
        {ExportLeaves, "/out/site", "/out/site.csv", "name,status,vlan,prefix,"},
        {ExportEtcHosts, "/out/hosts", "/out/hosts.txt", ""},
        {ExportVscJson, "/out/vsc", "/out/vsc.json", "{"},
        {ExportAllocationsWorkbook, "/out/a", "/out/a.xlsx", "PK\x03\x04"},
        {ExportLeavesWorkbook, "/out/l", "/out/l.xlsx", "PK\x03\x04"},
        {ExportSubnetsWorkbook, "/out/s", "/out/s.xlsx", "PK\x03\x04"},
        {ExportHostsWorkbook, "/out/h", "/out/h.xlsx", "PK\x03\x04"},
    };
    for (const auto& c : cases) {
        sv.files.clear();
        sv.messages.clear();
        sv.exportChoices.push_back(FileChoice{c.typed, c.type});
        ASSERT_TRUE(form.exportFile()) << c.typed;
        ASSERT_EQ(sv.files.count(c.written), 1u) << c.written;
        EXPECT_EQ(sv.files[c.written].rfind(c.starts, 0), 0u) << c.written;
        ASSERT_EQ(sv.messages.size(), 1u);
        EXPECT_EQ(sv.messages[0].rfind("Exported to ", 0), 0u) << sv.messages[0];
    }
    // Each table's own workbook holds that table's sheet alone.
    for (const auto& [type, sheet] : {std::pair{ExportAllocationsWorkbook, "sheet allocations"},
                                      {ExportLeavesWorkbook, "sheet leaves"},
                                      {ExportSubnetsWorkbook, "sheet subnets"},
                                      {ExportHostsWorkbook, "sheet hosts"}}) {
        ASSERT_TRUE(form.exportTo("/out/t.xlsx", type));
        const auto read = test::readBackWorkbook(sv.files["/out/t.xlsx"]);
        if (!read)
            GTEST_SKIP() << "python3-openpyxl is not installed";
        EXPECT_EQ(std::count_if(read->begin(), read->end(), [](auto& l) { return l.rfind("sheet ", 0) == 0; }), 1);
        EXPECT_EQ(read->front(), sheet);
    }
}

// Every file type is written through the one writer: a refused write is named with its reason
// and nothing is said to be exported; a written one says where it went.
TEST(PlannerText, EveryExportTypeIsWrittenAndToldAlike)
{
    NewPlan p;
    auto& [sv, form] = p;
    ASSERT_TRUE(form.importInUse(kNames, "the pasted list"));
    sv.unwritable["/full/x"] = "No space left on device";
    for (int type : {ExportAllocations, ExportReport, ExportNetbox, ExportHosts, ExportLeavesWorkbook}) {
        sv.messages.clear();
        EXPECT_FALSE(form.exportTo("/full/x", type)) << type;
        EXPECT_EQ(sv.messages, std::vector<std::string>{"The export could not be written to /full/x\n\n"
                                                        "No space left on device"})
            << type;
        sv.messages.clear();
        ASSERT_TRUE(form.exportTo("/out/x", type)) << type;
        EXPECT_EQ(sv.files.count("/out/x"), 1u) << type;
        ASSERT_EQ(sv.messages.size(), 1u) << type;
        EXPECT_EQ(sv.messages[0].rfind("Exported to /out/x.", 0), 0u) << sv.messages[0];
    }
}

// The workbook made in two steps, as the window makes it on a worker: from its own copy of
// the plan, taken before the first row, and stopped by a cancel at any point without a byte
// written.
TEST(PlannerText, WorkbookExportReadsThePlanOfItsStartAndACancelWritesNothing)
{
    NewPlan p;
    auto& [sv, form] = p;
    EXPECT_EQ(form.startWorkbook("/out/t.csv", ExportLeaves), nullptr);
    ASSERT_TRUE(form.split(form.plan().root(), 8192));  // two of the writer's progress steps
    const plan::BlockId first = form.plan().block(form.plan().root()).children.front();
    ASSERT_TRUE(form.rename(first, "before"));
    auto job = form.startWorkbook("/out/t.xlsx", ExportLeavesWorkbook);
    std::size_t told = 0, total = 0;
    job->make([&](std::size_t done, std::size_t all) {
        told = done;
        total = all;
        EXPECT_TRUE(job->sourceReleased());
        return form.rename(first, "after " + std::to_string(done));  // edited while it is written
    });
    ASSERT_TRUE(form.finishWorkbook(*job));
    EXPECT_EQ(form.plan().block(first).name, "after 8192");
    EXPECT_EQ(told, 8192u);
    EXPECT_EQ(total, 8192u);
    ASSERT_EQ(sv.messages, std::vector<std::string>{"Exported to /out/t.xlsx."});
    if (const auto read = test::readBackWorkbook(sv.files["/out/t.xlsx"])) {  // else openpyxl is missing
        EXPECT_EQ(read->at(2).rfind("before\t", 0), 0u) << read->at(2);
    }

    const struct {
        std::function<void(WorkbookExport&)> cancel;
        bool nothingMade;
    } cancels[] = {
        {[](WorkbookExport& j) { j.cancel(), j.make(); }, true},
        {[](WorkbookExport& j) { j.make([](std::size_t, std::size_t) { return false; }); }, true},
        {[](WorkbookExport& j) { j.make(), j.cancel(); }, false},  // made, not yet written
    };
    for (const auto& c : cancels) {
        sv.files["/out/t.xlsx"] = "old";
        sv.messages.clear();
        job = form.startWorkbook("/out/t.xlsx", ExportLeavesWorkbook);
        c.cancel(*job);
        EXPECT_EQ(job->workbook().bytes.empty(), c.nothingMade);
        EXPECT_FALSE(form.finishWorkbook(*job));
        EXPECT_EQ(sv.files["/out/t.xlsx"], "old");
        EXPECT_TRUE(sv.messages.empty());
    }
}

TEST(PlannerText, VisualsubnetcalcFaultsAreQuotedEscapedOnce)
{
    const std::string key = "\xC2\x9B\x7F\u202E" + std::string(100000, 'k');
    const std::string json = "{\"config_version\": \"2\", \"base_network\": \"10.0.0.0/16\", \"subnets\": "
                             "{\"10.0.0.0/16\": {\"" +
                             key + "\": {}}}}";
    const std::string link = "https://visualsubnetcalc.com/index.html?c=1" +
                             interchange::lz::compressToEncodedURIComponent(textio::utf8ToUtf16(
                                 "{\"v\":\"2\",\"b\":\"10.0.0.0/16\",\"s\":{\"0g\":{\"" + key + "\":{}}}}"));
    for (const bool asLink : {false, true}) {
        NewPlan p;
        auto& [sv, form] = p;
        sv.messages.clear();
        if (asLink) {
            sv.pastes.push_back(link);
            EXPECT_FALSE(form.importLinkPaste(false));
        } else {
            sv.files["/in/v.json"] = json;
            sv.fileNames.push_back("/in/v.json");
            EXPECT_FALSE(form.importFormatFile(interchange::Format::VscJson, false));
        }
        ASSERT_EQ(sv.messages.size(), 1u);
        const std::string& m = sv.messages[0];
        EXPECT_LT(m.size(), 600u) << m;
        for (const char* raw : {"\xC2\x9B", "\x7F", "\u202E", "\\\\"})
            EXPECT_EQ(m.find(raw), std::string::npos) << asLink << ": " << m;
        EXPECT_NE(m.find("[\"\\xc2\\x9b\\x7f\\u{202e}kkk"), std::string::npos) << m;  // the path, escaped once
    }
}

TEST(PlannerText, ImportAndExportNoticesQuoteTheInputEscapedOnce)
{
    // The readers and writers escape what they quote: the window shows \x01, not \\x01.
    struct Case {
        bool import;
        std::string file;  // the NetBox file imported, or the list the exported plan holds
        std::string told;
    };
    const Case cases[] = {
        {true, "prefix,status\n10.0.1.0/24,\x01up\n", "10.0.1.0/24: status \"\\x01up\" is not container"},
        {false, "10.0.1.0/24,a;\\b\n", "phpIPAM refuses a description holding ; ' or \" (\"a;\\\\b\")"},
    };
    for (const Case& c : cases) {
        NewPlan p;
        auto& [sv, form] = p;
        if (c.import) {
            sv.files["/in/n.csv"] = c.file;
            sv.fileNames.push_back("/in/n.csv");
            sv.messages.clear();
            ASSERT_TRUE(form.importFormatFile(interchange::Format::Netbox, false));
        } else {
            ASSERT_TRUE(form.importInUse(c.file, "the pasted list"));
            plan::IpamValues values;
            values.section = "lab";
            ASSERT_TRUE(form.setIpamValues(values));
            sv.messages.clear();
            ASSERT_TRUE(form.exportTo("/out/p.csv", ExportPhpipam));
        }
        ASSERT_EQ(sv.messages.size(), 1u) << c.told;
        EXPECT_NE(sv.messages[0].find(c.told), std::string::npos) << sv.messages[0];
    }
}

}  // namespace
}  // namespace mq::planner
