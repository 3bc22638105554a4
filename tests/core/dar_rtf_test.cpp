// The saved listing read back by real RTF readers (pandoc, unrtf).
#include "tests/core/dar_fixture.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace mq::test {
namespace {

// A reader's standard output; what it says on standard error is not looked at.
std::string run(const std::string& program, const std::vector<std::string>& args)
{
    const Outcome o = runProgram(program, args);
    EXPECT_EQ(o.status, 0) << program;
    return o.out;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l))
        out.push_back(l);
    return out;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size())
        s.replace(p, from.size(), to);
    return s;
}

// What pandoc's plain text makes of a line: tabs and blank runs as one blank, no blanks at the ends.
std::string collapsed(const std::string& line)
{
    return trim(std::regex_replace(line, std::regex("[\t ]+"), " "));
}

std::string rtfOf(const DarReport& report)
{
    StringSink sink;
    EXPECT_TRUE(report.writeRtf(sink));
    return sink.bytes;
}

// ---------------------------------------------------------------- escaping

struct EscapeCase {
    std::string text;
    std::string rtf;
};

class Escaping : public ::testing::TestWithParam<EscapeCase> { };

TEST_P(Escaping, SpecialCharactersAreEscaped)
{
    std::string out;
    RtfWriter::appendEscaped(GetParam().text, out);
    EXPECT_EQ(out, GetParam().rtf);
}

INSTANTIATE_TEST_SUITE_P(Texts, Escaping,
                         ::testing::Values(EscapeCase{"192.168.1.0", "192.168.1.0"}, EscapeCase{"a\\b", "a\\\\b"},
                                           EscapeCase{"{x}", "\\{x\\}"}, EscapeCase{" 0\t1", " 0\\tab 1"},
                                           EscapeCase{"caf\xC3\xA9", "caf\\u233\\'3f"},
                                           EscapeCase{"\xE2\x82\xAC", "\\u8364\\'3f"},
                                           EscapeCase{"\xEF\xBF\xBD", "\\u-3\\'3f"},
                                           EscapeCase{"\xF0\x9F\x98\x80", "\\u-10179\\'3f\\u-8704\\'3f"},
                                           EscapeCase{"a\xFF"
                                                      "b",
                                                      "a\\'ffb"},
                                           EscapeCase{"\xC3", "\\'c3"}, EscapeCase{"a\rb\x01\n", "ab"},
                                           EscapeCase{"\xE0\x80\xAF", "\\'e0\\'80\\'af"}));

// ---------------------------------------------------------------- streaming

class FailingSink : public ByteSink {
public:
    std::size_t limit;
    std::size_t written = 0;
    std::size_t largest = 0;
    int writes = 0;
    explicit FailingSink(std::size_t l) : limit(l) { }
    bool write(std::string_view b) override
    {
        ++writes;
        largest = std::max(largest, b.size());
        if (written + b.size() > limit)
            return false;
        written += b.size();
        return true;
    }
};

TEST(DarRtf, LongListingsAreStreamedInChunksAndAFailedWriteStops)
{
    DarFixture f;
    f.calculate({"10", "1", "2", "3"}, "255.255.255.0");  // 65,534 subnets
    f.dar.open();
    f.dar.SSCommand1_Click();
    ASSERT_EQ(f.dar.RichTextBox1.rows(), 65535);

    FailingSink all(std::size_t(1) << 40);
    EXPECT_TRUE(f.dar.RichTextBox1.writeRtf(all));
    EXPECT_GT(all.writes, 40);
    EXPECT_LT(all.largest, std::size_t(80000));

    FailingSink broken(100000);
    EXPECT_FALSE(f.dar.RichTextBox1.writeRtf(broken));
    EXPECT_LT(broken.writes, 4);  // nothing more is sent after a failure

    StringSink whole;
    ASSERT_TRUE(f.dar.RichTextBox1.writeRtf(whole));
    std::size_t pars = 0;
    for (std::size_t p = 0; (p = whole.bytes.find("\\par\r\n", p)) != std::string::npos; ++p)
        ++pars;
    EXPECT_EQ(pars, 19u + 65535u);
    EXPECT_NE(
        whole.bytes.find(" 65534\\tab 10.255.254.0\\tab 10.255.254.1\\tab 10.255.254.254\\tab 10.255.254.255\\par"),
        std::string::npos);
}

// ---------------------------------------------------------------- read back

class DarRtfReadBack : public DarFixture, public ::testing::Test {
protected:
    void SetUp() override
    {
        calculate({"192", "168", "1", "77"}, "255.255.255.224");
        dar.open();
        dar.SSCommand1_Click();
        rtf = rtfOf(dar.RichTextBox1);
        path = dir.write("dar_readback.rtf", rtf);
        report = lines(dar.RichTextBox1.text());
        ASSERT_EQ(report.size(), 26u);
    }
    TempDir dir;
    std::string rtf, path;
    std::vector<std::string> report;
};

