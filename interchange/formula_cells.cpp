#include "interchange/formula_cells.h"

#include <algorithm>

namespace mq::interchange {

std::vector<plan::FormulaCell> formulaCells(const plan::Plan& plan, Format format, const PlanValues& values,
                                            const ExportOptions& options) {
  if (format != Format::Netbox && format != Format::Phpipam) return {};
  // The blocks that the writers give a row: free leaves only when asked for.
  std::vector<plan::BlockId> blocks;
  for (plan::BlockId root : plan.roots())
    for (plan::BlockId id : plan.preorder(root)) {
      const plan::Block& b = plan.block(id);
      if (options.includeFree || !b.children.empty() || b.assigned) blocks.push_back(id);
    }
  if (format == Format::Netbox) {
    std::string tags;
    for (const std::string& t : values.tags) tags += (tags.empty() ? "" : ",") + t;
    return plan::formulaCells(plan, blocks,
                              {{"tenant", values.tenant}, {"role", values.role}, {"vrf", values.vrf}, {"tags", tags}});
  }
  auto cells = plan::formulaCells(
      plan, blocks,
      {{"section", values.section}, {"domain", values.domain}, {"vrf", values.vrf}, {"customer", values.customer}});
  // phpIPAM's one description is the name, or the note when there is no name.
  std::erase_if(cells,
                [&](const plan::FormulaCell& c) { return c.field == "note" && !plan.block(c.block).name.empty(); });
  return cells;
}

}  // namespace mq::interchange
