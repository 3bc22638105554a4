#pragma once
// Random IPv4 plans for the interchange tests and their tool: splits of 2 and 4 parts,
// names with the characters formats quote, colours, notes when asked for.
#include <random>
#include <string>

#include "plan/plan.h"

namespace mq::interchange::test {

inline plan::Plan randomPlan(unsigned seed, bool notes)
{
    std::mt19937 rng(seed);
    plan::Plan p(
        net::Prefix{net::Address::v4(0x0A000000u + (rng() % 256) * 0x10000u), 16 + static_cast<int>(rng() % 9)});
    const char* names[] = {"staff", "voice, \"VoIP\"", "Grüße", "lab 😀", "", "mgmt\\ops"};
    (void)p.split(p.root(), 4);
    for (int step = 0; step < 25; ++step) {
        auto leaves = p.freeLeaves();
        if (leaves.empty())
            break;
        const plan::BlockId id = leaves[rng() % leaves.size()];
        if (p.block(id).prefix.length < 30 && rng() % 3) {
            (void)p.split(id, 1 << (1 + rng() % 2));
            continue;
        }
        (void)p.setName(id, names[rng() % 6]);
        if (notes && rng() % 2)
            (void)p.setNote(id, "note\n" + std::to_string(step));
        if (rng() % 2)
            (void)p.setColour(id, rng() % 0x1000000);
        (void)p.setAssigned(id, true);
    }
    return p;
}

}  // namespace mq::interchange::test
