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

namespace {

// The encoded text as a stream of bits: 6 a character, the high bit of each first.
class BitReader {
public:
    explicit BitReader(std::string_view input) : input_(input) { }
    // Reads n bits, low bit first; false when the text ends or holds a foreign character,
    // error telling which.
    bool read(int n, std::uint32_t& bits)
    {
        bits = 0;
        for (int i = 0; i < n; ++i) {
            if (mask_ == 0 && !load()) {
                if (error.empty())
                    error = "the text ends before its end mark (cut short?)";
                return false;
            }
            if (value_ & mask_)
                bits |= 1u << i;
            mask_ >>= 1;
        }
        return true;
    }
    std::string error;

private:
    bool load()
    {
        if (index_ >= input_.size())
            return false;
        const char c = input_[index_] == ' ' ? '+' : input_[index_];
        const auto at = kAlphabet.find(c);
        if (at == std::string_view::npos) {
            error = "character " + std::to_string(index_ + 1) + " is not part of the link alphabet (A-Z a-z 0-9 + -)";
            return false;
        }
        value_ = static_cast<int>(at);
        mask_ = 32;
        ++index_;
        return true;
    }
    std::string_view input_;
    std::size_t index_ = 0;  // next character to load
    int value_ = 0, mask_ = 0;
};

// A dictionary entry: a stretch of the output, (start, length), since every entry is one.
struct Entry {
    std::size_t start, length;
};

// The dictionary and the output it refers to; codes grow by a bit as the dictionary doubles.
struct Decoder {
    std::vector<Entry> dict = std::vector<Entry>(3, Entry{0, 0});
    std::u16string out;
    Entry w{0, 1};  // the entry last written
    std::uint32_t enlargeIn = 4, numBits = 3;

    void grow()
    {
        if (--enlargeIn == 0) {
            enlargeIn = 1u << numBits;
            ++numBits;
        }
    }
    // A literal: the new character is an entry of its own, and already in the output as
    // the entry written next.
    void literal(char16_t unit)
    {
        dict.push_back({out.size(), 1});
        out += unit;
        grow();
        const Entry e = dict.back();
        dict.push_back({w.start, w.length + 1});
        w = e;
        grow();
    }
    // The entry a code names, or for the code being defined, w and its own first unit.
    // Empty on success, else why the stream is refused.
    std::string code(std::uint32_t token, std::size_t maxUnits)
    {
        const std::size_t start = out.size();
        Entry e;
        if (token < dict.size()) {
            const Entry src = dict[token];
            if (out.size() + src.length > maxUnits)
                return "the text unpacks to more than the allowed size";
            for (std::size_t i = 0; i < src.length; ++i)
                out += out[src.start + i];
            e = {start, src.length};
        } else if (token == dict.size()) {
            if (out.size() + w.length + 1 > maxUnits)
                return "the text unpacks to more than the allowed size";
            for (std::size_t i = 0; i < w.length; ++i)
                out += out[w.start + i];
            out += out[w.start];
            e = {start, w.length + 1};
        } else {
            return "the stream names code " + std::to_string(token) + " before defining it";
        }
        // w followed by the first unit of the entry: w sits right before the entry in the
        // output, since it was the last thing written.
        dict.push_back({w.start, w.length + 1});
        w = e;
        grow();
        return {};
    }
};

}  // namespace

DecodeResult decompressFromEncodedURIComponent(std::string_view input, std::size_t maxUnits)
{
    DecodeResult r;
    if (input.empty()) {
        r.error = "the text is empty";
        return r;
    }
    BitReader bits(input);
    auto failed = [&](std::string why) {
        r.error = std::move(why);
        return r;
    };
    std::uint32_t token = 0, unit = 0;
    if (!bits.read(2, token))
        return failed(bits.error);
    if (token == 2) {
        r.text = std::u16string();
        return r;
    }
    if (token > 2)
        return failed("the stream does not start with a character");
    if (!bits.read(token == 0 ? 8 : 16, unit))
        return failed(bits.error);
    Decoder d;
    d.out += static_cast<char16_t>(unit);
    d.dict.push_back({0, 1});
    for (;;) {
        if (!bits.read(static_cast<int>(d.numBits), token))
            return failed(bits.error);
        if (token == 2)
            break;
        if (token < 2) {
            if (!bits.read(token == 0 ? 8 : 16, unit))
                return failed(bits.error);
            d.literal(static_cast<char16_t>(unit));
        } else if (std::string why = d.code(token, maxUnits); !why.empty()) {
            return failed(why);
        }
    }
    r.text = std::move(d.out);
    return r;
}

}  // namespace mq::interchange::lz
