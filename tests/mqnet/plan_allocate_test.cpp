// mqnet plan allocate, called as the mqnet program calls it: outputs byte for byte, exit
// status, and one line on standard error for each refused argument or segment line.
#include <gtest/gtest.h>

#include "tests/mqnet/run_mqnet.h"

namespace mq::mqnet {
namespace {

std::string segmentsFile()
{
    return planInputFile();
}

Outcome run(std::vector<std::string> args, const std::string& segments)
{
    return runPlanOn(std::move(args), segments);
}

TEST(PlanCommand, CsvJsonAndTextOfOneAllocation)
{
    const std::string segs = "lan, 100\nwifi, 50, 20%\n# spare room\nbig, 300\n";
    const Outcome csv = run({"allocate", "--csv", "--header", "192.168.1.0/24", "FILE"}, segs);
    EXPECT_EQ(csv.status, 3);  // big did not fit
    EXPECT_EQ(csv.out, "name,prefix,first,last,broadcast,hosts,spare,reason\n"
                       "lan,192.168.1.0/25,192.168.1.1,192.168.1.126,192.168.1.127,100,26,\n"
                       "wifi,192.168.1.128/26,192.168.1.129,192.168.1.190,192.168.1.191,50,12,\n"
                       "big,,,,,300,,\"needs a /23, larger than 192.168.1.0/24\"\n");
    EXPECT_EQ(csv.err, "");
    // An IPv6 LAN takes a /64 whatever its hosts; a fixed length overrides it.
    const Outcome json = run({"allocate", "--json", "2001:db8::/63", "FILE"}, "a, 3\nb, 3, , /126\n");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(
        json.out,
        "{\"root\": {\"network\": \"2001:db8::\", \"prefix\": 63}, \"segments\": [\n"
        "  {\"name\": \"a\", \"hosts\": \"3\", \"needed\": \"3\", \"placed\": true, \"network\": \"2001:db8::\", "
        "\"prefix\": 64, \"first\": \"2001:db8::1\", \"last\": \"2001:db8::ffff:ffff:ffff:ffff\", \"broadcast\": null, "
        "\"spare\": \"18446744073709551612\", \"reason\": null, \"largest_free\": null},\n"
        "  {\"name\": \"b\", \"hosts\": \"3\", \"needed\": \"3\", \"placed\": true, \"network\": \"2001:db8:0:1::\", "
        "\"prefix\": 126, \"first\": \"2001:db8:0:1::1\", \"last\": \"2001:db8:0:1::3\", \"broadcast\": null, "
        "\"spare\": \"0\", \"reason\": null, \"largest_free\": null}\n]}\n");
    // Links: 2 hosts a /31 (RFC 3021), 1 host a /32.
    const Outcome text = run({"allocate", "10.0.0.0/30", "FILE"}, "p2p, 2\nloop, 1\nwide, 3\n");
    EXPECT_EQ(text.out, "name  prefix       first     last      hosts  needed  spare\n"
                        "p2p   10.0.0.0/31  10.0.0.0  10.0.0.1  2      2       0\n"
                        "loop  10.0.0.2/32  10.0.0.2  10.0.0.2  1      1       0\n"
                        "wide: did not fit: needs a /29, larger than 10.0.0.0/30\n");
    // Columns line up by characters, so names in other scripts keep the columns straight.
    const Outcome named = run({"allocate", "10.0.0.0/30", "FILE"}, "caf\xC3\xA9, 2\nab, 1\n");
    EXPECT_EQ(named.out, "name  prefix       first     last      hosts  needed  spare\n"
                         "caf\xC3\xA9  10.0.0.0/31  10.0.0.0  10.0.0.1  2      2       0\n"
                         "ab    10.0.0.2/32  10.0.0.2  10.0.0.2  1      1       0\n");
}

TEST(PlanCommand, RefusalsNameWhatIsWrong)
{
    const Outcome lines = run({"allocate", "--csv", "10.0.0.0/24", "FILE"}, "ok, 10\n  bad line  \nx, many\n");
    EXPECT_EQ(lines.status, 2);
    EXPECT_EQ(lines.out, "ok,10.0.0.0/28,10.0.0.1,10.0.0.14,10.0.0.15,10,4,\n");  // the rest is still placed
    EXPECT_EQ(lines.err, "mqnet: " + segmentsFile() +
                             " line 2: bad line: expected name, hosts[, growth%][, /len][, /len][, vlan N]\n"
                             "mqnet: " +
                             segmentsFile() +
                             " line 3: x, many: hosts \"many\" is not a whole number from 0 to 2^128 - 1\n");
    // The only /len of a single IPv4 ROOT is an IPv4 one: a /33 is refused on its line.
    const Outcome lone = run({"allocate", "10.0.0.0/24", "FILE"}, "lab, 10, /33\n");
    EXPECT_EQ(lone.status, 2);
    EXPECT_NE(lone.err.find(" line 1: lab, 10, /33: /33 is not a prefix length of IPv4"), std::string::npos)
        << lone.err;
    struct Case {
        std::vector<std::string> args;
        const char* err;
    };
    for (const Case& c : std::vector<Case>{
             {{"allocate", "10.0.0.1/24", "FILE"}, "has host bits set; did you mean 10.0.0.0/24?"},
             {{"allocate", "10.0.0.0/33", "FILE"}, "ROOT \"10.0.0.0/33\""},
             {{"allocate", "10.0.0.0/24"}, "takes ROOT SEGMENTS-FILE"},
             {{"allocate", "--json", "--csv", "10.0.0.0/24", "FILE"}, "--csv and --json exclude each other"},
             {{"allocate", "--fast", "10.0.0.0/24", "FILE"}, "unknown option --fast"},
             {{"share", "10.0.0.0/24", "FILE"}, "unknown plan command share"},
             {{"allocate", "10.0.0.0/24", "/nonexistent/segs"},
              "cannot open /nonexistent/segs: No such file or directory"}}) {
        const Outcome r = run(c.args, "a, 1\n");
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace mq::mqnet
