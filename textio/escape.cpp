#include "textio/escape.h"

#include "textio/utf8.h"

namespace mq::textio {

namespace {

void appendHex(std::string& out, unsigned char b) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[b >> 4];
  out += kHex[b & 0xF];
}

}  // namespace

std::string escaped(std::string_view text, std::size_t maxChars) {
  std::string out;
  out.reserve(text.size() < maxChars * 2 ? text.size() + 8 : maxChars * 2);
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++chars) {
    if (chars == maxChars) {
      out += "\u2026";
      return out;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      out += "\\\\";
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      appendHex(out, c);
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (const std::size_t n = utf8SequenceAt(text, i); n == 0) {
      appendHex(out, c);
      ++i;
    } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080..U+009F: C1 controls, which some terminals obey as escape sequences.
      appendHex(out, c);
      appendHex(out, static_cast<unsigned char>(text[i + 1]));
      i += 2;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace mq::textio
