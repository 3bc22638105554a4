// Drives the address range window over a calculator in any state: typing and
// choices in the calculator, START, CANCEL and other presses while the listing
// runs, Finish, reopening and saving into memory. Checks that a listing ends,
// that its lines are the calculator's own ranges and that a saved file is
// well-formed rich text.
#include "core/dar_model.h"
#include "core/frmdoc_model.h"
#include "core/range_listing.h"
#include "core/rtf_writer.h"
#include "fuzz/calculator_actions.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/fake_services.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

using namespace mq;

namespace {

constexpr int kEventCap = 300;  // turns of the event loop before the fuzzer cancels

// Keeps the saved bytes; fails after a byte budget when asked to.
class MemoryWriter : public StreamedFileWriter {
public:
    std::string saved;
    long failAfter = -1;  // bytes accepted before the write fails; -1 never
    int saves = 0;

    bool write(const std::string&, const std::function<bool(ByteSink&)>& produce, std::string& error) override
    {
        struct Sink : ByteSink {
            std::string bytes;
            long budget;
            bool write(std::string_view b) override
            {
                if (budget >= 0 && static_cast<long>(bytes.size() + b.size()) > budget)
                    return false;
                bytes.append(b);
                return true;
            }
        } sink;
        sink.budget = failAfter;
        if (!produce(sink)) {
            error = "No space left on device";
            return false;  // the old content stays
        }
        saved = std::move(sink.bytes);
        ++saves;
        return true;
    }
};

bool octetsValid(const FrmdocModel& c)
{
    for (const auto& t : c.Text3)
        if (t.text.empty() || t.text.size() > 3 || t.text.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(t.text.c_str()) > 255)
            return false;
    return true;
}

// Braces balance outside escapes, and the text is one group opened by {\rtf1.
void checkRtf(const std::string& rtf)
{
    if (rtf.rfind("{\\rtf1", 0) != 0)
        std::abort();
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        char c = rtf[i];
        if (c == '\\') {
            ++i;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth < 0)
                std::abort();
            if (depth == 0 && i + 1 < rtf.size() && rtf.find_first_not_of("\r\n", i + 1) != std::string::npos)
                std::abort();  // nothing after the document's group
        }
    }
    if (depth != 0)
        std::abort();
}

// A line as the calculator's own range procedures give it for subnet n.
std::string selsubLine(FrmdocModel& calc, std::int32_t n)
{
    CalculatorState saved = calc.state();
    CalculatorState& st = calc.state();
    st.requestedSubnet = n;
    calc.selsub1();
    calc.selsub2();
    calc.selsub3();
    std::string line =
        signText(n) + "\t" + st.rangeSubnet + "\t" + st.rangeFirst + "\t" + st.rangeLast + "\t" + st.rangeBroadcast;
    st = saved;
    return line;
}

struct Run {
    bool calculatorChanged = false;
    bool cancelled = false;
    bool capped = false;
    int cancelAfter = -1;  // event number at which CANCEL is pressed; -1 never
    int action = 0;  // what else happens at that event
};

// The listing just written, for a calculator that stayed as it was: subnets 0
// to N in order, N as far as the count and the mask allow, each line the
// calculator's own ranges.
void checkListing(const DarModel& dar, FrmdocModel& calc, const Run& run, fuzz::Input& in)
{
    const DarReport& r = dar.RichTextBox1;
    const RangeLister lister = RangeLister::capture(calc);
    const std::string& c = calc.state().classLetter;
    if (!lister.valid() || !octetsValid(calc) || (c != "A" && c != "B" && c != "C"))
        return;
    const std::int64_t rows = r.rows();
    if (rows < 1)
        std::abort();  // START always lists subnet 0
    const double count = leadingNumber(calc.Combo1[2].text);
    const double last = std::ldexp(1.0, lister.subnetBits()) - 1;
    const double end = std::max(0.0, std::min(std::ceil(count), last));
    if (rows - 1 > end)
        std::abort();  // past the count or the mask's last subnet
    if (!run.cancelled && !run.capped && rows - 1 != static_cast<std::int64_t>(end))
        std::abort();  // a finished run lists every subnet
    // Sample lines: the first, the last and a few in between.
    std::int64_t picks[6] = {0, rows - 1, in.byte() % rows, in.byte() % rows, (rows - 1) / 2, rows > 1 ? 1 : 0};
    for (std::int64_t k : picks) {
        const std::string got = r.line(r.headCount() + k);
        std::string expected;
        lister.appendLine(static_cast<std::int32_t>(k), expected);
        if (got != expected || got != selsubLine(calc, static_cast<std::int32_t>(k)))
            std::abort();
    }
}

