// The Lists page and mqnet read lists the same way and answer alike: the same files
// give the same summary, set, overlap and free-space results and refuse the same lines.
#include "classless/lists.h"
#include "tests/support/run_mqnet.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace mq::classless {
namespace {

using Refused = std::set<std::pair<char, std::size_t>>;  // list, line

struct CliRun {
    std::vector<std::string> out;
    Refused refused;
};

using test::readFile;

std::string replaced(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; !from.empty() && (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

// Runs mqnet with its arguments (A and B stand for the two files) and names its
// output's and refusals' files A and B again.
CliRun runMqnet(const std::string& args, const std::string& a, const std::string& b)
{
    std::vector<std::string> words;
    std::istringstream split(args);
    for (std::string w; split >> w;)
        words.push_back(w == "A" ? a : w == "B" ? b : w);
    const test::Outcome run = mq::test::runMqnet(words);
    const std::string& text = run.out;
    CliRun r;
    std::istringstream lines(b.empty() ? text : replaced(replaced(text, a + ":", "A:"), b + ":", "B:"));
    for (std::string l; std::getline(lines, l);)
        r.out.push_back(l);
    // "mqnet: FILE line 7: ..."
    const std::regex refusal(R"(^mqnet: (.*) line (\d+):)");
    std::istringstream errors(run.err);
    for (std::string l; std::getline(errors, l);) {
        std::smatch m;
        if (std::regex_search(l, m, refusal))
            r.refused.insert({m[1] == b ? 'B' : 'A', std::stoul(m[2])});
    }
    return r;
}

Refused refusedOf(const ListsResult& r)
{
    Refused s;
    for (const textio::Problem& p : r.refused)
        s.insert({p.file.at(0), p.line});
    return s;
}

TEST(ListsAndMqnet, SameFilesSameSummaryAndRefusedLines)
{
    const std::string lists[] = {
        "10.0.0.0/24 # office\n10.0.1.0/24\t# lab\n",
        "\xEF\xBB\xBF"
        "192.168.0.0/25\r\n192.168.0.128/25\r\n\r\n  # a note\r\nnot an address\r\n",
        "2001:db8::/48\n2001:db8:1::/48\n10.0.0.1 - 10.0.0.6\n10.1.2.3 255.255.255.0\n"
        "\x1b]0;title\x07\n010.0.0.1\n10.0.0.0/33\n" +
            std::string(70000, 'x') + "\n172.16.0.0/12",
        "",
    };
    const test::TempDir dir;
    for (const std::string& list : lists) {
        const std::string file = dir.write("summary_list.txt", list);
        const CliRun cli = runMqnet("summarize A", file, "");
        const ListsResult page = workOut({ListOperation::Summarize, readFile(file), {}, {}});
        EXPECT_EQ(page.lines, cli.out) << list.substr(0, 40);
        EXPECT_EQ(refusedOf(page), cli.refused) << list.substr(0, 40);
    }
}

TEST(ListsAndMqnet, SameFilesSameSetsOverlapsAndFreeSpace)
{
    const test::TempDir dir;
    const std::string a = dir.write("lists_a.txt", "10.0.0.0/24 # office\n10.0.1.0/25\n2001:db8::/48\nten\n"
                                                   "10.0.0.5-10.0.0.9\n10.0.0.0/24\n");
    const std::string b = dir.write("lists_b.txt", "10.0.0.128/25\r\n10.0.1.0/24\r\n2001:db8::/32\r\n\x1b[2J\r\n");
    const struct {
        ListOperation op;
        const char* args;
    } cases[] = {
        {ListOperation::Union, "set union A B"},   {ListOperation::Intersection, "set intersect A B"},
        {ListOperation::Except, "set except A B"}, {ListOperation::SymmetricDifference, "set diff A B"},
        {ListOperation::Overlaps, "overlaps A B"}, {ListOperation::FreeSpace, "free 10.0.0.0/22 A"},
    };
    for (const auto& c : cases) {
        const CliRun cli = runMqnet(c.args, a, b);
        const bool usesB = operationInfo(c.op).usesB;
        const ListsResult page = workOut({c.op, readFile(a), usesB ? readFile(b) : "", "10.0.0.0/22"});
        EXPECT_EQ(page.lines, cli.out) << c.args;
        EXPECT_EQ(refusedOf(page), cli.refused) << c.args;
    }
    // One list's overlaps name lines alone.
    const CliRun cli = runMqnet("overlaps A", a, b);
    EXPECT_EQ(workOut({ListOperation::Overlaps, readFile(a), {}, {}}).lines, cli.out);
}

}  // namespace
}  // namespace mq::classless
