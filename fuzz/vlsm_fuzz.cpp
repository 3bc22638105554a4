// Drives the class C VLSM assistant with typed keys, pasted text, segment
// counts and host counts, and checks every address it lists and every block it
// hands out.
#include "fuzz/fuzz_input.h"
#include "tests/support/fake_services.h"
#include "vlsm/form10_model.h"

#include <array>
#include <cstdlib>
#include <string>

using namespace mq;

namespace {

bool allDigits(const std::string& t)
{
    return !t.empty() && t.size() <= 3 && t.find_first_not_of("0123456789") == std::string::npos;
}

// The character a key code types into a box (main-row and keypad digits,
// letters, a few symbols), or 0 for keys that type nothing.
char typedChar(int key, int shift)
{
    if (key >= 48 && key <= 57)
        return (shift & 1) ? ")!@#$%^&*("[key - 48] : static_cast<char>(key);
    if (key >= 96 && key <= 105)
        return static_cast<char>('0' + key - 96);
    if (key >= 65 && key <= 90)
        return static_cast<char>((shift & 1) ? key : key + 32);
    if (key == 32 || key == 189 || key == 190)
        return key == 32 ? ' ' : key == 189 ? '-' : '.';
    return 0;
}

// "Subnet N lower/upper address is P.x": with valid address octets, x must be
// a real last octet and the lower address must not be past the upper one.
void checkResults(const Form10Model& m, const std::string& prefixAtRun, bool prefixValid)
{
    const auto& lines = m.List1.items;
    const std::string lowerTag = " lower address is ";
    const std::string upperTag = " upper address is ";
    int lastLower = -1;
    for (const auto& line : lines) {
        if (line.rfind("Subnet ", 0) != 0)
            continue;
        bool lower = line.find(lowerTag) != std::string::npos;
        bool upper = line.find(upperTag) != std::string::npos;
        if (!lower && !upper)
            continue;
        const std::string& tag = lower ? lowerTag : upperTag;
        std::string address = line.substr(line.find(tag) + tag.size());
        if (address.rfind(prefixAtRun, 0) != 0)
            std::abort();
        if (!prefixValid)
            continue;
        if (!fuzz::isDottedQuad(address))
            std::abort();
        int last = std::atoi(address.c_str() + prefixAtRun.size());
        if (last < 1 || last > 254)
            std::abort();  // never the network or broadcast value of the class C
        if (lower) {
            lastLower = last;
        } else {
            if (lastLower < 0 || last < lastLower)
                std::abort();
            lastLower = -1;
        }
    }
}

// Blocks listed by one run: [lower - 1, upper + 1] each; none may overlap,
// each is taken in the address map, and each segment has one outcome.
void checkBlocks(const Form10Model& m, std::size_t from, const std::string& prefixAtRun)
{
    std::array<int, 256> owner{};
    const auto& lines = m.List1.items;
    int lower = -1;
    int placed = 0;
    for (std::size_t i = from; i < lines.size(); ++i) {
        const auto& line = lines[i];
        auto lp = line.find(" lower address is " + prefixAtRun);
        auto up = line.find(" upper address is " + prefixAtRun);
        if (lp != std::string::npos) {
            lower = std::atoi(line.c_str() + lp + 18 + prefixAtRun.size());
        } else if (up != std::string::npos) {
            int upper = std::atoi(line.c_str() + up + 18 + prefixAtRun.size());
            ++placed;
            for (int v = lower - 1; v <= upper + 1; ++v) {
                if (v < 0 || v > 255 || owner[static_cast<std::size_t>(v)])
                    std::abort();
                owner[static_cast<std::size_t>(v)] = placed;
                if (!m.addressMap().taken(v))
                    std::abort();
            }
            int size = upper - lower + 3;
            if (size & (size - 1) || (lower - 1) % size)
                std::abort();  // a block is a power of two on its own boundary
        }
    }
    // Every segment gets exactly one outcome: a block or "Cannot assign".
    std::array<int, 31> outcomes{};
    const std::string maskTag = "Subnet mask for segment ";
    const std::string cannotTag = "Cannot assign a subnet mask to subnet ";
    for (std::size_t i = from; i < lines.size(); ++i) {
        const auto& line = lines[i];
        int n = 0;
        if (line.rfind(maskTag, 0) == 0)
            n = std::atoi(line.c_str() + maskTag.size());
        else if (line.rfind(cannotTag, 0) == 0)
            n = std::atoi(line.c_str() + cannotTag.size());
        else
            continue;
        if (n < 1 || n > m.segmentCount() || outcomes[static_cast<std::size_t>(n)]++)
            std::abort();
    }
    for (int n = 1; n <= m.segmentCount(); ++n)
        if (outcomes[static_cast<std::size_t>(n)] != 1)
            std::abort();
    // The map holds the listed blocks and nothing else.
    int listed = 0;
    for (int v : owner)
        listed += v != 0;
    if (m.addressMap().takenCount() != listed)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FakeServices sv;
    Form10Model m(sv);
    int hides = 0;
    m.hideWindow = [&] { ++hides; };
    m.Form_Load();
    fuzz::Input in(data, size);
    int steps = 0;
    while (!in.done() && steps++ < 300) {
        switch (in.pick(12)) {
        case 0: {  // a typed key: the box takes the character, then the key is released
            int i = in.pick(3);
            int key = in.byte();
            int shift = in.pick(8);
            auto& box = m.Text1[static_cast<std::size_t>(i)];
            if (box.enabled) {
                char c = typedChar(key, shift);
                if (key == 8 && !box.text.empty())
                    box.text.pop_back();
                else if (c && static_cast<int>(box.text.size()) < box.maxLength && !(shift & 6))
                    box.text += c;
                m.text1_KeyUp(i, key, shift);
            }
            break;
        }
        case 1: {  // a paste, up to the box's limit
            int i = in.pick(3);
            auto& box = m.Text1[static_cast<std::size_t>(i)];
            if (box.enabled)
                box.text = in.text(6).substr(0, 3);
            break;
        }
        case 2: {  // a paste that ignores the box's limit
            int i = in.pick(3);
            auto& box = m.Text1[static_cast<std::size_t>(i)];
            if (box.enabled)
                box.text = in.text(12);
            break;
        }
        case 3:
        case 4: {  // Continue; results are checked right after a run
            const int before = m.step();
            const std::string prefix = m.prefix();
            const std::size_t lines = m.List1.items.size();
            bool valid = allDigits(m.Text1[0].text) && allDigits(m.Text1[1].text) && allDigits(m.Text1[2].text) &&
                         std::atoi(m.Text1[1].text.c_str()) <= 255 && std::atoi(m.Text1[2].text.c_str()) <= 255;
            m.SSCommand1_Click();
            if (before == 3 && m.step() == 0) {
                if (!valid)
                    std::abort();  // the address was checked when it was entered
                checkResults(m, prefix, valid);
                checkBlocks(m, lines, prefix);
            }
            if (m.step() < 0 || m.step() > 3)
                std::abort();
            break;
        }
        case 5: {  // the segment count: a list choice or typed text
            if (in.pick(2) && !m.Combo1.list.empty())
                m.Combo1.setText(m.Combo1.item(in.pick(static_cast<int>(m.Combo1.list.size()) + 1)));
            else
                m.Combo1.setText(in.text(8));
            break;
        }
        case 6: {  // a host count, typed within the box's limit
            int i = in.pick(30);
            m.Text2[static_cast<std::size_t>(i)].text = in.text(4).substr(0, 2);
            break;
        }
        case 7: {  // a host count that is longer than the box allows
            int i = in.pick(30);
            m.Text2[static_cast<std::size_t>(i)].text = in.text(24);
            break;
        }
        case 8: {  // fill every host box with counts of 1 to 62, spread by a step
            int base = in.byte();
            int step = in.byte();
            for (std::size_t i = 0; i < m.Text2.size(); ++i)
                m.Text2[i].text = std::to_string(1 + (base + static_cast<int>(i) * step) % 62);
            break;
        }
        case 9: m.SSCommand3_Click(); break;
        case 10: m.SSCommand2_Click(); break;
        case 11:
            m.Form_Unload();
            m.Form_Load();
            if (m.step() != 1 || !m.List1.items.empty())
                std::abort();
            break;
        }
        if (m.segmentCount() < 0 || m.segmentCount() > 30 || m.Text1[3].text != "0")
            std::abort();
    }
    return 0;
}
