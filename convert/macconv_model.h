// The MAC converter window's logic: its controls as plain fields and its
// handlers under their own names.
#pragma once

#include "core/controls.h"
#include "core/services.h"

#include <array>
#include <functional>
#include <string>

namespace mq {

inline constexpr const char* kMacconvCaption = "Mac Converter";
inline constexpr const char* kTypeTwelve = "Please type in 12 characters";
inline constexpr const char* kEnterHex = "Please enter a hexidecimal number";

// The system's button-text colour (a system colour, not an RGB value).
inline constexpr Colour kButtonTextColour = 0x80000012;

struct Label {
    std::string caption;
};

// Whether releasing a key (a key code, with shift state 1 Shift, 2 Ctrl,
// 4 Alt) leaves a MAC address box as it is.
bool macKeyAccepted(int KeyCode, int Shift);

class MacconvModel {
public:
    explicit MacconvModel(Services& services);

    // Controls.
    TextBox Text1;  // canonical address (upper box)
    Label Label1{"Ethernet uses a Canonical MAC Address"};
    TextBox Text2;  // non-canonical address (lower box)
    Label Label2{"Token Ring/FDDI use Non-Canonical addresses"};
    Button SSCommand4{"Canonical Address"};
    Button SSCommand5{"NonCanonical Address"};
    std::array<Button, 16> SSCommand3;  // keypad "0" to "f"
    Button SSCommand7{"Back One"};
    Button SSCommand6{"Clear"};
    Button SSCommand1{"Convert MAC"};
    Button SSCommand2{"Done"};

    // Hides the window; set by the window.
    std::function<void()> hideWindow;

    // "c" (input in the upper box) or "n" (input in the lower box).
    const std::string& direction() const { return direction_; }

    void Form_Load();
    void SSCommand1_Click();  // Convert MAC
    void SSCommand2_Click();  // Done
    void SSCommand3_Click(int Index);  // keypad
    void SSCommand4_Click();  // Canonical Address
    void SSCommand5_Click();  // NonCanonical Address
    void SSCommand6_Click();  // Clear
    void SSCommand7_Click();  // Back One
    void Text1_GotFocus();
    void text1_KeyDown(int KeyCode, int Shift);
    void Text1_KeyPress(int& KeyAscii);
    void text1_KeyUp(int KeyCode, int Shift);
    void Text2_GotFocus();
    void Text2_KeyDown(int KeyCode, int Shift);
    void Text2_KeyPress(int& KeyAscii);
    void Text2_KeyUp(int KeyCode, int Shift);

    // Converts the upper box into the lower one, or the lower into the upper
    // when the upper is empty. False (after a message) when the source holds
    // anything but hex digits.
    bool canon();

private:
    void setDirection(const std::string& d);
    TextBox& inputBox() { return direction_ == "c" ? Text1 : Text2; }
    TextBox& otherBox() { return direction_ == "c" ? Text2 : Text1; }
    void keyUp(TextBox& box, int KeyCode, int Shift);

    Services& svc;
    std::string direction_ = "c";
};

}  // namespace mq
