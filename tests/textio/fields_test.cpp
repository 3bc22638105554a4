// Field helpers against independent oracles: the C library for hex digits and case, tables
// for blanks and colours.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "textio/fields.h"

namespace mq::textio {
namespace {

TEST(Fields, TrimsBlanksAndComparesWithoutAsciiCase)
{
    struct Case {
        const char* text;
        const char* trimmed;
    };
    for (const Case& c : {Case{" \tweb \t", "web"}, Case{"a b", "a b"}, Case{" \t ", ""}, Case{"", ""},
                          Case{"\nx\r", "\nx\r"}, Case{"  x", "x"}, Case{"x  ", "x"}})
        EXPECT_EQ(trimBlanks(c.text), c.trimmed) << c.text;
    EXPECT_TRUE(equalsIgnoringCase("Prefix", "pREFIX"));
    EXPECT_FALSE(equalsIgnoringCase("prefix", "prefi"));
    EXPECT_FALSE(equalsIgnoringCase("@", "`"));  // 0x40 and 0x60 differ by the case bit, but are no letters
    EXPECT_FALSE(equalsIgnoringCase("\xC4", "\xE4"));  // nor are bytes above ASCII
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const char lower = c < 0x80 ? static_cast<char>(std::tolower(c)) : ch;
        EXPECT_EQ(lowerCase(std::string(1, ch)), std::string(1, lower)) << c;
        EXPECT_TRUE(equalsIgnoringCase(std::string(1, ch), std::string(1, lower))) << c;
    }
}

TEST(Fields, HexDigitsReadAndWriteAsStrtolDoes)
{
    for (int c = 0; c < 256; ++c) {
        const char text[2] = {static_cast<char>(c), 0};
        char* end = nullptr;
        const long v = std::strtol(text, &end, 16);
        const int expected = end == text + 1 ? static_cast<int>(v) : -1;
        EXPECT_EQ(hexDigitValue(text[0]), expected) << c;
        if (expected >= 0) {
            EXPECT_EQ(hexDigit(static_cast<unsigned>(expected)), std::tolower(c)) << c;
        }
    }
    EXPECT_EQ(hexDigit(0x1Au), 'a');  // the low four bits only
}

TEST(Fields, ColourTextsRoundTrip)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> refused, ignored;  // parsed with ColourAlpha::Refused, ::Ignored
    };
    const Case cases[] = {
        {"#00ff7f", 0x00FF7F, 0x00FF7F},
        {"#ABCDEF", 0xABCDEF, 0xABCDEF},
        {"#000000", 0, 0},
        {"#12345678", std::nullopt, 0x123456},
        {"#1234567", std::nullopt, std::nullopt},
        {"#12345g", std::nullopt, std::nullopt},
        {"#123456zz", std::nullopt, std::nullopt},
        {"0x123456", std::nullopt, std::nullopt},
        {" #123456", std::nullopt, std::nullopt},
        {"#fff", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseColourText(c.text), c.refused) << c.text;
        EXPECT_EQ(parseColourText(c.text, ColourAlpha::Ignored), c.ignored) << c.text;
    }
    for (std::uint32_t rgb : {0u, 0xABCDEFu, 0x0000FFu, 0xFFFFFFu}) {
        const std::string text = colourText(rgb);
        EXPECT_EQ(text.size(), 7u);
        EXPECT_EQ(parseColourText(text), rgb) << text;
    }
    EXPECT_EQ(colourText(0x00ff7f), "#00ff7f");
}

}  // namespace
}  // namespace mq::textio
