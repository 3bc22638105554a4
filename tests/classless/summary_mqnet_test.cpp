// The Lists page summarising list A and `mqnet summarize` read a list the same way: the same files
// give the same summary and refuse the same lines.
#include "classless/lists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace mq::classless {
namespace {

struct CliRun {
    std::vector<std::string> out;
    std::set<std::size_t> refusedLines;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

CliRun runMqnet(const std::string& file)
{
    const std::string err = file + ".err";
    const std::string cmd = std::string("'") + MQNET_PATH + "' summarize '" + file + "' 2>'" + err + "'";
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
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);)
        r.out.push_back(l);
    // "... FILE line 7: ..." or "FILE:7: ...": the number after the file's name.
    const std::regex number(R"((?: line |:)(\d+):)");
    std::istringstream errors(slurp(err));
    for (std::string l; std::getline(errors, l);) {
        std::smatch m;
        if (std::regex_search(l, m, number))
            r.refusedLines.insert(std::stoul(m[1]));
    }
    std::remove(err.c_str());
    return r;
}

TEST(SummaryAndMqnet, SameFilesSameSummaryAndRefusedLines)
{
    const std::string lists[] = {
        "10.0.0.0/24 # office\n10.0.1.0/24\t# lab\n",
        "\xEF\xBB\xBF""192.168.0.0/25\r\n192.168.0.128/25\r\n\r\n  # a note\r\nnot an address\r\n",
        "2001:db8::/48\n2001:db8:1::/48\n10.0.0.1 - 10.0.0.6\n10.1.2.3 255.255.255.0\n"
        "\x1b]0;title\x07\n010.0.0.1\n10.0.0.0/33\n" + std::string(70000, 'x') + "\n172.16.0.0/12",
        "",
    };
    int n = 0;
    for (const std::string& list : lists) {
        const std::string file = ::testing::TempDir() + "summary_list_" + std::to_string(n++) + ".txt";
        std::ofstream(file, std::ios::binary) << list;
        const CliRun cli = runMqnet(file);
        ListsForm page;
        page.request.a = slurp(file);
        page.update();
        EXPECT_EQ(page.result.lines, cli.out) << file;
        std::set<std::size_t> refused;
        for (const RefusedLine& l : page.result.refused)
            refused.insert(l.number);
        EXPECT_EQ(refused, cli.refusedLines) << file;
        std::remove(file.c_str());
    }
}

}  // namespace
}  // namespace mq::classless
