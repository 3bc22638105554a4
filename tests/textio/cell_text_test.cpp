#include "textio/cell_text.h"

#include <gtest/gtest.h>

namespace mq::textio {
namespace {

struct NumberCase {
    const char* stored;
    bool percent;
    std::optional<std::string> shown;
};

// What a spreadsheet shows in General format (or as a percentage) for what it stores.
TEST(CellText, NumbersReadAsShown)
{
    const NumberCase cases[] = {
        {"12", false, "12"},
        {"12.0", false, "12"},
        {"-0", false, "0"},
        {"-0.5", false, "-0.5"},
        {"1.2E+3", false, "1200"},
        {"1E+15", false, "1000000000000000"},
        {"2.5E-1", false, "0.25"},
        {"0.001", false, "0.001"},
        {"9007199254740992", false, "9007199254740992"},
        {"1.8446744073709552E+19", false, "1.8446744073709552E+19"},
        {"1E+300", false, "1E+300"},
        {"0.25", true, "25%"},
        {"0.125", true, "12.5%"},
        {"1", true, "100%"},
        {"0", true, "0%"},
        {"", false, std::nullopt},
        {"1.2.3", false, std::nullopt},
        {"12a", false, std::nullopt},
        {"1E", false, std::nullopt},
        {"0x10", false, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plainNumber(c.stored, c.percent), c.shown) << c.stored;
}

TEST(CellText, CellReferencesWithinTheLargestSheet)
{
    struct Case {
        const char* ref;
        std::optional<std::pair<std::size_t, std::size_t>> at;  // row, column
    } cases[] = {
        {"A1", std::pair{1, 0}},     {"Z9", std::pair{9, 25}},
        {"AA10", std::pair{10, 26}}, {"XFD1048576", std::pair{1048576, 16383}},
        {"XFE1", std::nullopt},      {"A1048577", std::nullopt},
        {"A0", std::nullopt},        {"A01", std::nullopt},
        {"a1", std::nullopt},        {"1A", std::nullopt},
        {"A", std::nullopt},         {"A1B", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto at = parseCellRef(c.ref);
        EXPECT_EQ(at.has_value(), c.at.has_value()) << c.ref;
        if (at && c.at) {
            EXPECT_EQ(std::pair(at->row, at->column), *c.at) << c.ref;
        }
    }
}

// What libxlsxwriter and Excel escape as _xHHHH_ reads back as typed.
TEST(CellText, EscapedCharactersReadAsTyped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"_x005F_x0041_ is no A", "_x0041_ is no A"},
        {"a_x000D__x000A_b", "a\r\nb"},
        {"_x00e9_t_x00C9_", "\xC3\xA9t\xC3\x89"},
        {"_xD83D__xDE00_", "\xF0\x9F\x98\x80"},  // a surrogate pair: one character
        {"_xD83D_ alone", "_xD83D_ alone"},
        {"_x12G4_ _x123_ _x1234", "_x12G4_ _x123_ _x1234"},
        {"plain_text_", "plain_text_"},
    };
    for (const auto& [stored, text] : cases)
        EXPECT_EQ(unescapedXstring(stored), text) << stored;
}

// Which counts the writer stores as numbers; the reader keeps the text of the rest.
TEST(CellText, ANumberOnlyWhereADoubleHoldsItExactly)
{
    const std::pair<const char*, bool> cases[] = {
        {"0", true},
        {"4094", true},
        {"9007199254740991", true},
        {"9007199254740992", true},  // 2^53
        {"9007199254740993", false},  // the first a double rounds
        {"18446744073709551616", false},  // beyond 64 bits
        {"1208925819614629174706176", false},
        {"", false},
        {"007", false},  // a leading zero would be lost
        {"-1", false},
        {"1e3", false},
        {" 1", false},
    };
    for (const auto& [text, fits] : cases)
        EXPECT_EQ(fitsExactly(text), fits) << text;
}

// What the writer stores, the reader gives back as written: underscores that look like an
// escape, controls XML refuses, a character beyond U+FFFF; a byte that is not UTF-8 comes
// back as U+FFFD.
TEST(CellText, WrittenTextReadsBackAsTyped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"_x0041_ is no A", "_x0041_ is no A"},
        {"a\x01"
         "b\x1F",
         "a\x01"
         "b\x1F"},
        {"tab\tcr\r", "tab\tcr\r"},
        {"\xEF\xBF\xBF", "\xEF\xBF\xBF"},  // U+FFFF
        {"\xF0\x9F\x98\x80 _x_ _x12_", "\xF0\x9F\x98\x80 _x_ _x12_"},
        {"bad \xFF", "bad \xEF\xBF\xBD"},
    };
    for (const auto& [text, back] : cases)
        EXPECT_EQ(unescapedXstring(escapedXstring(text)), back) << text;
    EXPECT_EQ(escapedXstring("_x0041_\x01"), "_x005F_x0041__x0001_");
}

}  // namespace
}  // namespace mq::textio
