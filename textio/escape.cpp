#include "textio/escape.h"

#include "textio/fields.h"
#include "textio/utf8.h"

namespace mq::textio {

namespace {

void appendHex(std::string& out, unsigned char b)
{
    out += "\\x";
    out += hexDigit(b >> 4);
    out += hexDigit(b);
}

// Characters that show nothing themselves but hide text or reorder what follows them, and
// U+FFFE and U+FFFF, which are none (a message names them when it refuses them).
bool invisibleFormat(char32_t cp)
{
    return cp == 0x061C || (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0xFEFF || cp == 0xFFFE || cp == 0xFFFF;
}

void appendCodePoint(std::string& out, char32_t cp)
{
    out += "\\u{";
    int shift = 20;
    while (shift > 0 && (cp >> shift) == 0)
        shift -= 4;
    for (; shift >= 0; shift -= 4)
        out += hexDigit(cp >> shift);
    out += '}';
}

}  // namespace

std::string escaped(std::string_view text, std::size_t maxChars)
{
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
        } else if (const char32_t cp = utf8CodePointAt(text, i, n); invisibleFormat(cp)) {
            appendCodePoint(out, cp);
            i += n;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string quoted(std::string_view text, std::size_t maxChars)
{
    return "\"" + escaped(text, maxChars) + "\"";
}

}  // namespace mq::textio
