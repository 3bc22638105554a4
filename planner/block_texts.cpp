#include "planner/block_texts.h"

#include "net/facts.h"
#include "net/parse.h"
#include "plan/allocate.h"
#include "plan/cloud.h"

namespace mq::planner {

using plan::BlockId;

std::string blockTitle(const plan::Block& block)
{
    return block.name.empty() ? prefixText(block.prefix) : block.name + " " + prefixText(block.prefix);
}

const char* columnTitle(int column)
{
    static const char* const titles[] = {"Name", "Prefix", "Hosts", "Spare", "Note"};
    return column >= 0 && column < ColumnCount ? titles[column] : "";
}

std::string prefixText(const net::Prefix& p)
{
    return net::formatNetwork(p);
}

std::string cellText(const plan::Plan& p, BlockId id, int column)
{
    const plan::Block& b = p.block(id);
    switch (column) {
    // A block kept back says so: unnamed, it would look like any other allocation.
    case ColName:
        if (b.state == plan::BlockState::Reserved)
            return b.name.empty() ? std::string("(reserved)") : b.name + " (reserved)";
        return b.name;
    case ColPrefix: return prefixText(b.prefix);
    // IPv6 space is counted as people count it, in /64s and /48s, and in the unit its
    // parts are counted in, so that a block and its parts read alike.
    case ColHosts:
        return b.prefix.address.family == net::Family::V6
                   ? plan::spaceText(b.prefix,
                                     b.children.empty() ? b.prefix.length : p.block(b.children.front()).prefix.length)
                   : net::toDecimal(plan::cloudUsableHosts(p.settings().cloud, b.prefix));
    case ColSpare:
        // An IPv6 LAN is a /64 whatever its hosts: its spare is not worth a number.
        if (!b.children.empty() || b.state == plan::BlockState::Free || b.prefix.address.family == net::Family::V6)
            return {};
        return net::toDecimal(p.spareHosts(id));
    case ColNote: return b.note;
    default: return {};
    }
}

std::string countText(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::size_t leafCount(const plan::Plan& p)
{
    std::size_t n = 0;
    std::vector<BlockId> stack(p.roots().begin(), p.roots().end());
    while (!stack.empty()) {
        const plan::Block& b = p.block(stack.back());
        stack.pop_back();
        if (b.children.empty())
            ++n;
        stack.insert(stack.end(), b.children.begin(), b.children.end());
    }
    return n;
}

std::string summaryText(const plan::Plan& p, std::size_t leaves, BlockId selected)
{
    return countText(p.blockCount(), "block", "blocks") + ", " + countText(leaves, "leaf", "leaves") + "; selected " +
           (p.exists(selected) ? blockTitle(p.block(selected)) : std::string("nothing"));
}

int partsOf(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return 0;
    const auto last = text.find_last_not_of(' ');
    auto n = net::parseDecimal(std::string_view(text).substr(first, last - first + 1));
    for (int k = 1; n && k <= kMaxSplitExponent; ++k)
        if (*n == (net::u128(1) << k))
            return 1 << k;
    return 0;
}

}  // namespace mq::planner
