#pragma once
// UTF-8 checks shared by every reader of names, notes, lists and documents, and the
// conversions to and from UTF-16 for formats that count in UTF-16 code units.
#include <cstddef>
#include <string>
#include <string_view>

namespace mq::textio {

// Length in bytes of the well-formed UTF-8 sequence that starts at text[at] (1 to 4), or 0
// when the bytes there are not one (overlong forms, surrogates, code points above U+10FFFF
// and sequences cut short are not).
std::size_t utf8SequenceAt(std::string_view text, std::size_t at);

// The code point of the well-formed sequence of `length` bytes at text[at], as
// utf8SequenceAt measures it.
char32_t utf8CodePointAt(std::string_view text, std::size_t at, std::size_t length);

// Byte offset of the first byte that is not part of well-formed UTF-8, or npos when the
// whole text is valid.
std::size_t utf8ErrorAt(std::string_view text);

// True for a code point that no XML 1.0 document may hold (its Char production): the C0
// controls but TAB, LF and CR, the surrogates, U+FFFE and U+FFFF. A workbook is XML.
constexpr bool xmlRefuses(char32_t cp)
{
    return (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || (cp >= 0xD800 && cp < 0xE000) || cp == 0xFFFE ||
           cp == 0xFFFF;
}
// Byte offset of the first character of the UTF-8 text that xmlRefuses, or npos (bytes that
// are not UTF-8 are utf8ErrorAt's to find, and skipped here).
std::size_t xmlRefusedAt(std::string_view text);

// Appends the UTF-8 form of a code point (at most U+10FFFF; the caller has replaced
// surrogates).
void appendUtf8(std::string& out, char32_t cp);

// UTF-8 to UTF-16 code units (a pair of surrogates above U+FFFF). Each byte that is not part
// of well-formed UTF-8 becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
// UTF-16 code units to UTF-8. A surrogate that is not half of a high-low pair becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

}  // namespace mq::textio
