#include "core/rtf_writer.h"

#include <cstdint>

namespace mq {

namespace {

constexpr std::size_t kChunk = 1 << 16;

void appendNumber(long value, std::string& out)
{
    out += std::to_string(value);
}

void appendUnicode(std::uint32_t cp, std::string& out)
{
    auto unit = [&out](std::uint32_t u) {
        // \u takes a signed 16-bit number; the '?' after it (as \'3f, which every
        // reader skips correctly) is what readers without Unicode show.
        out += "\\u";
        appendNumber(u > 32767 ? static_cast<long>(u) - 65536 : static_cast<long>(u), out);
        out += "\\'3f";
    };
    if (cp >= 0x10000) {
        cp -= 0x10000;
        unit(0xD800 + (cp >> 10));
        unit(0xDC00 + (cp & 0x3FF));
    } else {
        unit(cp);
    }
}

void appendHexByte(unsigned char c, std::string& out)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[c >> 4];
    out += digits[c & 15];
}

// Length of a well-formed UTF-8 sequence starting at s[i] and its code point; 0 when malformed.
std::size_t decodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    std::uint32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

}  // namespace

RtfWriter::RtfWriter(ByteSink& s, RtfDocumentFormat format) : sink(s), fmt(std::move(format))
{
    buffer.reserve(kChunk + 4096);
}

void RtfWriter::appendEscaped(std::string_view text, std::string& out)
{
    auto plain = [](unsigned char c) { return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}'; };
    for (std::size_t i = 0; i < text.size();) {
        // Runs of plain characters go out as they are.
        std::size_t j = i;
        while (j < text.size() && plain(static_cast<unsigned char>(text[j])))
            ++j;
        out.append(text.data() + i, j - i);
        i = j;
        if (i == text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c == '\t') {
            out += "\\tab ";
            ++i;
        } else if (c < 0x80) {
            ++i;  // other control characters have no place in a paragraph
        } else {
            std::uint32_t cp = 0;
            std::size_t len = decodeUtf8(text, i, cp);
            if (len) {
                appendUnicode(cp, out);
                i += len;
            } else {
                // Not UTF-8: keep the byte as a Windows-1252 character.
                appendHexByte(c, out);
                ++i;
            }
        }
    }
}

void RtfWriter::begin()
{
    std::string font;
    appendEscaped(fmt.fontName, font);
    buffer += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 ";
    buffer += font;
    buffer += ";}}\r\n\\viewkind4\\pard\\plain\\f0\\fs";
    appendNumber(fmt.halfPoints, buffer);
    buffer += "\r\n";
}

void RtfWriter::setTabStops(const std::vector<int>& twips)
{
    buffer += "\\pard";
    for (int t : twips) {
        buffer += "\\tx";
        appendNumber(t, buffer);
    }
    buffer += "\r\n";
}

void RtfWriter::paragraph(std::string_view text, bool bold, bool italic)
{
    const bool group = bold || italic;
    if (group) {
        buffer += '{';
        if (bold)
            buffer += "\\b";
        if (italic)
            buffer += "\\i";
        buffer += ' ';
    }
    appendEscaped(text, buffer);
    if (group)
        buffer += '}';
    buffer += "\\par\r\n";
    flushIfFull();
}

bool RtfWriter::end()
{
    buffer += "}\r\n";
    if (good && !buffer.empty())
        good = sink.write(buffer);
    buffer.clear();
    return good;
}

void RtfWriter::flushIfFull()
{
    if (buffer.size() < kChunk)
        return;
    if (good)
        good = sink.write(buffer);
    buffer.clear();
}

}  // namespace mq
