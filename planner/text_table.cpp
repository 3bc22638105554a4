#include "planner/text_table.h"

#include <algorithm>
#include <numeric>

namespace mq::planner {

namespace {

constexpr std::size_t kGap = 2;
constexpr std::size_t kMinWrap = 12;

bool continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The first n characters of s, as bytes.
std::size_t bytesOf(const std::string& s, std::size_t n)
{
    std::size_t i = 0;
    while (i < s.size() && n > 0) {
        ++i;
        while (i < s.size() && continuation(static_cast<unsigned char>(s[i])))
            ++i;
        --n;
    }
    return i;
}

// A cell cut into pieces of at most `width` characters, at blanks where it can.
std::vector<std::string> wrapCell(std::string text, std::size_t width)
{
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    std::vector<std::string> out;
    while (textWidth(text) > width) {
        const std::size_t limit = bytesOf(text, width);
        std::size_t cut = text.rfind(' ', limit);
        std::size_t next = cut + 1;
        if (cut == std::string::npos || cut == 0) {
            cut = limit;
            next = limit;
        }
        out.push_back(text.substr(0, cut));
        text = text.substr(next);
    }
    out.push_back(text);
    return out;
}

void pad(std::string& line, const std::string& cell, std::size_t width, bool right)
{
    const std::size_t fill = width - std::min(width, textWidth(cell));
    if (right)
        line.append(fill, ' ').append(cell);
    else
        line.append(cell).append(fill, ' ');
}

}  // namespace

std::size_t textWidth(const std::string& s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return !continuation(static_cast<unsigned char>(c)); }));
}

std::vector<std::string> textTable(const std::vector<TextColumn>& columns,
                                   const std::vector<std::vector<std::string>>& rows, std::size_t width)
{
    const std::size_t n = columns.size();
    std::vector<std::size_t> w(n);
    for (std::size_t c = 0; c < n; ++c) {
        w[c] = textWidth(columns[c].title);
        for (const auto& r : rows)
            if (c < r.size())
                w[c] = std::max(w[c], textWidth(r[c]));
    }
    // Narrow the widest wrapping column, one character at a time, until the
    // table fits or every wrapping column is down to its least.
    auto total = [&] { return std::accumulate(w.begin(), w.end(), std::size_t(0)) + kGap * (n ? n - 1 : 0); };
    while (total() > width) {
        std::size_t widest = n;
        for (std::size_t c = 0; c < n; ++c)
            if (columns[c].wrap && w[c] > std::max(kMinWrap, textWidth(columns[c].title)) &&
                (widest == n || w[c] > w[widest]))
                widest = c;
        if (widest == n)
            break;
        --w[widest];
    }
    std::vector<std::string> lines;
    auto emit = [&](const std::vector<std::vector<std::string>>& pieces) {
        std::size_t height = 1;
        for (const auto& p : pieces)
            height = std::max(height, p.size());
        for (std::size_t k = 0; k < height; ++k) {
            std::string line;
            for (std::size_t c = 0; c < n; ++c) {
                if (c)
                    line.append(kGap, ' ');
                pad(line, k < pieces[c].size() ? pieces[c][k] : std::string(), w[c], columns[c].right);
            }
            line.erase(line.find_last_not_of(' ') + 1);
            lines.push_back(std::move(line));
        }
    };
    std::vector<std::vector<std::string>> pieces(n);
    for (std::size_t c = 0; c < n; ++c)
        pieces[c] = {columns[c].title};
    emit(pieces);
    std::string rule;
    for (std::size_t c = 0; c < n; ++c)
        rule.append(c ? kGap : 0, ' ').append(w[c], '-');
    lines.push_back(rule);
    for (const auto& r : rows) {
        for (std::size_t c = 0; c < n; ++c)
            pieces[c] = columns[c].wrap ? wrapCell(c < r.size() ? r[c] : std::string(), w[c])
                                        : std::vector<std::string>{c < r.size() ? r[c] : std::string()};
        emit(pieces);
    }
    return lines;
}

}  // namespace mq::planner
