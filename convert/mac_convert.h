// MAC addresses between canonical (Ethernet) and non-canonical (Token Ring,
// FDDI) bit order: the bits inside each byte reversed, byte order kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mq {

// The four bits of one hexadecimal digit reversed ('1' -> '8', 'a' -> '5');
// upper-case digits are read as lower case. Nothing for a non-hex character.
std::optional<char> reverseNibble(char digit);

// The first twelve characters of `text` as six bytes, each byte's bits
// reversed; twelve lower-case digits. Nothing when the text is shorter than
// twelve characters or holds a non-hex character among them.
std::optional<std::string> canon(std::string_view text);

}  // namespace mq
