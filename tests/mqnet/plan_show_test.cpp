// mqnet plan allocate dual-stack and with the sizing options, and mqnet plan show on the
// plan the planner saves: outputs byte for byte, refused documents named by JSON path.
#include <gtest/gtest.h>

#include "plan/commands.h"
#include "plan/document.h"
#include "tests/mqnet/run_mqnet.h"

namespace mq::mqnet {
namespace {

Outcome runWith(std::vector<std::string> args, const std::string& content)
{
    return runPlanOn(std::move(args), content);
}

const std::string kCampus = "office, 100, 10%\nlink, 2\nlab, 20, , /27\nbig, 3000\n";

TEST(PlanAllocateDualStack, BothPrefixesOnEachRowAndTheReasonOfWhatIsMissing)
{
    const Outcome csv = runWith({"allocate", "--csv", "--header", "2001:db8:40::/48,10.40.0.0/22", "FILE"}, kCampus);
    EXPECT_EQ(csv.status, 3);
    EXPECT_EQ(csv.out,
              "name,vlan,ipv4,first,last,broadcast,ipv6,ipv6_first,ipv6_last,hosts,needed,spare,ipv6_spare,reason\n"
              "office,,10.40.0.0/25,10.40.0.1,10.40.0.126,10.40.0.127,2001:db8:40::/64,2001:db8:40::1,"
              "2001:db8:40:0:ffff:ffff:ffff:ffff,100,110,26,18446744073709551515,\n"
              "link,,10.40.0.160/31,10.40.0.160,10.40.0.161,,2001:db8:40:1::/64,2001:db8:40:1::1,"
              "2001:db8:40:1:ffff:ffff:ffff:ffff,2,2,0,18446744073709551613,\n"
              "lab,,10.40.0.128/27,10.40.0.129,10.40.0.158,10.40.0.159,2001:db8:40:2::/64,2001:db8:40:2::1,"
              "2001:db8:40:2:ffff:ffff:ffff:ffff,20,20,10,18446744073709551595,\n"
              // In both families or in neither: big takes no IPv6 /64 when it has no IPv4 block.
              "big,,,,,,,,,3000,3000,,,\"IPv4: needs a /20, larger than 10.40.0.0/22\"\n");
    const Outcome json = runWith({"allocate", "--json", "10.40.0.0/30,2001:db8::/64", "FILE"}, "link, 2\n");
    EXPECT_EQ(
        json.out,
        "{\"roots\": [{\"network\": \"10.40.0.0\", \"prefix\": 30}, {\"network\": \"2001:db8::\", \"prefix\": 64}], "
        "\"segments\": [\n  {\"name\": \"link\", \"vlan\": null, \"hosts\": \"2\", \"needed\": \"2\", \"placed\": "
        "true, "
        "\"ipv4\": {\"placed\": true, \"network\": \"10.40.0.0\", \"prefix\": 31, \"first\": \"10.40.0.0\", "
        "\"last\": \"10.40.0.1\", \"broadcast\": null, \"spare\": \"0\", \"reason\": null, \"largest_free\": null}, "
        "\"ipv6\": {\"placed\": true, \"network\": \"2001:db8::\", \"prefix\": 64, \"first\": \"2001:db8::1\", "
        "\"last\": \"2001:db8::ffff:ffff:ffff:ffff\", \"broadcast\": null, \"spare\": \"18446744073709551613\", "
        "\"reason\": null, \"largest_free\": null}}\n]}\n");
    // The older practice on request; nibble-aligned IPv6 blocks.
    const Outcome links = runWith({"allocate", "--csv", "--links-30", "10.0.0.0/29", "FILE"}, "a, 2\nb, 1\n");
    EXPECT_EQ(links.out,
              "a,10.0.0.0/30,10.0.0.1,10.0.0.2,10.0.0.3,2,0,\nb,10.0.0.4/30,10.0.0.5,10.0.0.6,10.0.0.7,1,1,\n");
    const Outcome nibble = runWith({"allocate", "--csv", "--nibble", "2001:db8::/48", "FILE"}, "site, 0, , /50\n");
    EXPECT_EQ(nibble.out.substr(0, 20), "site,2001:db8::/48,2");
    for (const char* roots : {"10.0.0.0/24,10.1.0.0/24", "10.0.0.0/24,::/0,2001:db8::/32", "10.0.0.0/24,"}) {
        const Outcome bad = runWith({"allocate", roots, "FILE"}, kCampus);
        EXPECT_EQ(bad.status, 2) << roots;
        EXPECT_EQ(bad.out, "");
    }
}

TEST(PlanShow, TheAllocationsTableOfASavedPlanAndRefusedDocumentsByPath)
{
    plan::Plan p(net::Prefix{net::Address::v4(0x0A280000), 22});
    ASSERT_EQ(p.addRoot({net::Address::v6(net::u128{0x20010db80040} << 80), 48}), "");
    plan::Segment office{"office", 100, 10};
    office.vlan = 10;
    plan::History h;
    ASSERT_EQ(h.run(p, plan::makeAllocate(p.roots(), {office, {"link", 2}})), "");
    ASSERT_EQ(h.run(p, plan::makeSetNote(p.leafAt(net::Address::v4(0x0A280000)), "2nd floor\tnorth")), "");
    const std::string doc = plan::writeDocument(p);
    const Outcome csv = runWith({"show", "--csv", "FILE"}, doc);
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out,
              "name,status,vlan,ipv4,ipv6,mask,first,last,broadcast,gateway,dhcp,gateway6,dhcp6,hosts,needed,usable,"
              "spare,note\n"
              "office,assigned,10,10.40.0.0/25,2001:db8:40::/"
              "64,255.255.255.128,10.40.0.1,10.40.0.126,10.40.0.127,,,,,100,110,126,26,"
              "2nd floor\tnorth\n"
              "link,assigned,,10.40.0.128/31,2001:db8:40:1::/64,255.255.255.254,10.40.0.128,10.40.0.129,,,,,,2,2,2,0,"
              "\n");
    const Outcome text = runWith({"show", "FILE"}, doc);
    EXPECT_NE(text.out.find("office  assigned  10    10.40.0.0/25"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("2nd floor\\x09north"), std::string::npos) << text.out;  // columns kept
    const Outcome json = runWith({"show", "--json", "FILE"}, doc);
    EXPECT_EQ(json.out, doc);
    const Outcome bad = runWith({"show", "FILE"}, doc.substr(0, doc.find("\"blocks\"")) + "\"blocks\": []}");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find(": $: \"blocks\" is empty"), std::string::npos) << bad.err;
    // A key of any length and bytes is quoted escaped and shortened.
    const Outcome odd = runWith({"show", "FILE"}, "{\"\\u0001" + std::string(5000, 'k') + "\": 1," + doc.substr(1));
    EXPECT_EQ(odd.status, 2);
    EXPECT_LT(odd.err.size(), 600u) << odd.err;
    EXPECT_EQ(odd.err.find('\x01'), std::string::npos) << odd.err;
    EXPECT_EQ(runWith({"show", "/nonexistent.mqplan"}, "").status, 2);
}

}  // namespace
}  // namespace mq::mqnet
