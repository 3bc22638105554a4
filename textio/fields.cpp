#include "textio/fields.h"

namespace mq::textio {

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t from = text.find_first_not_of(" \t");
    if (from == std::string_view::npos)
        return text.substr(text.size());
    return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

std::string colourText(std::uint32_t rgb)
{
    std::string out = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        out += hexDigit(rgb >> shift);
    return out;
}

std::optional<std::uint32_t> parseColourText(std::string_view text, ColourAlpha alpha)
{
    if (!(text.size() == 7 || (alpha == ColourAlpha::Ignored && text.size() == 9)) || text[0] != '#')
        return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const int h = hexDigitValue(text[i]);
        if (h < 0)
            return std::nullopt;
        if (i < 7)
            v = v * 16 + static_cast<std::uint32_t>(h);
    }
    return v;
}

}  // namespace mq::textio
