#include "interchange/formula_cells.h"

#include <algorithm>

#include "textio/csv.h"

namespace mq::interchange {

std::vector<plan::FormulaCell> formulaCells(const plan::Plan& plan, Format format, const PlanValues& values,
                                            const ExportOptions& options)
{
    if (format != Format::Netbox && format != Format::Phpipam)
        return {};
    const bool netbox = format == Format::Netbox;
    std::vector<plan::FormulaCell> cells;
    // The blocks that the writers give a row: free leaves only when asked for. A block's own
    // IPAM values are written in its row in place of the plan's.
    for (plan::BlockId root : plan.roots())
        for (plan::BlockId id : plan.preorder(root)) {
            const plan::Block& b = plan.block(id);
            if (!(options.includeFree || !b.children.empty() || b.state != plan::BlockState::Free))
                continue;
            for (plan::FormulaCell& c : plan::formulaCells(plan, {id}))
                // phpIPAM's one description is the name, or the note when there is no name.
                if (netbox || c.field == "name" || b.name.empty())
                    cells.push_back(std::move(c));
            const plan::BlockIpam* own = plan.hasBlockIpam() ? plan.blockIpam(id) : nullptr;
            if (!own)
                continue;
            const std::pair<const char*, const std::string*> written[] = {{"tenant", netbox ? &own->tenant : nullptr},
                                                                          {"role", netbox ? &own->role : nullptr},
                                                                          {"vrf", &own->vrf}};
            for (const auto& [field, value] : written)
                if (value && textio::readsAsFormula(*value))
                    cells.push_back({id, field, *value});
        }
    std::vector<std::pair<std::string, std::string>> planWide;
    if (netbox) {
        std::string tags;
        for (const std::string& t : values.ipam.tags)
            tags += (tags.empty() ? "" : ",") + t;
        planWide = {
            {"tenant", values.ipam.tenant}, {"role", values.ipam.role}, {"vrf", values.ipam.vrf}, {"tags", tags}};
    } else {
        planWide = {{"section", values.ipam.section},
                    {"domain", values.ipam.domain},
                    {"vrf", values.ipam.vrf},
                    {"customer", values.ipam.customer}};
    }
    for (plan::FormulaCell& c : plan::formulaCells(plan, {}, planWide))
        cells.push_back(std::move(c));
    return cells;
}

}  // namespace mq::interchange
