#pragma once
// Input quoted in a message: whatever bytes a file or a paste held, the message shows them
// readably and cannot retitle, clear or otherwise drive the terminal or window it lands in.
#include <cstddef>
#include <string>
#include <string_view>

namespace mq::textio {

constexpr std::size_t kQuotedChars = 80;

// Control bytes (C0, DEL and the C1 controls U+0080..U+009F), bytes that are not well-formed
// UTF-8 and the backslash itself are written as \xHH (the backslash as \\). The invisible and
// bidirectional format characters (U+061C, U+200B..U+200F, U+202A..U+202E, U+2066..U+2069,
// U+FEFF) are written as \u{202e}: they would hide text or turn the rest of a message round,
// while letters of every script stay as they are. The text is cut after maxChars characters,
// an escape counting as one, with "…" added.
std::string escaped(std::string_view text, std::size_t maxChars = kQuotedChars);

}  // namespace mq::textio
