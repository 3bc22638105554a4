// Addresses found in free text, and the fast readers under the search agreeing with the
// full parser on random texts.
#include "net/address_scan.h"
#include "net/parse.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace mq::net {
namespace {

std::vector<std::string> found(std::string_view line)
{
    std::vector<std::string> out;
    scanAddresses(line, [&](const FoundAddress& a) {
        out.push_back(std::string(a.text) + "=" + format(a.address));
        return true;
    });
    return out;
}

TEST(AddressScan, WholeWordsOnly)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(found("Accepted from 10.0.0.1 port 22"), V{"10.0.0.1=10.0.0.1"});
    EXPECT_EQ(found("10.0.0.1 - - [09/Dec/2026:10:15:32 +0000] \"GET /a.js HTTP/1.1\" 200"), V{"10.0.0.1=10.0.0.1"});
    EXPECT_EQ(found("end of sentence 192.0.2.1. next"), V{"192.0.2.1=192.0.2.1"});
    EXPECT_EQ(found("[10.0.0.1]:22 10.0.0.2:443 ip=10.0.0.3/24,10.0.0.4"),
              (V{"10.0.0.1=10.0.0.1", "10.0.0.2=10.0.0.2", "10.0.0.3=10.0.0.3", "10.0.0.4=10.0.0.4"}));
    EXPECT_EQ(found("[2001:DB8::1]:443 ::ffff:192.0.2.1 fe80::1%eth0"),
              (V{"2001:DB8::1=2001:db8::1", "::ffff:192.0.2.1=::ffff:192.0.2.1", "fe80::1=fe80::1"}));
    // Parts of longer numbers or words, and near misses.
    EXPECT_EQ(found("10.0.0.1.5 v10.0.0.2 10.0.0.3a 10.0.0.256 010.0.0.1 1.2.3 10:15:32 cafe::1x std::map 1.2.3.4:x"),
              V{});
    const std::string longLine = std::string(100, 'x') + " 198.51.100.7 " + std::string(70, ':');
    EXPECT_EQ(found(longLine), V{"198.51.100.7=198.51.100.7"});
    int calls = 0;
    scanAddresses("1.1.1.1 2.2.2.2", [&](const FoundAddress&) { return ++calls > 5; });
    EXPECT_EQ(calls, 1);  // stops when asked
}

// Texts made of the characters of addresses, short enough to hit every corner of both
// grammars; the fast readers accept exactly what parseAddress accepts, with the same value.
TEST(AddressScan, FastReadersAgreeWithTheParser)
{
    std::mt19937 rng(5);
    const std::string alphabet = "0123456789abcfF:.";
    const char* seeds[] = {"::",
                           "1::",
                           "::1",
                           "1:2:3:4:5:6:7:8",
                           "1:2:3:4:5:6:7::",
                           "::ffff:1.2.3.4",
                           "0.0.0.0",
                           "255.255.255.255",
                           "1:2:3:4:5:6:1.2.3.4",
                           "ffff::ffff:1"};
    for (int round = 0; round < 200000; ++round) {
        std::string text = seeds[rng() % std::size(seeds)];
        for (int edits = static_cast<int>(rng() % 4); edits > 0; --edits) {
            const std::size_t at = rng() % (text.size() + 1);
            if (rng() % 2 && at < text.size())
                text.erase(at, 1);
            else
                text.insert(at, 1, alphabet[rng() % alphabet.size()]);
        }
        const auto parsed = parseAddress(text);
        const Address* want = std::get_if<Address>(&parsed);
        std::uint32_t v4 = 0;
        int length = 0;
        u128 v6 = 0;
        const bool isV4 = readV4(text, v4), isV6 = readV6(text, v6);
        ASSERT_EQ(isV4, want && want->family == Family::V4) << text;
        ASSERT_EQ(isV6, want && want->family == Family::V6) << text;
        if (want) {
            ASSERT_EQ(isV4 ? u128{v4} : v6, want->value) << text;
        }
        Prefix p;
        const std::string prefixText = text + (rng() % 8 ? "/" : "/0") + std::to_string(rng() % 140);
        const auto input = parseInput(prefixText);
        const Input* wantPrefix = std::get_if<Input>(&input);
        ASSERT_EQ(readPlainPrefix(prefixText, p), wantPrefix != nullptr) << prefixText;
        if (wantPrefix) {
            ASSERT_EQ(p, wantPrefix->prefix) << prefixText;
        }
        ASSERT_EQ(readV4Prefix(prefixText, v4, length), wantPrefix && p.address.family == Family::V4) << prefixText;
        if (wantPrefix && p.address.family == Family::V4) {
            ASSERT_EQ((Prefix{Address::v4(v4), length}), wantPrefix->prefix) << prefixText;
        }
    }
}

