// Reads a fuzzer's bytes as a sequence of small choices and texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mq::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : p(data), end(data + size) { }
    bool done() const { return p >= end; }
    std::uint8_t byte() { return p < end ? *p++ : 0; }
    int pick(int n) { return n > 0 ? byte() % n : 0; }
    // A text of up to maxLength bytes, any byte values.
    std::string text(std::size_t maxLength)
    {
        std::size_t n = byte() % (maxLength + 1);
        std::string s;
        while (n-- && p < end)
            s += static_cast<char>(*p++);
        return s;
    }

private:
    const std::uint8_t* p;
    const std::uint8_t* end;
};

// True when the text is a dotted address of four numbers 0..255.
inline bool isDottedQuad(const std::string& s)
{
    int parts = 0;
    std::size_t i = 0;
    while (i <= s.size()) {
        std::size_t j = s.find('.', i);
        if (j == std::string::npos)
            j = s.size();
        std::string part = s.substr(i, j - i);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        if (std::stoi(part) > 255)
            return false;
        ++parts;
        i = j + 1;
        if (j == s.size())
            break;
    }
    return parts == 4;
}

}  // namespace mq::fuzz
