// The classless calculator's form: one input box, the prefix controls linked to
// it, and the results of the last text that read, as plain fields.
#pragma once

#include "net/facts.h"
#include "net/parse.h"

#include <optional>
#include <string>
#include <vector>

namespace mq::classless {

// Every result the window shows in a labelled field, in display order.
enum class FieldId {
    Address,
    Expanded,
    PrefixLength,
    Network,
    Netmask,
    Wildcard,
    Broadcast,
    First,
    Last,
    Addresses,
    Usable,
    Class,
    ReversePointer,
    ReverseZones,
    Embedded,
    Global,
    AddressHex,
    MaskHex,
    Range,
    RangeAddresses,
    RangePrefixes,
};
inline constexpr int kFieldCount = static_cast<int>(FieldId::RangePrefixes) + 1;

struct Field {
    const char* name;  // the widget's object name
    const char* label;  // shown before the value, and its accessible name
    std::string value;
    bool shown = false;
};

enum class BitKind { Network, Host, Gap };
struct BitRun {
    std::string text;
    BitKind kind;
    friend bool operator==(const BitRun&, const BitRun&) = default;
};
using BitLine = std::vector<BitRun>;

inline constexpr const char* kEmptyNotice = "Type an IPv4 or IPv6 address, a prefix or a range: its facts show here.";

class ClasslessForm {
public:
    ClasslessForm();

    // ---- controls
    std::string input;  // the box the user types into
    std::string error;  // why input does not read yet; "" when it does
    std::string notice;  // why no results are shown, or whose results still are
    int prefixMaximum = 32;  // spin box and slider: 0..prefixMaximum
    int prefix = 0;
    std::vector<std::string> maskList;  // one row per length, 0..prefixMaximum
    int maskIndex = -1;

    // ---- results of the last text that read
    bool hasResults() const { return facts_.has_value(); }
    const net::PrefixFacts& facts() const { return *facts_; }
    // The prefix the results describe (network and length), for the listing.
    net::Prefix resultPrefix() const;
    const Field& field(FieldId id) const { return fields[static_cast<int>(id)]; }
    std::vector<Field> fields;
    std::vector<std::string> badges;  // one per registry entry holding the prefix
    std::vector<BitLine> addressBits, maskBits;  // 32 bits a line: one for IPv4, four for IPv6

    // ---- handlers
    // The box changed (typed, pasted or written): results follow, or error says why not.
    void setInput(const std::string& text);
    // The spin box, the slider or the mask choice set a length: the box is rewritten.
    void setPrefix(int length);
    void chooseMask(int index);

    // "Label: value" for each shown result, the badges and the binary lines.
    std::vector<std::string> resultLines() const;

private:
    void show(const net::Input& in, int length);
    void clearResults();
    void fillMasks(net::Family f);
    Field& at(FieldId id) { return fields[static_cast<int>(id)]; }

    std::optional<net::PrefixFacts> facts_;
    std::optional<net::Range> range_;  // when the text was a range
    std::string addressText_;  // the address as the box shows it, zone included
    std::string shownText_;  // the text the results are of, fit to quote
};

// The length a bare address takes: its class's mask for IPv4 (the address
// alone for classes D and E, which have none), /64 for IPv6.
int impliedLength(const net::Address& a);
// The longest prefix holding both ends of the range.
int coveringLength(const net::Range& r);
// The bits of a value, grouped (octets joined by '.', 16-bit groups by ':'),
// split into network and host runs at `length`.
std::vector<BitLine> bitLines(net::Family f, net::u128 value, int length);
// "0x0a010203" or the 32 hex digits of an IPv6 value.
std::string hexText(net::Family f, net::u128 value);

}  // namespace mq::classless
