// The class C VLSM assistant window's logic: its controls as plain fields and
// its handlers and step procedures under their own names. The Qt window
// forwards user events here and copies the fields back into its widgets.
#pragma once

#include "core/controls.h"
#include "core/services.h"
#include "vlsm/allocation.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace mq {

class Form10Model {
public:
    explicit Form10Model(Services& services);

    // Controls.
    std::string Caption;  // the window's caption
    Panel SSFrame1;  // frame around the entry area
    Panel SSPanel1;  // the prompt line
    std::array<TextBox, 4> Text1;  // class C address; (3) is always "0"
    ComboBox Combo1;  // number of segments
    std::array<TextBox, 30> Text2;  // host count per segment
    std::array<Panel, 30> SSPanel2;  // labels "1" to "30"
    ListBox List1;  // results
    Panel SSPanel3;  // fixed note
    Button SSCommand1;  // Continue
    Button SSCommand3;  // Clear Input
    Button SSCommand2;  // Done

    // Hides the window without closing it; set by the window.
    std::function<void()> hideWindow;

    // The wizard's step: 1 address, 2 segment count, 3 host counts, 0 finished.
    int step() const { return VlsmStep; }
    // Segments examined and placed in step 3 (the whole part of the count).
    int segmentCount() const { return count; }
    const vlsm::AddressMap& addressMap() const { return map; }

    // Window events.
    void Form_Load();
    void Form_Unload();
    void SSCommand1_Click();  // Continue
    void SSCommand2_Click();  // Done
    void SSCommand3_Click();  // Clear Input
    // Key released in an octet box; Shift is 1 Shift, 2 Ctrl, 4 Alt.
    void text1_KeyUp(int Index, int KeyCode, int Shift);

    // Step procedures.
    bool addressCheck();
    void s0();
    void s1();
    void s2();
    void s3();
    void classc(const vlsm::VlsmSegment& segment);

    // The first three octets as typed, each followed by a point.
    std::string prefix() const;

    static constexpr const char* kFirstPrompt =
        "This assistant calculates variable length subnet masks for your class C address. "
        "Please enter your class C address, then click the Continue button to continue.";

private:
    void designerState();
    void message(const std::string& text);
    void showHostBoxes(int n, bool show);

    Services& sv;
    int VlsmStep = 1;
    int count = 0;
    vlsm::AddressMap map;
};

}  // namespace mq
