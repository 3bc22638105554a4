#pragma once
// Strict, total parsing of what a user types or a file holds.
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "net/address.h"

namespace mq::net {

struct ParseError {
    std::size_t position = 0;  // 0-based character offset into the text where the fault is
    std::string message;  // names what is wrong, e.g. "octet 3 has a leading zero"
};

// One item of input: a bare address, a prefix, or a range.
struct Input {
    enum class Kind { Address, Prefix, Range };
    Kind kind = Kind::Address;
    Prefix prefix;  // Address: the address with length = family width; Prefix: as typed
    Range range;  // Range: first..last; Address/Prefix: the prefix's network..last
    std::string zone;  // IPv6 zone index without the '%' ("eth0"), empty when none
};

template <class T> using Parsed = std::variant<T, ParseError>;

// Accepts (surrounding blanks ignored; none beside a '/'):
//   IPv4  a.b.c.d | a.b.c.d/len | a.b.c.d MASK | a.b.c.d WILDCARD (read as a mask when it is one)
//   IPv6  every RFC 4291 text form, optional %zone, optional /len
//   range FIRST-LAST or FIRST - LAST (same family, FIRST <= LAST)
// Leading zeros in IPv4 octets are refused (ambiguous octal).
Parsed<Input> parseInput(std::string_view text);
// One item of an address list (an address, a prefix or a range) as its range: the one item
// reader behind every list of the windows and of mqnet. The common "ADDRESS/len" line is
// read without building a parse result; everything else, faults included, is parseInput's.
Parsed<Range> parseListItem(std::string_view item);
// A bare address of either family (with optional %zone for IPv6; zone returned through *zone).
Parsed<Address> parseAddress(std::string_view text, std::string* zone = nullptr);

// The error text of a failed parse, for people: "<text>: <message> at character <position+1>",
// the text escaped and shortened (textio::escaped) so that no byte of it drives a terminal.
std::string describe(std::string_view text, const ParseError& e);

}  // namespace mq::net
