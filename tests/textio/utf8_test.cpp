// UTF-8 <-> UTF-16: every length of sequence and surrogate pairs round trip; bytes that are
// not UTF-8 and lone surrogates become U+FFFD, one for each.
#include <gtest/gtest.h>

#include <string>

#include "textio/utf8.h"

namespace mq::textio {
namespace {

TEST(Utf8, ConvertsToUtf16AndBackReplacingWhatIsNotText)
{
    struct Case {
        std::string utf8;
        std::u16string utf16;
        bool roundTrip;  // false: the UTF-8 is not well formed, or the UTF-16 not
    };
    const Case cases[] = {
        {"", u"", true},
        {"a\x7F", u"a\u007F", true},
        {"\xC2\x80\xDF\xBF", u"\u0080\u07FF", true},
        {"\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF", true},
        {"\xF0\x9F\x98\x80 \xC3\xA9", u"\U0001F600 \u00E9", true},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
        {"a\xFF"
         "b",
         u"a\uFFFDb", false},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},  // an encoded surrogate
        {"\xC0\xAF", u"\uFFFD\uFFFD", false},  // overlong
        {"\xE2\x82", u"\uFFFD\uFFFD", false},  // cut short
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},  // above U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        if (c.roundTrip) {
            EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
        }
    }
    const struct {
        std::u16string utf16;
        const char* utf8;
    } lone[] = {
        {std::u16string(1, char16_t(0xD800)) + u"x", "\xEF\xBF\xBDx"},  // a high surrogate alone
        {std::u16string(1, char16_t(0xDC00)), "\xEF\xBF\xBD"},  // a low one
        {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},  // in the wrong order
        {std::u16string(1, char16_t(0xDBFF)), "\xEF\xBF\xBD"},  // at the end
    };
    for (const auto& c : lone)
        EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8);
}

}  // namespace
}  // namespace mq::textio
