// What a block's texts may hold: names, notes, IPAM values and NetBox tags.
#include "plan/plan.h"

#include "textio/utf8.h"

namespace mq::plan {

namespace {

std::string checkText(std::string_view text, std::size_t maxBytes, bool lineBreaks)
{
    if (text.size() > maxBytes)
        return "is longer than " + std::to_string(maxBytes) + " bytes";
    if (auto at = textio::utf8ErrorAt(text); at != std::string_view::npos)
        return "is not valid UTF-8 (byte " + std::to_string(at + 1) + ")";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if ((c < 0x20 && !(lineBreaks && (c == '\n' || c == '\t'))) || c == 0x7F || c1)
            return "holds a control character (byte " + std::to_string(i + 1) + ")";
    }
    // What is left of XML's refusals: U+FFFE and U+FFFF, which no workbook could keep.
    if (auto at = textio::xmlRefusedAt(text); at != std::string_view::npos)
        return "holds U+" + std::string(text[at + 2] == '\xBE' ? "FFFE" : "FFFF") + ", which is no character (byte " +
               std::to_string(at + 1) + ")";
    return {};
}

}  // namespace

std::string checkName(std::string_view name)
{
    return checkText(name, kMaxNameBytes, false);
}

namespace {

// Django's slugify without Unicode: accents dropped (as NFKD then ASCII does for Latin-1),
// other characters than letters, digits, '_', '-' and blanks dropped, lower case, runs of
// blanks and '-' one '-', '-' and '_' trimmed from the ends.
std::string slugify(std::string_view text)
{
    // U+00C0..U+00FF: the base letter, or 0 where NFKD gives none.
    static constexpr char kLatin1[] = "AAAAAA\0CEEEEIIII"
                                      "\0NOOOOO\0\0UUUUY\0\0"
                                      "aaaaaa\0ceeeeiiii"
                                      "\0nooooo\0\0uuuuy\0y";
    std::string ascii;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ascii += static_cast<char>(c);
        } else if ((c == 0xC3) && i + 1 < text.size()) {
            const auto d = static_cast<unsigned char>(text[i + 1]);
            if (d >= 0x80 && d <= 0xBF && kLatin1[d - 0x80] != 0)
                ascii += kLatin1[d - 0x80];
        }
    }
    std::string out;
    bool gap = false;
    for (char c : ascii) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (c == '-' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            gap = true;
        } else if (word) {
            if (gap && !out.empty())
                out += '-';
            gap = false;
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    while (!out.empty() && (out.front() == '-' || out.front() == '_'))
        out.erase(0, 1);
    while (!out.empty() && (out.back() == '-' || out.back() == '_'))
        out.pop_back();
    return out;
}

}  // namespace

std::string checkSlug(std::string_view tag)
{
    bool slug = !tag.empty();
    for (char c : tag)
        slug = slug &&
               ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_');
    if (slug)
        return {};
    const std::string would = slugify(tag);
    return would.empty() ? std::string("is not a slug (letters, digits, - and _), and has nothing to make one of")
                         : "is not a slug: NetBox looks tags up by slug; \"" + would + "\" would be one";
}

std::string checkIpamStatus(std::string_view status)
{
    for (std::string_view s : {"", "container", "active", "reserved", "deprecated"})
        if (status == s)
            return {};
    return "is not container, active, reserved or deprecated";
}

std::string checkNote(std::string_view note)
{
    return checkText(note, kMaxNoteBytes, true);
}

}  // namespace mq::plan
