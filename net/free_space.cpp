#include "net/free_space.h"

#include "net/bits.h"

namespace mq::net {

FreeSpace freeSpace(const Prefix& root, const AddressSet& used, CancelFlag cancel)
{
    FreeSpace out;
    out.free = complement(used, root, cancel);
    const Family f = root.address.family;
    out.freeAddresses = out.free.size(f);
    const AddressSet whole = complement(AddressSet{}, root);
    out.usedAddresses = subtract(whole, out.free).size(f);
    return out;
}

std::optional<Prefix> firstAligned(const AddressSet& set, Family f, int length)
{
    if (length < 0 || length > familyBits(f))
        return std::nullopt;
    const int hostBits = familyBits(f) - length;
    const u128 lowMask = lowBits(hostBits);
    for (const Span& s : set.spans(f)) {
        if (hostBits == 128) {  // only the whole space is one /0
            if (s.first == 0 && s.last == ~u128{0})
                return Prefix{{0, f}, 0};
            continue;
        }
        const u128 start = (s.first + lowMask) & ~lowMask;  // rounded up to the block size
        if (start < s.first)
            continue;  // rounding passed the top of the space
        if (start + lowMask >= start && start + lowMask <= s.last)
            return Prefix{{start, f}, length};
    }
    return std::nullopt;
}

}  // namespace mq::net
