#pragma once
// A strict pull reader and a string writer for JSON (RFC 8259), enough for documents whose
// shape the caller knows: the caller asks for what it expects next, so no tree of values is
// built, nesting is as deep as the caller's schema and nothing else, and the first fault
// stops the reader with the JSON path of the value it was in.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mq::plan::json {

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
};

// Appends s as a JSON string: quotes, \" \\ and control characters escaped, other UTF-8 as is.
void appendString(std::string& out, std::string_view s);

}  // namespace mq::plan::json
