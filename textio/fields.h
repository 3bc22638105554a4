#pragma once
// Small conversions of field texts shared by every reader and writer: blanks, case, hex
// digits and colours.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mq::textio {

// The text without the blanks (spaces and tabs) around it.
std::string_view trimBlanks(std::string_view text);

// ASCII letters compared without case, every other byte as it is (so the result does not
// depend on the locale).
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// An ASCII capital in lower case, every other byte as it is (whatever the locale says).
constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
// The text with ASCII letters in lower case.
std::string lowerCase(std::string_view text);

// The value 0..15 of a hex digit in either case, -1 for any other character.
constexpr int hexDigitValue(char c)
{
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}
// The lower-case hex digit of the low four bits of v.
constexpr char hexDigit(unsigned v)
{
    return "0123456789abcdef"[v & 0xF];
}

// "#rrggbb" (lower case) of a colour 0xRRGGBB.
std::string colourText(std::uint32_t rgb);
enum class ColourAlpha : std::uint8_t {
    Refused,  // "#rrggbb" only
    Ignored,  // "#rrggbbaa" too, as web pages write it; the alpha is dropped
};
// The colour of "#rrggbb" with hex digits in either case; nullopt for any other text.
std::optional<std::uint32_t> parseColourText(std::string_view text, ColourAlpha alpha = ColourAlpha::Refused);

}  // namespace mq::textio
