#include "textio/json.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "textio/fields.h"
#include "textio/utf8.h"

namespace mq::textio::json {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool plainKey(std::string_view k)
{
    if (k.empty())
        return false;
    for (char c : k)
        if (!(isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'))
            return false;
    return !isDigit(k.front());
}

}  // namespace

std::string Reader::path() const
{
    std::string p = "$";
    for (const Frame& f : frames_) {
        if (f.first)
            break;  // not inside a member or item yet
        if (f.array) {
            p += "[" + std::to_string(f.index) + "]";
        } else if (plainKey(f.key)) {
            p += "." + f.key;
        } else {
            p += "[";
            appendString(p, f.key);
            p += "]";
        }
    }
    return p;
}

void Reader::fail(std::string reason)
{
    if (failed_)
        return;
    failed_ = true;
    errorPath_ = path();
    errorReason_ = std::move(reason);
    const std::string_view before = text_.substr(0, std::min(at_, text_.size()));
    errorLine_ = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
}

void Reader::syntax(std::string what)
{
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) {
        if (text_[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    fail("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what);
}

void Reader::skipBlanks()
{
    while (at_ < text_.size() && isBlank(text_[at_]))
        ++at_;
}

bool Reader::expect(char c, const char* what)
{
    skipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
        ++at_;
        return true;
    }
    syntax(at_ < text_.size() ? std::string("expected ") + what
                              : std::string("the text ends where ") + what + " should be");
    return false;
}

bool Reader::beginObject()
{
    if (failed_ || !expect('{', "an object"))
        return false;
    frames_.push_back(Frame{false, true, 0, {}});
    return true;
}

bool Reader::beginArray()
{
    if (failed_ || !expect('[', "an array"))
        return false;
    frames_.push_back(Frame{true, true, 0, {}});
    return true;
}

bool Reader::nextMember(std::string& key)
{
    if (failed_ || frames_.empty())
        return false;
    Frame& f = frames_.back();
    skipBlanks();
    if (at_ < text_.size() && text_[at_] == '}') {  // after ',' a key is due, so "{"a":1,}" fails below
        ++at_;
        frames_.pop_back();
        return false;
    }
    if (!f.first && !expect(',', "',' or '}'"))
        return false;
    skipBlanks();
    if (at_ >= text_.size() || text_[at_] != '"') {
        syntax(f.first ? "expected a key in double quotes or '}'" : "expected a key in double quotes");
        return false;
    }
    ++at_;
    if (!readStringBody(key) || !expect(':', "':'"))
        return false;
    f.first = false;
    f.key = key;
    return true;
}

bool Reader::nextItem()
{
    if (failed_ || frames_.empty())
        return false;
    Frame& f = frames_.back();
    skipBlanks();
    if (at_ < text_.size() && text_[at_] == ']') {
        ++at_;
        frames_.pop_back();
        return false;
    }
    if (!f.first) {
        if (!expect(',', "',' or ']'"))
            return false;
        ++f.index;
    }
    f.first = false;
    return true;
}

bool Reader::readString(std::string& out)
{
    if (failed_ || !expect('"', "a string in double quotes"))
        return false;
    return readStringBody(out);
}

bool Reader::readStringBody(std::string& out)
{
    out.clear();
    const std::size_t start = at_;
    while (at_ < text_.size()) {
        const char c = text_[at_];
        if (c == '"') {
            ++at_;
            if (auto bad = utf8ErrorAt(out); bad != std::string_view::npos) {
                at_ = start;
                syntax("the string is not valid UTF-8");
                return false;
            }
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            syntax("a control character inside a string (write it as \\u" + std::string(c < 0x10 ? "000" : "001") +
                   "0123456789abcdef"[c & 0xF] + ")");
            return false;
        }
        if (c != '\\') {
            out += c;
            ++at_;
            continue;
        }
        if (at_ + 1 >= text_.size())
            break;
        const char e = text_[at_ + 1];
        const char* simple = "\"\\/bfnrt";
        const char* meant = "\"\\/\b\f\n\r\t";
        if (auto* p = std::char_traits<char>::find(simple, 8, e)) {
            out += meant[p - simple];
            at_ += 2;
            continue;
        }
        if (e != 'u') {
            ++at_;
            syntax(std::string("bad escape \\") + (e >= 0x20 && e < 0x7F ? std::string(1, e) : "?"));
            return false;
        }
        auto hex4 = [&](std::size_t from) -> long {
            if (from + 4 > text_.size())
                return -1;
            long v = 0;
            for (std::size_t i = from; i < from + 4; ++i) {
                const int h = hexDigitValue(text_[i]);
                if (h < 0)
                    return -1;
                v = v * 16 + h;
            }
            return v;
        };
        long cp = hex4(at_ + 2);
        if (cp < 0) {
            syntax("bad escape: \\u needs four hex digits");
            return false;
        }
        std::size_t used = 6;
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            syntax("bad escape: a low surrogate without its high one");
            return false;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            const long low =
                at_ + 7 < text_.size() && text_[at_ + 6] == '\\' && text_[at_ + 7] == 'u' ? hex4(at_ + 8) : -1;
            if (low < 0xDC00 || low > 0xDFFF) {
                syntax("bad escape: a high surrogate without its low one");
                return false;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            used = 12;
        }
        textio::appendUtf8(out, static_cast<char32_t>(cp));
        at_ += used;
    }
    syntax("the text ends inside a string");
    return false;
}

bool Reader::readBool(bool& out)
{
    if (failed_)
        return false;
    skipBlanks();
    const std::string_view rest = text_.substr(at_);
    if (rest.starts_with("true")) {
        out = true;
        at_ += 4;
    } else if (rest.starts_with("false")) {
        out = false;
        at_ += 5;
    } else {
        syntax("expected true or false");
        return false;
    }
    if (at_ < text_.size() && (isDigit(text_[at_]) || (text_[at_] >= 'a' && text_[at_] <= 'z'))) {
        syntax("expected true or false");
        return false;
    }
    return true;
}

bool Reader::readUnsigned(std::uint64_t max, std::uint64_t& out)
{
    if (failed_)
        return false;
    skipBlanks();
    // The whole JSON number is read first, so that 1.5, -1 and 1e3 are named for what they are.
    const std::size_t start = at_;
    std::size_t i = at_;
    const bool minus = i < text_.size() && text_[i] == '-';
    if (minus)
        ++i;
    const std::size_t intStart = i;
    while (i < text_.size() && isDigit(text_[i]))
        ++i;
    const std::size_t intEnd = i;
    bool fraction = false;
    bool grammar = intEnd > intStart && !(text_[intStart] == '0' && intEnd - intStart > 1);
    if (grammar && i < text_.size() && text_[i] == '.') {
        fraction = true;
        const std::size_t f = ++i;
        while (i < text_.size() && isDigit(text_[i]))
            ++i;
        grammar = i > f;
    }
    if (grammar && i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
        fraction = true;
        ++i;
        if (i < text_.size() && (text_[i] == '+' || text_[i] == '-'))
            ++i;
        const std::size_t f = i;
        while (i < text_.size() && isDigit(text_[i]))
            ++i;
        grammar = i > f;
    }
    if (!grammar || (i < text_.size() && !isBlank(text_[i]) && text_[i] != ',' && text_[i] != '}' && text_[i] != ']')) {
        at_ = start;
        syntax("expected a number");
        return false;
    }
    at_ = i;
    const std::string range = "must be a whole number from 0 to " + std::to_string(max);
    if (minus || fraction) {
        fail(range);
        return false;
    }
    std::uint64_t v = 0;
    for (std::size_t k = intStart; k < intEnd; ++k) {
        const auto d = static_cast<std::uint64_t>(text_[k] - '0');
        if (v > (max - d) / 10) {
            fail(range + " (out of range)");
            return false;
        }
        v = v * 10 + d;
    }
    out = v;
    return true;
}

bool Reader::skipValue()
{
    if (failed_)
        return false;
    skipBlanks();
    if (at_ >= text_.size()) {
        syntax("the text ends where a value should be");
        return false;
    }
    const char c = text_[at_];
    if (c == '{' || c == '[') {
        if (frames_.size() >= 64) {
            syntax("values nested more than 64 deep");
            return false;
        }
        std::string key;
        if (c == '{') {
            beginObject();
            while (nextMember(key))
                if (!skipValue())
                    return false;
        } else {
            beginArray();
            while (nextItem())
                if (!skipValue())
                    return false;
        }
        return !failed_;
    }
    if (c == '"') {
        std::string ignored;
        return readString(ignored);
    }
    for (std::string_view word : {"true", "false", "null"}) {
        if (text_.substr(at_).starts_with(word)) {
            at_ += word.size();
            return true;
        }
    }
    // A number, by JSON's grammar.
    std::size_t i = at_;
    if (i < text_.size() && text_[i] == '-')
        ++i;
    const std::size_t digits = i;
    while (i < text_.size() && isDigit(text_[i]))
        ++i;
    bool ok = i > digits && !(text_[digits] == '0' && i - digits > 1);
    if (ok && i < text_.size() && text_[i] == '.') {
        const std::size_t f = ++i;
        while (i < text_.size() && isDigit(text_[i]))
            ++i;
        ok = i > f;
    }
    if (ok && i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
        ++i;
        if (i < text_.size() && (text_[i] == '+' || text_[i] == '-'))
            ++i;
        const std::size_t f = i;
        while (i < text_.size() && isDigit(text_[i]))
            ++i;
        ok = i > f;
    }
    if (!ok) {
        syntax("expected a value");
        return false;
    }
    at_ = i;
    return true;
}

bool Reader::atEnd()
{
    if (failed_)
        return false;
    skipBlanks();
    if (at_ == text_.size())
        return true;
    syntax("unexpected text after the end of the document");
    return false;
}

namespace {

constexpr auto kEscaped = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 0x20; ++c)
        t[c] = true;
    t['"'] = t['\\'] = true;
    return t;
}();

// s as a JSON string between two texts written as they are. Most texts are short and plain
// (keys, prefixes, names) and come with a separator before and ": " after: those are built on
// the stack and added in one piece, since a document has millions of them.
void appendQuoted(std::string& out, std::string_view before, std::string_view s, std::string_view after)
{
    char buf[128];
    if (before.size() + s.size() + after.size() + 2 <= sizeof buf) {
        // Byte by byte: for a few bytes, faster than a call to copy them.
        std::size_t n = 0;
        for (char c : before)
            buf[n++] = c;
        buf[n++] = '"';
        bool plain = true;
        for (char c : s) {
            plain &= !kEscaped[static_cast<unsigned char>(c)];
            buf[n++] = c;
        }
        if (plain) {
            buf[n++] = '"';
            for (char c : after)
                buf[n++] = c;
            out.append(buf, n);
            return;
        }
    }
    out += before;
    out += '"';
    std::size_t plain = 0;  // where the run of characters written as they are starts
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (!kEscaped[static_cast<unsigned char>(c)])
            continue;
        out.append(s.data() + plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            out += "\\u00";
            out += "0123456789abcdef"[(c >> 4) & 0xF];
            out += "0123456789abcdef"[c & 0xF];
        }
    }
    out.append(s.data() + plain, s.size() - plain);
    out += '"';
    out += after;
}

bool isPlain(std::string_view s)
{
    for (char c : s)
        if (kEscaped[static_cast<unsigned char>(c)])
            return false;
    return true;
}

}  // namespace

void appendString(std::string& out, std::string_view s)
{
    appendQuoted(out, {}, s, {});
}

std::string_view Writer::separator()
{
    if (afterKey_) {
        afterKey_ = false;
        return {};
    }
    if (frames_.empty())
        return {};
    Frame& f = frames_.back();
    const bool first = f.first;
    f.first = false;
    switch (f.layout) {
    case Layout::Compact: return first ? "" : ",";
    case Layout::Line: return first ? "" : ", ";
    case Layout::Indented: break;
    }
    const std::size_t size = 2 + static_cast<std::size_t>(indented_) * 2;
    if (breaks_.size() < size)
        breaks_ = ",\n" + std::string(size - 2, ' ');
    return std::string_view(breaks_).substr(first ? 1 : 0, first ? size - 1 : size);
}

void Writer::raw(std::string_view text)
{
    out_ += separator();
    out_ += text;
}

void Writer::open(char bracket, Layout layout)
{
    out_ += separator();
    out_ += bracket;
    frames_.push_back({layout, bracket == '{' ? '}' : ']'});
    if (layout == Layout::Indented)
        ++indented_;
}

void Writer::end()
{
    const Frame f = frames_.back();
    frames_.pop_back();
    if (f.layout == Layout::Indented) {
        --indented_;
        if (!f.first) {
            out_ += '\n';
            out_.append(static_cast<std::size_t>(indented_) * 2, ' ');
        }
    }
    out_ += f.close;
}

// A plain key in a one-line object, by far the most common, is appended piece by piece: for
// keys, copying through a buffer on the stack measured slower than these few appends.
void Writer::key(std::string_view k)
{
    Frame& f = frames_.back();
    if (f.layout == Layout::Indented || !isPlain(k)) {
        const bool compact = f.layout == Layout::Compact;
        appendQuoted(out_, separator(), k, compact ? ":" : ": ");
        afterKey_ = true;
        return;
    }
    const bool line = f.layout == Layout::Line;
    if (!f.first)
        out_.append(", ", line ? 2 : 1);
    f.first = false;
    out_ += '"';
    out_ += k;
    out_.append("\": ", line ? 3 : 2);
    afterKey_ = true;
}

void Writer::string(std::string_view s)
{
    appendQuoted(out_, separator(), s, {});
}

void Writer::rawString(std::string_view s)
{
    out_ += separator();
    out_ += '"';
    out_ += s;
    out_ += '"';
}

void Writer::shortestString(double v)
{
    char buf[64];
    buf[0] = '"';
    char* end = std::to_chars(buf + 1, buf + sizeof buf - 1, v).ptr;
    *end++ = '"';
    raw({buf, static_cast<std::size_t>(end - buf)});
}

}  // namespace mq::textio::json
