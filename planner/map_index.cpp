#include "planner/map_index.h"

#include <algorithm>
#include <cmath>

namespace mq::planner {

plan::BlockId MapIndex::rootOf(const plan::Plan& plan, plan::BlockId id)
{
    while (plan.block(id).parent != plan::kNoBlock)
        id = plan.block(id).parent;
    return id;
}

std::pair<long double, long double> MapIndex::extent(const plan::Plan& plan, plan::BlockId id)
{
    const net::Prefix& root = plan.block(rootOf(plan, id)).prefix;
    const net::Prefix& p = plan.block(id).prefix;
    const int hostBits = root.address.bits() - root.length;
    const net::u128 offset = p.network().value - root.network().value;
    return {std::ldexp(static_cast<long double>(offset), -hostBits), std::ldexp(1.0L, -(p.length - root.length))};
}

void MapIndex::rebuild(const plan::Plan& plan, plan::BlockId root)
{
    shown = root;
    serial = plan.changeSerial();
    seen = plan.changes().size();
    ids.clear();
    starts.clear();
    ends.clear();
    replace(plan, root, 0, 0);
}

void MapIndex::replace(const plan::Plan& plan, plan::BlockId top, std::size_t lo, std::size_t hi)
{
    std::vector<plan::BlockId> leaves;
    for (plan::BlockId id : plan.preorder(top))
        if (plan.block(id).children.empty())
            leaves.push_back(id);
    const std::size_t old = hi - lo;
    if (leaves.size() > old) {
        const auto more = static_cast<std::ptrdiff_t>(leaves.size() - old);
        const auto at = static_cast<std::ptrdiff_t>(hi);
        ids.insert(ids.begin() + at, static_cast<std::size_t>(more), plan::kNoBlock);
        starts.insert(starts.begin() + at, static_cast<std::size_t>(more), 0.0L);
        ends.insert(ends.begin() + at, static_cast<std::size_t>(more), 0.0L);
    } else if (leaves.size() < old) {
        const auto from = static_cast<std::ptrdiff_t>(lo + leaves.size()), to = static_cast<std::ptrdiff_t>(hi);
        ids.erase(ids.begin() + from, ids.begin() + to);
        starts.erase(starts.begin() + from, starts.begin() + to);
        ends.erase(ends.begin() + from, ends.begin() + to);
    }
    // extent() without looking up the root and scaling for every leaf.
    const net::Prefix& rootPrefix = plan.block(shown).prefix;
    const net::u128 base = rootPrefix.network().value;
    const long double unit = std::ldexp(1.0L, -(rootPrefix.address.bits() - rootPrefix.length));
    long double sizes[129];
    for (int k = 0; k <= 128; ++k)
        sizes[k] = std::ldexp(1.0L, -k);
    for (std::size_t k = 0; k < leaves.size(); ++k) {
        const net::Prefix& p = plan.block(leaves[k]).prefix;
        const long double start = static_cast<long double>(p.network().value - base) * unit;
        ids[lo + k] = leaves[k];
        starts[lo + k] = start;
        ends[lo + k] = start + sizes[p.length - rootPrefix.length];
    }
}

void MapIndex::update(const plan::Plan& plan, plan::BlockId root)
{
    const std::vector<plan::BlockId>& log = plan.changes();
    if (root != shown || plan.changeSerial() != serial || seen > log.size()) {
        rebuild(plan, root);
        return;
    }
    std::vector<plan::BlockId> edited(log.begin() + static_cast<std::ptrdiff_t>(seen), log.end());
    seen = log.size();
    std::sort(edited.begin(), edited.end());
    edited.erase(std::unique(edited.begin(), edited.end()), edited.end());
    // The highest edited blocks: everything that changed lies in their space, and
    // before the edits leaves covered it exactly, as they do now.
    struct Top {
        long double start, end;
        plan::BlockId id;
    };
    std::vector<Top> tops;
    for (plan::BlockId id : edited) {
        if (!plan.exists(id) || rootOf(plan, id) != root)
            continue;
        const auto [start, size] = extent(plan, id);
        tops.push_back({start, start + size, id});
    }
    std::sort(tops.begin(), tops.end(),
              [](const Top& a, const Top& b) { return a.start != b.start ? a.start < b.start : a.end > b.end; });
    std::vector<Top> outer;
    for (const Top& t : tops)
        if (outer.empty() || t.start >= outer.back().end)
            outer.push_back(t);
    // From the last, so that the places of those before stay put.
    for (auto it = outer.rbegin(); it != outer.rend(); ++it) {
        const auto lo = std::lower_bound(starts.begin(), starts.end(), it->start);
        if (lo == starts.end() || *lo != it->start) {
            rebuild(plan, root);
            return;
        }
        const auto hi = std::lower_bound(lo, starts.end(), it->end);
        replace(plan, it->id, static_cast<std::size_t>(lo - starts.begin()),
                static_cast<std::size_t>(hi - starts.begin()));
    }
}

std::size_t MapIndex::indexAt(long double f) const
{
    auto it = std::upper_bound(starts.begin(), starts.end(), f);
    return it == starts.begin() ? 0 : static_cast<std::size_t>(it - starts.begin()) - 1;
}

plan::BlockId MapIndex::leafAt(long double f) const
{
    if (ids.empty() || f < 0 || f >= 1)
        return plan::kNoBlock;
    return ids[indexAt(f)];
}

std::vector<MapSpan> MapIndex::spans(double length, double from, double to) const
{
    std::vector<MapSpan> out;
    if (ids.empty() || length <= 0 || to <= from)
        return out;
    from = std::max(from, 0.0);
    to = std::min(to, length);
    const long double scale = length;
    std::size_t i = indexAt(from / scale);
    double drawnTo = 0;  // end of the last mixed pixel: leaves are not drawn twice
    while (i < ids.size()) {
        const double a = std::max(static_cast<double>(starts[i] * scale), drawnTo);
        if (a >= to)
            break;
        const double b = static_cast<double>(ends[i] * scale);
        if (b <= a) {
            ++i;
            continue;
        }
        const double pixelEnd = std::floor(a) + 1.0;
        const std::size_t next = indexAt(pixelEnd / scale);
        // A leaf of a pixel or more, or the only one in its pixel, is drawn as itself.
        const bool alone = next == i || (next == i + 1 && static_cast<double>(starts[next] * scale) >= pixelEnd);
        if (b - a >= 1.0 || alone) {
            out.push_back({a, b, ids[i], false});
            ++i;
            continue;
        }
        // Several leaves share this pixel: one mixed span, run on from a mixed neighbour.
        if (!out.empty() && out.back().mixed && out.back().to == std::floor(a))
            out.back().to = pixelEnd;
        else
            out.push_back({std::floor(a), pixelEnd, ids[i], true});
        drawnTo = pixelEnd;
        i = std::max(next, i + 1);
    }
    return out;
}

std::uint32_t displayColour(const plan::Block& block)
{
    if (block.colour != 0)
        return block.colour;
    // Soft colours that keep black names readable; neighbours differ.
    static const std::uint32_t palette[] = {0x8DD3C7, 0xFFFFB3, 0xBEBADA, 0xFB8072, 0x80B1D3,
                                            0xFDB462, 0xB3DE69, 0xFCCDE5, 0xCCEBC5, 0xFFED6F};
    const net::u128 v = block.prefix.network().value;
    const int shift = block.prefix.address.bits() - block.prefix.length;
    const net::u128 n = shift >= 128 ? 0 : (v >> shift);
    return palette[static_cast<std::size_t>((n + static_cast<unsigned>(block.prefix.length) * 7) % 10)];
}

}  // namespace mq::planner
