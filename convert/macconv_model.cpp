#include "convert/macconv_model.h"

#include "convert/mac_convert.h"

namespace mq {

namespace {

constexpr const char* kErrorTitle = "Error";
constexpr const char* kKeypadCaptions = "0123456789abcdef";
constexpr std::size_t kAddressLength = 12;

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool macKeyAccepted(int KeyCode, int Shift)
{
    const int k = KeyCode;
    if (k >= 48 && k <= 57)  // digit keys; with Shift they type punctuation
        return (Shift & 1) == 0;
    return k == 8 || k == 9 || k == 10 || k == 13 || (k >= 16 && k <= 18) || k == 20 || k == 27 ||
           (k >= 33 && k <= 40) || k == 45 || k == 46 || (k >= 65 && k <= 70) || (k >= 96 && k <= 105) ||
           (k >= 112 && k <= 123) || k == 144;
}

MacconvModel::MacconvModel(Services& services) : svc(services)
{
    for (std::size_t i = 0; i < SSCommand3.size(); ++i)
        SSCommand3[i].caption = std::string(1, kKeypadCaptions[i]);
    Text1.maxLength = Text2.maxLength = static_cast<int>(kAddressLength);
}

void MacconvModel::Form_Load()
{
    Text1.text.clear();
    Text2.text.clear();
    setDirection("c");
}

void MacconvModel::setDirection(const std::string& d)
{
    direction_ = d;
    SSCommand4.foreColor = d == "c" ? colour::Red : kButtonTextColour;
    SSCommand5.foreColor = d == "n" ? colour::Red : kButtonTextColour;
}

bool MacconvModel::canon()
{
    const bool fromUpper = !Text1.text.empty();
    const std::string& source = fromUpper ? Text1.text : Text2.text;
    const auto converted = mq::canon(source);
    if (!converted) {
        // Text that was pasted rather than typed may hold anything.
        svc.msgBox(kEnterHex, MsgIcon::None, kErrorTitle);
        return false;
    }
    (fromUpper ? Text2 : Text1).text = *converted;
    return true;
}

void MacconvModel::SSCommand1_Click()
{
    const std::string& source = Text1.text.empty() ? Text2.text : Text1.text;
    // A pasted text can be longer than twelve: converting only its start
    // would give a wrong address that looks right.
    if (source.size() != kAddressLength) {
        svc.msgBox(kTypeTwelve, MsgIcon::None, kErrorTitle);
        return;
    }
    canon();
}

void MacconvModel::SSCommand2_Click()
{
    if (hideWindow)
        hideWindow();
}

void MacconvModel::SSCommand3_Click(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(SSCommand3.size()))
        return;
    TextBox& box = inputBox();
    // The keypad keeps to the same length as typing does.
    if (box.text.size() >= kAddressLength) {
        svc.beep();
        return;
    }
    box.text += SSCommand3[static_cast<std::size_t>(Index)].caption;
}

void MacconvModel::SSCommand4_Click()
{
    setDirection("c");
    Text2.text.clear();
}

void MacconvModel::SSCommand5_Click()
{
    setDirection("n");
    Text1.text.clear();
}

void MacconvModel::SSCommand6_Click()
{
    Text1.text.clear();
    Text2.text.clear();
}

void MacconvModel::SSCommand7_Click()
{
    TextBox& box = inputBox();
    if (box.text.empty())
        return;
    box.text.pop_back();
    otherBox().text.clear();
}

void MacconvModel::Text1_GotFocus()
{
    SSCommand4_Click();
}
void MacconvModel::Text2_GotFocus()
{
    SSCommand5_Click();
}

void MacconvModel::text1_KeyDown(int, int)
{
    Text2.text.clear();
}
void MacconvModel::Text2_KeyDown(int, int)
{
    Text1.text.clear();
}

void MacconvModel::Text1_KeyPress(int& KeyAscii)
{
    if (KeyAscii > 0 && KeyAscii < 128)
        KeyAscii = lower(static_cast<char>(KeyAscii));
}

void MacconvModel::Text2_KeyPress(int& KeyAscii)
{
    Text1_KeyPress(KeyAscii);
}

void MacconvModel::keyUp(TextBox& box, int KeyCode, int Shift)
{
    if (macKeyAccepted(KeyCode, Shift))
        return;
    svc.msgBox(kEnterHex, MsgIcon::None, kErrorTitle);
    box.text.clear();
}

void MacconvModel::text1_KeyUp(int KeyCode, int Shift)
{
    keyUp(Text1, KeyCode, Shift);
}
void MacconvModel::Text2_KeyUp(int KeyCode, int Shift)
{
    keyUp(Text2, KeyCode, Shift);
}

}  // namespace mq