// The one-pass IPv4 reader at its edges: the shortest and longest texts, every digit count
// of an octet and a length, and near misses that only the full parser may take or refuse.
TEST(AddressScan, V4PrefixReaderEdges)
{
    using namespace std::literals;
    const std::string_view cases[] = {
        "0.0.0.0/0"sv,         "255.255.255.255/32"sv,  "1.22.133.4/9"sv, "9.99.199.255/10"sv, "0.0.0.0/00"sv,
        "0.0.0.0/032"sv,       "1.2.3.4/33"sv,          "1.2.3.4/100"sv,  "1.2.3.256/8"sv,     "1.2.3.04/8"sv,
        "01.2.3.4/8"sv,        "1.2.3.1000/8"sv,        "1.2.3/8"sv,      "1.2.3.4.5/8"sv,     "1.2.3.4/"sv,
        "1.2.3.4/8/"sv,        "1.2.3.4/8 "sv,          " 1.2.3.4/8"sv,   "1.2.3.4 /8"sv,      "1.2.3.4/ 8"sv,
        "1..3.4/8"sv,          "1.2.3.4/+8"sv,          "1.2.3.4/8x"sv,   "1.2.3.4\0/8"sv,     "1.2.3.4/8\0"sv,
        "1.2.3.4/255.0.0.0"sv, "255.255.255.255/320"sv, "::1.2.3.4/8"sv,  "1.2.3.4-1.2.3.5"sv, "1.2.3.4"sv};
    for (const std::string_view text : cases) {
        const auto input = parseInput(text);
        const Input* want = std::get_if<Input>(&input);
        // What the reader must take: a prefix the parser takes, written without blanks or a mask.
        const bool plain = want && want->kind == Input::Kind::Prefix && text.find_first_of(" :") == std::string::npos &&
                           text.find('.', text.find('/')) == std::string::npos;
        std::uint32_t v4 = 0;
        int length = -1;
        ASSERT_EQ(readV4Prefix(text, v4, length), plain) << text;
        if (plain) {
            EXPECT_EQ((Prefix{Address::v4(v4), length}), want->prefix) << text;
        }
    }
}

// The words and marks of random log lines.
const char* const kPieces[] = {"10.0.0.1",
                               "1.2.3.4",
                               "255.255.255.255",
                               "01.2.3.4",
                               "1.2.3.256",
                               "::",
                               "2001:db8::1",
                               "::ffff:1.2.3.4",
                               "fe80::a",
                               "%eth0",
                               "10:15:32",
                               "a",
                               "Z",
                               "_",
                               ".",
                               ":",
                               "0",
                               "12",
                               " ",
                               "/",
                               "[",
                               "]",
                               ",",
                               "\"",
                               "x.js",
                               "HTTP/1.1",
                               "\xC3\xA9"};

// Random log lines, read as the rule above says, word by word through the full parser: the
// scan finds the same addresses, and with v4Only the IPv4 ones among them.
TEST(AddressScan, RandomLinesMatchAWordByWordReading)
{
    std::mt19937 rng(8);
    const auto isWord = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == ':';
    };
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (int n = static_cast<int>(rng() % 12); n > 0; --n)
            line += kPieces[rng() % std::size(kPieces)];
        std::vector<std::string> want, wantV4;
        for (std::size_t i = 0; i < line.size();) {
            if (!isWord(line[i])) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < line.size() && isWord(line[j]))
                ++j;
            std::string word = line.substr(i, j - i);
            i = j;
            while (word.size() > 1 && word.back() == '.')
                word.pop_back();
            std::vector<std::string> candidates{word};
            const std::size_t colon = word.find(':');
            if (colon != std::string::npos && word.find(':', colon + 1) == std::string::npos &&
                colon + 1 < word.size() && word.find_first_not_of("0123456789", colon + 1) == std::string::npos)
                candidates.push_back(word.substr(0, colon));
            for (const std::string& c : candidates) {
                if (c.find(':') != std::string::npos &&
                    c.find_first_of("ghijklmnopqrstuvwxyzGHIJKLMNOPQRSTUVWXYZ_") != std::string::npos)
                    continue;
                const auto parsed = parseAddress(c);
                if (const Address* a = std::get_if<Address>(&parsed)) {
                    want.push_back(c + "=" + format(*a));
                    if (a->family == Family::V4)
                        wantV4.push_back(want.back());
                    break;
                }
            }
        }
        ASSERT_EQ(found(line), want) << line;
        std::vector<std::string> v4;
        scanAddresses(
            line,
            [&](const FoundAddress& a) {
                v4.push_back(std::string(a.text) + "=" + format(a.address));
                return true;
            },
            true);
        ASSERT_EQ(v4, wantV4) << line;
    }
}

// Many lines searched in one pass report, line by line, what a search of each line alone
// finds, wherever words and line ends fall against the pass's 64-byte steps: CR LF, empty
// lines, lines longer than a step, a last line with or without its '\n'.
TEST(AddressScan, ManyLinesAtOnceAsEachLineAlone)
{
    // Each line as "text|offered addresses|hit"; a line's search stops at an odd address.
    struct Record final : LineSink {
        std::vector<std::string> lines;
        std::string offered;
        bool wanted(const FoundAddress& a) override
        {
            offered += " " + std::string(a.text);
            return static_cast<bool>(a.address.value & 1);
        }
        bool line(std::string_view text, bool hit) override
        {
            lines.push_back(std::string(text) + "|" + std::exchange(offered, "") + (hit ? "|hit" : "|"));
            return true;
        }
    };
    std::mt19937 rng(9);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = static_cast<int>(rng() % 6); n > 0; --n) {
            for (int k = static_cast<int>(rng() % (rng() % 8 ? 12 : 80)); k > 0; --k)
                text += kPieces[rng() % std::size(kPieces)];
            text += rng() % 4 ? "\n" : "\r\n";
        }
        if (rng() % 3 == 0)
            text += kPieces[rng() % std::size(kPieces)];  // a last line without '\n'
        for (const bool v4Only : {false, true}) {
            Record want, got;
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t nl = std::min(text.find('\n', at), text.size());
                const std::string_view line = std::string_view(text).substr(at, nl - at);
                bool hit = false;
                scanAddresses(
                    line, [&](const FoundAddress& a) { return !(hit = want.wanted(a)); }, v4Only);
                want.line(line, hit);
                at = nl + 1;
            }
            ASSERT_TRUE(scanLines(text, got, v4Only));
            ASSERT_EQ(got.lines, want.lines) << text;
        }
    }
}

}  // namespace
}  // namespace mq::net
