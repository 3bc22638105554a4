#include "sheets/cell_text.h"

#include <gtest/gtest.h>

namespace mq::sheets {
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

}  // namespace
}  // namespace mq::sheets
