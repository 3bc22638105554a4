// A calculator form model with the scripted fake services, driven the way the
// window drives it: keystrokes or whole texts into the octet fields, then a row
// chosen in one of the four choice boxes.
#pragma once

#include "core/calculator_state.h"
#include "core/frmdoc_model.h"
#include "tests/support/fake_services.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace mq::test {

struct Calculator {
    CalculatorState st;
    FakeServices sv;
    FrmdocModel m{st, sv};

    Calculator()
    {
        // Program start.
        st.subnetZero = "n";
        st.keepResults = "n";
        m.Form_Load();
    }

    void enableSubnetZero(bool on) { m.SSCheck1_Click(on ? 1 : 0); }

    // Types one character as the user would: key filter, then the text change.
    void key(int index, char ch)
    {
        int k = static_cast<unsigned char>(ch);
        m.Text3_KeyPress(index, k);
        if (k == 0)
            return;
        std::string t = m.Text3[static_cast<std::size_t>(index)].text;
        if (k == 8) {
            if (t.empty())
                return;
            t.pop_back();
        } else {
            if (static_cast<int>(t.size()) >= m.Text3[static_cast<std::size_t>(index)].maxLength)
                return;
            t += static_cast<char>(k);
        }
        m.setText3(index, t);
    }

    void typeKeys(int index, const std::string& keys)
    {
        for (char c : keys)
            key(index, c);
    }

    // Each octet written as a whole text (a paste), first to last.
    void setAddress(const std::array<std::string, 4>& octets)
    {
        for (int i = 0; i < 4; ++i)
            m.setText3(i, octets[static_cast<std::size_t>(i)]);
    }

    // Each octet typed key by key into an emptied field.
    void typeAddress(const std::array<std::string, 4>& octets)
    {
        for (int i = 0; i < 4; ++i) {
            m.setText3(i, "");
            typeKeys(i, octets[static_cast<std::size_t>(i)]);
        }
    }

    int rowOf(int box, const std::string& text) const
    {
        const auto& list = m.Combo1[static_cast<std::size_t>(box)].list;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == text)
                return static_cast<int>(i);
        return -1;
    }

    void chooseRow(int box, int row)
    {
        m.Combo1[static_cast<std::size_t>(box)].listIndex = row;
        m.Combo1_Click(box);
    }

    // Picks the row showing `text` in box `box`; fails the test when there is none.
    void choose(int box, const std::string& text)
    {
        int row = rowOf(box, text);
        ASSERT_GE(row, 0) << "no row \"" << text << "\" in Combo1(" << box << ")";
        chooseRow(box, row);
    }

    void chooseMask(const std::string& mask) { choose(1, mask); }

    std::array<std::string, 4> comboTexts() const
    {
        return {m.Combo1[0].text, m.Combo1[1].text, m.Combo1[2].text, m.Combo1[3].text};
    }

    std::array<std::string, 5> gridRow(int r) const
    {
        std::array<std::string, 5> row;
        for (int c = 0; c < 5; ++c)
            row[static_cast<std::size_t>(c)] = m.MSFlexGrid1.textMatrix(r, c);
        return row;
    }

    bool choicesEnabled() const
    {
        bool all = m.SSCheck1.enabled;
        for (const auto& c : m.Combo1)
            all = all && c.enabled;
        return all;
    }
    bool choicesDisabled() const
    {
        bool none = !m.SSCheck1.enabled;
        for (const auto& c : m.Combo1)
            none = none && !c.enabled;
        return none;
    }

    bool resultsEmpty() const
    {
        bool empty = m.RichTextBox2.runs.empty() && m.SSPanel1.caption.empty() && m.Text2.text.empty();
        for (const auto& p : m.SSPanel6)
            empty = empty && p.caption.empty();
        return empty;
    }
};

// The colour of every character of a rich text box, in order.
inline std::vector<Colour> charColours(const RichTextBox& box)
{
    std::vector<Colour> out;
    for (const auto& r : box.runs)
        out.insert(out.end(), r.text.size(), r.colour);
    return out;
}

// Colours expected of a 38-character display with network field 1..L, subnet
// field L+1..H-1 and host field H..38.
inline std::vector<Colour> fieldColours(int L, int H)
{
    std::vector<Colour> out;
    for (int p = 1; p <= 38; ++p)
        out.push_back(p <= L ? colour::Red : p < H ? colour::Blue : colour::Olive);
    return out;
}

}  // namespace mq::test
