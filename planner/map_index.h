// Where each block of a plan lies on the allocation map. The map draws the
// root block's address space as one line, wrapped into rows; a block's place
// is its share of that space. Only what is visible is looked at, and a run of
// blocks narrower than a pixel becomes one span per pixel, so a plan of any
// size paints in time proportional to the pixels shown.
#pragma once

#include "plan/plan.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace mq::planner {

// Part of the map line, in pixels from its start.
struct MapSpan {
    double from = 0, to = 0;
    plan::BlockId id = plan::kNoBlock;  // the leaf, or the first leaf of a mixed pixel
    bool mixed = false;  // several leaves share this pixel
};

class MapIndex {
public:
    // Takes the leaves under one root of the plan, in address order.
    void rebuild(const plan::Plan& plan, plan::BlockId root);
    void rebuild(const plan::Plan& plan) { rebuild(plan, plan.root()); }
    // The same after edits of the plan: only the space of the blocks edited since the
    // last rebuild or update is read again (Plan::changes()); all of it after a change
    // of serial or of root. Costs what changed plus one move of the leaves after it.
    void update(const plan::Plan& plan, plan::BlockId root);
    std::size_t leafCount() const { return ids.size(); }

    // The root a block lies under.
    static plan::BlockId rootOf(const plan::Plan& plan, plan::BlockId id);
    // Share of its root block before the block starts, and its size, both 0..1.
    static std::pair<long double, long double> extent(const plan::Plan& plan, plan::BlockId id);

    // The leaf at share f (0 <= f < 1) of the root; kNoBlock outside.
    plan::BlockId leafAt(long double f) const;
    // Leaves by their number in address order, and the number of the leaf at f.
    plan::BlockId leaf(std::size_t i) const { return ids[i]; }
    std::size_t indexAt(long double f) const;  // last leaf starting at or before f

    // What to draw of [from, to) on a map line `length` pixels long.
    std::vector<MapSpan> spans(double length, double from, double to) const;

private:
    // Puts the leaves under `top` in place of those in [lo, hi).
    void replace(const plan::Plan& plan, plan::BlockId top, std::size_t lo, std::size_t hi);

    plan::BlockId shown = plan::kNoBlock;
    std::uint64_t serial = 0;  // the plan's change serial, and how far its list was read
    std::size_t seen = 0;
    std::vector<long double> starts;  // share of the root before each leaf
    std::vector<long double> ends;
    std::vector<plan::BlockId> ids;
};

// A block's colour as 0xRRGGBB: its own, or one picked from its address when
// it has none.
std::uint32_t displayColour(const plan::Block& block);

}  // namespace mq::planner
