// Drives the calculator with arbitrary keystrokes, pastes, choices and dialog
// answers, and checks that every address it shows is a real address whenever
// the typed octets were valid.
#include "core/frmdoc_model.h"
#include "fuzz/calculator_actions.h"
#include "tests/support/fake_services.h"

#include <cstdlib>

using namespace mq;

namespace {

bool octetsValid(const FrmdocModel& m)
{
    for (const auto& t : m.Text3) {
        if (t.text.empty() || t.text.size() > 3 || t.text.find_first_not_of("0123456789") != std::string::npos)
            return false;
        if (std::atoi(t.text.c_str()) > 255)
            return false;
    }
    return true;
}

bool listedFromValidOctets(const FrmdocModel& m)
{
    const auto& c = m.state().classLetter;
    return octetsValid(m) && (c == "A" || c == "B" || c == "C");
}

// gridValid: the grid's rows were listed while the octets were valid. The grid
// keeps its last listing until the next one, also across address changes.
void check(const FrmdocModel& m, bool gridValid)
{
    for (const auto& t : m.Text3)
        if (t.text.size() > 3)
            std::abort();
    if (!octetsValid(m))
        return;
    const auto& c = m.state().classLetter;
    if (c != "A" && c != "B" && c != "C")
        return;
    for (int i = 0; i < 6; ++i) {
        const auto& caption = m.SSPanel6[static_cast<std::size_t>(i)].caption;
        if (!caption.empty() && !fuzz::isDottedQuad(caption))
            std::abort();
    }
    for (int r = 1; gridValid && r <= 50; ++r)
        for (int col = 1; col <= 4; ++col) {
            const auto& cell = m.MSFlexGrid1.textMatrix(r, col);
            if (!cell.empty() && !fuzz::isDottedQuad(cell))
                std::abort();
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CalculatorState st;
    st.subnetZero = "n";
    st.keepResults = "n";
    test::FakeServices sv;
    FrmdocModel m(st, sv);
    m.Form_Load();
    fuzz::Input in(data, size);
    int steps = 0;
    bool gridValid = true;
    while (!in.done() && steps++ < 200) {
        switch (in.pick(11)) {
        case 0: fuzz::typeOctetKey(m, in); break;
        case 1: fuzz::pasteOctet(m, in); break;
        case 2: fuzz::chooseRow(m, in); break;
        case 3: m.Combo1_KeyDown(in.pick(4), in.byte(), in.pick(8)); break;
        case 4: fuzz::clickSubnetZero(m, in); break;
        case 5: fuzz::askSubnet(m, sv, in); break;
        case 6: m.SSCommand4_Click(); break;
        case 7: m.SSCommand6_Click(); break;
        case 8:
            gridValid = listedFromValidOctets(m);
            m.SSCommand1_Click();
            break;
        case 9:
            m.MSFlexGrid1.row = in.pick(51);
            m.MSFlexGrid1.col = in.pick(5);
            m.MSFlexGrid1.rowSel = in.pick(51);
            m.MSFlexGrid1.colSel = in.pick(5);
            m.MSFlexGrid1_MouseUp();
            m.SSCommand3_Click();
            break;
        case 10: m.SSCommand5_Click(); break;
        }
        check(m, gridValid);
    }
    return 0;
}
