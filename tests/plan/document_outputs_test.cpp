// A plan saved with output settings that a later check refuses still opens: the settings
// are read as they were, shown as the plan's problem and refused by every output, and
// written back unchanged.
#include <gtest/gtest.h>

#include "plan/document.h"
#include "plan/plan.h"

namespace mq::plan {
namespace {

TEST(DocumentOutputs, SettingsNowRefusedOpenAsTheirProblem)
{
    const std::string settings = R"({"domain": "lab.example", "dns_servers": ["10.0.0.53"], )"
                                 R"("name_servers": [{"name": "ns1.lab.example", "addresses": ["10.0.0.53"]}], )"
                                 R"("interface": "eth1", "lease_file": "/var/lib/kea/leases.csv", "zone_cut6": 56})";
    const std::string document =
        R"({"format": "maskquill-plan", "version": 3, "roots": ["10.0.0.0/24"], "blocks": [{"prefix": "10.0.0.0/24"}], )"
        R"("outputs": {"settings": )" +
        settings + "}}";
    const struct {
        const char* from;
        const char* to;
        const char* problem;  // "" for none
    } cases[] = {
        {"", "", ""},
        {"\"lab.example\", \"dns", "\"lab..example\", \"dns", "settings: domain: \"lab..example\" has an empty label"},
        {"\"zone_cut6\": 56", "\"zone_cut6\": 57", "settings: IPv6 zone cut: /57"},
        {"\"eth1\"", "\"*\"", "settings: interface: \"*\" is a pattern"},
        {"ns1.lab.example", "ns1", "settings: name server: \"ns1\" has no dot"},
    };
    for (const auto& c : cases) {
        std::string text = document;
        if (*c.from)
            text.replace(text.find(c.from), std::string_view(c.from).size(), c.to);
        auto read = readDocument(text);
        ASSERT_TRUE(std::holds_alternative<Plan>(read)) << c.to << ": " << std::get<textio::Problem>(read).message;
        const Plan& plan = std::get<Plan>(read);
        std::string problems;
        for (const SubnetProblem& p : checkSubnets(plan))
            problems += p.message + "\n";
        if (*c.problem)
            EXPECT_EQ(problems.find(c.problem), 0u) << problems;
        else
            EXPECT_EQ(problems, "");
        auto again = readDocument(writeDocument(plan));
        ASSERT_TRUE(std::holds_alternative<Plan>(again));
        EXPECT_TRUE(std::get<Plan>(again).outputSettings() == plan.outputSettings()) << c.to;
    }
}

}  // namespace
}  // namespace mq::plan
