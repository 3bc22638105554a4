#pragma once
// Input quoted in a message: whatever bytes a file or a paste held, the message shows them
// readably and cannot retitle, clear or otherwise drive the terminal or window it lands in.
#include <cstddef>
#include <string>
#include <string_view>

namespace mq::textio {

// How much of a quoted text a message shows (escaped's maxChars), by what is quoted:
constexpr std::size_t kQuotedChars = 80;  // an item or a line of input (the default)
constexpr std::size_t kQuotedValue = 60;  // a value inside a sentence: a cell a spreadsheet would
                                          // read as a formula, a field of an IPAM file
constexpr std::size_t kQuotedCell = 200;  // a cell of mqnet plan show's table
constexpr std::size_t kQuotedReason = 240;  // a reason that quotes input, with a sentence around
                                            // it: a refused document's, a refused edit's
constexpr std::size_t kQuotedPath = 400;  // a file's name in a window's message

// Control bytes (C0, DEL and the C1 controls U+0080..U+009F), bytes that are not well-formed
// UTF-8 and the backslash itself are written as \xHH (the backslash as \\). The invisible and
// bidirectional format characters (U+061C, U+200B..U+200F, U+202A..U+202E, U+2066..U+2069,
// U+FEFF) are written as \u{202e}: they would hide text or turn the rest of a message round,
// while letters of every script stay as they are. The text is cut after maxChars characters,
// an escape counting as one, with "…" added.
std::string escaped(std::string_view text, std::size_t maxChars = kQuotedChars);
// The text escaped and shortened as above, between double quotes: how every message quotes
// a value it was given ("VLAN \"x\" is not a number").
std::string quoted(std::string_view text, std::size_t maxChars = kQuotedValue);

}  // namespace mq::textio
