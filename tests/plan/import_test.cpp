// Importing prefixes into a plan: what is refused and why, what is placed, and undo.
#include <gtest/gtest.h>

#include <random>

#include "plan/commands.h"
#include "plan/document.h"
#include "plan/import.h"
#include "plan_helpers.h"

namespace mq::plan {
namespace {

using test::P;

ImportItem item(std::string_view prefix, std::size_t line, BlockState state = BlockState::Assigned,
                std::string name = {}, int vlan = 0)
{
    ImportItem i;
    i.prefix = P(prefix);
    i.line = line;
    i.state = state;
    i.name = std::move(name);
    i.vlan = vlan;
    return i;
}

ImportItem container(std::string_view prefix, std::size_t line, std::string name = {})
{
    ImportItem i = item(prefix, line, BlockState::Free, std::move(name));
    i.container = true;
    return i;
}

TEST(Import, RefusesOverlapsOutsidersAndClashesAndPlacesTheRest)
{
    Plan plan(P("10.0.0.0/16"));
    ASSERT_EQ(plan.addRoot(P("2001:db8::/48")), "");
    ASSERT_EQ(plan.split(plan.root(), 4), "");
    const BlockId taken = plan.block(plan.root()).children[3];  // 10.0.192.0/18
    ASSERT_EQ(plan.setAssigned(taken, true), "");
    ASSERT_EQ(plan.setName(taken, "core"), "");
    const Plan before = plan;

    std::vector<ImportItem> items{
        item("10.0.0.0/24", 1, BlockState::Assigned, "web", 110),
        item("10.0.1.0/24", 2),
        item("10.0.1.128/25", 3),  // inside line 2: both refused
        container("10.0.0.0/17", 4, "site"),  // holds line 1: a container may
        item("192.168.0.0/24", 5),  // outside
        item("10.0.0.0/8", 6),  // holds the root
        item("10.0.200.0/24", 7),  // inside an assigned block
        item("2001:db8:0:5::/64", 8, BlockState::Reserved, "spare", 5),
        item("10.0.64.0/18", 9, BlockState::Assigned, "bad\x01name"),
        container("10.0.128.0/18", 10),  // holds nothing, split in halves
    };
    const ImportCheck check = checkImport(plan, items);
    EXPECT_EQ(check.accepted, (std::vector<std::size_t>{0, 3, 7, 9}));
    std::vector<std::pair<std::size_t, std::string>> refused;
    for (const auto& r : check.refused)
        refused.emplace_back(r.line, r.message);
    ASSERT_EQ(refused.size(), 6u);
    EXPECT_EQ(refused[0], (std::pair<std::size_t, std::string>{2, "overlaps line 3 (10.0.1.128/25, contains)"}));
    EXPECT_EQ(refused[1], (std::pair<std::size_t, std::string>{3, "overlaps line 2 (10.0.1.0/24, inside)"}));
    EXPECT_EQ(refused[2].second, "lies outside every root");
    EXPECT_EQ(refused[3].second, "holds the root 10.0.0.0/16 and more");
    EXPECT_EQ(refused[4].second, "overlaps the assigned block 10.0.192.0/18 (core)");
    EXPECT_EQ(refused[5].first, 9u);

    History history;
    ASSERT_EQ(history.run(plan, makeImport(items)), "");
    EXPECT_EQ(history.undoText(), "Import 4 prefixes");
    const BlockId web = plan.blockOf(P("10.0.0.0/24"));
    ASSERT_NE(web, kNoBlock);
    EXPECT_NE(plan.block(web).state, plan::BlockState::Free);
    EXPECT_EQ(plan.block(web).name, "web");
    EXPECT_EQ(plan.block(web).vlan, 110);
    EXPECT_EQ(plan.block(plan.blockOf(P("10.0.0.0/17"))).name, "site");
    EXPECT_EQ(plan.block(plan.blockOf(P("10.0.128.0/18"))).children.size(), 2u);
    const BlockId spare = plan.blockOf(P("2001:db8:0:5::/64"));
    ASSERT_NE(spare, kNoBlock);
    EXPECT_EQ(plan.block(spare).state, plan::BlockState::Reserved);
    EXPECT_EQ(plan.block(spare).vlan, 5);
    // The four /18s were regrouped into halves to make the /17.
    EXPECT_EQ(plan.block(plan.root()).children.size(), 2u);
    EXPECT_EQ(plan.freeLeaves().size() + 3, plan.leaves().size());

    const Plan after = plan;
    history.undo(plan);
    EXPECT_TRUE(plan == before);
    history.redo(plan);
    EXPECT_TRUE(plan == after);

    // Reserved blocks and what an IPAM is handed survive the document.
    Settings s;
    s.cloud = CloudMode::Azure;
    plan.setSettings(s);
    plan.setIpamValues({"acme", "prod", "blue", {"a", "b,c"}, "Site \"A\"", "dom", "cust"});
    const std::string doc = writeDocument(plan);
    auto read = readDocument(doc);
    ASSERT_TRUE(std::holds_alternative<Plan>(read));
    EXPECT_TRUE(std::get<Plan>(read) == plan);
    EXPECT_EQ(writeDocument(std::get<Plan>(read)), doc);

    const Plan saved = plan;
    EXPECT_EQ(history.run(plan, makeImport({items[1], items[2]})),
              "nothing to import: 10.0.1.0/24: overlaps line 3 (10.0.1.128/25, contains)");
    EXPECT_TRUE(plan == saved);
}

TEST(Import, DocumentFaultsOfTheNewKeysNameTheirPaths)
{
    const std::string head = R"({"format": "maskquill-plan", "version": 2, "roots": ["10.0.0.0/24"], )";
    const std::pair<std::string, std::string> cases[] = {
        {R"("settings": {"cloud": "aws2"}, "blocks": [{"prefix": "10.0.0.0/24"}]})", "$.settings.cloud"},
        {R"("ipam": {"tenant": "a", "tenant": "b"}, "blocks": [{"prefix": "10.0.0.0/24"}]})", "$.ipam.tenant"},
        {R"("ipam": {"tags": ["x", 3]}, "blocks": [{"prefix": "10.0.0.0/24"}]})", "$.ipam.tags[1]"},
        {R"("ipam": {"region": "x"}, "blocks": [{"prefix": "10.0.0.0/24"}]})", "$.ipam.region"},
        {R"("blocks": [{"prefix": "10.0.0.0/24", "reserved": true}]})", "$.blocks[0].reserved"},
    };
    for (const auto& [tail, path] : cases) {
        auto r = readDocument(head + tail);
        ASSERT_TRUE(std::holds_alternative<textio::Problem>(r)) << tail;
        EXPECT_EQ(std::get<textio::Problem>(r).path, path) << tail;
    }
    auto v1 = readDocument(
        R"({"format": "maskquill-plan", "version": 1, "root": "10.0.0.0/24", "ipam": {}, "blocks": [{"prefix": "10.0.0.0/24"}]})");
    ASSERT_TRUE(std::holds_alternative<textio::Problem>(v1));
    EXPECT_EQ(std::get<textio::Problem>(v1).path, "$.ipam");
}

TEST(Import, ReserveAndIpamValuesAreUndoableCommands)
{
    Plan plan(P("10.0.0.0/24"));
    ASSERT_EQ(plan.split(plan.root(), 2), "");
    const BlockId low = plan.block(plan.root()).children[0];
    const Plan before = plan;
    History h;
    ASSERT_EQ(h.run(plan, makeSetReserved(low, true)), "");
    EXPECT_EQ(plan.block(low).state, plan::BlockState::Reserved);
    EXPECT_EQ(h.run(plan, makeSetReserved(low, true)), "10.0.0.0/25 is reserved already");
    EXPECT_EQ(h.run(plan, makeSetReserved(plan.root(), true)), "10.0.0.0/24 is split: only its parts can be reserved");
    ASSERT_EQ(h.run(plan, makeFree(low)), "");
    EXPECT_NE(plan.block(low).state, plan::BlockState::Reserved);  // freeing takes the mark with the assignment
    EXPECT_NE(h.run(plan, makeSetIpamValues({"a\nb", "", "", {}, "", "", ""})), "");
    EXPECT_EQ(h.run(plan, makeSetIpamValues({"", "", "", {"core-net", "Core Network"}, "", "", ""})),
              "the tag \"Core Network\" is not a slug: NetBox looks tags up by slug; \"core-network\" would be one");
    ASSERT_EQ(h.run(plan, makeSetIpamValues({"acme", "", "", {"t"}, "", "", ""})), "");
    EXPECT_EQ(plan.ipamValues().tenant, "acme");
    h.undo(plan);
    h.undo(plan);
    EXPECT_EQ(plan.block(low).state, plan::BlockState::Reserved);
    h.undo(plan);
    EXPECT_TRUE(plan == before);
}

// Random items against a pairwise oracle: accepted exactly when inside the root, clear of
// every other leaf item (containers may hold leaves) and of the plan's assigned blocks; and
// every accepted item is then a block of exactly its prefix.
TEST(Import, RandomItemsMatchAPairwiseOracle)
{
    std::mt19937_64 rng(20);
    for (int round = 0; round < 300; ++round) {
        Plan plan(P("10.0.0.0/24"));
        test::grow(plan, rng, 6);
        std::vector<ImportItem> items;
        const int n = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < n; ++i) {
            const int len = 22 + static_cast<int>(rng() % 11);
            const std::uint32_t base = 0x0A000000u - 256 + static_cast<std::uint32_t>(rng() % 768);
            const std::uint32_t mask = len ? ~0u << (32 - len) : 0;
            ImportItem it;
            it.prefix = net::Prefix{net::Address::v4(base & mask), len};
            it.line = static_cast<std::size_t>(i + 1);
            it.container = rng() % 3 == 0 && len < 32;
            items.push_back(it);
        }
        if (round % 4 == 0)
            items.push_back(items[rng() % items.size()]);  // an equal item, maybe of another state
        auto shares = [](const net::Prefix& a, const net::Prefix& b) { return a.contains(b) || b.contains(a); };
        std::vector<std::size_t> expect;
        std::vector<std::string> clash(items.size());  // the first item each one clashes with, by number
        for (std::size_t i = 0; i < items.size(); ++i) {
            const ImportItem& a = items[i];
            const net::Prefix root = plan.block(plan.root()).prefix;
            bool ok = root.contains(a.prefix);
            for (std::size_t j = 0; j < items.size() && ok; ++j) {
                const ImportItem& b = items[j];
                if (j == i || !root.contains(b.prefix) || !shares(a.prefix, b.prefix))
                    continue;
                const bool nested = (a.container && a.prefix.length < b.prefix.length) ||
                                    (b.container && b.prefix.length < a.prefix.length);
                ok = nested;
                if (!ok)
                    clash[i] = "overlaps line " + std::to_string(b.line) + " (" + net::formatNetwork(b.prefix) + ", " +
                               (a.prefix == b.prefix          ? "equal"
                                : a.prefix.contains(b.prefix) ? "contains"
                                                              : "inside") +
                               ")";
            }
            for (BlockId l : plan.leaves())
                if (ok && plan.block(l).state != plan::BlockState::Free && shares(a.prefix, plan.block(l).prefix))
                    ok = a.container && a.prefix.length < plan.block(l).prefix.length;
            if (ok)
                expect.push_back(i);
        }
        const ImportCheck check = checkImport(plan, items);
        ASSERT_EQ(check.accepted, expect) << "round " << round;
        for (const textio::Problem& r : check.refused)
            if (!clash[r.item].empty()) {
                EXPECT_EQ(r.message, clash[r.item]) << "round " << round << ", item " << r.item;
            }
        if (expect.empty())
            continue;
        History h;
        const Plan before = plan;
        ASSERT_EQ(h.run(plan, makeImport(items)), "") << "round " << round;
        for (std::size_t i : expect) {
            const BlockId b = plan.blockOf(items[i].prefix);
            ASSERT_NE(b, kNoBlock);
            EXPECT_EQ(plan.block(b).state != plan::BlockState::Free, !items[i].container);
            EXPECT_EQ(plan.block(b).children.empty(), !items[i].container);
        }
        h.undo(plan);
        ASSERT_TRUE(plan == before);
    }
}

// Equal and nested items cost work in proportion to their number, not to their pairs (20,000
// equal items make 200 million), and each is named against the first item it clashes with.
TEST(Import, EqualItemsAreCheckedInLinearWork)
{
    Plan plan(P("10.0.0.0/8"));
    std::vector<ImportItem> items;
    for (std::size_t i = 0; i < 20000; ++i)
        items.push_back(item(i % 2 ? "10.1.0.0/24" : "10.0.0.0/16", i + 1));
    items.push_back(container("10.0.0.0/17", 20001));  // inside 20,000 others
    items.push_back(container("10.1.0.0/16", 20002));  // holds 20,000 others
    const ImportCheck check = checkImport(plan, items);
    EXPECT_LE(check.steps, 8 * items.size());
    EXPECT_EQ(check.accepted, std::vector<std::size_t>{items.size() - 1});
    ASSERT_EQ(check.refused.size(), items.size() - 1);
    EXPECT_EQ(check.refused[0].message, "overlaps line 3 (10.0.0.0/16, equal)");
    EXPECT_EQ(check.refused[1].message, "overlaps line 4 (10.1.0.0/24, equal)");
    EXPECT_EQ(check.refused[19999].message, "overlaps line 2 (10.1.0.0/24, equal)");
    EXPECT_EQ(check.refused[20000].message, "overlaps line 1 (10.0.0.0/16, inside)");
}

}  // namespace
}  // namespace mq::plan
