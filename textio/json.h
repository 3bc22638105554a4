#pragma once
// JSON (RFC 8259) for documents whose shape the caller knows. The reader is a strict pull
// reader: the caller asks for what it expects next, so no tree of values is built, nesting is
// as deep as the caller's schema and nothing else, and the first fault stops the reader with
// the JSON path of the value it was in. The writer appends to a string in the same way, value
// by value, and places the commas, separators and line breaks itself.
#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mq::textio::json {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) { }

    // Each returns false once anything has failed; the first failure is kept.
    bool beginObject();  // the next value is an object: enter it
    bool nextMember(std::string& key);  // true: a member follows (key read, value next); false at '}'
    bool beginArray();
    bool nextItem();  // true: an item follows; false at ']'
    bool readString(std::string& out);
    bool readBool(bool& out);
    bool readUnsigned(std::uint64_t max, std::uint64_t& out);  // a whole number 0..max
    // Reads past the next value of any kind (nested at most 64 deep), for members a reader
    // does not use but must accept.
    bool skipValue();
    bool atEnd();  // nothing but blanks after the document

    void fail(std::string reason);  // at the current path
    bool failed() const { return failed_; }
    const std::string& errorPath() const { return errorPath_; }
    const std::string& errorReason() const { return errorReason_; }
    std::size_t errorLine() const { return errorLine_; }  // from 1: the line the reader had come to
    std::string path() const;  // "$.blocks[3].name"

private:
    struct Frame {
        bool array;
        bool first = true;
        std::size_t index = 0;
        std::string key;
    };
    void skipBlanks();
    bool expect(char c, const char* what);
    void syntax(std::string what);  // a fault with its line and column
    bool readStringBody(std::string& out);

    std::string_view text_;
    std::size_t at_ = 0;
    std::vector<Frame> frames_;
    bool failed_ = false;
    std::string errorPath_, errorReason_;
    std::size_t errorLine_ = 0;
};

// Appends s as a JSON string: quotes, \" \\ and control characters escaped, other UTF-8 as is.
void appendString(std::string& out, std::string_view s);

// How a container sets out its members or items.
enum class Layout {
    Compact,  // {"a":1,"b":[2,3]}
    Line,  // {"a": 1, "b": [2, 3]}
    // Each member on a line of its own and the closing bracket on the next, indented two
    // spaces for each Indented container open; an empty container stays "{}".
    Indented,
};

// Appends JSON to a string the caller owns: the caller may hand on and clear that string
// between any two calls, so output of any size streams through one buffer, and nothing is
// allocated per value. Each container takes the layout it is opened with.
class Writer {
public:
    explicit Writer(std::string& out) : out_(out) { frames_.reserve(16); }

    void beginObject(Layout layout = Layout::Line) { open('{', layout); }
    void beginArray(Layout layout = Layout::Line) { open('[', layout); }
    void end();  // closes the innermost open container
    void key(std::string_view k);  // inside an object: the next member's key; its value follows
    // A key written as a literal: in a one-line object a plain one goes in with the separator
    // and ": " in one append. The check for escapes folds away once inlined for a literal.
    template <std::size_t N> void key(const char (&k)[N])
    {
        Frame& f = frames_.back();
        bool plain = true;
        for (std::size_t i = 0; i + 1 < N; ++i)
            plain &= k[i] != '"' && k[i] != '\\' && static_cast<unsigned char>(k[i]) >= 0x20;
        if (f.layout != Layout::Line || !plain) {
            key(std::string_view(k, N - 1));
            return;
        }
        char buf[N + 5] = {',', ' ', '"'};
        for (std::size_t i = 0; i + 1 < N; ++i)
            buf[3 + i] = k[i];
        buf[N + 2] = '"';
        buf[N + 3] = ':';
        buf[N + 4] = ' ';
        const std::size_t skip = f.first ? 2 : 0;
        f.first = false;
        out_.append(buf + skip, sizeof buf - skip);
        afterKey_ = true;
    }

    void string(std::string_view s);
    // A text the caller knows needs no escaping (a formatted prefix, "#rrggbb"): quoted as is.
    void rawString(std::string_view s);
    template <std::integral T>
    requires(!std::same_as<T, bool>) void number(T v)
    {
        char buf[24];
        raw({buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf)});
    }
    void numberText(std::string_view digits) { raw(digits); }  // a number the caller wrote: a 128-bit count
    void shortestString(double v);  // v as the shortest text that reads back as v, quoted: "12.5"
    void boolean(bool v) { raw(v ? "true" : "false"); }
    void null() { raw("null"); }

private:
    struct Frame {
        Layout layout;
        char close;
        bool first = true;
    };
    void open(char bracket, Layout layout);
    // What goes before a key, or before a value that is not a member's: "", ", ", ",\n    ".
    std::string_view separator();
    void raw(std::string_view text);

    std::string& out_;
    std::vector<Frame> frames_;
    int indented_ = 0;  // Indented containers open
    bool afterKey_ = false;
    std::string breaks_;  // ",\n" and the spaces of the deepest indent so far
};

}  // namespace mq::textio::json
