// The JSON writer: every kind of value, in each layout, with the commas, separators and line
// breaks a reader of the three layouts expects, and strings escaped as the reader undoes them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "textio/json.h"

namespace mq::textio::json {
namespace {

// {"s": "a\"b", "n": [0, -7, 18446744073709551615, 340282366920938463463374607431768211455],
//  "g": "12.5", "t": true, "f": false, "z": null, "e": {}, "o": {"k": []}}
void writeSample(Writer& j, Layout outer, Layout inner)
{
    j.beginObject(outer);
    j.key("s");
    j.string("a\"b\\c\n\t\r\x01\x1f é");
    j.key("n");
    j.beginArray(inner);
    j.number(0);
    j.number(std::int64_t{-7});
    j.number(UINT64_MAX);
    j.numberText("340282366920938463463374607431768211455");
    j.end();
    j.key("g");
    j.shortestString(12.5);
    j.key("t");
    j.boolean(true);
    j.key("f");
    j.boolean(false);
    j.key("z");
    j.null();
    j.key("e");
    j.beginObject(inner);
    j.end();
    j.key("o");
    j.beginObject(inner);
    j.key("k\"");
    j.beginArray(inner);
    j.end();
    j.end();
    j.end();
}

TEST(JsonWriter, LaysOutEveryValueKindAndReadsBack)
{
    const std::string s = R"("a\"b\\c\n\t\r\u0001\u001f é")";
    const std::string n = "0,-7,18446744073709551615,340282366920938463463374607431768211455";
    const std::string nLine = "0, -7, 18446744073709551615, 340282366920938463463374607431768211455";
    struct Case {
        Layout outer, inner;
        std::string want;
    };
    const Case cases[] = {
        {Layout::Compact, Layout::Compact,
         R"({"s":)" + s + R"(,"n":[)" + n + R"(],"g":"12.5","t":true,"f":false,"z":null,"e":{},"o":{"k\"":[]}})"},
        {Layout::Line, Layout::Line,
         R"({"s": )" + s + R"(, "n": [)" + nLine +
             R"(], "g": "12.5", "t": true, "f": false, "z": null, "e": {}, "o": {"k\"": []}})"},
        // Indented inside indented: two more spaces a level; empty containers stay closed.
        {Layout::Indented, Layout::Indented,
         "{\n  \"s\": " + s +
             ",\n  \"n\": [\n    0,\n    -7,\n    18446744073709551615,\n    "
             "340282366920938463463374607431768211455\n  ],\n  \"g\": \"12.5\",\n  \"t\": true,\n  \"f\": false,\n"
             "  \"z\": null,\n  \"e\": {},\n  \"o\": {\n    \"k\\\"\": []\n  }\n}"},
        // One line inside indented, as a document writes its blocks.
        {Layout::Indented, Layout::Line,
         "{\n  \"s\": " + s + ",\n  \"n\": [" + nLine +
             "],\n  \"g\": \"12.5\",\n  \"t\": true,\n  \"f\": false,\n  \"z\": null,\n  \"e\": {},\n"
             "  \"o\": {\"k\\\"\": []}\n}"},
    };
    for (const Case& c : cases) {
        std::string out = "prefix ";
        Writer j(out);
        writeSample(j, c.outer, c.inner);
        EXPECT_EQ(out, "prefix " + c.want) << static_cast<int>(c.outer) << static_cast<int>(c.inner);

        Reader in(std::string_view(out).substr(7));
        std::string key, text;
        std::uint64_t v = 0;
        ASSERT_TRUE(in.beginObject() && in.nextMember(key) && in.readString(text));
        EXPECT_EQ(text, "a\"b\\c\n\t\r\x01\x1f é");
        ASSERT_TRUE(in.nextMember(key) && in.beginArray() && in.nextItem() && in.readUnsigned(1, v));
        EXPECT_EQ(v, 0u);
    }
}

// Indented containers inside one-line ones indent by the Indented ones alone, the writer keeps
// its place when the caller empties the string between values, and long texts are escaped too.
TEST(JsonWriter, IndentsByIndentedContainersAndStreamsThroughAClearedString)
{
    std::string out, all;
    Writer j(out);
    j.beginObject();
    j.key("rows");
    j.beginArray(Layout::Indented);
    for (int i = 0; i < 3; ++i) {
        j.beginObject();
        j.key("i");
        j.number(i);
        j.end();
        all += out;
        out.clear();
    }
    j.end();
    j.end();
    all += out;
    EXPECT_EQ(all, "{\"rows\": [\n  {\"i\": 0},\n  {\"i\": 1},\n  {\"i\": 2}\n]}");

    // A key given as a literal and a text known to be plain come out as key() and string() write them.
    for (Layout layout : {Layout::Compact, Layout::Line, Layout::Indented}) {
        std::string viaView, viaLiteral;
        Writer a(viaView), b(viaLiteral);
        a.beginObject(layout);
        b.beginObject(layout);
        for (int i = 0; i < 2; ++i) {
            a.key(std::string_view("prefix"));
            a.string("10.0.0.0/8");
            b.key("prefix");
            b.rawString("10.0.0.0/8");
        }
        a.key(std::string_view("k\""));
        a.null();
        b.key("k\"");
        b.null();
        a.end();
        b.end();
        EXPECT_EQ(viaLiteral, viaView) << static_cast<int>(layout);
    }

    std::string longText;  // past the short texts' buffer
    appendString(longText, std::string(150, 'x') + "\"\n" + std::string(150, 'y'));
    EXPECT_EQ(longText, "\"" + std::string(150, 'x') + "\\\"\\n" + std::string(150, 'y') + "\"");
}

}  // namespace
}  // namespace mq::textio::json
