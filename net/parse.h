#pragma once
// Strict, total parsing of what a user types or a file holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "net/address.h"

namespace mq::net {

struct ParseError {
    // What parsePrefix refused, for a caller that words it its own way; Text for every
    // fault of the text itself (and for every other reader).
    enum class Fault : std::uint8_t { Text, Range, Address, Zone, HostBits };
    std::size_t position = 0;  // 0-based character offset into the text where the fault is
    std::string message;  // names what is wrong, e.g. "octet 3 has a leading zero"
    Fault fault = Fault::Text;
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
// What a prefix reader does with host bits set, as in 10.1.2.3/16.
enum class HostBits {
    Keep,  // the prefix as typed, for a caller that clears them (masked()) and says it did
    Clear,  // cleared without a word: 10.1.0.0/16
    Refuse,  // refused: "has host bits set"
    Suggest,  // refused naming the network: "has host bits set; did you mean 10.1.0.0/16?"
};
// What a prefix reader takes besides ADDRESS/LEN and ADDRESS MASK.
struct PrefixForms {
    bool address = false;  // a bare address, as its /32 or /128 (a zone on it is dropped)
    bool zone = false;  // a zone on a prefix, dropped: fe80::1%eth0/64
};
// A prefix as parseInput reads it. Refused, in this order, with the fault named: a text
// that does not read (Text), a range (Range: "is a range"), a bare address unless taken
// (Address: "is an address, not a prefix"), a zone on a prefix unless taken (Zone: "a
// prefix has no zone"), and host bits set under Refuse or Suggest (HostBits).
Parsed<Prefix> parsePrefix(std::string_view text, HostBits policy, PrefixForms forms = {});
// A bare address of either family (with optional %zone for IPv6; zone returned through *zone).
Parsed<Address> parseAddress(std::string_view text, std::string* zone = nullptr);

// The error text of a failed parse, for people: "<text>: <message> at character <position+1>",
// the text escaped and shortened (textio::escaped) so that no byte of it drives a terminal.
std::string describe(std::string_view text, const ParseError& e);

}  // namespace mq::net
