#pragma once
// UTF-8 checks shared by every reader of names, notes, lists and documents.
#include <cstddef>
#include <string>
#include <string_view>

namespace mq::textio {

// Length in bytes of the well-formed UTF-8 sequence that starts at text[at] (1 to 4), or 0
// when the bytes there are not one (overlong forms, surrogates, code points above U+10FFFF
// and sequences cut short are not).
std::size_t utf8SequenceAt(std::string_view text, std::size_t at);

// Byte offset of the first byte that is not part of well-formed UTF-8, or npos when the
// whole text is valid.
std::size_t utf8ErrorAt(std::string_view text);

// Appends the UTF-8 form of a code point (at most U+10FFFF; the caller has replaced
// surrogates).
void appendUtf8(std::string& out, char32_t cp);

}  // namespace mq::textio
