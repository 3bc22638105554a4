#pragma once
// LZ-string's URI-safe form (compressToEncodedURIComponent and its inverse), as the web
// planners use it in share links. The format works on JavaScript strings, that is UTF-16
// code units; textio/utf8.h converts at the edge.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mq::interchange::lz {

// The alphabet of the encoded form: A-Z a-z 0-9 + -, 6 bits a character.
std::string compressToEncodedURIComponent(std::u16string_view input);

struct DecodeResult {
    std::optional<std::u16string> text;
    std::string error;  // why there is no text: "character 12 ('%') is not part of ..."
};
// Strict: a character outside the alphabet, a code the stream has not defined, a stream that
// ends before its end mark, or output beyond maxUnits code units is refused with the reason.
// A blank stands for '+', as a URL decoder leaves it.
DecodeResult decompressFromEncodedURIComponent(std::string_view input, std::size_t maxUnits = std::size_t{64} << 20);

}  // namespace mq::interchange::lz
