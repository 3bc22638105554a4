#pragma once
// Random plans: a plan grown step by step, each step splitting one of its free leaves or
// labelling it with the texts formats must quote (commas, quotes, non-ASCII, a character outside
// the BMP, a backslash, nothing at all), a colour, and an assignment.
#include <cstdint>
#include <string>

#include "plan/plan.h"

namespace mq::test {

struct Growth {
    int steps = 0;
    int maxPower = 3;  // a split makes 2, 4, ... 2^maxPower parts
    int minRoom = 1;  // a leaf with fewer host bits than this is labelled (or left) instead of split
    int splitOdds = 3;  // a roomy leaf is split unless a draw of 0 from 0..splitOdds-1 labels it
    bool labels = true;  // false: only splits
    bool notes = true;
    // true: roots and a third of the labelled leaves stay free, the assigned ones get hosts, growth
    // and VLANs; false: every labelled leaf is assigned, with nothing more.
    bool details = true;
};

template <class Rng> void grow(plan::Plan& plan, Rng& rng, const Growth& g)
{
    static const char* const names[] = {"staff", "voice, \"VoIP\"", "Grüße", "lab 😀", "", "mgmt\\ops"};
    for (int step = 0; step < g.steps; ++step) {
        const auto leaves = plan.freeLeaves();
        if (leaves.empty())
            break;
        const plan::BlockId id = leaves[rng() % leaves.size()];
        const net::Prefix& at = plan.block(id).prefix;
        const bool roomy = at.address.bits() - at.length >= g.minRoom;
        if (!g.labels || (roomy && rng() % g.splitOdds)) {
            if (roomy)
                (void)plan.split(id, 1 << (1 + rng() % g.maxPower));
            continue;
        }
        (void)plan.setName(id, names[rng() % 6]);
        if (g.notes && rng() % 2)
            (void)plan.setNote(id, "note\n" + std::to_string(step));
        if (rng() % 2)
            (void)plan.setColour(id, static_cast<std::uint32_t>(rng() % 0x1000000));
        if (!g.details) {
            (void)plan.setAssigned(id, true);
        } else if (plan.block(id).parent != plan::kNoBlock && rng() % 3) {  // a root stays free to grow
            const net::u128 hosts = rng() % 3;
            const double growth = rng() % 2 ? 12.5 : 0;
            (void)plan.setAssigned(id, true, hosts, growth);
            if (rng() % 3 == 0)
                (void)plan.setVlan(id, 1 + static_cast<int>(rng() % 4094));
        }
    }
}

template <class Rng> void grow(plan::Plan& plan, Rng& rng, int steps)
{
    grow(plan, rng, Growth{.steps = steps});
}

}  // namespace mq::test
