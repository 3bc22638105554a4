#pragma once
// Every change of a plan as a command that can be undone and redone.
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
  virtual void revert(Plan& plan) = 0;
  virtual std::string text() const = 0;       // "Split 10.0.0.0/8 into 2"
};

class History {
 public:
  // Applies and records; on failure returns the reason and records nothing.
  std::string run(Plan& plan, std::unique_ptr<Command> cmd);
  bool canUndo() const;
  bool canRedo() const;
  void undo(Plan& plan);
  void redo(Plan& plan);
  std::string undoText() const;
  std::string redoText() const;
  bool isClean() const;  // at the state last marked clean (saved)
  void markClean();
  void clear();
};

std::unique_ptr<Command> makeSplit(BlockId id, int parts);
std::unique_ptr<Command> makeJoin(BlockId parent);
std::unique_ptr<Command> makeRename(BlockId id, std::string name);
std::unique_ptr<Command> makeSetNote(BlockId id, std::string note);
std::unique_ptr<Command> makeSetColour(BlockId id, std::uint32_t rgb);
std::unique_ptr<Command> makeSetAssigned(BlockId id, bool assigned);
// Places the segments (allocate()) and splits/assigns blocks to match, as one command.
std::unique_ptr<Command> makeAllocate(BlockId within, std::vector<Segment> segments);

}  // namespace mq::plan
