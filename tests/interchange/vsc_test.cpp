// visualsubnetcalc: the configuration JSON as its Import / Export box shows it, share links
// (one made by the tool's own steps with the reference lz-string), and what is refused.
#include "interchange/lzstring.h"
#include "interchange/vsc.h"
#include "interchange_helpers.h"
#include "plan/plan.h"
#include "random_plan.h"
#include "textio/utf8.h"

namespace mq::interchange {
namespace {

using test::brief;
using test::campus;
using test::fixture;
using test::P;

std::string treeOf(const VscRead& r)
{
    if (!r.tree)
        return "error: " + r.error;
    return net::formatNetwork(r.tree->base) + " " + std::string(plan::cloudRules(r.tree->mode).key) + "\n" +
           brief(r.tree->blocks);
}

// The campus as the tool keeps it: split in halves, one text a subnet, reserved read as in use.
const char* kCampusTree = "10.40.0.0/16 aws\n"
                          "10.40.0.0/16 0 Campus| - -\n"
                          "10.40.0.0/17 0 | - -\n"
                          "10.40.0.0/18 0 Main building| - -\n"
                          "10.40.0.0/19 0 | - -\n"
                          "10.40.0.0/20 1 Staff, floor 1| - 10272992\n"
                          "10.40.16.0/20 1 Voice \"VoIP\" — SIP phones and fax| - -\n"
                          "10.40.32.0/19 0 | - -\n"
                          "10.40.32.0/20 1 Growth| - -\n"
                          "10.40.48.0/20 4 | - -\n"
                          "10.40.64.0/18 1 Lab| - 15892324\n"
                          "10.40.128.0/17 0 | - -\n"
                          "10.40.128.0/18 4 | - -\n"
                          "10.40.192.0/18 1 Wi-Fi guests| - -\n";

TEST(VscJson, WritesTheToolsExportShape)
{
    const WriteResult r = writeVscJson(campus(), plan::CloudMode::Aws);
    EXPECT_EQ(r.text, fixture("vsc_export.json"));
    EXPECT_EQ(treeOf(readVscJson(r.text)), kCampusTree);
    // Without a cloud the mode is left out, as the tool does for Standard; Google Cloud is
    // unknown to the tool.
    EXPECT_EQ(writeVscJson(campus(), plan::CloudMode::None).text.find("operating_mode"), std::string::npos);
    const WriteResult gcp = writeVscJson(campus(), plan::CloudMode::Gcp);
    EXPECT_EQ(gcp.text.find("operating_mode"), std::string::npos);
    ASSERT_EQ(gcp.notices.size(), 2u);
    EXPECT_EQ(gcp.notices[0].message, "visualsubnetcalc has no Google Cloud mode: written in its standard mode");
    // The page cuts a note at its first double quote.
    EXPECT_EQ(
        gcp.notices[1].message,
        "10.40.16.0/20: visualsubnetcalc cuts its note at the first \" (\"Voice \"VoIP\" — SIP phones and fax\")");
    // The page refuses a plan in a cloud mode that holds smaller subnets than the cloud
    // allows, and shows nothing: it is written in the standard mode, as the notice says.
    std::vector<FlatBlock> small = campus();
    small.push_back({P("10.40.192.0/30"), "", "", {}, plan::BlockState::Assigned, {}, 0});
    for (bool asLink : {false, true}) {
        const WriteResult aws =
            asLink ? writeVscLink(small, plan::CloudMode::Aws) : writeVscJson(small, plan::CloudMode::Aws);
        ASSERT_EQ(aws.notices.size(), 2u);
        EXPECT_EQ(
            aws.notices[0].message,
            "visualsubnetcalc opens this plan in its standard mode: it holds a /30, smaller than AWS allows (/28)");
        const VscRead back = asLink ? readVscLink(aws.text) : readVscJson(aws.text);
        ASSERT_TRUE(back.tree) << back.error;
        EXPECT_EQ(back.tree->mode, plan::CloudMode::None) << asLink;
    }
}

TEST(VscLink, RoundTripsThroughTheShortForm)
{
    const WriteResult link = writeVscLink(campus(), plan::CloudMode::Aws);
    ASSERT_TRUE(link.error.empty());
    EXPECT_TRUE(link.text.starts_with("https://visualsubnetcalc.com/index.html?c=1")) << link.text;
    EXPECT_EQ(treeOf(readVscLink(link.text)), kCampusTree);
    // Its data is the short form of the JSON.
    const auto json = lz::decompressFromEncodedURIComponent(link.text.substr(link.text.find("?c=1") + 4));
    ASSERT_TRUE(json.text);
    EXPECT_TRUE(
        textio::utf16ToUtf8(*json.text)
            .starts_with(
                R"({"v":"2","b":"10.40.0.0/16","m":"AWS","s":{"0g":{"n":"Campus","0h":{"0i":{"n":"Main building","0j":{"0k":{"n":"Staff, floor 1","c":"#9cc0e0"},"1k":)"))
        << textio::utf16ToUtf8(*json.text);
    // The same after a chat client or a browser had it: percent-encoded, '+' as blank,
    // the query alone or c's value alone, other parameters around it.
    std::string data = link.text.substr(link.text.find("?c=") + 3);
    std::string mangled;
    for (char c : data)
        mangled += c == '+' ? std::string(" ") : c == '-' ? std::string("%2D") : std::string(1, c);
    for (const std::string& form : {"https://example.org/x?a=1&c=" + mangled + "&z#top", "?c=" + data, data})
        EXPECT_EQ(treeOf(readVscLink(form)), kCampusTree) << form;
}

TEST(VscJson, ReadsTheToolsOwnFiles)
{
    const char* expected = "172.16.0.0/22 azure\n"
                           "172.16.0.0/22 0 | - -\n"
                           "172.16.0.0/23 0 | - -\n"
                           "172.16.0.0/24 1 Front end| - 13166281\n"
                           "172.16.1.0/24 4 | - -\n"
                           "172.16.2.0/23 1 Databases| - 12312315\n";
    // As its Import / Export box shows it, with the newer extras (cell colours, legend).
    EXPECT_EQ(treeOf(readVscJson(fixture("vsc_tool_config.json"))), expected);
    // A link made from that by the tool's own steps and the reference lz-string.
    EXPECT_EQ(treeOf(readVscLink(fixture("vsc_tool_link.txt"))), expected);
    // Version 1 kept full keys and _n, _c; colours are not always there. Values of any kind
    // that are not ours are passed over.
    EXPECT_EQ(treeOf(readVscJson(
                  R"({"x":[1,-2.5e3,true,false,null,{"a":[]}],"config_version":"1","subnets":{"192.168.0.0/24":{
              "192.168.0.128/25":{"_n":"b","_c":"oops"},"192.168.0.0/25":{"_n":"a","_c":"#00FF00"}}}})")),
              "192.168.0.0/24 none\n"
              "192.168.0.0/24 0 | - -\n"
              "192.168.0.0/25 1 a| - 65280\n"
              "192.168.0.128/25 1 b| - -\n");
}

TEST(VscJson, KeepsLongTextsAsNotes)
{
    const std::string longText(300, 'x');
    const VscRead r = readVscJson(
        R"({"config_version":"2","base_network":"10.0.0.0/8","subnets":{"10.0.0.0/8":{"_note":")" + longText + "\"}}}");
    ASSERT_TRUE(r.tree) << r.error;
    EXPECT_EQ(r.tree->blocks[0].name, longText.substr(0, plan::kMaxNameBytes));
    EXPECT_EQ(r.tree->blocks[0].note, longText);
}

TEST(VscJson, RefusesWhatIsNotAPlan)
{
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {R"({"config_version":"3","subnets":{}})",
         "$.config_version: the configuration version is \"3\"; \"1\" and \"2\" are known"},
        {R"({"config_version":"2","subnets":{"10.0.0.0/8":{}}})",
         "$.base_network: \"\": version 2 needs a base_network"},
        {R"({"config_version":"2","base_network":"2001:db8::/32","subnets":{}})",
         "$.base_network: \"2001:db8::/32\": visualsubnetcalc holds IPv4 plans only"},
        {R"({"config_version":"2","base_network":"10.0.0.0/8"})", "$: the configuration holds no subnets"},
        {R"({"subnets":{"10.0.0.0/8":{}}})", "$: the configuration has no config_version"},
        {R"({"config_version":"2","base_network":"10.0.0.0/8","subnets":{"10.0.0.0/9":{}}})",
         "$.subnets[\"10.0.0.0/9\"]: \"10.0.0.0/9\" is not the base network 10.0.0.0/8"},
        {R"({"config_version":"2","base_network":"10.0.0.0/8","subnets":{"10.0.0.0/8":{"10.0.0.0/9":{}}}})",
         "$.subnets[\"10.0.0.0/8\"]: 10.0.0.0/8 is split, but not into its two halves"},
        {R"({"config_version":"2","base_network":"10.0.0.0/8","subnets":{"10.0.0.0/8":{"11.0.0.0/9":{}}}})",
         "$.subnets[\"10.0.0.0/8\"][\"11.0.0.0/9\"]: 11.0.0.0/9 does not lie inside 10.0.0.0/8"},
        {R"({"v":"2","b":"10.0.0.0/8","s":{"08":{"29":{}}}})",
         "$.s[\"08\"][\"29\"]: \"29\" is not a subnet of the base network"},
        {R"({"v":"2","b":"0.0.0.0/0","s":{"00":{"4294967296w":{}}}})",
         "$.s[\"00\"][\"4294967296w\"]: \"4294967296w\" is not a subnet of the base network"},
        {R"({"config_version":"2","base_network":"10.0.0.0/8","subnets":{"10.0.0.0/8":{"_note":5}}})",
         "$.subnets[\"10.0.0.0/8\"]._note: line 1, column 84: expected a string in double quotes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(treeOf(readVscJson(c.text)), std::string("error: ") + c.error) << c.text;
    EXPECT_EQ(treeOf(readVscLink("https://visualsubnetcalc.com/?x=1")),
              "error: the link has no c= value: it is not a visualsubnetcalc share link");
    EXPECT_EQ(treeOf(readVscLink("?c=2abc")), "error: the link's data does not start with version 1 (\"2abc\")");
    EXPECT_EQ(treeOf(readVscLink("?c=1N4Ig")),
              "error: the link's data cannot be unpacked: the text ends before its end mark (cut short?)");
}

TEST(VscJson, WritesIpv4PlansOnly)
{
    const std::vector<FlatBlock> v6 = {
        {P("2001:db8::/48"), "", "", {}, plan::BlockState::Free, {}, 0, {}, false, true}};
    EXPECT_EQ(writeVscJson(v6, plan::CloudMode::None).error,
              "visualsubnetcalc holds IPv4 plans only; 2001:db8::/48 is IPv6");
    EXPECT_EQ(writeVscLink(v6, plan::CloudMode::None).error,
              "visualsubnetcalc holds IPv4 plans only; 2001:db8::/48 is IPv6");
    std::vector<FlatBlock> outside = campus();
    outside.push_back({P("10.41.0.0/24"), "", "", {}, plan::BlockState::Assigned, {}, 0});
    EXPECT_EQ(writeVscJson(outside, plan::CloudMode::None).error,
              "10.41.0.0/24 does not lie inside the root 10.40.0.0/16");
}

// Random plans, written from the plan itself, through JSON and link: the same leaves, names
// and colours (a leaf without a name reads as free); parts split in more than halves come
// back as halves of halves.
TEST(VscJson, RoundTripsRandomPlans)
{
    for (unsigned seed = 0; seed < 40; ++seed) {
        const auto blocks = blocksOf(test::randomPlan(seed, false));
        int longest = 0;
        for (const FlatBlock& b : blocks)
            longest = std::max(longest, b.prefix.length);
        std::string expected;
        for (FlatBlock b : blocks) {
            if (b.name.empty() && b.state == plan::BlockState::Assigned)
                b.state = plan::BlockState::Free;
            if (!b.container)
                expected += brief({b});
        }
        for (bool asLink : {false, true}) {
            const VscRead back = asLink ? readVscLink(writeVscLink(blocks, plan::CloudMode::Oci).text)
                                        : readVscJson(writeVscJson(blocks, plan::CloudMode::Oci).text);
            ASSERT_TRUE(back.tree) << back.error;
            EXPECT_EQ(back.tree->mode, longest <= plan::cloudRules(plan::CloudMode::Oci).longest
                                           ? plan::CloudMode::Oci
                                           : plan::CloudMode::None);
            std::string leaves;
            for (const FlatBlock& b : back.tree->blocks)
                if (!b.container)
                    leaves += brief({b});
            EXPECT_EQ(leaves, expected) << seed << (asLink ? " link" : " json");
        }
    }
}

}  // namespace
}  // namespace mq::interchange
