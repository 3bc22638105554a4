// The calculator window's controls, the helpers its procedures share and the
// loading of the window. The procedures themselves are spread over files named
// for their concern: address entry, subnet options, calculation, numbering.
#include "core/frmdoc_model.h"

#include <algorithm>

namespace mq {

FrmdocModel::FrmdocModel(CalculatorState& state, Services& services) : st(state), sv(services)
{
    for (auto& t : Text3) {
        t.maxLength = 3;
        t.foreColor = colour::Blue;
    }
    Text2.maxLength = 7;
    SSPanel1.foreColor = colour::Red;
}

void FrmdocModel::message(const std::string& text, MsgIcon icon, const std::string& title)
{
    sv.msgBox(text, icon, title);
}

double FrmdocModel::octetField(int k) const
{
    return leadingNumber(Text3[static_cast<std::size_t>(k)].text);
}

std::string FrmdocModel::numField(int k) const
{
    return plainNumber(octetField(k));
}

bool FrmdocModel::allOctetsFilled() const
{
    return std::all_of(Text3.begin(), Text3.end(), [](const TextBox& t) { return !t.text.empty(); });
}

bool FrmdocModel::octetRejected() const
{
    for (int k = 0; k < 4; ++k)
        if (octetField(k) > 255)
            return true;
    return false;
}

void FrmdocModel::enableChoicesForAddress()
{
    if (allOctetsFilled() && !octetRejected())
        eninput();
    else
        disinput();
}

void FrmdocModel::setText3(int index, const std::string& text)
{
    if (index < 0 || index > 3)
        return;
    Text3[static_cast<std::size_t>(index)].text = text;
    Text3_Change(index);
}

void FrmdocModel::setText1(const std::string& text)
{
    Text1.text = text;
    Text1_Change();
}

int FrmdocModel::octetBitsValue(const std::string& bits, int n, bool fillOnes)
{
    int total = 0;
    for (int j = 1; j <= 8; ++j) {
        int weight = 1 << (8 - j);
        if (j <= n) {
            if (static_cast<std::size_t>(j) <= bits.size() && bits[static_cast<std::size_t>(j - 1)] == '1')
                total += weight;
        } else if (fillOnes) {
            total += weight;
        }
    }
    return total;
}

// ---------------------------------------------------------------- window events

void FrmdocModel::Form_Load()
{
    Form_Resize();
    static const char* headings[] = {"Subnet ", "Subnet Address", "Starting Address", "Ending Address",
                                     "Broadcast Address"};
    for (int c = 0; c < 5; ++c) {
        MSFlexGrid1.setTextArray(Fgi(0, c), headings[c]);
        MSFlexGrid1.colWidth[static_cast<std::size_t>(c)] = c == 0 ? 1000 : 1750;
        MSFlexGrid1.colAlignment[static_cast<std::size_t>(c)] = 1;
    }
}

void FrmdocModel::Form_Resize()
{
    // Every control keeps its place and size.
}

}  // namespace mq
