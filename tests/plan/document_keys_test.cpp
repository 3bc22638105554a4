// Every object of the .mqplan document refuses a key it does not know, a key given twice, a
// value of the wrong kind and a required key left out: at the object's path, in one wording
// whatever the object, with the line of the text it was found on.
#include <gtest/gtest.h>

#include "net/parse.h"
#include "plan/document.h"
#include "plan/output_keys.h"

namespace mq::plan {
namespace {

// One of each object, the blocks, hosts and outputs each on a line of their own (lines 2 to 4).
const std::string kEvery =
    R"({"format": "maskquill-plan", "version": 3, "roots": ["10.0.0.0/24"], "settings": {"links_30": false, )"
    R"("layout": {"kept": 2}}, "ipam": {"tenant": "t"}, "segments": [{"name": "s", "hosts": "11"}],)"
    "\n"
    R"("blocks": [{"prefix": "10.0.0.0/24", "parts": 2}, {"prefix": "10.0.0.0/25", "assigned": true, )"
    R"("hosts": "10", "subnet": {"kept": 3, "ranges": [{"first": "10.0.0.50", "last": "10.0.0.60"}]}, )"
    R"("ipam": {"status": "active"}}, {"prefix": "10.0.0.128/25"}],)"
    "\n"
    R"("hosts": [{"name": "h", "ipv4": "10.0.0.7"}],)"
    "\n"
    R"("outputs": {"settings": {"ttl": 600, "name_servers": [{"name": "ns1.lab.example"}]}, )"
    R"("dhcp_ids": [{"prefix": "10.0.0.0/25", "id": 8}], )"
    R"("zone_serials": [{"zone": "lab.example", "serial": 1, "hash": "0123456789abcdef"}]}})";

struct ObjectKeys {
    const char* path;  // the object's
    std::size_t line;
    const char* member;  // one of its members as kEvery writes it
    const char* wrong;  // that member with a value of the wrong kind
    const char* why;  // what the reader says of it
    const char* required;  // a required member as written (with its comma), or nullptr
    const char* missing;  // what is said when it is left out
};

TEST(DocumentKeys, EveryObjectRefusesUnknownRepeatedMistypedAndMissingKeysAlike)
{
    ASSERT_TRUE(std::holds_alternative<Plan>(readDocument(kEvery)))
        << std::get<textio::Problem>(readDocument(kEvery)).message;
    const ObjectKeys objects[] = {
        {"$", 1, R"("version": 3)", R"("version": "3")", "expected a number", R"("format": "maskquill-plan", )",
         "has no \"format\": this is not a Maskquill plan"},
        {"$.settings", 1, R"("links_30": false)", R"("links_30": 0)", "expected true or false", nullptr, nullptr},
        {"$.settings.layout", 1, R"("kept": 2)", R"("kept": "2")", "expected a number", nullptr, nullptr},
        {"$.ipam", 1, R"("tenant": "t")", R"("tenant": 1)", "expected a string", nullptr, nullptr},
        {"$.segments[0]", 1, R"("name": "s")", R"("name": null)", "expected a string", R"(, "hosts": "11")",
         "the segment has no \"hosts\""},
        {"$.blocks[1]", 2, R"("assigned": true)", R"("assigned": "yes")", "expected true or false",
         R"("prefix": "10.0.0.0/25", )", "the block has no \"prefix\""},
        {"$.blocks[1].subnet", 2, R"("kept": 3)", R"("kept": true)", "expected a number", nullptr, nullptr},
        {"$.blocks[1].subnet.ranges[0]", 2, R"("first": "10.0.0.50")", R"("first": 50)", "expected a string",
         R"(, "last": "10.0.0.60")", "the range has no \"last\""},
        {"$.blocks[1].ipam", 2, R"("status": "active")", R"("status": [])", "expected a string", nullptr, nullptr},
        {"$.hosts[0]", 3, R"("ipv4": "10.0.0.7")", R"("ipv4": 7)", "expected a string", R"("name": "h", )",
         "the host has no \"name\""},
        {"$.outputs", 4, R"("dhcp_ids": [{"prefix": "10.0.0.0/25", "id": 8}])", R"("dhcp_ids": {})",
         "expected an array", nullptr, nullptr},
        {"$.outputs.settings", 4, R"("ttl": 600)", R"("ttl": "600")", "expected a number", nullptr, nullptr},
        {"$.outputs.settings.name_servers[0]", 4, R"("name": "ns1.lab.example")", R"("name": 1)", "expected a string",
         R"("name": "ns1.lab.example")", "the name server has no \"name\""},
        {"$.outputs.dhcp_ids[0]", 4, R"("id": 8)", R"("id": "8")", "expected a number", R"(, "id": 8)",
         "the entry has no \"id\""},
        {"$.outputs.zone_serials[0]", 4, R"("serial": 1)", R"("serial": "1")", "expected a number",
         R"(, "hash": "0123456789abcdef")", "the entry has no \"hash\""},
    };
    const auto refused = [](const std::string& from, const std::string& to) {
        std::string text = kEvery;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        auto r = readDocument(text);
        EXPECT_TRUE(std::holds_alternative<textio::Problem>(r)) << text;
        return std::holds_alternative<textio::Problem>(r) ? std::get<textio::Problem>(r) : textio::Problem{};
    };
    for (const ObjectKeys& o : objects) {
        const std::string member = o.member, key = member.substr(0, member.find(':'));
        const std::string keyPath = std::string(o.path) + "." + key.substr(1, key.size() - 2);
        struct Expect {
            std::string to, path, message;
        };
        std::vector<Expect> cases = {
            {member + R"(, "zz": 1)", std::string(o.path) + ".zz", "unknown key \"zz\""},
            {member + ", " + member, keyPath, "duplicate key " + key},
            {o.wrong, keyPath, o.why},
        };
        for (const Expect& c : cases) {
            const textio::Problem p = refused(member, c.to);
            EXPECT_EQ(p.path, c.path) << c.to;
            EXPECT_NE(p.message.find(c.message), std::string::npos) << c.to << ": " << p.message;
            EXPECT_EQ(p.line, o.line) << c.to;
        }
        if (o.required) {
            const textio::Problem p = refused(o.required, "");
            EXPECT_EQ(p.path, o.path) << o.required;
            EXPECT_EQ(p.message, o.missing) << o.required;
        }
    }
}

// The settings with one of them changed from its default: of each kind a value it takes.
OutputSettings changed(const OutputKey& k)
{
    OutputSettings s;
    switch (k.value) {
    case OutputValue::Name:
    case OutputValue::Text: s.*k.text = "lab.example"; break;
    case OutputValue::Seconds: s.*k.seconds = 1234; break;
    case OutputValue::Servers: s.dnsServers = {std::get<net::Address>(net::parseAddress("10.0.0.53"))}; break;
    case OutputValue::NameServers: s.nameServers = {{"ns1.lab.example", {}}}; break;
    case OutputValue::ZoneCut4: s.zoneCut4 = 16; break;
    case OutputValue::ZoneCut6: s.zoneCut6 = 48; break;
    case OutputValue::Naming: s.naming = ReverseNaming::Dash; break;
    case OutputValue::Rfc2317: s.rfc2317 = Rfc2317::All; break;
    case OutputValue::Delegated:
        s.delegated = {std::get<net::Prefix>(net::parsePrefix("10.0.0.64/26", net::HostBits::Keep))};
        break;
    case OutputValue::YesNo: s.emptyReverseZones = false; break;
    }
    return s;
}

// Each listed setting is written under its key, alone when the others are at their defaults,
// and read back as it was: a setting listed is one the document keeps.
TEST(DocumentKeys, EveryOutputSettingListedIsWrittenUnderItsKeyAndReadBack)
{
    for (const OutputKey& k : kOutputKeys) {
        Plan plan(std::get<net::Prefix>(net::parsePrefix("10.0.0.0/24", net::HostBits::Keep)));
        plan.setOutputSettings(changed(k));
        ASSERT_FALSE(plan.outputSettings() == OutputSettings{}) << k.key;
        const std::string text = writeDocument(plan);
        const std::string settings = text.substr(text.find("\"settings\": {", text.find("\"outputs\"")));
        EXPECT_EQ(settings.substr(13, settings.find(':', 14) - 13), "\"" + std::string(k.key) + "\"") << text;
        auto back = readDocument(text);
        ASSERT_TRUE(std::holds_alternative<Plan>(back)) << std::get<textio::Problem>(back).message;
        EXPECT_TRUE(std::get<Plan>(back).outputSettings() == plan.outputSettings()) << k.key;
    }
}

}  // namespace
}  // namespace mq::plan
