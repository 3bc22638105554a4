// Random edits of a plan through the planner's form model, of every kind a user
// makes (split, join, rename, assign, free, colour, undo, redo, settings), for
// tests that views updated edit by edit match views made afresh.
#pragma once

#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"

#include <random>
#include <string>

namespace mq::test {

inline void randomEdit(planner::PlannerForm& form, FakePlannerServices& sv, std::mt19937& rng)
{
    const plan::Plan& p = form.plan();
    std::vector<plan::BlockId> all;
    for (plan::BlockId r : p.roots())
        for (plan::BlockId b : p.preorder(r))
            all.push_back(b);
    const plan::BlockId id = all[rng() % all.size()];
    const plan::Block& b = p.block(id);
    switch (rng() % 10) {
    case 0:
    case 1:
        if (b.prefix.address.bits() - b.prefix.length > 4)
            form.split(id, 1 << (1 + rng() % 3));
        break;
    case 2: form.join(id); break;
    case 3: form.rename(id, "n" + std::to_string(rng() % 50)); break;
    case 4: form.assign(id, "seg" + std::to_string(rng() % 20) + ", " + std::to_string(rng() % 9)); break;
    case 5: form.freeBlock(id); break;
    case 6:
        sv.colours.push_back(static_cast<std::uint32_t>(rng() & 0xFFFFFF));
        form.chooseColour(id);
        break;
    case 7: form.undo(); break;
    case 8: form.redo(); break;
    default: {
        plan::Settings s = p.settings();
        s.links30 = !s.links30;
        form.setSettings(s);
    }
    }
}

}  // namespace mq::test
