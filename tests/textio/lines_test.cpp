#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::textio {
namespace {

using Got = std::vector<std::pair<std::size_t, std::string>>;  // number, content ("!" = too long)

Got fromText(std::string_view text)
{
    Got got;
    readLines(text, [&](const Line& l) {
        got.emplace_back(l.number, l.tooLong ? "!" : std::string(l.content));
        return true;
    });
    return got;
}

// The same bytes through a FILE, so that blocks cut lines wherever they fall.
Got fromFile(const std::string& bytes, std::string* error = nullptr)
{
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    Got got;
    const ReadResult r = readLines(f, [&](const Line& l) {
        got.emplace_back(l.number, l.tooLong ? "!" : std::string(l.content));
        return true;
    });
    std::fclose(f);
    if (error)
        *error = r.error;
    return got;
}

struct Case {
    const char* input;
    Got want;
};

class LineForms : public ::testing::TestWithParam<Case> { };

TEST_P(LineForms, TextAndFileReadAlike)
{
    EXPECT_EQ(fromText(GetParam().input), GetParam().want);
    EXPECT_EQ(fromFile(GetParam().input), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineForms,
    ::testing::Values(Case{"", {}}, Case{"10.0.0.0/8", {{1, "10.0.0.0/8"}}},
                      Case{"\xEF\xBB\xBF"
                           "10.0.0.0/8\r\n\r\n  \t\n192.0.2.1 \r\n",
                           {{1, "10.0.0.0/8"}, {4, "192.0.2.1"}}},
                      Case{"10.0.0.0/24 # office\n# whole line\n lab, 10 #x\n", {{1, "10.0.0.0/24"}, {3, "lab, 10"}}},
                      // A mark anywhere but the start is content, and a CR inside a line stays in it.
                      Case{"a\n\xEF\xBB\xBF"
                           "b\nc\rd\n",
                           {{1, "a"},
                            {2, "\xEF\xBB\xBF"
                                "b"},
                            {3, "c\rd"}}},
                      Case{"last line without end", {{1, "last line without end"}}}));

TEST(LineLimits, ALongLineIsRefusedAndReadingGoesOn)
{
    const std::string atLimit(kMaxLineBytes, 'a');
    const std::string over(kMaxLineBytes + 1, 'b');
    const std::string huge(5 * (1 << 20) + 17, 'c');  // spans several blocks
    const std::string input = atLimit + "\r\n" + over + "\n" + huge + "\nafter\n" + over;
    const Got want{{1, atLimit}, {2, "!"}, {3, "!"}, {4, "after"}, {5, "!"}};
    EXPECT_EQ(fromText(input), want);
    EXPECT_EQ(fromFile(input), want);
}

TEST(LineLimits, LinesCutByBlockBoundariesAreWhole)
{
    std::string input;
    Got want;
    for (std::size_t i = 1; input.size() < 3 * (1 << 20); ++i) {
        const std::string item = "10." + std::to_string(i % 256) + ".0.0/16";
        input += item + (i % 3 ? "\n" : "\r\n");
        want.emplace_back(i, item);
    }
    EXPECT_EQ(fromFile(input), want);
}

TEST(LineLimits, AnEndlessLineIsRefusedBeforeItEnds)
{
    // /dev/zero never ends a line: the refusal must come while reading, not at the end.
    std::FILE* zero = std::fopen("/dev/zero", "rb");
    ASSERT_NE(zero, nullptr);
    Got got;
    const ReadResult r = readLines(zero, [&](const Line& l) {
        got.emplace_back(l.number, l.tooLong ? "!" : std::string(l.content));
        return false;
    });
    std::fclose(zero);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(got, (Got{{1, "!"}}));
}

TEST(LineReading, StopsWhenAskedAndNamesReadErrors)
{
    int seen = 0;
    const ReadResult r = readLines("a\nb\nc\n", [&](const Line&) { return ++seen < 2; });
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(seen, 2);

    std::string error;
    EXPECT_EQ(openInput("/", &error), nullptr);
    EXPECT_EQ(error, "is a directory");
    EXPECT_EQ(openInput("/nonexistent/list.txt", &error), nullptr);
    EXPECT_EQ(error, "No such file or directory");
    std::FILE* dir = std::fopen("/", "rb");  // opened behind openInput's back: reading fails
    ASSERT_NE(dir, nullptr);
    const ReadResult d = readLines(dir, [](const Line&) { return true; });
    std::fclose(dir);
    EXPECT_EQ(d.error, "Is a directory");
}

TEST(Quoting, ControlBytesAndBadUtf8AreEscapedAndLongTextIsCut)
{
    EXPECT_EQ(escaped("10.0.0.0/8"), "10.0.0.0/8");
    EXPECT_EQ(escaped("\x1b]0;pwned\a\x1b[2J"), "\\x1b]0;pwned\\x07\\x1b[2J");
    EXPECT_EQ(escaped("a\\b\x7f"), "a\\\\b\\x7f");
    EXPECT_EQ(escaped("caf\xC3\xA9 \xC2\x9B"
                      "1m \xFF\xC3"),
              "caf\xC3\xA9 \\xc2\\x9b1m \\xff\\xc3");
    EXPECT_EQ(escaped(std::string(81, 'x')), std::string(80, 'x') + "\u2026");
    EXPECT_EQ(escaped(std::string(80, 'x')), std::string(80, 'x'));
    EXPECT_EQ(escaped("\x01\x02\x03", 2), "\\x01\\x02\u2026");
}

// Characters that show nothing but hide text or turn the rest of a message round are
// escaped by code point; letters of every script stay as written.
TEST(Quoting, InvisibleAndBidirectionalFormatCharactersAreEscapedLettersKept)
{
    const std::pair<const char*, const char*> cases[] = {
        {"evil\u202Etxt.exe", "evil\\u{202e}txt.exe"},
        {"\u200B\u200C\u200D\u200E\u200F", "\\u{200b}\\u{200c}\\u{200d}\\u{200e}\\u{200f}"},
        {"\u202A\u202B\u202C\u202D", "\\u{202a}\\u{202b}\\u{202c}\\u{202d}"},
        {"\u2066a\u2067b\u2068c\u2069", "\\u{2066}a\\u{2067}b\\u{2068}c\\u{2069}"},
        {"\uFEFF10.0.0.0/8 \u061C", "\\u{feff}10.0.0.0/8 \\u{61c}"},
        // Neighbours of the ranges are ordinary text.
        {"\u200A\u2010\u202F\u2065\u206A\uFEFE\uFF01", "\u200A\u2010\u202F\u2065\u206A\uFEFE\uFF01"},
        {"Z\u00FCrich \u6771\u4EAC", "Z\u00FCrich \u6771\u4EAC"},
        {"\u0627\u0644\u0642\u0627\u0647\u0631\u0629 \u05EA\u05DC \u05D0\u05D1\u05D9\u05D1",
         "\u0627\u0644\u0642\u0627\u0647\u0631\u0629 \u05EA\u05DC \u05D0\u05D1\u05D9\u05D1"},
        {"\U0001F600 caf\u00E9", "\U0001F600 caf\u00E9"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(escaped(text), shown) << text;
    EXPECT_EQ(escaped("\u202E\u202E\u202E", 2), "\\u{202e}\\u{202e}\u2026");  // an escape counts as one
}

}  // namespace
}  // namespace mq::textio
