#include "core/helpers.h"

#include <cmath>
#include <cstdio>

namespace mq {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Parses the number starting at text[pos]; returns the characters used (0 when none).
std::size_t parseNumber(std::string_view text, std::size_t pos, double& value)
{
    std::size_t i = pos;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    double v = 0;
    bool digits = false;
    while (i < text.size() && isDigit(text[i])) {
        v = v * 10 + (text[i] - '0');
        digits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        double scale = 0.1;
        bool fraction = false;
        while (j < text.size() && isDigit(text[j])) {
            v += (text[j] - '0') * scale;
            scale /= 10;
            fraction = true;
            ++j;
        }
        if (fraction || digits) {
            digits = digits || fraction;
            i = j;
        }
    }
    if (!digits) {
        value = 0;
        return 0;
    }
    value = negative ? -v : v;
    return i - pos;
}

}  // namespace

std::string reportBanner(int blanks)
{
    return std::string(kReportTitle) + std::string(static_cast<std::size_t>(blanks < 0 ? 0 : blanks), ' ') +
           kReportNotice;
}

double leadingNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    double v = 0;
    parseNumber(text, pos, v);
    return v;
}

bool isNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    double v = 0;
    std::size_t used = parseNumber(text, pos, v);
    if (used == 0)
        return false;
    pos += used;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    return pos == text.size();
}

std::string plainNumber(double value)
{
    if (!std::isfinite(value))
        return value < 0 ? "-1E+308" : "1E+308";
    if (value == 0)
        return "0";
    char buf[64];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s = buf;
    // Whole-number part 0 is not written: 0.5 shows as ".5".
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    return s;
}

std::string signText(double value)
{
    std::string s = plainNumber(value);
    return s[0] == '-' ? s : " " + s;
}

std::string trim(std::string_view text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

std::string mid(std::string_view text, long start, long length)
{
    if (length <= 0)
        return {};
    if (start < 1) {
        length += start - 1;
        start = 1;
        if (length <= 0)
            return {};
    }
    auto from = static_cast<std::size_t>(start - 1);
    if (from >= text.size())
        return {};
    return std::string(text.substr(from, static_cast<std::size_t>(length)));
}

}  // namespace mq
