#include "vlsm/form10_model.h"

#include "core/helpers.h"

#include <algorithm>
#include <cmath>

namespace mq {

namespace {

// Key codes as the key events report them.
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kEnter = 13;
constexpr int kShiftKey = 16;
constexpr int kLeft = 37;
constexpr int kRight = 39;
constexpr int kShiftMask = 1;
constexpr int kModifiers = 7;  // Shift, Ctrl, Alt
constexpr int kCtrlAlt = 6;

bool acceptedKey(int k)
{
    return k == kTab || k == 10 || (k >= 16 && k <= 18) || k == 20 || k == 27 || (k >= 33 && k <= 40) || k == 45 ||
           k == 46 || (k >= 48 && k <= 57) || (k >= 96 && k <= 105) || (k >= 112 && k <= 123) || k == 144;
}

// Keys that put a digit into the box (main row and keypad).
bool digitKey(int k)
{
    return (k >= 48 && k <= 57) || (k >= 96 && k <= 105);
}

bool allDigits(const std::string& t)
{
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

Form10Model::Form10Model(Services& services) : sv(services)
{
    designerState();
}

void Form10Model::designerState()
{
    Caption = "Class C VLSM Quill";
    SSFrame1 = Panel{};
    SSFrame1.caption = "Please enter details as instructed below";
    SSPanel1 = Panel{};
    SSPanel1.caption = kFirstPrompt;
    for (std::size_t i = 0; i < 3; ++i)
        Text1[i] = TextBox{.text = {}, .maxLength = 3};
    Text1[3] = TextBox{.text = "0", .enabled = false, .maxLength = 3};
    Combo1 = ComboBox{};
    Combo1.visible = false;
    for (std::size_t i = 0; i < Text2.size(); ++i) {
        Text2[i] = TextBox{.text = {}, .visible = false, .maxLength = 2};
        SSPanel2[i] = Panel{};
        SSPanel2[i].caption = std::to_string(i + 1);
        SSPanel2[i].visible = false;
    }
    List1.clear();
    SSPanel3 = Panel{};
    SSPanel3.caption = "The VLSM Assistant will variably subnet the Class C address based on the entered "
                       "subnets only. It does not take future subnet expansion into account in its "
                       "calculations. ";
    SSCommand1 = Button{.caption = "Continue"};
    SSCommand3 = Button{.caption = "Clear Input"};
    SSCommand2 = Button{.caption = "Done"};
    VlsmStep = 1;
    count = 0;
    map.clear();
}

void Form10Model::message(const std::string& text)
{
    sv.msgBox(text, MsgIcon::None, kProgramTitle);
}

void Form10Model::showHostBoxes(int n, bool show)
{
    for (int i = 0; i < n && i < static_cast<int>(Text2.size()); ++i) {
        Text2[static_cast<std::size_t>(i)].visible = show;
        SSPanel2[static_cast<std::size_t>(i)].visible = show;
    }
}

std::string Form10Model::prefix() const
{
    return Text1[0].text + "." + Text1[1].text + "." + Text1[2].text + ".";
}

// ---------------------------------------------------------------- window events

void Form10Model::Form_Load()
{
    designerState();
}

void Form10Model::Form_Unload()
{
    // The window goes away; the next one starts afresh.
    designerState();
}

void Form10Model::SSCommand1_Click()
{
    switch (VlsmStep) {
    case 1:
        if (addressCheck())
            s1();
        break;
    case 2: s2(); break;
    case 3: s3(); break;
    default: s0(); break;
    }
}

void Form10Model::SSCommand2_Click()
{
    if (hideWindow)
        hideWindow();
}

void Form10Model::SSCommand3_Click()
{
    VlsmStep = 1;
    SSPanel1.caption = "Enter your class C address and click the Continue button below to use the wizard again";
    Combo1.visible = false;
    showHostBoxes(static_cast<int>(Text2.size()), false);
    for (std::size_t i = 0; i < 3; ++i)
        Text1[i].enabled = true;
    List1.clear();
}

void Form10Model::text1_KeyUp(int Index, int KeyCode, int Shift)
{
    if (Index < 0 || Index > 2)
        return;
    TextBox& box = Text1[static_cast<std::size_t>(Index)];
    if (box.text.empty())
        return;
    if (KeyCode == kBackspace || KeyCode == kEnter)
        return;
    if (acceptedKey(KeyCode)) {
        if ((Shift & kModifiers) == kShiftMask) {
            // Shift with a digit key types a symbol. Shift with Tab, the
            // arrows or Home/End moves or selects and types nothing, so the
            // box keeps its text (Shift+Tab back into a box must not wipe it).
            if (digitKey(KeyCode)) {
                message("Invalid Input - Numerics Only");
                box.text.clear();
            }
            return;
        }
        if (KeyCode == kShiftKey || KeyCode == kLeft || KeyCode == kRight)
            return;
        // Typing the third digit moves on to the next box. Only a typed digit
        // does: tabbing into or moving inside a full box leaves the focus there.
        if (box.text.size() >= 3 && (Shift & kModifiers) == 0 && digitKey(KeyCode))
            sv.sendTab();
        return;
    }
    // Ctrl and Alt combinations are shortcuts (copy, paste, select all), not
    // typing; whatever they leave in the box is judged when Continue is pressed.
    if (Shift & kCtrlAlt)
        return;
    message("Invalid Input - Numerics Only");
    box.text.clear();
}

// ---------------------------------------------------------------- steps

bool Form10Model::addressCheck()
{
    for (std::size_t i = 0; i < 3; ++i)
        if (Text1[i].text.empty())
            return false;
    // A box can hold something other than digits, or more than its length, only
    // through pasting; such a text fails its box's rule like an out-of-range number
    // (the listing writes the boxes' texts as the address's octets).
    const auto fits = [this](std::size_t i) {
        return allDigits(Text1[i].text) && static_cast<int>(Text1[i].text.size()) <= Text1[i].maxLength;
    };
    const std::string& first = Text1[0].text;
    if (!fits(0) || leadingNumber(first) < 192 || leadingNumber(first) > 223) {
        message("Please enter a class C address");
        sv.setFocus("Text1(0)");
        return false;
    }
    for (std::size_t i = 1; i < 3; ++i) {
        const std::string& t = Text1[i].text;
        if (!fits(i) || leadingNumber(t) < 0 || leadingNumber(t) > 255) {
            message("Entered number must be between 0 and 255");
            sv.setFocus("Text1(" + std::to_string(i) + ")");
            return false;
        }
    }
    for (std::size_t i = 0; i < 3; ++i)
        Text1[i].enabled = false;
    return true;
}

void Form10Model::s1()
{
    for (auto& box : Text2)
        box.text.clear();
    map.clear();
    List1.clear();
    Combo1.clear();
    Combo1.visible = true;
    SSPanel1.caption = "How many segments do you have?";
    for (int i = 1; i <= vlsm::kMaxSegments; ++i)
        Combo1.addItem(std::to_string(i));
    VlsmStep = 2;
}

void Form10Model::s2()
{
    if (Combo1.text.empty()) {
        message("Please choose a value");
        return;
    }
    double n = leadingNumber(Combo1.text);
    if (n < 1 || n > vlsm::kMaxSegments) {
        message("Number of subnets mudt be 1 to 30 - Try again");
        Combo1.setText("");
        return;
    }
    List1.addItem("");
    List1.addItem("Number of segments chosen is " + plainNumber(n));
    List1.addItem("");
    count = static_cast<int>(std::floor(n));
    Combo1.clear();
    Combo1.visible = false;
    SSPanel1.caption = "Enter the number of hosts for each segment";
    showHostBoxes(count, true);
    VlsmStep = 3;
}

void Form10Model::s3()
{
    std::vector<std::string> texts;
    for (int k = 0; k < count; ++k)
        texts.push_back(Text2[static_cast<std::size_t>(k)].text);
    vlsm::HostCheck check = vlsm::checkHostCounts(texts);
    if (!check.accepted) {
        message(check.message);
        if (check.boxToEmpty >= 0)
            Text2[static_cast<std::size_t>(check.boxToEmpty)].text.clear();
        return;
    }
    auto segments = vlsm::makeSegments(texts);
    vlsm::listSegments(segments, List1.items);
    Combo1.visible = false;
    showHostBoxes(count, false);
    vlsm::sortSegments(segments);
    for (const auto& s : segments)
        classc(s);
    SSPanel1.caption = "Click the Continue button below to use the wizard again";
    VlsmStep = 0;
}

void Form10Model::classc(const vlsm::VlsmSegment& segment)
{
    vlsm::classc(segment.hosts, segment.number, prefix(), map, List1.items);
}

void Form10Model::s0()
{
    for (std::size_t i = 0; i < 3; ++i)
        Text1[i].enabled = true;
    SSPanel1.caption = "Enter your Class C address then click the Continue button to continue";
    VlsmStep = 1;
}

}  // namespace mq
