#pragma once
// Shared by the plan tests: prefixes from text, and random plans of either family.
#include <gtest/gtest.h>

#include <random>
#include <string_view>

#include "net/parse.h"
#include "plan/plan.h"
#include "tests/support/net_text.h"

namespace mq::net {
inline void PrintTo(const Prefix& p, std::ostream* os)
{
    *os << formatNetwork(p);
}
}  // namespace mq::net

namespace mq::plan::test {

using mq::test::P;

// Splits random free leaves of a plan (a few parts at a time), names, notes and assigns some.
inline void grow(Plan& plan, std::mt19937_64& rng, int steps)
{
    for (int s = 0; s < steps; ++s) {
        auto free = plan.freeLeaves();
        if (free.empty())
            return;
        BlockId b = free[rng() % free.size()];
        switch (rng() % 4) {
        case 0:
        case 1: (void)plan.split(b, 1 << (1 + rng() % 3)); break;
        case 2:
            (void)plan.setName(b, "n" + std::to_string(rng() % 1000) + (rng() % 2 ? " \"q\", \xC3\xA9" : ""));
            (void)plan.setNote(b, rng() % 2 ? "line\nnext" : "");
            (void)plan.setColour(b, static_cast<std::uint32_t>(rng() & 0xFFFFFF));
            break;
        default:
            (void)plan.setAssigned(b, true, rng() % 3, rng() % 2 ? 12.5 : 0);
            (void)plan.setVlan(b, rng() % 3 ? 0 : 1 + static_cast<int>(rng() % 4094));
        }
    }
}

}  // namespace mq::plan::test
