// The Allocate panel and `mqnet plan allocate` read the same segment files the same way:
// the same blocks placed, the same lines refused.
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/support/run_mqnet.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace mq::planner {
namespace {

using Placed = std::set<std::pair<std::string, std::string>>;  // name, prefix
using Refused = std::set<std::size_t>;  // line numbers

// Runs mqnet on the file; CSV rows with a prefix are placed, "line N" on standard error refused.
std::pair<Placed, Refused> fromMqnet(const std::string& root, const std::string& file)
{
    const mq::test::Outcome run = mq::test::runMqnet({"plan", "allocate", "--csv", root, file});
    Placed placed;
    std::istringstream rows(run.out);
    for (std::string row; std::getline(rows, row);) {
        const auto c1 = row.find(','), c2 = row.find(',', c1 + 1);
        if (c1 != std::string::npos && c2 != c1 + 1)
            placed.insert({row.substr(0, c1), row.substr(c1 + 1, c2 - c1 - 1)});
    }
    Refused refused;
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        if (const auto at = line.find(" line "); at != std::string::npos)
            refused.insert(std::stoul(line.substr(at + 6)));
    return {placed, refused};
}

std::pair<Placed, Refused> fromPanel(const std::string& root, const std::string& text)
{
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    EXPECT_TRUE(form.newPlan(root));
    form.allocate(form.plan().root(), text);
    Placed placed;
    for (plan::BlockId id : form.plan().preorder(form.plan().root()))
        if (const plan::Block& b = form.plan().block(id); b.state != plan::BlockState::Free)
            placed.insert({b.name, prefixText(b.prefix)});
    Refused refused;
    for (const std::string& line : form.allocationLines())
        if (line.rfind("Line ", 0) == 0)
            refused.insert(std::stoul(line.substr(5)));
    return {placed, refused};
}

struct Case {
    const char* root;
    std::string segments;
    std::size_t placed;  // how many blocks both must place
    Refused refused;  // and which lines both must refuse
};

TEST(AllocateAndMqnet, SameSegmentFilesSamePlacesAndRefusedLines)
{
    const Case cases[] = {
        {"10.40.0.0/16",
         "\xEF\xBB\xBF"
         "office, 100\r\nlab, 10 # the lab\r\n\r\n# a note\r\nbad line\r\nstaff, 1,000\r\nlink, 2\r\n",
         3,
         {5, 6}},
        {"10.40.0.0/16", "name\thosts\tgrowth\nservers\t500\t20%\nvoice\t250\t\n", 2, {}},
        {"192.168.0.0/24", "a, 5\n" + std::string(70000, 'x') + "\nb, 6\nc, many\n", 2, {2, 4}},
        {"2001:db8::/48", "lan, 3\nfixed, 3, , /126\nvlan, 20, vlan 30\n", 3, {}},
    };
    const mq::test::TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        const std::string file = dir.write("segments_" + std::to_string(n++), c.segments);
        const auto mqnet = fromMqnet(c.root, file);
        const auto panel = fromPanel(c.root, c.segments);
        EXPECT_EQ(panel.first, mqnet.first) << "case " << n;
        EXPECT_EQ(panel.second, mqnet.second) << "case " << n;
        EXPECT_EQ(panel.first.size(), c.placed) << "case " << n;
        EXPECT_EQ(panel.second, c.refused) << "case " << n;
    }
}

// A dual-stack segment short of room in one family names that family as mqnet does, whichever
// root is selected in the window (and so allocated into first).
TEST(AllocateAndMqnet, AShortFamilyIsNamedAlikeWhicheverRootIsSelected)
{
    const std::string segments = "staff, 1500\nlab, 10\n";
    const mq::test::TempDir dir;
    const mq::test::Outcome run =
        mq::test::runMqnet({"plan", "allocate", "--csv", "10.40.0.0/22,2001:db8:40::/48", dir.write("s", segments)});
    const std::string reason = "IPv4: needs a /21, larger than 10.40.0.0/22";
    ASSERT_NE(run.out.find("\"" + reason + "\""), std::string::npos) << run.out;
    for (const std::size_t selected : {0u, 1u}) {
        test::FakePlannerServices sv;
        PlannerForm form{sv};
        ASSERT_TRUE(form.newPlan("10.40.0.0/22, 2001:db8:40::/48"));
        form.allocate(form.plan().roots().at(selected), segments);
        ASSERT_FALSE(form.allocationLines().empty());
        EXPECT_EQ(form.allocationLines().front(), "staff: does not fit: " + reason) << "root " << selected;
    }
}

}  // namespace
}  // namespace mq::planner
