// Plans out through each format and back in through the import: what must come back does.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "interchange/plan_adapter.h"
#include "interchange/prefix_list.h"
#include "interchange_helpers.h"
#include "net/parse.h"
#include "plan/commands.h"
#include "plan/document.h"
#include "random_plan.h"

namespace mq::interchange {
namespace {

using test::P;

using Leaf = std::tuple<std::string, std::string, std::string, int, bool, std::uint32_t, bool>;

// The leaves as a set of (prefix, name, note, vlan, reserved, colour, assigned).
std::set<Leaf> leavesOf(const plan::Plan& plan, bool assignedOnly, bool colours)
{
    std::set<Leaf> out;
    for (plan::BlockId id : plan.leaves()) {
        const plan::Block& b = plan.block(id);
        if (assignedOnly && b.state == plan::BlockState::Free)
            continue;
        out.emplace(net::formatNetwork(b.prefix), b.name, b.note, b.vlan, b.state == plan::BlockState::Reserved,
                    colours ? b.colour : 0, b.state != plan::BlockState::Free);
    }
    return out;
}

plan::Plan imported(const plan::Plan& like, Format format, const std::string& text)
{
    plan::Plan out(like.block(like.roots()[0]).prefix);
    for (std::size_t i = 1; i < like.roots().size(); ++i)
        EXPECT_EQ(out.addRoot(like.block(like.roots()[i]).prefix), "");
    ImportRead read = readForImport(format, text);
    EXPECT_EQ(read.error, "");
    EXPECT_TRUE(read.notices.empty()) << describe(read.notices.front());
    EXPECT_TRUE(plan::checkImport(out, read.items).refused.empty());
    plan::History h;
    EXPECT_EQ(h.run(out, plan::makeImport(read.items)), "");
    keepValues(out, read.values);
    return out;
}

// Random plans of both families with VLANs, reserved blocks, quoted names and notes of
// several lines: NetBox CSV gives back the same assigned prefixes, names, notes, VLANs.
TEST(PlanInterchange, NetboxRoundTripKeepsAssignedBlocks)
{
    for (unsigned seed = 0; seed < 30; ++seed) {
        plan::Plan plan = test::randomPlan(seed, true);
        ASSERT_EQ(plan.addRoot(P("2001:db8::/48")), "");
        const plan::BlockId v6 = plan.roots()[1];
        ASSERT_EQ(plan.split(v6, 16), "");
        ASSERT_EQ(plan.setAssigned(plan.block(v6).children[3], true), "");
        int n = 0;
        for (plan::BlockId id : plan.leaves()) {
            if (plan.block(id).state == plan::BlockState::Free)
                continue;
            if (++n % 2) {
                ASSERT_EQ(plan.setVlan(id, 1 + (n * 37 + static_cast<int>(seed)) % 4094), "");
            }
            if (n % 3 == 0) {
                ASSERT_EQ(plan.setReserved(id, true), "");
            }
        }
        PlanValues values = valuesOf(plan);
        values.ipam.tenant = "ACME, Inc.";
        values.ipam.tags = {"imported", "lab"};
        const WriteResult csv = exportPlan(plan, Format::Netbox, values);
        ASSERT_EQ(csv.error, "");
        const plan::Plan back = imported(plan, Format::Netbox, csv.text);
        EXPECT_EQ(leavesOf(back, true, false), leavesOf(plan, true, false)) << seed;
        EXPECT_EQ(back.ipamValues().tenant, "ACME, Inc.");
        EXPECT_EQ(back.ipamValues().tags, values.ipam.tags);
    }
}

// visualsubnetcalc JSON and link give back the same leaves, names and colours and the cloud
// mode; splits into four come back as halves of halves, which hold the same leaves.
TEST(PlanInterchange, VscRoundTripKeepsTreeNamesAndColours)
{
    for (unsigned seed = 0; seed < 30; ++seed) {
        plan::Plan plan = test::randomPlan(seed, false);
        plan::Settings s;
        s.cloud = plan::CloudMode::Azure;
        plan.setSettings(s);
        std::set<Leaf> want;
        for (const Leaf& l : leavesOf(plan, false, true)) {
            Leaf w = l;
            if (std::get<1>(w).empty())
                std::get<6>(w) = false;  // the tool has no state: no text, free
            want.insert(w);
        }
        for (Format f : {Format::VscJson, Format::VscLink}) {
            const WriteResult out = exportPlan(plan, f, valuesOf(plan));
            ASSERT_EQ(out.error, "");
            const plan::Plan back = imported(plan, f, out.text);
            EXPECT_EQ(leavesOf(back, false, true), want) << seed;
            // The tool opens a plan with blocks smaller than the cloud allows only in its standard mode.
            int longest = 0;
            for (plan::BlockId id : plan.leaves())
                longest = std::max(longest, plan.block(id).prefix.length);
            EXPECT_EQ(back.settings().cloud, longest <= plan::cloudRules(plan::CloudMode::Azure).longest
                                                 ? plan::CloudMode::Azure
                                                 : plan::CloudMode::None);
        }
    }
    plan::Plan v6(P("2001:db8::/48"));
    EXPECT_EQ(exportPlan(v6, Format::VscJson, {}).error,
              "visualsubnetcalc holds IPv4 plans only, and this plan has no IPv4 root");
    ASSERT_EQ(v6.addRoot(P("10.0.0.0/16")), "");
    const WriteResult two = exportPlan(v6, Format::VscLink, {});
    ASSERT_EQ(two.notices.size(), 1u);
    EXPECT_EQ(two.notices[0].message, "2001:db8::/48 is left out: visualsubnetcalc holds one IPv4 root, 10.0.0.0/16");
}

// An IPAM's own files imported and exported again: the same prefixes with the statuses and
// values of each (NetBox's "Global" is no VRF, a comment keeps its line break), plus the
// roots as containers; never the halves the tree was split into on the way down. The
// values live in the document and go with the import's undo.
TEST(PlanInterchange, IpamFilesComeBackAsTheyWere)
{
    struct Case {
        Format format;
        const char* file;
        std::vector<const char*> roots;
        const char* expected;
    };
    const Case cases[] = {
        {Format::Netbox,
         "netbox_table_export.csv",
         {"10.70.0.0/16", "2001:db8:70::/48"},
         "prefix,status,description,vlan,tenant,role,vrf,is_pool,comments,tags\r\n"
         "10.70.0.0/16,container,,,,,,false,,core-net\r\n"
         "10.70.1.0/24,active,Staff,110,Staff Dept,Access,,false,\"Line one\nline two\",core-net\r\n"
         "10.70.2.0/24,deprecated,Old guests,,Guests Inc,Guest,guest,true,,core-net\r\n"
         "10.70.8.0/21,reserved,Later,,Staff Dept,,,false,,core-net\r\n"
         "2001:db8:70::/48,container,,,,,,false,,core-net\r\n"
         "2001:db8:70::/56,active,IPv6 floor,,,,,false,,core-net\r\n"},
        {Format::Phpipam,
         "phpipam_own_export.csv",
         {"10.80.0.0/16"},
         "Section,Subnet,Mask,Description,VLAN,Domain,VRF\r\n"
         "Campus,10.80.0.0/16,16,,,default,\r\n"
         "Campus,10.80.0.0/22,22,,,default,\r\n"
         "Campus,10.80.1.0/24,24,Staff,110,default,\r\n"
         "Campus,10.80.64.0/24,24,Lab,,default,lab\r\n"},
    };
    for (const Case& c : cases) {
        plan::Plan plan(P(c.roots[0]));
        for (std::size_t i = 1; i < c.roots.size(); ++i)
            ASSERT_EQ(plan.addRoot(P(c.roots[i])), "");
        const plan::Plan before = plan;
        const ImportRead read = readForImport(c.format, test::fixture(c.file));
        ASSERT_EQ(read.error, "") << c.file;
        EXPECT_TRUE(read.notices.empty()) << describe(read.notices.front());
        plan::History history;
        ASSERT_EQ(history.run(plan, plan::makeImport(read.items)), "");
        keepValues(plan, read.values);
        EXPECT_EQ(exportPlan(plan, c.format, valuesOf(plan)).text, c.expected) << c.file;

        const std::string document = plan::writeDocument(plan);
        auto reread = plan::readDocument(document);
        ASSERT_TRUE(std::holds_alternative<plan::Plan>(reread)) << std::get<textio::Problem>(reread).message;
        EXPECT_TRUE(std::get<plan::Plan>(reread) == plan) << c.file;
        EXPECT_EQ(plan::writeDocument(std::get<plan::Plan>(reread)), document);
        EXPECT_EQ(exportPlan(std::get<plan::Plan>(reread), c.format, valuesOf(plan)).text, c.expected);

        history.undo(plan);
        plan.setIpamValues(before.ipamValues());
        EXPECT_TRUE(plan == before) << c.file;
        EXPECT_FALSE(plan.hasBlockIpam());
        history.redo(plan);
        keepValues(plan, read.values);
        EXPECT_EQ(exportPlan(plan, c.format, valuesOf(plan)).text, c.expected) << c.file;
    }
}

TEST(PlanInterchange, PrefixListNamesWhatItRefusesByLine)
{
    const ReadResult r = readPrefixList("\xEF\xBB\xBFPrefix, Name, Note\r\n"
                                        "10.0.0.0/24, web, front end, second rack\n"
                                        "10.0.1.7  # one host\n"
                                        "\n"
                                        "10.0.2.1/24, bad\n"
                                        "2001:db8::/64,,only a note\n"
                                        "nonsense\x01, x\n"
                                        "10.0.9.0/24,\"lab, \"\"B\"\"\",a,b\n"
                                        "10.0.10.0/24,\"open\n");
    ASSERT_EQ(r.blocks.size(), 4u);
    EXPECT_EQ(r.blocks[3].name, "lab, \"B\"");
    EXPECT_EQ(r.blocks[3].note, "a,b");
    EXPECT_EQ(r.blocks[0].note, "front end, second rack");
    EXPECT_EQ(r.blocks[0].name, "web");
    EXPECT_EQ(net::formatNetwork(r.blocks[1].prefix), "10.0.1.7/32");
    EXPECT_EQ(r.blocks[1].line, 3u);
    EXPECT_EQ(r.blocks[2].note, "only a note");
    ASSERT_EQ(r.notices.size(), 3u);
    EXPECT_EQ(r.notices[2].line, 9u);
    EXPECT_EQ(describe(r.notices[0]), "line 5: \"10.0.2.1/24\" has host bits set; did you mean 10.0.2.0/24?");
    EXPECT_EQ(r.notices[1].line, 7u);
    EXPECT_NE(r.notices[1].message.find("\\x01"), std::string::npos);
}

// The report the window and mqnet print: what the reader noted and what cannot be placed,
// merged in line order, and each line counted as changed (placed with a note) or not placed.
TEST(PlanInterchange, ReportsAnImportByLine)
{
    const ImportRead read =
        readForImport(Format::Netbox, "prefix,vlan\n10.0.0.1/24,\n11.0.0.0/24,\n10.0.1.0/24,9999\n10.0.2.0/24\nx/1,\n");
    ASSERT_EQ(read.error, "");
    const plan::Plan plan(P("10.0.0.0/16"));
    const ImportReport report = reportImport(read, plan::checkImport(plan, read.items));
    std::string notes;
    for (const textio::Problem& n : report.notes)
        notes += describe(n) + "\n";
    EXPECT_EQ(notes, "line 2: \"10.0.0.1/24\": host bits cleared, read as 10.0.0.0/24\n"
                     "line 3: 11.0.0.0/24: lies outside every root; not placed\n"
                     "line 4: 10.0.1.0/24: VLAN \"9999\" is not a VLAN ID from 1 to 4094; left out\n"
                     "line 6: \"x/1\": unexpected character 'x'; the row is left out\n");
    EXPECT_EQ(report.changed, (std::set<std::size_t>{2, 4}));
    EXPECT_EQ(report.notPlaced, (std::set<std::size_t>{3, 6}));
}

}  // namespace
}  // namespace mq::interchange
