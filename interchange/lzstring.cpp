// LZ-string: an LZW variant whose dictionary starts empty. A character seen for the first
// time goes out as a literal token (0: 8 bits, 1: 16 bits), token 2 ends the stream, and
// codes grow by one bit each time the dictionary doubles. Bits are written low bit first
// into 6-bit characters, high bit of each character first.
#include "interchange/lzstring.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace mq::interchange::lz {

namespace {

// The reference lists a 65th character, '$', that its writer never uses.
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-";

class BitWriter {
public:
    void write(std::uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i) {
            current_ = (current_ << 1) | ((value >> i) & 1);
            if (++used_ == 6) {
                out_ += kAlphabet[current_];
                current_ = 0;
                used_ = 0;
            }
        }
    }
    std::string finish()
    {
        out_ += kAlphabet[(current_ << (6 - used_)) & 63];
        return std::move(out_);
    }

private:
    std::string out_;
    std::uint32_t current_ = 0;
    int used_ = 0;
};

}  // namespace

std::string compressToEncodedURIComponent(std::u16string_view input)
{
    // The dictionary as a trie: node 0 is the empty string; a node's code is its dictionary
    // index. A node for a single character stays "pending" until its literal has been written.
    struct Node {
        std::uint32_t code;
        char16_t unit;
        bool pending;
    };
    std::vector<Node> nodes{{0, 0, false}};
    std::unordered_map<std::uint64_t, std::uint32_t> child;  // (node << 16 | unit) -> node
    child.reserve(input.size() * 2);
    std::uint32_t dictSize = 3, enlargeIn = 2;
    int numBits = 2;
    BitWriter out;

    auto grow = [&] {
        if (--enlargeIn == 0) {
            enlargeIn = 1u << numBits;
            ++numBits;
        }
    };
    auto emit = [&](std::uint32_t node) {
        Node& n = nodes[node];
        if (n.pending) {
            const bool wide = n.unit >= 256;
            out.write(wide ? 1 : 0, numBits);
            out.write(n.unit, wide ? 16 : 8);
            grow();
            n.pending = false;
        } else {
            out.write(n.code, numBits);
        }
        grow();
    };
    auto find = [&](std::uint32_t node, char16_t c) -> std::uint32_t {
        auto it = child.find((std::uint64_t{node} << 16) | c);
        return it == child.end() ? 0 : it->second;
    };
    auto add = [&](std::uint32_t node, char16_t c, bool pending) {
        nodes.push_back({dictSize++, c, pending});
        const auto id = static_cast<std::uint32_t>(nodes.size() - 1);
        child.emplace((std::uint64_t{node} << 16) | c, id);
        return id;
    };

    std::uint32_t w = 0;  // the node of the string being matched; 0: none yet
    for (char16_t c : input) {
        std::uint32_t single = find(0, c);
        if (!single)
            single = add(0, c, true);
        if (w == 0) {
            w = single;
            continue;
        }
        if (std::uint32_t longer = find(w, c)) {
            w = longer;
            continue;
        }
        emit(w);
        add(w, c, false);
        w = single;
    }
    if (w != 0)
        emit(w);
    out.write(2, numBits);
    return out.finish();
}

DecodeResult decompressFromEncodedURIComponent(std::string_view input, std::size_t maxUnits)
{
    DecodeResult r;
    if (input.empty()) {
        r.error = "the text is empty";
        return r;
    }
    std::size_t index = 0;  // next character to load
    int value = 0, mask = 0;
    auto bad = [&](std::string why) {
        r.error = std::move(why);
        return r;
    };
    auto load = [&]() -> bool {
        if (index >= input.size())
            return false;
        const char c = input[index] == ' ' ? '+' : input[index];
        const auto at = kAlphabet.find(c);
        if (at == std::string_view::npos) {
            r.error = "character " + std::to_string(index + 1) + " is not part of the link alphabet (A-Z a-z 0-9 + -)";
            return false;
        }
        value = static_cast<int>(at);
        mask = 32;
        ++index;
        return true;
    };
    // Reads n bits, low bit first; false when the text ends or holds a foreign character.
    auto read = [&](int n, std::uint32_t& bits) -> bool {
        bits = 0;
        for (int i = 0; i < n; ++i) {
            if (mask == 0 && !load()) {
                if (r.error.empty())
                    r.error = "the text ends before its end mark (cut short?)";
                return false;
            }
            if (value & mask)
                bits |= 1u << i;
            mask >>= 1;
        }
        return true;
    };

    // Entries are (start, length) inside the output: every entry is a stretch of it.
    struct Entry {
        std::size_t start, length;
    };
    std::vector<Entry> dict(3, Entry{0, 0});
    std::u16string out;
    std::uint32_t enlargeIn = 4, numBits = 3, token = 0;
    if (!read(2, token))
        return r;
    if (token == 2) {
        r.text = std::u16string();
        return r;
    }
    if (token > 2)
        return bad("the stream does not start with a character");
    std::uint32_t unit = 0;
    if (!read(token == 0 ? 8 : 16, unit))
        return r;
    out += static_cast<char16_t>(unit);
    dict.push_back({0, 1});
    Entry w{0, 1};
    auto grow = [&] {
        if (--enlargeIn == 0) {
            enlargeIn = 1u << numBits;
            ++numBits;
        }
    };
    for (;;) {
        if (!read(static_cast<int>(numBits), token))
            return r;
        if (token == 2)
            break;
        if (token < 2) {
            if (!read(token == 0 ? 8 : 16, unit))
                return r;
            dict.push_back({out.size(), 1});
            out += static_cast<char16_t>(unit);
            token = static_cast<std::uint32_t>(dict.size() - 1);
            grow();
            // The new character is the entry itself: it is already in the output.
            const Entry e = dict[token];
            dict.push_back({w.start, w.length + 1});
            w = e;
            grow();
            continue;
        }
        Entry e;
        const std::size_t start = out.size();
        if (token < dict.size()) {
            const Entry src = dict[token];
            if (out.size() + src.length > maxUnits)
                return bad("the text unpacks to more than the allowed size");
            for (std::size_t i = 0; i < src.length; ++i)
                out += out[src.start + i];
            e = {start, src.length};
        } else if (token == dict.size()) {
            if (out.size() + w.length + 1 > maxUnits)
                return bad("the text unpacks to more than the allowed size");
            for (std::size_t i = 0; i < w.length; ++i)
                out += out[w.start + i];
            out += out[w.start];
            e = {start, w.length + 1};
        } else {
            return bad("the stream names code " + std::to_string(token) + " before defining it");
        }
        // w followed by the first unit of the entry: w sits right before the entry in the output
        // only when it was the last thing written, which it always is.
        dict.push_back({w.start, w.length + 1});
        w = e;
        grow();
    }
    r.text = std::move(out);
    return r;
}

}  // namespace mq::interchange::lz
