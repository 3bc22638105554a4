// The planner's Hosts table (sort orders, filters, the copied text, following the plan),
// its list of problems, and the Subnet rules as the form sets them.
#include "planner/hosts_table.h"
#include "planner/planner_form.h"
#include "planner/subnet_rules.h"
#include "tests/planner/campus_plan.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

namespace mq::planner {
namespace {

std::string names(const HostsTable& t)
{
    std::string out;
    for (std::size_t r = 0; r < t.rowCount(); ++r)
        out += (r ? " " : "") + t.cell(r, HName);
    return out;
}

class HostsTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (plan::Host& h : test::campusHosts(p))
            ASSERT_EQ(p.insertHost(p.hosts().size(), std::move(h)), "");
        table.setPlan(p);
    }
    plan::Plan p = test::campusPlan();
    HostsTable table;
};

TEST_F(HostsTableTest, SortsAndFiltersByWhatEachColumnMeans)
{
    struct Case {
        const char* filter;
        int column;
        bool descending;
        const char* expected;
    };
    const Case cases[] = {
        {"", -1, false, "gw-office printer-2 printer-10 cam-1 srv-db nas ap-east AP-west lab-router stray"},
        // Address order, not text order (10.40.1.9 before 10.40.1.10); no address: last.
        {"", HIpv4, false, "ap-east AP-west gw-office printer-10 printer-2 lab-router srv-db nas stray cam-1"},
        {"", HIpv4, true, "stray nas srv-db lab-router printer-2 printer-10 gw-office AP-west ap-east cam-1"},
        {"", HName, false, "ap-east AP-west cam-1 gw-office lab-router nas printer-10 printer-2 srv-db stray"},
        {"", HMac, false, "printer-10 ap-east printer-2 cam-1 gw-office srv-db nas AP-west lab-router stray"},
        {"", HBlock, false, "ap-east AP-west gw-office printer-2 printer-10 lab-router srv-db nas cam-1 stray"},
        {"", HRole, false, "ap-east AP-west cam-1 gw-office stray printer-2 printer-10 lab-router srv-db nas"},
        {"", HSegment, false, "cam-1 lab-router gw-office printer-2 printer-10 srv-db nas ap-east AP-west stray"},
        {"", HDuid, true, "srv-db gw-office printer-2 printer-10 cam-1 nas ap-east AP-west lab-router stray"},
        // Text in any column, any case: a name and a role, a note, a MAC as written.
        {"PRINTER", -1, false, "printer-2 printer-10"},
        {"floor", -1, false, "printer-2"},
        {"00:11:22:33:44:10", -1, false, "ap-east"},
        {"  nas ", -1, false, "nas"},
        {"no such host", -1, false, ""},
        // An address or prefix: the hosts inside it (host bits cleared), of either family.
        {"10.40.1.5/25", -1, false, "gw-office printer-2 printer-10"},
        {"10.40.0.0/23", HIpv4, true, "nas srv-db lab-router printer-2 printer-10 gw-office AP-west ap-east"},
        {"10.40.1.9", -1, false, "printer-10"},
        {"2001:db8:40::/48", -1, false, "gw-office cam-1 srv-db lab-router"},
        {"10.41.0.0/16", -1, false, ""},
    };
    for (const Case& c : cases) {
        table.setFilter(c.filter);
        table.sort(c.column, c.descending);
        EXPECT_EQ(names(table), c.expected) << '"' << c.filter << "\" column " << c.column;
    }
    // IPv6 order by value across the blocks, hosts without one after.
    table.setFilter("");
    table.sort(HIpv6, false);
    for (std::size_t r = 0; r + 1 < table.rowCount(); ++r) {
        const auto& a = p.hosts()[table.hostAt(r)].v6;
        const auto& b = p.hosts()[table.hostAt(r + 1)].v6;
        EXPECT_TRUE(!b || (a && a->value < b->value)) << r;
    }
}

