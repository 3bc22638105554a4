// Calculator windows driven through their own handlers, as a user would, so
// the reports are made from what the real window shows.
#pragma once

#include "core/calculator_state.h"
#include "core/frmdoc_model.h"
#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace mq::test {

struct CalculatorWindow {
    CalculatorState state;
    FakeServices services;
    FrmdocModel model{state, services};

    CalculatorWindow()
    {
        state.subnetZero = "n";
        state.keepResults = "n";
        model.Form_Load();
    }
    void type(const std::array<std::string, 4>& octets)
    {
        for (int k = 0; k < 4; ++k)
            model.setText3(k, octets[static_cast<std::size_t>(k)]);
    }
    // Picks the mask in the mask box and lists the next 50 subnets.
    void chooseMask(const std::string& mask, bool listSubnets = true)
    {
        auto& box = model.Combo1[1];
        box.listIndex = -1;
        for (std::size_t i = 0; i < box.list.size(); ++i)
            if (box.list[i] == mask)
                box.listIndex = static_cast<int>(i);
        ASSERT_NE(box.listIndex, -1) << mask;
        model.Combo1_Click(1);
        if (listSubnets)
            model.SSCommand1_Click();
    }
};

}  // namespace mq::test
