#include "net/split.h"

#include "net/bits.h"
#include "net/facts.h"

namespace mq::net {

Splitter::Splitter(const Prefix& parent, int newLength) : parent_{parent.masked()}, newLength_(newLength) { }

bool Splitter::valid() const
{
    return parent_.length >= 0 && newLength_ >= parent_.length && newLength_ <= parent_.address.bits();
}

Count Splitter::rowCount() const
{
    return Count::powerOfTwo(newLength_ - parent_.length);
}

u128 Splitter::lastIndex() const
{
    return lowBits(newLength_ - parent_.length);
}

SubnetRow Splitter::row(u128 index) const
{
    const Address network{parent_.address.value + shiftedLeft(index, parent_.address.bits() - newLength_),
                          parent_.address.family};
    SubnetRow r;
    r.index = index;
    r.network = {network, newLength_};
    const Hosts h = hostsOf(r.network);
    r.first = h.first;
    r.last = h.last;
    r.broadcast = h.broadcast;
    return r;
}

std::optional<u128> Splitter::rowOf(const Address& a) const
{
    if (!parent_.contains(a))
        return std::nullopt;
    const int hostBits = a.bits() - newLength_;
    const u128 offset = a.value - parent_.address.value;
    return shiftedRight(offset, hostBits);
}

}  // namespace mq::net
