// Drives the common lists window: any list loaded, any text searched, and
// checks that a reported match is the first row holding the text.
#include "fuzz/fuzz_input.h"
#include "reference/clist_model.h"
#include "tests/support/fake_services.h"

#include <cstdlib>
#include <string>

using namespace mq;

namespace {

// The first row whose key (non-empty) or description is exactly the text; 0 for none.
int firstMatch(const ClistModel& m, const std::string& text)
{
    for (int r = 1; r < ClistModel::kRows; ++r) {
        const std::string& key = m.MSFlexGrid1.textMatrix(r, 0);
        if (!key.empty() && (key == text || m.MSFlexGrid1.textMatrix(r, 1) == text))
            return r;
    }
    return 0;
}

void search(ClistModel& m, test::FakeServices& sv)
{
    const std::size_t messages = sv.messages.size();
    const std::string before0 = m.SSPanel1[0].caption;
    const std::string before1 = m.SSPanel1[1].caption;
    m.SSCommand2_Click();
    const int row = m.Text1.text.empty() ? 0 : firstMatch(m, m.Text1.text);
    if (sv.messages.size() != messages) {
        // Nothing found (or nothing to search for): the last result stays.
        if (row != 0 || m.SSPanel1[0].caption != before0 || m.SSPanel1[1].caption != before1)
            std::abort();
        return;
    }
    if (row == 0 || m.SSPanel1[0].caption != m.MSFlexGrid1.textMatrix(row, 0) ||
        m.SSPanel1[1].caption != m.MSFlexGrid1.textMatrix(row, 1))
        std::abort();
    if (m.SSPanel1[0].caption != m.Text1.text && m.SSPanel1[1].caption != m.Text1.text)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FakeServices sv;
    ClistModel m(sv);
    m.Form_Load();
    fuzz::Input in(data, size);
    int steps = 0;
    while (!in.done() && steps++ < 100) {
        switch (in.pick(6)) {
        case 0:  // a list button, or an index no button has
            m.SSCommand1_Click(in.pick(5) - 1);
            break;
        case 1:  // typed or pasted search text of any bytes
            m.Text1.text = in.text(40);
            break;
        case 2: {  // a cell's text, whole or cut short, or with a byte added
            int r = in.pick(ClistModel::kRows);
            int c = in.pick(2);
            std::string t = m.MSFlexGrid1.textMatrix(r, c);
            int how = in.pick(4);
            if (how == 1 && !t.empty())
                t.pop_back();
            else if (how == 2)
                t += static_cast<char>(in.byte());
            else if (how == 3 && !t.empty())
                t[0] = static_cast<char>(t[0] ^ 0x20);  // another case
            m.Text1.text = t;
            break;
        }
        case 3:
        case 4: search(m, sv); break;
        case 5: m.Form_Load(); break;
        }
    }
    return 0;
}
