#pragma once
// Every change of a plan as a command that can be undone and redone.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plan/allocate.h"
#include "plan/import.h"
#include "plan/plan.h"

namespace mq::plan {

class Command {
public:
    virtual ~Command() = default;
    virtual std::string apply(Plan& plan) = 0;  // empty on success; on failure nothing changed
    virtual void revert(Plan& plan) = 0;  // only right after apply (or a redo of it)
    virtual std::string text() const = 0;  // "Split 10.0.0.0/8 into 2"
};

class History {
public:
    // Applies and records; on failure returns the reason and records nothing (and *what,
    // when given, takes the command's text: "Tidy 10.0.0.0/8").
    // A recorded command drops whatever could have been redone.
    std::string run(Plan& plan, std::unique_ptr<Command> cmd, std::string* what = nullptr);
    bool canUndo() const;
    bool canRedo() const;
    void undo(Plan& plan);  // no-op when there is nothing to undo
    void redo(Plan& plan);  // no-op when there is nothing to redo
    std::string undoText() const;  // text of the command undo would revert, empty when none
    std::string redoText() const;
    bool isClean() const;  // at the state last marked clean (saved)
    void markClean();
    void clear();  // forget everything; the current state counts as clean

private:
    std::vector<std::unique_ptr<Command>> done_;  // [0, at_) applied, [at_, size) undone
    std::size_t at_ = 0;
    std::ptrdiff_t clean_ = 0;  // the value of at_ that is clean; -1 when none can be reached
};

std::unique_ptr<Command> makeSplit(BlockId id, int parts);
std::unique_ptr<Command> makeJoin(BlockId parent);
std::unique_ptr<Command> makeRename(BlockId id, std::string name);
std::unique_ptr<Command> makeSetNote(BlockId id, std::string note);
std::unique_ptr<Command> makeSetColour(BlockId id, std::uint32_t rgb);

// What a free leaf is given when it is assigned by hand.
struct Assignment {
    std::string name;
    net::u128 hosts = 0;  // hosts asked (0: not given)
    double growthPercent = 0;
    std::string note;
    int vlan = 0;  // 0: none
};
// Assigns a free leaf: name, note, hosts, growth and VLAN as given, in one undoable step.
std::unique_ptr<Command> makeAssign(BlockId id, Assignment a);
// Frees an assigned leaf: it is no longer assigned, and its name, hosts, growth, VLAN and
// colour go with the assignment (the note stays: it is about the space).
std::unique_ptr<Command> makeFree(BlockId id);
// Joins every pair of free siblings under each of the blocks, recursively, so that the
// free space shows as the fewest blocks: parts of a split into 4 or more are regrouped
// into halves where that lets free neighbours join. Fails, changing nothing, when there is
// nothing to join.
std::unique_ptr<Command> makeTidy(std::vector<BlockId> under);
// Sets the plan's sizing rules (links as /30, nibble-aligned IPv6, the cloud mode).
std::unique_ptr<Command> makeSetSettings(Settings settings);
// Sets the values handed to an IPAM with every prefix; refused when one is no name.
std::unique_ptr<Command> makeSetIpamValues(IpamValues values);
// Sets what the DHCP and DNS configuration is written with; refused, with the reason
// checkNewOutputs gives, when the settings cannot be written or bring the plan a fault.
std::unique_ptr<Command> makeSetOutputSettings(OutputSettings settings);
// Marks a leaf reserved (a free one is assigned on the way) or, with false, takes the mark
// off an assigned one (it stays assigned; makeFree frees it).
std::unique_ptr<Command> makeSetReserved(BlockId id, bool reserved);
// Places the segments (allocate()) and shapes the tree to match, as one command: free
// neighbours are joined and blocks split as needed, so that each placement is a block,
// named after its segment, assigned with its hosts, growth and VLAN and coloured from a
// fixed palette (the same colour in both families). Blocks regrouped on the way that end up
// as free halves are joined again: the tree changes no more than the placements need.
// The segment list is kept in the plan. allocate() on the same plan gives the same
// placements, so a window shows its result list from allocate() and applies this. Fails,
// changing nothing, when no segment fits anywhere.
std::unique_ptr<Command> makeAllocate(BlockId within, std::vector<Segment> segments);
std::unique_ptr<Command> makeAllocate(std::vector<BlockId> targets, std::vector<Segment> segments);

// Sets what an assigned leaf sets for its own layout (an empty one: it follows the rules).
std::unique_ptr<Command> makeSetLayout(BlockId id, SubnetLayout layout);
// Adds hosts at the end of the plan's list, in one undoable step.
std::unique_ptr<Command> makeAddHosts(std::vector<Host> hosts);
// Replaces host i.
std::unique_ptr<Command> makeEditHost(std::size_t i, Host host);
// Deletes the hosts at these indices (any order, repeats ignored).
std::unique_ptr<Command> makeDeleteHosts(std::vector<std::size_t> indices);

// Prefixes already in use, a file of an IPAM or another planner's tree placed into the
// plan: ImportItem, checkImport and makeImport in plan/import.h.

}  // namespace mq::plan
