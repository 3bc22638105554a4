#pragma once
// Every change of a plan as a command that can be undone and redone.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plan/allocate.h"
#include "plan/plan.h"

namespace mq::plan {

class Command {
 public:
  virtual ~Command() = default;
  virtual std::string apply(Plan& plan) = 0;  // empty on success; on failure nothing changed
  virtual void revert(Plan& plan) = 0;        // only right after apply (or a redo of it)
  virtual std::string text() const = 0;       // "Split 10.0.0.0/8 into 2"
};

class History {
 public:
  // Applies and records; on failure returns the reason and records nothing.
  // A recorded command drops whatever could have been redone.
  std::string run(Plan& plan, std::unique_ptr<Command> cmd);
  bool canUndo() const;
  bool canRedo() const;
  void undo(Plan& plan);  // no-op when there is nothing to undo
  void redo(Plan& plan);  // no-op when there is nothing to redo
  std::string undoText() const;  // text of the command undo would revert, empty when none
  std::string redoText() const;
  bool isClean() const;  // at the state last marked clean (saved)
  void markClean();
  void clear();          // forget everything; the current state counts as clean

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
std::unique_ptr<Command> makeSetAssigned(BlockId id, bool assigned, net::u128 hostsNeeded = 0);
// Places the segments (allocate()) and splits/assigns blocks to match, as one command:
// each placed block is named after its segment, assigned with the segment's hosts and
// coloured from a fixed palette. allocate() on the same plan gives the same placements, so
// a window shows its result list from allocate() and applies this. Fails, changing nothing,
// when no segment fits.
std::unique_ptr<Command> makeAllocate(BlockId within, std::vector<Segment> segments);

}  // namespace mq::plan
