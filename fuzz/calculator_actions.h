// What a user can do to the calculator's inputs, read from fuzzer bytes.
// Shared by the fuzzers that drive the calculator.
#pragma once

#include "core/frmdoc_model.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/fake_services.h"

namespace mq::fuzz {

// A key typed into an octet field: the key filter first, then the field's
// three-character limit, as the text box applies them.
inline void typeOctetKey(FrmdocModel& m, Input& in)
{
    int i = in.pick(4);
    int key = in.byte();
    m.Text3_KeyPress(i, key);
    auto& t = m.Text3[static_cast<std::size_t>(i)].text;
    if (key == 8) {
        if (!t.empty()) {
            t.pop_back();
            m.Text3_Change(i);
        }
    } else if (key != 0 && t.size() < 3) {
        t += static_cast<char>(key);
        m.Text3_Change(i);
    }
}

// A paste of any bytes: the field keeps at most three characters.
inline void pasteOctet(FrmdocModel& m, Input& in)
{
    int i = in.pick(4);
    m.setText3(i, in.text(6).substr(0, 3));
}

// A row chosen in one of the four linked choice boxes.
inline void chooseRow(FrmdocModel& m, Input& in)
{
    int i = in.pick(4);
    auto& box = m.Combo1[static_cast<std::size_t>(i)];
    if (box.enabled && !box.list.empty()) {
        box.listIndex = in.pick(static_cast<int>(box.list.size()));
        m.Combo1_Click(i);
    }
}

inline void clickSubnetZero(FrmdocModel& m, Input& in)
{
    if (m.SSCheck1.enabled)
        m.SSCheck1_Click(in.pick(2));
}

// "Subnet #" answered with two texts of any bytes, then "1" (which may be refused too).
inline void askSubnet(FrmdocModel& m, test::FakeServices& sv, Input& in)
{
    sv.answers = {in.text(12), in.text(12), "1"};
    m.SSCommand2_Click();
}

}  // namespace mq::fuzz
