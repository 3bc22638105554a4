#pragma once
// The free space of a block given what is in use: what "mqnet free" and the planner's
// import ask of the engine.
#include <optional>

#include "net/address.h"
#include "net/address_set.h"

namespace mq::net {

struct FreeSpace {
    AddressSet free;  // the root's addresses that no used item covers
    Count freeAddresses, usedAddresses;
};

// Used items may reach outside the root: only their part inside it counts.
FreeSpace freeSpace(const Prefix& root, const AddressSet& used, CancelFlag cancel = nullptr);

// The lowest aligned prefix of the given length that lies wholly in the set, or none.
std::optional<Prefix> firstAligned(const AddressSet& set, Family f, int length);

}  // namespace mq::net
