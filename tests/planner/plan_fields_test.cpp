// One text, one answer: each plan value typed into the subnet panel or the window, given to an
// mqnet option, read from a plan document, a segment list, an IPAM file or a hosts file, or
// set on the plan, is taken or
// refused as its reader in plan/fields.h takes or refuses it, and refused with its words.
#include "interchange/hosts_io.h"
#include "interchange/netbox.h"
#include "interchange/phpipam.h"
#include "plan/document.h"
#include "plan/fields.h"
#include "plan/segments.h"
#include "planner/output_fields.h"
#include "planner/planner_form.h"
#include "planner/subnet_form.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/support/run_mqnet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace mq::planner {
namespace {

// What one entry point said of a text: empty when it took it, else what it printed; nullopt
// where it cannot be given the text (a setter that takes numbers, given a word).
using Entry = std::function<std::optional<std::string>(const std::string&)>;
struct Named {
    const char* name;
    Entry said;
    bool numbers = false;  // a setter's reason names the number it was given, unquoted
};

std::string unquoted(std::string s)
{
    std::erase(s, '"');
    return s;
}

// Every entry point must take what the reader takes, and refuse the rest naming the
// reader's message (each adds its own place and label around it).
template <class T>
void expectOneAnswer(const std::vector<std::string>& texts, textio::Result<T> (*reader)(std::string_view),
                     const std::vector<Named>& entries)
{
    for (const std::string& text : texts) {
        const auto read = reader(text);
        for (const Named& e : entries) {
            const auto said = e.said(text);
            if (!said)
                continue;
            if (read) {
                EXPECT_EQ(*said, "") << e.name << " refused " << text;
                continue;
            }
            const std::string want = e.numbers ? unquoted(read.problem().message) : read.problem().message;
            EXPECT_NE((e.numbers ? unquoted(*said) : *said).find(want), std::string::npos)
                << e.name << " on " << text << " said: " << *said << "\nnot: " << want;
        }
    }
}

std::string notes(const std::vector<textio::Problem>& n)
{
    std::string s;
    for (const auto& x : n)
        s += x.message + "\n";
    return s;
}

// mqnet plan allocate with the options, on a one-segment list: its standard error when it failed.
std::string allocateWith(std::vector<std::string> args, const std::string& root = "10.0.0.0/16")
{
    const test::TempDir dir;
    args.insert(args.begin(), {"plan", "allocate", "-o", dir.file("p.mqplan")});
    args.insert(args.end(), {root, "-"});
    const auto run = test::runMqnet(args, "lab, 10\n");
    return run.status == 0 ? std::string() : run.err + " ";
}

// A plan document holding the number t between before and after: what its reader refused it
// with, empty when it read it.
std::optional<std::string> documentWith(const std::string& t, const std::string& before, const std::string& after)
{
    if (t.empty() || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const std::string text = R"({"format": "maskquill-plan", "version": 3, "roots": ["10.0.0.0/24"], )" + before + t +
                             after + R"(, "blocks": [{"prefix": "10.0.0.0/24"}]})";
    const auto read = plan::readDocument(text);
    const auto* e = std::get_if<textio::Problem>(&read);
    return e ? e->message : std::string();
}

std::pair<net::u128, net::u128> offsets(const std::string& t)
{
    const std::size_t dash = t.find('-');
    return {std::stoul(t.substr(0, dash)), std::stoul(t.substr(dash + 1))};
}

class PlanFields : public ::testing::Test {
protected:
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    SubnetForm subnet{form, sv};

    void SetUp() override
    {
        ASSERT_TRUE(form.newPlan("10.40.0.0/16"));
        ASSERT_TRUE(form.allocate(form.plan().root(), "office, 50\n"));
        subnet.select(form.plan().leaves().front());
        ASSERT_TRUE(subnet.active());
    }
    // The panel's status line after an edit, empty when the edit was taken.
    std::string panel(bool taken) const { return taken ? std::string() : subnet.status() + " "; }
    // Plan::setSettings with the rules changed by f, on a copy of the plan.
    std::string settings(const std::function<void(plan::LayoutRules&)>& f) const
    {
        plan::Plan p = form.plan();
        plan::Settings s = p.settings();
        f(s.layout);
        return p.setSettings(s);
    }
};

TEST_F(PlanFields, VlanIsReadTheSameEverywhere)
{
    const plan::BlockId office = form.plan().leaves().front();
    expectOneAnswer<int>(
        {"10", "4094", "0", "4095", "ten", "-3"}, plan::parseVlan,
        {{"segment list",
          [](const std::string& t) {
              std::vector<textio::Problem> errors;
              plan::parseSegments("lab, 10, vlan " + t + "\n", errors);
              return notes(errors);
          }},
         {"NetBox",
          [](const std::string& t) {
              return notes(interchange::readNetboxCsv("prefix,status,vlan\n10.0.1.0/24,active," + t + "\n").notices);
          }},
         {"phpIPAM",
          [](const std::string& t) {
              return notes(
                  interchange::readPhpipamCsv("Section,Subnet,Mask,VLAN\nLab,10.0.1.0,24," + t + "\n").notices);
          }},
         {"document",
          [](const std::string& t) {
              return documentWith(t, R"("segments": [{"name": "a", "hosts": "1", "vlan": )", "}]");
          }},
         {"Assign in the window",
          [&](const std::string& t) -> std::optional<std::string> {
              if (t == "0")  // "vlan 0" is no VLAN there: the field is the note
                  return std::nullopt;
              PlannerForm f(sv);
              sv.messages.clear();
              if (!f.newPlan("10.0.0.0/24") || f.assign(f.plan().root(), "lab, 10, vlan " + t))
                  return std::string();
              return sv.messages.empty() ? std::string("refused") : sv.messages.back();
          }},
         {"Plan::setVlan",
          [&](const std::string& t) -> std::optional<std::string> {
              if (t == "0" || t == "ten")  // 0 is no VLAN there; a word no number
                  return std::nullopt;
              plan::Plan p = form.plan();
              return p.setVlan(office, std::stoi(t));
          },
          true}});
}

TEST_F(PlanFields, KeptIsReadTheSameEverywhere)
{
    expectOneAnswer<int>(
        {"0", "1024", "1025", "-1", "x"}, plan::parseKept,
        {{"mqnet --kept",
          [](const std::string& t) {
              return allocateWith({"--kept", t});
          }},
         {"subnet panel", [&](const std::string& t) { return panel(subnet.setKept(net::Family::V4, t)); }},
         {"document",
          [](const std::string& t) { return documentWith(t, R"("settings": {"layout": {"kept": )", "}}"); }},
         {"Plan::setSettings",
          [&](const std::string& t) -> std::optional<std::string> {
              if (t == "x")
                  return std::nullopt;
              return settings([&](plan::LayoutRules& r) { r.kept = std::stoi(t); });
          },
          true}});
}

TEST_F(PlanFields, DhcpOffsetsAreReadTheSameEverywhere)
{
    const auto setOffsets = [](const std::string& t, plan::LayoutRules& r) {
        r.range = plan::RangeRule::Offsets;
        std::tie(r.rangeFrom, r.rangeTo) = offsets(t);
    };
    expectOneAnswer<plan::RangeRuleValue>({"100-199", "5-5", "0-10", "200-100", "x-1", "1-", "none"},
                                          plan::parseRangeRule,
                                          {{"mqnet --dhcp",
                                            [](const std::string& t) {
                                                return allocateWith({"--dhcp", t});
                                            }},
                                           {"Subnet rules dialog",
                                            [&](const std::string& t) -> std::optional<std::string> {
                                                if (!std::isdigit(static_cast<unsigned char>(t[0])) || t.back() == '-')
                                                    return std::nullopt;
                                                sv.messages.clear();
                                                plan::LayoutRules r = form.plan().settings().layout;
                                                setOffsets(t, r);
                                                return form.setLayoutRules(r) ? std::string() : sv.messages.back();
                                            },
                                            true},
                                           {"Plan::setSettings",
                                            [&](const std::string& t) -> std::optional<std::string> {
                                                if (!std::isdigit(static_cast<unsigned char>(t[0])) || t.back() == '-')
                                                    return std::nullopt;
                                                return settings([&](plan::LayoutRules& r) { setOffsets(t, r); });
                                            },
                                            true}});
}

TEST_F(PlanFields, HostFieldsAreReadTheSameEverywhere)
{
    // The panel's new row, and one row of a hosts file, each with the field alone.
    const auto entries = [&](int column, const std::string& header) {
        return std::vector<Named>{
            {"subnet panel",
             [this, column](const std::string& t) { return panel(subnet.setCell(subnet.rowCount() - 1, column, t)); }},
            {"hosts file", [header](const std::string& t) {
                 const std::string file = header == "name"   ? "name,ipv4\n" + t + ",10.40.0.9\n"
                                          : header == "ipv4" ? "name,ipv4\nh1," + t + "\n"
                                                             : "name,ipv4," + header + "\nh1,10.40.0.9," + t + "\n";
                 return notes(interchange::readHostFile(interchange::HostFormat::Csv, file).refused);
             }}};
    };
    expectOneAnswer<std::string>({"printer-2", "bad_name", "-x"}, plan::parseHostName, entries(HostName, "name"));
    expectOneAnswer<std::optional<net::Mac>>({"00:11:22:33:44:66", "00:11", "zz:11:22:33:44:55"}, plan::parseHostMac,
                                             entries(HostMac, "mac"));
    expectOneAnswer<net::Duid>({"00:01:00:01:aa:bb", "0g"}, plan::parseHostDuid, entries(HostDuid, "duid"));
    expectOneAnswer<net::Address>({"10.40.0.9", " 10.40.0.10 ", "10.40.0.300", "10.40.0.9%eth0", "host"},
                                  plan::parseHostAddress, entries(HostV4, "ipv4"));
}

// The Outputs dialog's field `key` set to t, and mqnet plan outputs OPTION t: what each said.
std::vector<Named> outputsEntries(const PlannerForm& form, const std::string& file, const char* key, const char* option)
{
    return {{"Outputs dialog",
             [&form, key](const std::string& t) {
                 OutputFields f = fieldsOf(form.plan().outputSettings());
                 f[key] = t;
                 const auto read = readFields(f);
                 const auto* why = std::get_if<std::string>(&read);
                 return why ? *why : std::string();
             }},
            {"mqnet plan outputs", [file, option](const std::string& t) {
                 const auto run = test::runMqnet({"plan", "outputs", option, t, file});
                 return run.status == 0 ? std::string() : run.err;
             }}};
}

TEST_F(PlanFields, OutputValuesAreReadTheSameEverywhere)
{
    const test::TempDir dir;
    const std::string file = dir.file("p.mqplan");
    ASSERT_EQ(test::runMqnet({"plan", "allocate", "-o", file, "10.0.0.0/16", "-"}, "lab, 10\n").status, 0);
    expectOneAnswer<std::vector<net::Address>>(
        {"10.40.0.53, 2001:db8:40::53", "10.40.0.53 10.40.0.54", "10.40.0.53,,10.40.0.54", "10.40.0.53,", "dns1",
         "10.40.0.300", "fe80::1%eth0"},
        +[](std::string_view t) { return plan::parseAddressList(t, plan::kMaxDnsServers); },
        outputsEntries(form, file, "dns_servers", "--dns-server"));
    // Numbers the settings' own checks take (a TTL up to 2^31 - 1, a valid lifetime no shorter
    // than the preferred one), and texts no number.
    const std::vector<std::string> seconds = {"86400", " 90000 ", "4294967296", "-5", "1h", "1,000", ""};
    for (const auto& [key, option] : {std::pair{"ttl", "--ttl"}, std::pair{"valid_lifetime", "--valid-lifetime"}})
        expectOneAnswer<std::uint32_t>(seconds, plan::parseSeconds, outputsEntries(form, file, key, option));
}

TEST(PlanRoots, RootsAreReadTheSameByEveryCommand)
{
    const test::TempDir dir;
    const std::string list = dir.write("used.txt", "10.0.1.0/24\n");
    expectOneAnswer<std::vector<net::Prefix>>(
        {"10.0.0.0/8", "10.0.0.0/8, 2001:db8::/32,", "10.0.0.1/8", "fe80::%eth0/64", "10.0.0.0/8,10.1.0.0/16",
         "10.0.0.0-10.0.0.255", "10.0.0.0/8,,2001:db8::/32"},
        plan::parseRoots,
        {{"mqnet plan import",
          [&](const std::string& t) {
              const auto run =
                  test::runMqnet({"plan", "import", "--format", "list", "-o", dir.file("i.mqplan"), t, list});
              return run.status == 0 ? std::string() : run.err;
          }},
         {"mqnet plan allocate", [](const std::string& t) { return allocateWith({}, t); }}});
}

}  // namespace
}  // namespace mq::planner
