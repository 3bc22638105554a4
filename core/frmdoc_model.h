// The subnet calculator window's logic: its controls as plain fields and its
// handlers and procedures under their own names. The Qt window forwards user
// events here and copies the fields back into its widgets.
#pragma once

#include "core/calculator_state.h"
#include "core/controls.h"
#include "core/services.h"

#include <array>
#include <functional>
#include <string>

namespace mq {

class FrmdocModel {
public:
    FrmdocModel(CalculatorState& state, Services& services);

    CalculatorState& state() { return st; }
    const CalculatorState& state() const { return st; }

    // Controls.
    std::array<TextBox, 4> Text3;  // octet fields
    TextBox Text1;  // class letter
    TextBox Text2;  // subnet number
    std::array<ComboBox, 4> Combo1;
    CheckBox SSCheck1;
    std::array<Panel, 7> SSPanel6;  // results
    Panel SSPanel1;  // status message
    RichTextBox RichTextBox1;  // address in binary
    RichTextBox RichTextBox2;  // mask in binary
    Grid MSFlexGrid1{51, 5};

    // Opens the address range window; set by whoever owns that window.
    std::function<void()> showAddressRange;

    // True while an octet field holds a value over 255 (left there after its
    // message): nothing is then chosen, moved to or listed, so no result ever
    // shows an address that cannot exist.
    bool octetRejected() const;

    // Writing a text box "fires" its change handler, as the controls do.
    void setText3(int index, const std::string& text);
    void setText1(const std::string& text);

    // Loading the window (frmdoc_model.cpp).
    void Form_Load();
    void Form_Resize();

    // Address entry and binary display (frmdoc_model_address_entry.cpp).
    void Text3_KeyPress(int Index, int& KeyAscii);
    void Text3_Change(int Index);
    void binary();
    void addmask();
    void bintodec(int n, int k);
    void bintodec1(int n, int k);
    void clearf();

    // Subnet options (frmdoc_model_subnet_options.cpp).
    void Text1_Change();
    void Combo1_Click(int Index);
    void Combo1_KeyDown(int Index, int KeyCode, int Shift);
    void SSCheck1_Click(int Value);
    void fillcombo();
    void disinput();
    void eninput();
    void combo1change();

    // Calculation and checks (frmdoc_model_calculation.cpp).
    void setnetad();
    void sethostadd();
    void calcsub();
    void chkaddtype();
    void calcrnge();
    void calcwste();

    // Subnet numbering and ranges (frmdoc_model_subnet_numbering.cpp).
    void SSCommand1_Click();  // next 50 subnets into the grid
    void SSCommand2_Click();  // "Subnet #"
    void SSCommand3_Click();  // copy the selected cells
    void SSCommand4_Click();  // "<"
    void SSCommand5_Click();  // whole address range
    void SSCommand6_Click();  // ">"
    void MSFlexGrid1_Click();
    void MSFlexGrid1_MouseUp();
    void calcsubnum();
    void subbincalc(int k);
    void selsub1();
    void selsub2();
    void selsub3();
    int Fgi(int row, int col) const;

private:
    void selectSubnet();  // go to subnet N once Text2 holds N
    double octetField(int k) const;
    std::string numField(int k) const;
    bool allOctetsFilled() const;
    // eninput with four accepted octets, disinput otherwise.
    void enableChoicesForAddress();
    void showAddressDisplay();
    void message(const std::string& text, MsgIcon icon, const std::string& title);
    // Value of the first n digits of an 8-digit bit text; with fillOnes the
    // remaining 8 - n bits count as ones.
    static int octetBitsValue(const std::string& bits, int n, bool fillOnes);

    CalculatorState& st;
    Services& sv;
    // selsub3 converts range octets here, so the typed address's octetBits stay intact.
    std::array<std::string, 4> rangeOctetBits;
};

}  // namespace mq
