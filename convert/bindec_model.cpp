#include "convert/bindec_model.h"

#include "convert/number_convert.h"
#include "core/helpers.h"

#include <algorithm>

namespace mq {

namespace {

constexpr const char* kErrorTitle = "Error";
constexpr const char* kKeypadCaptions = "0123456789ABCDEF";

struct ModeInfo {
    const char* name;
    int limit;  // input length
    int digits;  // keypad buttons 0..digits-1 enabled
    const char* invalidMessage;
};

constexpr std::array<ModeInfo, 3> kModes{{
    {"bin", 31, 2, "Please enter a binary number: the digits 0 and 1 only"},
    {"dec", 10, 10, "Please enter a decimal number: the digits 0 to 9 only"},
    {"hex", 8, 16, "Please enter a hexadecimal number: the digits 0 to 9 and A to F only"},
}};

int modeIndex(const std::string& mode)
{
    for (std::size_t i = 0; i < kModes.size(); ++i)
        if (mode == kModes[i].name)
            return static_cast<int>(i);
    return 0;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

BindecModel::BindecModel(Services& services) : svc(services)
{
    for (int i = 0; i < 16; ++i)
        SSCommand2[static_cast<std::size_t>(i)].caption = std::string(1, kKeypadCaptions[i]);
}

void BindecModel::Form_Load()
{
    SSOption1[0].value = true;
    setMode(0);
}

void BindecModel::setMode(int index)
{
    const ModeInfo& m = kModes[static_cast<std::size_t>(index)];
    mode_ = m.name;
    for (std::size_t i = 0; i < SSOption1.size(); ++i)
        SSOption1[i].value = static_cast<int>(i) == index;
    Text4.maxLength = m.limit;
    for (int i = 0; i < 16; ++i)
        SSCommand2[static_cast<std::size_t>(i)].enabled = i < m.digits;
}

void BindecModel::SSOption1_Click(int Index)
{
    if (Index < 0 || Index > 2)
        return;
    Text4.text.clear();
    setMode(Index);
}

void BindecModel::Text4_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 8)
        return;
    const int c = KeyAscii;
    bool accepted = false;
    if (mode_ == "bin")
        accepted = c == '0' || c == '1';
    else if (mode_ == "dec")
        accepted = c >= '0' && c <= '9';
    else
        accepted = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!accepted)
        KeyAscii = 0;
}

void BindecModel::SSCommand2_Click(int Index)
{
    if (Index < 0 || Index > 15 || !SSCommand2[static_cast<std::size_t>(Index)].enabled)
        return;
    // The keypad keeps to the same length as typing does.
    if (Text4.maxLength > 0 && static_cast<int>(Text4.text.size()) >= Text4.maxLength) {
        svc.beep();
        return;
    }
    Text4.text += SSCommand2[static_cast<std::size_t>(Index)].caption;
}

void BindecModel::SSCommand1_Click()
{
    Text4.text.clear();
}

bool BindecModel::validForMode(const std::string& text) const
{
    if (mode_ == "bin")
        return std::all_of(text.begin(), text.end(), [](char c) { return c == '0' || c == '1'; });
    if (mode_ == "dec")
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return std::all_of(text.begin(), text.end(), isHexDigit);
}

bool BindecModel::calchex()
{
    const auto hex = mq::calchex(Text1[1].text);
    if (!hex) {
        Text1[2].text.clear();
        svc.msgBox(kNumberTooLarge, MsgIcon::Critical, kErrorTitle);
        return false;
    }
    Text1[2].text = *hex;
    return true;
}

void BindecModel::SSCommand3_Click()
{
    const std::string input = Text4.text;
    if (input.empty()) {
        svc.msgBox(kEnterNumber, MsgIcon::Critical, kErrorTitle);
        return;
    }
    const ModeInfo& m = kModes[static_cast<std::size_t>(modeIndex(mode_))];
    // Pasted text skips the key filter: check it here, before any result changes.
    if (!validForMode(input)) {
        svc.msgBox(m.invalidMessage, MsgIcon::Critical, kErrorTitle);
        return;
    }
    if (static_cast<int>(input.size()) > m.limit) {
        svc.msgBox("Please enter a number of at most " + std::to_string(m.limit) + " digits", MsgIcon::Critical,
                   kErrorTitle);
        return;
    }
    for (auto& box : Text1)
        box.text.clear();
    const int length = static_cast<int>(input.size());
    if (mode_ == "bin") {
        Text1[0].text = input;
        Text1[1].text = std::to_string(bbin(input, length));
        calchex();
    } else if (mode_ == "dec") {
        const double value = leadingNumber(input);
        if (value > kLargestDecimal) {
            svc.msgBox(kNumberTooLarge, MsgIcon::Critical, kErrorTitle);
            return;
        }
        Text1[1].text = input;
        Text1[0].text = dbin(static_cast<std::uint32_t>(value));
        calchex();
    } else {
        Text1[2].text = input;
        // At most eight digits, so the value fits in 32 bits.
        Text1[1].text = std::to_string(hbin(input, length));
        Text1[0].text = dbin(static_cast<std::uint32_t>(leadingNumber(Text1[1].text)));
    }
}

}  // namespace mq
