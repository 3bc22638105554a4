// Address entry and binary display: the octet fields' key filter and change
// handling, the class letter, the two binary displays and the clearing of the results.
#include "core/frmdoc_model.h"

#include "core/subnet_options.h"

namespace mq {

namespace {

std::string classLetterOf(double v)
{
    if (v < 128)
        return "A";
    if (v < 192)
        return "B";
    if (v < 224)
        return "C";
    if (v < 240)
        return "D";
    return "E";
}

Colour classColour(const std::string& letter)
{
    if (letter == "A")
        return colour::Red;
    if (letter == "B")
        return colour::Blue;
    if (letter == "C")
        return colour::Olive;
    return colour::Purple;
}

}  // namespace

void FrmdocModel::Text3_KeyPress(int /*Index*/, int& KeyAscii)
{
    if (KeyAscii == '.') {
        KeyAscii = 0;
        sv.sendTab();
    }
    if (!(KeyAscii >= '0' && KeyAscii <= '9') && KeyAscii != 8) {
        KeyAscii = 0;
        sv.beep();
    }
}

void FrmdocModel::Text3_Change(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    if (Index == 0 && octetField(0) > 255) {
        message("Address MUST start between 1 and 223", MsgIcon::None, kProgramTitle);
        sv.setFocus("Text3(0)");
        disinput();
        return;
    }
    enableChoicesForAddress();
    if (st.keepResults == "y")
        return;

    RichTextBox1.clear();
    clearf();
    for (auto& c : Combo1)
        c.setText("");
    for (int k = 0; k < 4; ++k) {
        st.octetBits[static_cast<std::size_t>(k)].clear();
        st.octetValue[static_cast<std::size_t>(k)].clear();
    }

    if (Index == 0) {
        std::string letter = classLetterOf(octetField(0));
        st.classLetter = letter;
        setText1(letter);
        Text1.foreColor = classColour(letter);
    } else if (octetField(Index) > 255) {
        message("Invalid entry", MsgIcon::None, kProgramTitle);
        sv.setFocus("Text3(" + std::to_string(Index) + ")");
        disinput();
        return;
    }

    if (allOctetsFilled()) {
        binary();
        RichTextBox1.clear();
        showAddressDisplay();
    } else {
        disinput();
    }
}

void FrmdocModel::showAddressDisplay()
{
    const auto& b = st.octetBits;
    const std::string sep = "  ";
    std::string red, olive;
    if (st.classLetter == "A") {
        red = b[0] + sep;
        olive = b[1] + sep + b[2] + sep + b[3];
    } else if (st.classLetter == "B") {
        red = b[0] + sep + b[1] + sep;
        olive = b[2] + sep + b[3];
    } else if (st.classLetter == "C") {
        red = b[0] + sep + b[1] + sep + b[2] + sep;
        olive = b[3];
    } else {
        RichTextBox1.clear();
        RichTextBox2.clear();
        return;
    }
    RichTextBox1.selColor = colour::Red;
    RichTextBox1.append(red);
    RichTextBox1.selColor = colour::Olive;
    RichTextBox1.append(olive);
}

void FrmdocModel::binary()
{
    static const int bitWeight[9] = {0, 128, 64, 32, 16, 8, 4, 2, 1};
    for (int k = 0; k < 4; ++k) {
        double v = octetField(k);
        std::string s;
        for (int j = 1; j <= 8; ++j) {
            if (v >= bitWeight[j]) {
                v -= bitWeight[j];
                s += '1';
            } else {
                s += '0';
            }
        }
        st.octetBits[static_cast<std::size_t>(k)] = s;
    }
}

void FrmdocModel::addmask()
{
    std::string a = RichTextBox1.text();
    std::string m = RichTextBox2.text();
    RichTextBox1.clear();
    RichTextBox2.clear();
    int L = classFieldLength(st.classLetter);
    if (!L)
        return;
    int S = st.subnetFieldLength;
    int H = st.hostFieldStart;
    for (auto [box, text] : {std::pair{&RichTextBox1, &a}, std::pair{&RichTextBox2, &m}}) {
        box->selColor = colour::Red;
        box->append(mid(*text, 1, L));
        box->selColor = colour::Blue;
        box->append(mid(*text, L + 1, S));
        box->selColor = colour::Olive;
        box->append(mid(*text, H, 39 - H));
    }
}

void FrmdocModel::bintodec(int n, int k)
{
    if (k < 0 || k > 3)
        return;
    st.octetValue[static_cast<std::size_t>(k)] =
        signText(octetBitsValue(st.octetBits[static_cast<std::size_t>(k)], n, false));
}

void FrmdocModel::bintodec1(int n, int k)
{
    if (k < 0 || k > 3)
        return;
    st.octetValue[static_cast<std::size_t>(k)] =
        signText(octetBitsValue(st.octetBits[static_cast<std::size_t>(k)], n, true));
}

void FrmdocModel::clearf()
{
    RichTextBox2.clear();
    for (auto& p : SSPanel6)
        p.caption.clear();
    SSPanel1.caption.clear();
    Text2.text.clear();
}

}  // namespace mq
