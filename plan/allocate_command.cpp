// The Allocate command: allocate() placed into the tree by halving free leaves, so the tree
// ends up with exactly the free blocks that allocate() counted on.
#include <array>

#include "plan/commands.h"

namespace mq::plan {

namespace {

// Colours told apart at a glance on the allocation map, one per placed segment in turn.
constexpr std::array<std::uint32_t, 12> kPalette{0x4E79A7, 0xF28E2B, 0xE15759, 0x76B7B2, 0x59A14F, 0xEDC948,
                                                 0xB07AA1, 0xFF9DA7, 0x9C755F, 0xBAB0AC, 0x86BCB6, 0xD37295};

class AllocateCommand : public Command {
 public:
  AllocateCommand(BlockId within, std::vector<Segment> segments)
      : within_(within), segments_(std::move(segments)) {}

  std::string apply(Plan& plan) override {
    if (!steps_.empty()) {  // redo: the same steps on the same state
      for (auto& s : steps_) (void)s->apply(plan);
      return {};
    }
    label_ = "Allocate " + std::to_string(segments_.size()) + " segments in " +
             (plan.exists(within_) ? net::formatNetwork(plan.block(within_).prefix) : "?");
    const auto placements = allocate(plan, within_, segments_);
    std::string firstReason = segments_.empty() ? "there are no segments" : "";
    std::size_t placed = 0;
    for (std::size_t i = 0; i < placements.size(); ++i) {
      const Placement& p = placements[i];
      if (!p.prefix) {
        if (firstReason.empty()) firstReason = p.name + ": " + p.reason;
        continue;
      }
      BlockId leaf = plan.leafAt(p.prefix->address, within_);
      while (leaf != kNoBlock && plan.block(leaf).prefix.length < p.prefix->length) {
        if (auto r = step(plan, makeSplit(leaf, 2)); !r.empty()) return undoAll(plan, r);
        leaf = plan.leafAt(p.prefix->address, leaf);
      }
      if (leaf == kNoBlock) return undoAll(plan, "the plan changed under the allocation");
      const std::uint32_t colour = kPalette[placed++ % kPalette.size()];
      if (auto r = step(plan, makeRename(leaf, p.name)); !r.empty()) return undoAll(plan, r);
      if (auto r = step(plan, makeSetAssigned(leaf, true, segments_[i].hosts)); !r.empty()) return undoAll(plan, r);
      if (auto r = step(plan, makeSetColour(leaf, colour)); !r.empty()) return undoAll(plan, r);
    }
    if (!placed) return "no segment fits: " + firstReason;
    return {};
  }

  void revert(Plan& plan) override {
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) (*it)->revert(plan);
  }
  std::string text() const override { return label_; }

 private:
  std::string step(Plan& plan, std::unique_ptr<Command> cmd) {
    if (auto r = cmd->apply(plan); !r.empty()) return r;
    steps_.push_back(std::move(cmd));
    return {};
  }
  std::string undoAll(Plan& plan, std::string reason) {
    revert(plan);
    steps_.clear();
    return reason;
  }

  BlockId within_;
  std::vector<Segment> segments_;
  std::vector<std::unique_ptr<Command>> steps_;
  std::string label_ = "Allocate";
};

}  // namespace

std::unique_ptr<Command> makeAllocate(BlockId within, std::vector<Segment> segments) {
  return std::make_unique<AllocateCommand>(within, std::move(segments));
}

}  // namespace mq::plan
