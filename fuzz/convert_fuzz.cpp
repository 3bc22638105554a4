// Drives the number converter and the MAC converter with typed keys, keypad
// presses and pasted bytes, and checks that every conversion that succeeds
// gives results that agree with each other.
#include "convert/bindec_model.h"
#include "convert/mac_convert.h"
#include "convert/macconv_model.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/fake_services.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

using namespace mq;

namespace {

// The value of a digit text in a base, or nothing when a character is not a
// digit of that base or the value passes 64 bits.
std::optional<std::uint64_t> valueOf(const std::string& text, int base)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t v = 0;
    for (char c : text) {
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : 99;
        if (d >= base || v > (UINT64_MAX - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
            return std::nullopt;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    return v;
}

// A character the key code types (main row, keypad, letters), 0 for none.
char typedChar(int key, int shift)
{
    if (key >= 48 && key <= 57)
        return (shift & 1) ? ")!@#$%^&*("[key - 48] : static_cast<char>(key);
    if (key >= 96 && key <= 105)
        return static_cast<char>('0' + key - 96);
    if (key >= 65 && key <= 90)
        return static_cast<char>((shift & 1) ? key : key + 32);
    return 0;
}

std::string lowered(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

void bindecEnter(BindecModel& m, test::FakeServices& sv)
{
    const std::string input = m.Text4.text;
    const std::string mode = m.mode();
    const auto before = m.Text1;
    const std::size_t messages = sv.messages.size();
    m.SSCommand3_Click();
    if (sv.messages.size() != messages) {
        // Refused input leaves the results alone (a value past the hex range
        // clears only what it could not compute).
        if (input.empty() || !m.validForMode(input) || input.size() > static_cast<std::size_t>(m.Text4.maxLength)) {
            for (std::size_t i = 0; i < 3; ++i)
                if (m.Text1[i].text != before[i].text)
                    std::abort();
        }
        return;
    }
    const int inputBase = mode == "bin" ? 2 : mode == "dec" ? 10 : 16;
    const auto in = valueOf(input, inputBase);
    const auto bin = valueOf(m.Text1[0].text, 2);
    const auto dec = valueOf(m.Text1[1].text, 10);
    const auto hex = valueOf(m.Text1[2].text, 16);
    if (!in || !bin || !dec || !hex || *bin != *in || *dec != *in || *hex != *in)
        std::abort();
    if (*in > 0xFFFFFFFFu)
        std::abort();
}

void fuzzBindec(fuzz::Input& in)
{
    test::FakeServices sv;
    BindecModel m(sv);
    m.Form_Load();
    int steps = 0;
    while (!in.done() && steps++ < 200) {
        switch (in.pick(7)) {
        case 0: m.SSOption1_Click(in.pick(4)); break;
        case 1: {  // a typed key: filtered, then added within the box's limit
            int key = in.byte();
            m.Text4_KeyPress(key);
            if (key == 8) {
                if (!m.Text4.text.empty())
                    m.Text4.text.pop_back();
            } else if (key != 0 && static_cast<int>(m.Text4.text.size()) < m.Text4.maxLength) {
                m.Text4.text += static_cast<char>(key);
            }
            break;
        }
        case 2: m.SSCommand2_Click(in.pick(17)); break;
        case 3:  // a paste of any bytes, of any length
            m.Text4.text = in.text(40);
            break;
        case 4:
        case 5: bindecEnter(m, sv); break;
        case 6: m.SSCommand1_Click(); break;
        }
        if (m.Text4.maxLength <= 0 || m.Text4.maxLength > 31)
            std::abort();
    }
}

void macConvert(MacconvModel& m, test::FakeServices& sv)
{
    const bool fromUpper = !m.Text1.text.empty();
    const std::string source = fromUpper ? m.Text1.text : m.Text2.text;
    const std::string otherBefore = fromUpper ? m.Text2.text : m.Text1.text;
    const std::size_t messages = sv.messages.size();
    m.SSCommand1_Click();
    const std::string& other = fromUpper ? m.Text2.text : m.Text1.text;
    if (sv.messages.size() != messages) {
        if (other != otherBefore)
            std::abort();  // a refused address changes nothing
        return;
    }
    // Converted: twelve hex digits, and converting back gives the source.
    if (source.size() != 12 || other.size() != 12)
        std::abort();
    const auto back = canon(other);
    if (!back || *back != lowered(source))
        std::abort();
}

void typeMac(MacconvModel& m, bool upper, int key, int shift)
{
    TextBox& box = upper ? m.Text1 : m.Text2;
    if (upper)
        m.text1_KeyDown(key, shift);
    else
        m.Text2_KeyDown(key, shift);
    int ascii = typedChar(key, shift);
    if (ascii && !(shift & 6)) {
        if (upper)
            m.Text1_KeyPress(ascii);
        else
            m.Text2_KeyPress(ascii);
        if (ascii && static_cast<int>(box.text.size()) < box.maxLength)
            box.text += static_cast<char>(ascii);
    } else if (key == 8 && !box.text.empty()) {
        box.text.pop_back();
    }
    if (upper)
        m.text1_KeyUp(key, shift);
    else
        m.Text2_KeyUp(key, shift);
}

void fuzzMacconv(fuzz::Input& in)
{
    test::FakeServices sv;
    MacconvModel m(sv);
    int hides = 0;
    m.hideWindow = [&] { ++hides; };
    m.Form_Load();
    int steps = 0;
    while (!in.done() && steps++ < 200) {
        switch (in.pick(11)) {
        case 0: m.Text1_GotFocus(); break;
        case 1: m.Text2_GotFocus(); break;
        case 2:
        case 3: {
            bool upper = in.pick(2) == 0;
            int key = in.byte();
            typeMac(m, upper, key, in.pick(8));
            break;
        }
        case 4: {  // a paste of any bytes into either box
            (in.pick(2) ? m.Text1 : m.Text2).text = in.text(20);
            break;
        }
        case 5: m.SSCommand3_Click(in.pick(17)); break;
        case 6: m.SSCommand7_Click(); break;
        case 7:
            m.SSCommand6_Click();
            if (!m.Text1.text.empty() || !m.Text2.text.empty())
                std::abort();
            break;
        case 8:
        case 9: macConvert(m, sv); break;
        case 10: m.SSCommand2_Click(); break;
        }
        if (m.direction() != "c" && m.direction() != "n")
            std::abort();
    }
}

// canon on its own: valid twelve-digit text converts and converts back.
void fuzzCanon(fuzz::Input& in)
{
    const std::string text = in.text(16);
    const auto once = canon(text);
    bool hex12 =
        text.size() >= 12 && text.substr(0, 12).find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    if (once.has_value() != hex12)
        std::abort();
    if (!once)
        return;
    const auto twice = canon(*once);
    if (!twice || *twice != lowered(text.substr(0, 12)))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    switch (in.pick(3)) {
    case 0: fuzzBindec(in); break;
    case 1: fuzzMacconv(in); break;
    default: fuzzCanon(in); break;
    }
    return 0;
}
