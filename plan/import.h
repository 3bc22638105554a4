#pragma once
// Prefixes that exist elsewhere (an IPAM's export, a list of what is in use, another
// planner's tree) placed into a plan: each becomes a block of the tree, split down to it
// in halves where needed. Items that overlap each other, lie outside every root or clash
// with what the plan already assigned are named with their lines and reasons, and nothing
// is placed from them.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plan/plan.h"
#include "textio/lines.h"

namespace mq::plan {

class Command;  // plan/commands.h

struct ImportItem {
    net::Prefix prefix;  // host bits are cleared
    std::string name{}, note{};  // initialised: {prefix, name} is a whole item
    int vlan = 0;  // assigned and reserved items only; 0 for none
    std::optional<std::uint32_t> colour{};
    // A leaf's state: Free for a tree's empty part, or space given a colour or note.
    BlockState state = BlockState::Assigned;
    bool container = false;  // its block is split, state aside, and items inside it may follow
    std::size_t line = 0;  // where it was read (1-based), 0 when not from a file
    BlockIpam ipam{};  // what an IPAM said of the prefix, kept with its block
};

struct ImportCheck {
    std::vector<std::size_t> accepted;  // indexes of the items that will be placed, in order
    // Each with its line, the item's index and why ("overlaps line 4 (10.0.0.0/16, inside)").
    std::vector<textio::Problem> refused;  // ordered by item
    std::size_t steps = 0;  // the overlap check's work: it grows with the items, never with their pairs
};

// Which items can be placed. Refused: a name, note or VLAN a block cannot take; a prefix
// outside every root (or only partly inside one); two items that share addresses (both are
// refused), unless one is a container that the other lies inside; an item that shares
// addresses with a block the plan already assigned, unless it is a container holding it.
// Each is named with the lowest-numbered item it clashes with. O(n log n), however many
// items are equal or nested.
ImportCheck checkImport(const Plan& plan, const std::vector<ImportItem>& items);

// Places the items checkImport accepts, as one undoable command: containers first (a block
// split in halves), then leaves, each a block of exactly its prefix (free parts that cover
// it are joined first). Fails, changing nothing, when no item is accepted ("nothing to
// import: " and the first item's reason).
std::unique_ptr<Command> makeImport(std::vector<ImportItem> items);

}  // namespace mq::plan