// Calculator actions, as in the calculator's own fuzzer.
void calculatorStep(FrmdocModel& m, test::FakeServices& sv, fuzz::Input& in)
{
    switch (in.pick(8)) {
    case 0: fuzz::typeOctetKey(m, in); break;
    case 1: fuzz::pasteOctet(m, in); break;
    case 2:
    case 3: {  // a whole address, as if typed box by box
        int first = 1 + in.pick(223);
        m.setText3(0, std::to_string(first));
        for (int i = 1; i < 4; ++i)
            m.setText3(i, std::to_string(in.byte()));
        break;
    }
    case 4:
    case 5: fuzz::chooseRow(m, in); break;
    case 6: fuzz::clickSubnetZero(m, in); break;
    case 7: fuzz::askSubnet(m, sv, in); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CalculatorState st;
    st.subnetZero = "n";
    st.keepResults = "n";
    test::FakeServices sv;
    FrmdocModel calc(st, sv);
    calc.Form_Load();
    MemoryWriter writer;
    DarModel dar(&calc, sv, writer);
    int refreshes = 0;
    dar.refresh = [&] { ++refreshes; };
    fuzz::Input in(data, size);

    Run run;
    sv.onDoEvents = [&] {
        if (sv.events > kEventCap) {
            run.capped = true;
            dar.SSCommand1_Click();
            return;
        }
        if (sv.events != run.cancelAfter)
            return;
        switch (run.action) {
        case 0:  // CANCEL
            run.cancelled = true;
            dar.SSCommand1_Click();
            break;
        case 1:  // the calculator changes under the listing
            run.calculatorChanged = true;
            calculatorStep(calc, sv, in);
            break;
        case 2:  // the calculator window goes away
            run.calculatorChanged = true;
            dar.setCalculator(nullptr);
            break;
        case 3:  // Finish while listing
            dar.SSCommand3_Click();
            break;
        }
    };

    int steps = 0;
    while (!in.done() && steps++ < 60) {
        switch (in.pick(8)) {
        case 0:
        case 1:
        case 2: calculatorStep(calc, sv, in); break;
        case 3:
            dar.setCalculator(&calc);
            dar.open();
            if (!dar.visible || dar.SSCommand2.enabled)
                std::abort();
            break;
        case 4: {  // START, with what happens while it lists
            if (!dar.calculator())
                break;
            dar.rowsPerTurn = 1 + in.pick(64);
            run = Run{};
            run.cancelAfter = in.pick(2) ? 1 + in.pick(40) : -1;
            run.action = in.pick(4);
            sv.events = 0;
            const bool refused = calc.octetRejected();  // START does nothing then
            const bool saveBefore = dar.SSCommand2.enabled;
            dar.SSCommand1_Click();
            if (dar.isRunning() || dar.SSCommand1.caption != "START")
                std::abort();
            if (refused ? (dar.SSCommand2.enabled != saveBefore || sv.events != 0) : !dar.SSCommand2.enabled)
                std::abort();
            if (refused)
                break;
            if (sv.events > kEventCap + 1)
                std::abort();  // CANCEL did not end the listing
            if (dar.calculator() && !run.calculatorChanged)
                checkListing(dar, calc, run, in);
            break;
        }
        case 5: {  // Save, to a name, a cancelled dialog or an empty name
            if (!dar.SSCommand2.enabled)
                break;
            int how = in.pick(4);
            if (how == 0)
                sv.saveAnswers = {std::nullopt};
            else if (how == 1)
                sv.saveAnswers = {std::string()};
            else
                sv.saveAnswers = {std::string("range.rtf")};
            writer.failAfter = how == 3 ? static_cast<long>(in.byte()) * 64 : -1;
            const std::string before = writer.saved;
            const int saves = writer.saves;
            const std::size_t messages = sv.messages.size();
            const bool wasVisible = dar.visible;
            dar.SSCommand2_Click();
            if (how < 2) {
                if (writer.saves != saves || dar.visible != wasVisible)
                    std::abort();
            } else if (writer.saves == saves) {
                // Failed: reported, the old file kept, the window still open.
                if (sv.messages.size() != messages + 1 || writer.saved != before || dar.visible != wasVisible)
                    std::abort();
            } else {
                checkRtf(writer.saved);
                if (dar.visible)
                    std::abort();
            }
            break;
        }
        case 6:
            dar.SSCommand3_Click();
            if (dar.visible)
                std::abort();
            break;
        case 7: dar.setCalculator(in.pick(4) ? &calc : nullptr); break;
        }
    }
    return 0;
}
