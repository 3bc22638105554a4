#pragma once
// UTF-8 checks shared by names, notes, segment lists and the document reader.
#include <cstddef>
#include <string_view>

namespace mq::plan {

// Byte offset of the first byte that is not part of well-formed UTF-8 (overlong forms,
// surrogates and code points above U+10FFFF included), or npos when the text is valid.
std::size_t utf8ErrorAt(std::string_view text);

}  // namespace mq::plan
