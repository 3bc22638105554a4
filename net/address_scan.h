#pragma once
// Addresses written in free text (a log line), found fast enough to read hundreds of
// megabytes a second, and the message-free address readers under that search.
//
// A word is a run of letters, digits, '_', '.' and ':'. An address is found when a whole
// word is one, or a word is an IPv4 address followed by '.' (the end of a sentence) or by
// ':' and a port number. So 10.0.0.1 is found in "from 10.0.0.1.", "[10.0.0.1]:22",
// "10.0.0.1:443", "[2001:db8::1]" and "ip=10.0.0.1/24", but not in "10.0.0.1.5", "v10.0.0.1"
// or "10.0.0.1a".
#include <cstdint>
#include <string_view>

#include "net/address.h"

namespace mq::net {

// Exactly a dotted quad (no leading zeros, no blanks), as parseAddress reads it.
bool readV4(std::string_view text, std::uint32_t& value);
// Exactly an IPv6 address without zone or blanks, as parseAddress reads it.
bool readV6(std::string_view text, u128& value);
// Exactly "ADDRESS/len" of either family (a plain decimal length, no blanks or zone): the
// common line of a list, read without building a parse result. The rest is parseInput's.
bool readPlainPrefix(std::string_view text, Prefix& prefix);
// Exactly "a.b.c.d/len" as readPlainPrefix reads it, in one pass over the text: the line of
// nearly every IPv4 list. The address keeps its host bits, as typed.
bool readV4Prefix(std::string_view text, std::uint32_t& address, int& length);
// The same line as the range it covers (host bits cleared, then set): a list's item read
// without building a parse result.
inline bool readV4PrefixRange(std::string_view text, Range& range)
{
    std::uint32_t v4 = 0;
    int length = 0;
    if (!readV4Prefix(text, v4, length))
        return false;
    const std::uint32_t host = length == 32 ? 0 : 0xFFFFFFFFu >> length;
    range = {Address::v4(v4 & ~host), Address::v4(v4 | host)};
    return true;
}

struct FoundAddress {
    Address address;
    std::string_view text;  // as written in the line
};
// The next address of the line [begin, end) from p on (p is where the last search ended, or
// begin): true with out filled and p past it, or false with p at end. v4Only: IPv4
// addresses only, found faster, as words without a '.' are passed over unread.
bool nextAddress(const char* begin, const char*& p, const char* end, FoundAddress& out, bool v4Only = false);

// What a scan of many lines at once reports to: each address found, and each line's end.
class LineSink {
public:
    // An address of the current line, left to right; true: the line is selected, and the
    // rest of it is not searched.
    virtual bool wanted(const FoundAddress& a) = 0;
    // A line without its '\n', and whether wanted() said true for it; false stops the scan.
    virtual bool line(std::string_view text, bool hit) = 0;

protected:
    ~LineSink() = default;
};
// The lines of text (each ended by '\n', the last one perhaps by the text's end), searched as
// scanAddresses searches one line, but in one pass over the whole text: a log's lines are
// short, and a pass per line costs more than the search. False when sink.line() stopped it.
bool scanLines(std::string_view text, LineSink& sink, bool v4Only = false);

// Calls found for each address in the line, left to right, until it returns false.
template <class Found> void scanAddresses(std::string_view line, Found&& found, bool v4Only = false)
{
    const char* p = line.data();
    const char* const end = p + line.size();
    FoundAddress a;
    while (nextAddress(line.data(), p, end, a, v4Only))
        if (!found(a))
            return;
}

}  // namespace mq::net
