#pragma once
// Random IPv4 plans for the interchange tests and their tool: splits of 2 and 4 parts,
// names with the characters formats quote, colours, notes when asked for.
#include <random>

#include "plan/plan.h"
#include "tests/support/random_plan.h"

namespace mq::interchange::test {

using mq::test::Growth;

inline plan::Plan randomPlan(unsigned seed, bool notes)
{
    std::mt19937 rng(seed);
    plan::Plan p(
        net::Prefix{net::Address::v4(0x0A000000u + (rng() % 256) * 0x10000u), 16 + static_cast<int>(rng() % 9)});
    (void)p.split(p.root(), 4);
    mq::test::grow(p, rng,
                   Growth{.steps = 25, .maxPower = 2, .minRoom = 3, .splitOdds = 3, .notes = notes, .details = false});
    return p;
}

}  // namespace mq::interchange::test
