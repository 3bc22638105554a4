#include "textio/utf8.h"

#include <algorithm>

namespace mq::textio {

std::size_t utf8SequenceAt(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    std::size_t extra;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        extra = 2;
        if (c == 0xE0)
            lo = 0xA0;  // no overlong forms
        if (c == 0xED)
            hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + extra >= s.size())
        return 0;  // cut short
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF))
            return 0;
    }
    return extra + 1;
}

char32_t utf8CodePointAt(std::string_view text, std::size_t at, std::size_t length)
{
    const auto b = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(text[at + k])); };
    if (length == 1)
        return b(0);
    char32_t cp = b(0) & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k)
        cp = cp << 6 | (b(k) & 0x3F);
    return cp;
}

std::size_t utf8ErrorAt(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = utf8SequenceAt(s, i);
        if (n == 0)
            return i;
        i += n;
    }
    return std::string_view::npos;
}

std::size_t xmlRefusedAt(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = std::max<std::size_t>(utf8SequenceAt(s, i), 1);
        if (xmlRefuses(utf8CodePointAt(s, i, n)))
            return i;
        i += n;
    }
    return std::string_view::npos;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::u16string utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = utf8SequenceAt(s, i);
        if (n == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        const char32_t cp = utf8CodePointAt(s, i, n);
        i += n;
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

}  // namespace mq::textio
