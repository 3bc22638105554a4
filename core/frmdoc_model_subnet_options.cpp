// Subnet options: the four linked choice boxes, the subnet-zero check box and
// the step from a chosen row to the whole calculation.
#include "core/frmdoc_model.h"

#include "core/subnet_options.h"

namespace mq {

void FrmdocModel::Text1_Change()
{
    clearf();
    fillcombo();
}

void FrmdocModel::fillcombo()
{
    const std::string letter = Text1.text;
    if (letter == "A" || letter == "B" || letter == "C") {
        enableChoicesForAddress();
        for (auto& c : Combo1)
            c.clear();
        auto rows = subnetOptionRows(letter, st.subnetZero == "y");
        for (const auto& r : rows)
            Combo1[0].addItem(r.bitsText);
        for (const auto& r : rows)
            Combo1[1].addItem(r.mask);
        for (const auto& r : rows)
            Combo1[2].addItem(r.subnets);
        for (const auto& r : rows)
            Combo1[3].addItem(r.hosts);
    } else if (letter == "D" || letter == "E") {
        disinput();
        for (auto& c : Combo1)
            c.clear();
    }
}

void FrmdocModel::disinput()
{
    for (auto& c : Combo1)
        c.enabled = false;
    SSCheck1.enabled = false;
}

void FrmdocModel::eninput()
{
    for (auto& c : Combo1)
        c.enabled = true;
    SSCheck1.enabled = true;
}

void FrmdocModel::Combo1_Click(int Index)
{
    if (Index < 0 || Index > 3 || octetRejected())
        return;
    st.chosenRow = Combo1[static_cast<std::size_t>(Index)].listIndex;
    if (st.chosenRow == -1)
        return;
    for (auto& c : Combo1)
        c.setText(c.item(st.chosenRow));
    combo1change();
}

void FrmdocModel::Combo1_KeyDown(int /*Index*/, int /*KeyCode*/, int /*Shift*/)
{
    message("Input not allowed, please choose optons from the drop menu", MsgIcon::Exclamation, "Error");
    for (auto& c : Combo1)
        c.setText("");
    clearf();
}

void FrmdocModel::SSCheck1_Click(int Value)
{
    SSCheck1.value = Value;
    clearf();
    st.subnetZero.assign(1, Value ? 'y' : 'n');  // not from a literal: g++ 12 warns falsely (-Wrestrict)
    fillcombo();
}

void FrmdocModel::combo1change()
{
    setnetad();
    RichTextBox2.clear();
    if (auto entry = maskDisplayEntry(Combo1[1].text, st.classLetter)) {
        RichTextBox2.selColor = colour::Black;
        RichTextBox2.append(entry->binaryText);
        st.subnetFieldLength = entry->subnetFieldLength;
        st.hostFieldStart = entry->hostFieldStart;
    }
    addmask();
    sethostadd();
    calcsub();
    calcrnge();
    calcwste();
    calcsubnum();
}

}  // namespace mq
