#include "interchange/blocks.h"

namespace mq::interchange {

std::vector<ExportBlock> blocksOf(const plan::Plan& plan, plan::BlockId root)
{
    std::vector<ExportBlock> out;
    for (plan::BlockId id : plan.preorder(root)) {
        const plan::Block& b = plan.block(id);
        ExportBlock e;
        e.prefix = b.prefix;
        e.name = b.name;
        e.note = b.note;
        if (b.colour != 0)
            e.colour = b.colour;
        e.status = !b.children.empty()                     ? Status::Container
                   : b.state == plan::BlockState::Free     ? Status::Free
                   : b.state == plan::BlockState::Reserved ? Status::Reserved
                                                           : Status::Active;
        if (b.state != plan::BlockState::Free && b.vlan)
            e.vlan = b.vlan;
        if (const plan::BlockIpam* v = plan.hasBlockIpam() ? plan.blockIpam(id) : nullptr)
            e.ipam = *v;
        e.root = id == root;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<ExportBlock> blocksOf(const plan::Plan& plan)
{
    std::vector<ExportBlock> out;
    for (plan::BlockId r : plan.roots()) {
        auto tree = blocksOf(plan, r);
        out.insert(out.end(), std::make_move_iterator(tree.begin()), std::make_move_iterator(tree.end()));
    }
    return out;
}

bool handedToIpam(const ExportBlock& b)
{
    if (b.root || b.status == Status::Active || b.status == Status::Reserved || b.status == Status::Deprecated)
        return true;
    return b.status == Status::Container && (!b.name.empty() || !b.note.empty() || b.colour || !b.ipam.empty());
}

std::string describe(const Notice& n)
{
    return n.line ? "line " + std::to_string(n.line) + ": " + n.text : n.text;
}

}  // namespace mq::interchange
