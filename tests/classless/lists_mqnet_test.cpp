// The Lists page and mqnet read lists the same way and answer alike: the same files
// give the same summary, set, overlap and free-space results and refuse the same lines.
#include "classless/lists.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
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

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

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
    const std::string err = a + ".err";
    const std::string cmd =
        std::string("'") + MQNET_PATH + "' " + replaced(replaced(args, "A", a), "B", b) + " 2>'" + err + "'";
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    EXPECT_NE(p, nullptr);
    if (!p)
        return r;
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        text.append(buf, n);
    pclose(p);
    std::istringstream lines(b.empty() ? text : replaced(replaced(text, a + ":", "A:"), b + ":", "B:"));
    for (std::string l; std::getline(lines, l);)
        r.out.push_back(l);
    // "mqnet: FILE line 7: ..."
    const std::regex refusal(R"(^mqnet: (.*) line (\d+):)");
    std::istringstream errors(slurp(err));
    for (std::string l; std::getline(errors, l);) {
        std::smatch m;
        if (std::regex_search(l, m, refusal))
            r.refused.insert({m[1] == b ? 'B' : 'A', std::stoul(m[2])});
    }
    std::remove(err.c_str());
    return r;
}

Refused refusedOf(const ListsResult& r)
{
    Refused s;
    for (const RefusedLine& l : r.refused)
        s.insert({l.list, l.number});
    return s;
}

std::string write(const std::string& name, const std::string& text)
{
    const std::string file = ::testing::TempDir() + std::to_string(::getpid()) + "_" + name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
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
    for (const std::string& list : lists) {
        const std::string file = write("summary_list.txt", list);
        const CliRun cli = runMqnet("summarize A", file, "");
        const ListsResult page = workOut({ListOperation::Summarize, slurp(file), {}, {}});
        EXPECT_EQ(page.lines, cli.out) << list.substr(0, 40);
        EXPECT_EQ(refusedOf(page), cli.refused) << list.substr(0, 40);
        std::remove(file.c_str());
    }
}

TEST(ListsAndMqnet, SameFilesSameSetsOverlapsAndFreeSpace)
{
    const std::string a = write("lists_a.txt", "10.0.0.0/24 # office\n10.0.1.0/25\n2001:db8::/48\nten\n"
                                               "10.0.0.5-10.0.0.9\n10.0.0.0/24\n");
    const std::string b = write("lists_b.txt", "10.0.0.128/25\r\n10.0.1.0/24\r\n2001:db8::/32\r\n\x1b[2J\r\n");
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
        const ListsResult page = workOut({c.op, slurp(a), usesB ? slurp(b) : "", "10.0.0.0/22"});
        EXPECT_EQ(page.lines, cli.out) << c.args;
        EXPECT_EQ(refusedOf(page), cli.refused) << c.args;
    }
    // One list's overlaps name lines alone.
    const CliRun cli = runMqnet("overlaps A", a, b);
    EXPECT_EQ(workOut({ListOperation::Overlaps, slurp(a), {}, {}}).lines, cli.out);
    std::remove(a.c_str());
    std::remove(b.c_str());
}

}  // namespace
}  // namespace mq::classless