TEST_F(DarRtfReadBack, FileIsRtfWithNinePointTextAndTheFourTabStops)
{
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("\\fs18"), std::string::npos);
    const auto tabs = rtf.find("\\tx1000\\tx2500\\tx4000\\tx5500");
    ASSERT_NE(tabs, std::string::npos);
    EXPECT_LT(tabs, rtf.find("Subnet\\tab Subnet Address"));
    EXPECT_GT(tabs, rtf.find("Number of Hosts Wasted"));
    EXPECT_EQ(rtf.find("\\tx", tabs + 1), rtf.find("\\tx2500"));  // set once
}

TEST_F(DarRtfReadBack, PandocReadsTheLinesBoldAndItalic)
{
    const auto plain = lines(run("pandoc", {"-f", "rtf", "-t", "plain", "--wrap=none", path}));
    std::vector<std::string> expected;
    for (const auto& l : report)
        if (!collapsed(l).empty())
            expected.push_back(collapsed(l));
    std::vector<std::string> got;
    for (const auto& l : plain)
        if (!l.empty())
            got.push_back(l);
    EXPECT_EQ(got, expected);

    const auto html = run("pandoc", {"-f", "rtf", "-t", "html", "--wrap=none", path});
    EXPECT_NE(html.find("<p><strong>" + reportBanner(1) + "</strong></p>"), std::string::npos);
    EXPECT_NE(html.find("<p><strong><em>Results of Subnet Calculation</em></strong></p>"), std::string::npos);
    EXPECT_NE(html.find("<p><strong>Subnet Subnet Address Start Address End Address Broadcast Address</strong></p>"),
              std::string::npos);
    EXPECT_NE(html.find("<p>TCP/IP Host Address chosen: 192.168.1.77</p>"), std::string::npos);
    EXPECT_NE(html.find("<p>6 192.168.1.192 192.168.1.193 192.168.1.222 192.168.1.223</p>"), std::string::npos);
    EXPECT_EQ(std::regex_search(html, std::regex("<strong>[^<]*192\\.168")), false);
    std::size_t strong = 0;
    for (std::size_t p = 0; (p = html.find("<strong>", p)) != std::string::npos; ++p)
        ++strong;
    EXPECT_EQ(strong, 3u);
    EXPECT_EQ(html.find("<em>"), html.rfind("<em>"));

    // The document tree: three bold paragraphs, the second of them also italic.
    const auto native = run("pandoc", {"-f", "rtf", "-t", "native", path});
    auto count = [&native](const std::string& word) {
        std::size_t n = 0;
        for (std::size_t p = 0; (p = native.find(word, p)) != std::string::npos; ++p)
            ++n;
        return n;
    };
    EXPECT_EQ(count("Strong"), 3u);
    EXPECT_EQ(count("Emph"), 1u);
    EXPECT_TRUE(std::regex_search(native, std::regex("Strong\\s*\\[\\s*Emph\\s*\\[\\s*Str \"Results\"")));
    EXPECT_EQ(count("Para"), expected.size());  // pandoc drops the empty lines
}

TEST_F(DarRtfReadBack, UnrtfGivesBackEveryLineExactly)
{
    // unrtf's HTML: one <br> per line end, a tab as blanks and a line break.
    std::string html = run("unrtf", {"--html", path});
    const auto body = html.find("<body>");
    ASSERT_NE(body, std::string::npos);
    html = html.substr(body + 6, html.find("</body>") - body - 6);
    EXPECT_NE(html.find("<b>" + reportBanner(1) + "</b>"), std::string::npos);
    EXPECT_NE(html.find("<b><i>Results of Subnet Calculation</i></b>"), std::string::npos);
    EXPECT_NE(html.find("font-size:9pt"), std::string::npos);
    html = std::regex_replace(html, std::regex("(&nbsp;)+\n"), "\t");
    html = replaceAll(html, "<br>\n", "\n");
    html = std::regex_replace(html, std::regex("<[^>]*>"), "");
    html = replaceAll(html, "&nbsp;", " ");
    html = replaceAll(html, "&amp;", "&");
    // unrtf makes one blank of two; the file itself keeps both.
    std::vector<std::string> expected;
    for (const auto& l : report)
        expected.push_back(std::regex_replace(l, std::regex(" +"), " "));
    EXPECT_EQ(lines(html), expected);
    EXPECT_NE(rtf.find("Number of Subnets with subnet zero enabled:  7\\par"), std::string::npos);

    const auto text = run("unrtf", {"--text", path});
    EXPECT_NE(text.find("\nNumber of Subnets with subnet zero enabled: 7\n"), std::string::npos);
    EXPECT_NE(text.find("\n 6 "), std::string::npos);  // a tab: blanks and a line break
}

TEST(DarRtf, SpecialCharactersSurviveTheRoundTrip)
{
    DarReport report;
    const std::string odd = "Notes {a\\b} caf\xC3\xA9 \xE2\x82\xAC 5 \xC2\xA9 2026";
    report.addHeadLine(odd, {true, false, false});
    report.addHeadLine("}{\\", {});
    const TempDir dir;
    const std::string path = dir.write("dar_special.rtf", rtfOf(report));
    EXPECT_EQ(lines(run("pandoc", {"-f", "rtf", "-t", "plain", "--wrap=none", path})),
              (std::vector<std::string>{odd, "", "}{\\"}));
}

}  // namespace
}  // namespace mq::test
