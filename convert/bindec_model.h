// The binary/decimal/hex converter window's logic: its controls as plain
// fields and its handlers under their own names.
#pragma once

#include "core/controls.h"
#include "core/services.h"

#include <array>
#include <string>

namespace mq {

// An option button of a group: caption and whether it is the chosen one.
struct OptionButton {
    std::string caption;
    bool value = false;
    bool enabled = true;
};

inline constexpr const char* kBindecCaption = "Binary/Decimal/Hex";
inline constexpr const char* kEnterNumber = "Please enter a number";
inline constexpr const char* kNumberTooLarge = "Number too large, please re-enter a number less than 2147483647";

class BindecModel {
public:
    explicit BindecModel(Services& services);

    // Controls.
    Panel SSFrame1{"Mode"};
    std::array<OptionButton, 3> SSOption1{{{"Binary"}, {"Decimal"}, {"Hex"}}};
    TextBox Text4;  // the input number
    std::array<Button, 16> SSCommand2;  // keypad "0" to "F"
    Button SSCommand3{"Enter"};
    Button SSCommand1{"Clear Input"};
    std::array<TextBox, 3> Text1;  // results: binary, decimal, hex
    std::array<Panel, 3> SSPanel1{{{"Binary"}, {"Decimal"}, {"Hex"}}};

    // "bin", "dec" or "hex".
    const std::string& mode() const { return mode_; }

    // Window events.
    void Form_Load();
    void SSOption1_Click(int Index);
    void Text4_KeyPress(int& KeyAscii);
    void SSCommand2_Click(int Index);  // keypad
    void SSCommand3_Click();  // Enter
    void SSCommand1_Click();  // Clear Input

    // The hex box from the decimal box; false (after the message) when too large.
    bool calchex();

    // Whether `text` holds only digits of the current mode (either case in hex).
    bool validForMode(const std::string& text) const;

private:
    void setMode(int index);

    Services& svc;
    std::string mode_ = "bin";
};

}  // namespace mq
