#include "plan/utf8.h"

#include <string_view>

namespace mq::plan {

std::size_t utf8ErrorAt(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) lo = 0xA0;       // no overlong forms
      if (c == 0xED) hi = 0x9F;       // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;       // nothing above U+10FFFF
    } else {
      return i;
    }
    if (i + static_cast<std::size_t>(extra) >= n) return i;  // cut short
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return i;
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return std::string_view::npos;
}

}  // namespace mq::plan
