#include "interchange/blocks.h"

namespace mq::interchange {

std::vector<ExportBlock> blocksOf(const plan::Plan& plan) {
  std::vector<ExportBlock> out;
  for (plan::BlockId id : plan.preorder(plan.root())) {
    const plan::Block& b = plan.block(id);
    ExportBlock e;
    e.prefix = b.prefix;
    e.name = b.name;
    e.note = b.note;
    if (b.colour != 0) e.colour = b.colour;
    e.status = !b.children.empty() ? Status::Container : b.assigned ? Status::Active : Status::Free;
    out.push_back(std::move(e));
  }
  return out;
}

std::string describe(const Notice& n) {
  return n.line ? "line " + std::to_string(n.line) + ": " + n.text : n.text;
}

}  // namespace mq::interchange
