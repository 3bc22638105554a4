// Field helpers against independent oracles: the C library for hex digits and ASCII case,
// tables for blanks and colours.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "textio/fields.h"

namespace mq::textio {
namespace {

TEST(Fields, TrimsBlanksAndReadsCaseAndHexAsTheCLibraryDoesForAscii)
{
    for (auto [text, trimmed] : {std::pair{" \tweb \t", "web"}, {"a b", "a b"}, {" \t ", ""}, {"\nx\r", "\nx\r"}})
        EXPECT_EQ(trimBlanks(text), trimmed) << text;
    EXPECT_FALSE(equalsIgnoringCase("prefix", "prefi"));
    EXPECT_FALSE(equalsIgnoringCase("@", "`"));  // they differ by the case bit, but are no letters
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        const std::string lower(1, static_cast<char>(c < 0x80 ? std::tolower(c) : c));  // bytes above ASCII stay
        EXPECT_EQ(lowerCase(one), lower) << c;
        EXPECT_TRUE(equalsIgnoringCase(one, lower)) << c;
        char* end = nullptr;
        const long v = std::strtol(one.c_str(), &end, 16);
        EXPECT_EQ(hexDigitValue(one[0]), end == one.c_str() + 1 ? static_cast<int>(v) : -1) << c;
        if (std::isxdigit(c)) {
            EXPECT_EQ(hexDigit(static_cast<unsigned>(v) | 0x30), lower[0]) << c;  // the low four bits only
        }
    }
}

TEST(Fields, ColourTextsRoundTrip)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> refused, ignored;  // parsed with ColourAlpha::Refused, ::Ignored
    };
    const Case cases[] = {
        {"#00ff7f", 0x00FF7F, 0x00FF7F},          {"#ABCDEF", 0xABCDEF, 0xABCDEF},
        {"#12345678", std::nullopt, 0x123456},    {"#1234567", std::nullopt, std::nullopt},
        {"#12345g", std::nullopt, std::nullopt},  {"#123456zz", std::nullopt, std::nullopt},
        {"0x123456", std::nullopt, std::nullopt}, {"#fff", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseColourText(c.text), c.refused) << c.text;
        EXPECT_EQ(parseColourText(c.text, ColourAlpha::Ignored), c.ignored) << c.text;
    }
    EXPECT_EQ(colourText(0x00ff7f), "#00ff7f");
    for (std::uint32_t rgb : {0u, 0xABCDEFu, 0xFFFFFFu})
        EXPECT_EQ(parseColourText(colourText(rgb)), rgb);
}

}  // namespace
}  // namespace mq::textio
