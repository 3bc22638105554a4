#include "plan/allocations.h"

#include <algorithm>
#include <map>

#include "net/facts.h"
#include "plan/allocate.h"
#include "plan/document.h"

namespace mq::plan {

std::vector<AllocationRow> allocationRows(const Plan& plan)
{
    std::vector<AllocationRow> rows;
    std::map<std::pair<std::string, int>, std::vector<std::size_t>> open;  // rows still without IPv6, by segment
    const bool pairs = plan.isDualStack();  // else no row waits for an IPv6 block
    for (const net::Family f : {net::Family::V4, net::Family::V6}) {
        for (BlockId r : plan.roots()) {
            if (plan.block(r).prefix.address.family != f)
                continue;
            for (BlockId b : plan.preorder(r)) {
                const Block& blk = plan.block(b);
                if (!blk.children.empty() || blk.state == BlockState::Free)
                    continue;
                if (f == net::Family::V4) {
                    if (pairs && !blk.name.empty())
                        open[{blk.name, blk.vlan}].push_back(rows.size());
                    rows.push_back({b, kNoBlock});
                    continue;
                }
                auto it = blk.name.empty() ? open.end() : open.find({blk.name, blk.vlan});
                if (it == open.end() || it->second.empty()) {
                    rows.push_back({kNoBlock, b});
                    continue;
                }
                // First in address order among the waiting rows of this segment.
                auto& waiting = it->second;
                rows[waiting.front()].v6 = b;
                waiting.erase(waiting.begin());
            }
        }
    }
    return rows;
}

BlockId pairedBlock(const Plan& plan, BlockId id)
{
    if (!plan.exists(id) || !plan.isDualStack())
        return kNoBlock;
    const Block& me = plan.block(id);
    if (!me.children.empty() || me.state == BlockState::Free || me.name.empty())
        return kNoBlock;
    // As allocationRows pairs them: the k-th IPv6 block of a name and VLAN, in address order,
    // sits on the row of the k-th IPv4 block of the same.
    std::vector<BlockId> of[2];
    for (const net::Family f : {net::Family::V4, net::Family::V6})
        for (BlockId r : plan.roots()) {
            if (plan.block(r).prefix.address.family != f)
                continue;
            for (BlockId b : plan.preorder(r)) {
                const Block& blk = plan.block(b);
                if (blk.children.empty() && blk.state != BlockState::Free && blk.vlan == me.vlan && blk.name == me.name)
                    of[f == net::Family::V6].push_back(b);
            }
        }
    const bool v6 = me.prefix.address.family == net::Family::V6;
    const auto& mine = of[v6];
    const auto& other = of[!v6];
    const std::size_t k = static_cast<std::size_t>(std::find(mine.begin(), mine.end(), id) - mine.begin());
    return k < other.size() ? other[k] : kNoBlock;
}

const char* blockStatus(const Block& b)
{
    return b.children.empty() ? stateName(b.state) : "split";
}

std::vector<std::string> allocationCells(const Plan& plan, const AllocationRow& row)
{
    const Block& b = plan.block(row.main());
    const net::Hosts h = net::hostsOf(b.prefix);
    const CloudMode cloud = plan.settings().cloud;  // first, last and usable by the plan's cloud rules
    const net::Count usable = cloudUsableHosts(cloud, b.prefix);
    const auto first = cloudFirstUsable(cloud, b.prefix), last = cloudLastUsable(cloud, b.prefix);
    const auto needed = neededHosts(b.hostsNeeded, b.growthPercent);
    const ResolvedLayout layout = resolveLayout(plan, row.main());
    const auto& gateway = layout.gateway;
    // Only a row with both families has a second block.
    const ResolvedLayout second =
        row.v4 != kNoBlock && row.v6 != kNoBlock ? resolveLayout(plan, row.v6) : ResolvedLayout{};
    std::string mask = "/" + std::to_string(b.prefix.length);
    if (b.prefix.address.family == net::Family::V4)
        mask = net::format(net::Address::v4(static_cast<std::uint32_t>(net::maskOf(net::Family::V4, b.prefix.length))));
    return {b.name,
            blockStatus(b),
            b.vlan ? std::to_string(b.vlan) : "",
            row.v4 != kNoBlock ? net::formatNetwork(plan.block(row.v4).prefix) : "",
            row.v6 != kNoBlock ? net::formatNetwork(plan.block(row.v6).prefix) : "",
            mask,
            first ? net::format(*first) : "",
            last ? net::format(*last) : "",
            h.broadcast ? net::format(*h.broadcast) : "",
            gateway ? net::format(*gateway) : "",
            rangesText(layout.ranges),
            second.gateway ? net::format(*second.gateway) : "",
            rangesText(second.ranges),
            net::toDecimal(b.hostsNeeded),
            needed ? net::toDecimal(*needed) : "",
            net::toDecimal(usable),
            net::toDecimal(plan.spareHosts(row.main())),
            b.note};
}

std::string rangesText(const std::vector<AddressRange>& ranges)
{
    std::string out;
    for (const AddressRange& r : ranges) {
        if (!out.empty())
            out += ' ';
        out += net::format(r.first) + '-' + net::format(r.last);
    }
    return out;
}

std::string allocationsCsv(const Plan& plan, const char* lineEnd, textio::CsvReader reader)
{
    std::string all;
    allocationsCsv(plan, lineEnd, reader, [&](std::string_view piece) { all += piece; });
    return all;
}

void allocationsCsv(const Plan& plan, const char* lineEnd, textio::CsvReader reader,
                    const std::function<void(std::string_view)>& write)
{
    constexpr std::size_t kPiece = 1 << 20;
    std::string out;
    textio::appendCsvRow(out, kAllocationColumns, lineEnd, reader);
    for (const AllocationRow& row : allocationRows(plan)) {
        if (out.size() >= kPiece) {
            write(out);
            out.clear();
        }
        textio::appendCsvRow(out, allocationCells(plan, row), lineEnd, reader);
    }
    write(out);
}

}  // namespace mq::plan
