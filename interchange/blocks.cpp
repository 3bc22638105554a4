#include "interchange/blocks.h"

namespace mq::interchange {

std::vector<FlatBlock> blocksOf(const plan::Plan& plan, plan::BlockId root)
{
    std::vector<FlatBlock> out;
    for (plan::BlockId id : plan.preorder(root)) {
        const plan::Block& b = plan.block(id);
        FlatBlock e;
        e.prefix = b.prefix;
        e.name = b.name;
        e.note = b.note;
        if (b.colour != 0)
            e.colour = b.colour;
        e.container = !b.children.empty();
        e.state = e.container ? plan::BlockState::Free : b.state;
        if (b.state != plan::BlockState::Free && b.vlan)
            e.vlan = b.vlan;
        if (const plan::BlockIpam* v = plan.hasBlockIpam() ? plan.blockIpam(id) : nullptr)
            e.ipam = *v;
        e.root = id == root;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<FlatBlock> blocksOf(const plan::Plan& plan)
{
    std::vector<FlatBlock> out;
    for (plan::BlockId r : plan.roots()) {
        auto tree = blocksOf(plan, r);
        out.insert(out.end(), std::make_move_iterator(tree.begin()), std::make_move_iterator(tree.end()));
    }
    return out;
}

bool handedToIpam(const FlatBlock& b)
{
    if (b.root || (!b.container && b.state != plan::BlockState::Free))
        return true;
    return b.container && (!b.name.empty() || !b.note.empty() || b.colour || !b.ipam.empty());
}

}  // namespace mq::interchange
