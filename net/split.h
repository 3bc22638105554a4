#pragma once
// The subnets of a prefix at a longer prefix: any row in constant time.
#include <optional>

#include "net/address.h"

namespace mq::net {

struct SubnetRow {
    u128 index = 0;
    Prefix network;  // network/newLength
    Address first, last;  // usable hosts, as PrefixFacts gives them
    std::optional<Address> broadcast;  // IPv4 up to /30
};

class Splitter {
public:
    // parent's host bits are ignored; newLength must be >= parent.length and <= family width
    // (callers check: valid() says whether it is).
    Splitter(const Prefix& parent, int newLength);
    bool valid() const;
    Count rowCount() const;  // 2^(newLength - parent.length), up to 2^128
    u128 lastIndex() const;  // rowCount - 1, always fits
    SubnetRow row(u128 index) const;  // index <= lastIndex()
    // The row whose subnet holds a (nullopt when a lies outside the parent).
    std::optional<u128> rowOf(const Address& a) const;

private:
    Prefix parent_;
    int newLength_ = 0;
};

}  // namespace mq::net
