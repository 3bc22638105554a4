// LZ-string's URI-safe form: outputs of the reference implementation (npm lz-string 1.5.0),
// round trips of every kind of UTF-16, and what the strict reader refuses. The comparison
// against the reference over many random strings is lz_reference_test.py.
#include <gtest/gtest.h>

#include <random>

#include "interchange/lzstring.h"
#include "textio/utf8.h"

namespace mq::interchange::lz {
namespace {

using textio::utf16ToUtf8;
using textio::utf8ToUtf16;

struct Vector {
    const char* utf8;
    const char* encoded;
};

// Printed by the reference: LZString.compressToEncodedURIComponent(text).
const Vector kReference[] = {
    {"", "Q"},
    {"a", "IZA"},
    {"aaaaaaaaaa", "IY1o"},
    {"hello world", "BYUwNmD2AEDukCcwBMg"},
    {"TOBEORNOTTOBEORTOBEORNOT", "CoeQQgoiBKByLFJGSpwUA"},
    {"Grüße, 世界 😀", "OIJwPw+wpgNABINDlAyrnQvBuAA9oA"},
    {R"({"v":"2","b":"10.0.0.0/16","s":{"0g":{"0h":{"n":"staff","c":"#9cc0e0"},"1h":{}}}})",
     "N4IgbiBcIEwgNCARlEBGADAOm7g9GgGwIgDOUoGA5hSBgBa0B2qpALgIYBmXJAxqgDEATj58MAUwwgAvojSNIwGSplA"},
};

TEST(LzString, MatchesTheReferenceBothWays)
{
    for (const Vector& v : kReference) {
        EXPECT_EQ(compressToEncodedURIComponent(utf8ToUtf16(v.utf8)), v.encoded) << v.utf8;
        const DecodeResult back = decompressFromEncodedURIComponent(v.encoded);
        ASSERT_TRUE(back.text) << v.encoded << ": " << back.error;
        EXPECT_EQ(utf16ToUtf8(*back.text), v.utf8);
    }
}

TEST(LzString, RoundTripsRandomUtf16)
{
    std::mt19937 rng(20);
    for (int round = 0; round < 400; ++round) {
        std::u16string s;
        const int length = std::uniform_int_distribution<int>(0, round < 200 ? 40 : 3000)(rng);
        const int alphabet = round % 4;  // few letters (long matches), bytes, all BMP, surrogate pairs
        for (int i = 0; i < length; ++i) {
            switch (alphabet) {
            case 0: s += static_cast<char16_t>('a' + rng() % 3); break;
            case 1: s += static_cast<char16_t>(rng() % 256); break;
            case 2: s += static_cast<char16_t>(rng() % 0x10000); break;
            default:
                s += static_cast<char16_t>(0xD800 + rng() % 0x400);
                s += static_cast<char16_t>(0xDC00 + rng() % 0x400);
            }
        }
        const std::string encoded = compressToEncodedURIComponent(s);
        ASSERT_EQ(encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-"),
                  std::string::npos);
        const DecodeResult back = decompressFromEncodedURIComponent(encoded);
        ASSERT_TRUE(back.text) << back.error;
        ASSERT_EQ(*back.text, s) << "round " << round;
    }
}

TEST(LzString, BlankIsReadAsPlus)
{
    const std::string encoded = compressToEncodedURIComponent(utf8ToUtf16("Grüße, 世界 😀"));
    std::string blanked = encoded;
    for (char& c : blanked)
        if (c == '+')
            c = ' ';
    ASSERT_NE(blanked, encoded);
    EXPECT_EQ(utf16ToUtf8(*decompressFromEncodedURIComponent(blanked).text), "Grüße, 世界 😀");
}

TEST(LzString, RefusesDamagedStreams)
{
    const std::string good = compressToEncodedURIComponent(utf8ToUtf16("hello hello hello world"));
    struct Case {
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"", "empty"},
        {good.substr(0, good.size() / 2), "ends before its end mark"},
        {good.substr(0, 3) + "%" + good.substr(4), "character 4 is not part of the link alphabet"},
        {"----", "does not start with a character"},
        {"I-----", "before defining it"},
        {good.substr(0, 2) + "$" + good.substr(3), "character 3 is not part of the link alphabet"},
    };
    for (const Case& c : cases) {
        const DecodeResult r = decompressFromEncodedURIComponent(c.text);
        EXPECT_FALSE(r.text) << c.text;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.text << ": " << r.error;
    }
    // A small stream that unpacks to much more than asked for is stopped.
    const std::string big = compressToEncodedURIComponent(std::u16string(100000, u'x'));
    EXPECT_LT(big.size(), 2000u);
    EXPECT_FALSE(decompressFromEncodedURIComponent(big, 50000).text);
    EXPECT_TRUE(decompressFromEncodedURIComponent(big, 100000).text);
}

}  // namespace
}  // namespace mq::interchange::lz
