// Small helpers every window uses: reading numbers back from control texts,
// writing numbers the way the program shows them, and the program's colours.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mq {

inline constexpr const char* kProgramTitle = "Maskquill";

// The first line of every report. The calculator report and the address range
// listing put one blank between title and notice, the VLSM report two.
inline constexpr const char* kReportTitle = "Maskquill for Win95 V5.1";
inline constexpr const char* kReportNotice = "(c) 2026 The Maskquill developers";
std::string reportBanner(int blanks = 1);

// Colours as stored values &H00BBGGRR; turned into QColor only in ui/.
using Colour = std::uint32_t;
namespace colour {
inline constexpr Colour Black = 0x00000000;
inline constexpr Colour Red = 0x000000FF;
inline constexpr Colour Blue = 0x00FF0000;
inline constexpr Colour Olive = 0x00008080;
inline constexpr Colour Purple = 0x00800080;
inline constexpr Colour Green = 0x00008000;
inline constexpr Colour LightGrey = 0x00C0C0C0;
}  // namespace colour

// The number at the start of a text: blanks skipped, optional sign, digits,
// optional point and fraction. 0 when the text does not start with a number.
double leadingNumber(std::string_view text);

// True when the whole text (blanks around it allowed) is one such number.
bool isNumber(std::string_view text);

// A number as the program writes it in messages and results: "12", ".5", "-3".
std::string plainNumber(double value);

// A number with its sign position: " 128" for non-negative values, "-5" otherwise.
std::string signText(double value);

// Blanks removed from both ends.
std::string trim(std::string_view text);

// 1-based substring that never reads past the text (start < 1 counts from 1).
std::string mid(std::string_view text, long start, long length);

}  // namespace mq
