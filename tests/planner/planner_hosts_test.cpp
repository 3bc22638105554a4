// The planner's host files: a file of hosts placed into the blocks that hold them with the
// refused lines named, undone as one change; the exports written where the dialog said.
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

namespace mq::planner {
namespace {

TEST(PlannerHosts, ImportNamesRefusedLinesAndUndoesAsOne)
{
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    ASSERT_TRUE(form.newPlan("10.0.0.0/23"));
    ASSERT_TRUE(form.split(form.plan().root(), 2));
    ASSERT_TRUE(form.assign(form.plan().leaves()[0], "staff, 100"));
    sv.messages.clear();

    sv.files["/in/hosts"] = "10.0.0.5 printer\n10.0.1.9 elsewhere\n10.0.0.6\tnas nas.lab\n";
    sv.fileNames.push_back("/in/hosts");
    ASSERT_TRUE(form.importHostsFile(interchange::HostFormat::EtcHosts));
    ASSERT_EQ(form.plan().hosts().size(), 2u);
    EXPECT_EQ(form.importLines(),
              (std::vector<std::string>{"line 2: elsewhere: 10.0.1.9 lies in no assigned block",
                                        "line 3: nas: the aliases after the first name are left out (\"nas.lab\")"}));
    ASSERT_EQ(sv.messages.size(), 1u);
    EXPECT_NE(sv.messages[0].find("Imported 2 hosts from /in/hosts; 1 line was not placed (line 2):"),
              std::string::npos)
        << sv.messages[0];
    EXPECT_EQ(form.undoText(), "Import 2 hosts");

    // The export dialog's types write the host files; phpIPAM asks for its section first.
    ASSERT_TRUE(form.exportTo("/out/hosts.txt", ExportEtcHosts));
    EXPECT_EQ(sv.files["/out/hosts.txt"],
              "# Hosts of the network plan, written by Maskquill\n10.0.0.5\tprinter\n10.0.0.6\tnas\n");
    EXPECT_FALSE(form.exportTo("/out/p.csv", ExportPhpipamAddresses));
    EXPECT_EQ(sv.files.count("/out/p.csv"), 0u);

    ASSERT_TRUE(form.undo());
    EXPECT_TRUE(form.plan().hosts().empty());
    // A file with nothing to place changes nothing, and says why.
    const plan::Plan before = form.plan();
    sv.files["/in/none.csv"] = "name,ipv4\nx,192.0.2.1\n";
    sv.fileNames.push_back("/in/none.csv");
    EXPECT_FALSE(form.importHostsFile(interchange::HostFormat::Csv));
    EXPECT_TRUE(form.plan() == before);
    EXPECT_NE(sv.messages.back().find("Nothing was imported from /in/none.csv.\nline 2: x: 192.0.2.1 lies in no"),
              std::string::npos)
        << sv.messages.back();
}

}  // namespace
}  // namespace mq::planner