TEST_F(HostsTableTest, CopiesTheRowsShownWithFormulasGuarded)
{
    table.setFilter("10.40.1.192/27");
    table.sort(HName, false);
    const std::string tsv = table.tsv();
    const std::string v6 = prefixText(p.block(test::segmentBlock(p, "servers", net::Family::V6)).prefix);
    EXPECT_EQ(tsv, "Name\tIPv4\tIPv6\tMAC\tDUID\tRole\tBlock\tSegment\tNote\n"
                   "nas\t10.40.1.197\t\t\t\tserver\t10.40.1.192/27\tservers\tbackup nightly\n"
                   "srv-db\t10.40.1.196\t" +
                       net::format(test::at(p, "servers", net::Family::V6, 4)) +
                       "\t\t00:01:00:01:aa:bb\tserver\t10.40.1.192/27, " + v6 + "\tservers\t'=SUM(A1)\n");
    // The row's block: its IPv4 one, else the IPv6 one, none for a host outside every block.
    table.setFilter("");
    table.sort(-1, false);
    EXPECT_EQ(table.blockOf(0), test::segmentBlock(p, "office", net::Family::V4));
    EXPECT_EQ(table.blockOf(3), test::segmentBlock(p, "lab", net::Family::V6));
    EXPECT_EQ(table.blockOf(9), plan::kNoBlock);
    EXPECT_EQ(table.cell(9, HBlock), "");

    test::FakePlannerServices sv;
    PlannerForm form(sv);
    form.copyHosts(table);
    EXPECT_EQ(sv.clipboard, table.tsv());
    EXPECT_EQ(std::count(sv.clipboard.begin(), sv.clipboard.end(), '\n'), 11);
}

TEST_F(HostsTableTest, FollowsThePlanKeepingSortAndFilter)
{
    table.setFilter("office");
    table.sort(HIpv4, true);
    EXPECT_FALSE(table.setPlan(p));  // nothing changed
    ASSERT_EQ(p.setName(test::segmentBlock(p, "office", net::Family::V4), "staff"), "");
    EXPECT_FALSE(table.isCurrent(p));
    EXPECT_TRUE(table.setPlan(p));
    EXPECT_EQ(names(table), "gw-office");  // the segment is "staff" now; gw-office keeps its name
    table.setFilter("staff");
    EXPECT_EQ(names(table), "printer-2 printer-10 gw-office");
    ASSERT_EQ(
        p.insertHost(0, test::host("desk-1", test::at(p, "staff", net::Family::V4, 20), {}, plan::HostRole::Other)),
        "");
    EXPECT_TRUE(table.setPlan(p));
    EXPECT_EQ(names(table), "desk-1 printer-2 printer-10 gw-office");
    EXPECT_EQ(table.rowOf(0), std::optional<std::size_t>(0));  // desk-1 is host 0 now
    EXPECT_EQ(table.rowOf(4), std::nullopt);  // cam-1, filtered out
    EXPECT_EQ(table.hostCount(), 11u);
    // Changed and not yet shown to the table: a filter typed then reads the plan as it is.
    ASSERT_EQ(p.setName(test::segmentBlock(p, "staff", net::Family::V4), "front desk"), "");
    table.setFilter("front desk");
    EXPECT_EQ(names(table), "desk-1 printer-2 printer-10 gw-office");
}

// Hosts replaced or appended move to their rows one by one: after every edit, under every
// sort and filter, the rows are those of a table made afresh.
TEST_F(HostsTableTest, EditsPlacedOneByOneGiveTheRowsOfATableMadeAfresh)
{
    struct View {
        const char* filter;
        int column;
        bool descending;
    };
    const View views[] = {{"", -1, false},
                          {"", HName, false},
                          {"", HIpv4, true},
                          {"printer", HIpv6, false},
                          {"10.40.0.0/16", HMac, true},
                          {"", HBlock, false},
                          {"2001:db8::/32", HRole, true}};
    const std::size_t campus = p.hosts().size();
    for (const View& v : views) {
        SCOPED_TRACE(std::string(v.filter) + " " + std::to_string(v.column));
        plan::Plan q = p;
        HostsTable live;
        live.setFilter(v.filter);
        live.sort(v.column, v.descending);
        live.setPlan(q);
        std::uint32_t seed = 7;
        auto next = [&seed](std::uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
        for (int step = 0; step < 60; ++step) {
            const std::size_t i = next(static_cast<std::uint32_t>(q.hosts().size()));
            plan::Host h = q.hosts()[next(static_cast<std::uint32_t>(campus))];  // another's values: ties and moves
            h.name = (next(2) ? "printer-" : "desk-") + std::to_string(step);
            if (next(3) == 0)
                h.mac.reset();
            ASSERT_EQ(next(4) == 0 ? q.insertHost(q.hosts().size(), std::move(h)) : q.setHost(i, std::move(h)), "");
            ASSERT_TRUE(live.setPlan(q));
            ASSERT_FALSE(live.rebuilt());
            HostsTable fresh;
            fresh.setFilter(v.filter);
            fresh.sort(v.column, v.descending);
            fresh.setPlan(q);
            ASSERT_EQ(names(live), names(fresh)) << "after step " << step;
            ASSERT_EQ(live.tsv(), fresh.tsv());
        }
        q.eraseHost(0);  // indices move: made afresh
        EXPECT_TRUE(live.setPlan(q));
        EXPECT_TRUE(live.rebuilt());
    }
}

TEST_F(HostsTableTest, ProblemsAreCheckedAgainOnlyWhenTheRevisionMovesOn)
{
    CheckList checks;
    EXPECT_TRUE(checks.update(p, 1));
    const auto expected = plan::checkSubnets(p);
    ASSERT_FALSE(expected.empty());  // stray lies in no assigned block
    EXPECT_EQ(checks.problems().size(), expected.size());
    EXPECT_EQ(checks.problems()[0].message, expected[0].message);
    EXPECT_EQ(checks.summary(), countText(expected.size(), "problem", "problems"));
    p.eraseHost(9);
    EXPECT_FALSE(checks.update(p, 1));
    EXPECT_EQ(checks.problems().size(), expected.size());
    EXPECT_TRUE(checks.update(p, 2));
    EXPECT_EQ(checks.problems().size(), plan::checkSubnets(p).size());
    if (checks.problems().empty()) {
        EXPECT_EQ(checks.summary(), "No problems found");
    }
}

TEST(SubnetRules, SetAsOneUndoableChangeOrRefusedWithTheReason)
{
    test::FakePlannerServices sv;
    PlannerForm form(sv);
    ASSERT_TRUE(form.newPlan("10.0.0.0/16"));
    auto rules = [](int kept, plan::RangeRule range, net::u128 from, net::u128 to) {
        plan::LayoutRules r;
        r.gateway = plan::GatewayRule::LastUsable;
        r.kept = kept;
        r.range = range;
        r.rangeFrom = from;
        r.rangeTo = to;
        r.dhcp6 = plan::Dhcp6Mode::Both;
        return r;
    };
    struct Case {
        plan::LayoutRules rules;
        const char* refusal;  // "" when taken
    };
    const Case cases[] = {
        {rules(-1, plan::RangeRule::None, 0, 0), "from 0 to 1024"},
        {rules(1025, plan::RangeRule::None, 0, 0), "from 0 to 1024"},
        {rules(2, plan::RangeRule::Offsets, 0, 10), ""},  // cut to the first address a block can lease
        {rules(2, plan::RangeRule::Offsets, 200, 100), "first offset (200) above its last (100)"},
        {rules(2, plan::RangeRule::Offsets, 100, 100), ""},
        {rules(4, plan::RangeRule::UpperHalf, 0, 0), ""},
    };
    for (const Case& c : cases) {
        const plan::Settings before = form.plan().settings();
        sv.messages.clear();
        sv.ruleAnswers.push_back(c.rules);
        const bool taken = form.editSubnetRules();
        EXPECT_EQ(taken, *c.refusal == '\0') << c.refusal;
        if (taken) {
            EXPECT_EQ(form.plan().settings().layout, c.rules);
            EXPECT_TRUE(sv.messages.empty());
            ASSERT_TRUE(form.undo());
            EXPECT_EQ(form.plan().settings(), before);
            ASSERT_TRUE(form.redo());
        } else {
            EXPECT_EQ(form.plan().settings(), before);
            ASSERT_EQ(sv.messages.size(), 1u);
            EXPECT_NE(sv.messages[0].find(c.refusal), std::string::npos) << sv.messages[0];
        }
    }
    EXPECT_FALSE(form.editSubnetRules());  // cancelled
    EXPECT_EQ(cloudRulesNote(plan::CloudMode::None), "");
    EXPECT_EQ(cloudRulesNote(plan::CloudMode::Aws).rfind("AWS fixes these for IPv4 blocks", 0), 0u);
}

}  // namespace
}  // namespace mq::planner
