#include "core/dar_model.h"

#include "core/helpers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mq {

// ---------------------------------------------------------------- the report

void DarReport::clear()
{
    head.clear();
    runs.clear();
    listers.clear();
    listerKeys.clear();
    literals.clear();
    rowCount = 0;
    ++gen;
}

void DarReport::addHeadLine(std::string text, ReportLineFormat format)
{
    head.push_back({std::move(text), format});
}

void DarReport::addRows(std::int32_t first, std::int64_t count, const RangeLister& lister, const std::string& stateKey)
{
    if (count <= 0)
        return;
    if (!runs.empty()) {
        Run& last = runs.back();
        if (last.lister >= 0 && listerKeys[static_cast<std::size_t>(last.lister)] == stateKey &&
            static_cast<std::int64_t>(last.firstSubnet) + last.count == first) {
            last.count += count;
            rowCount += count;
            return;
        }
    }
    int index = -1;
    if (!listerKeys.empty() && listerKeys.back() == stateKey) {
        index = static_cast<int>(listers.size()) - 1;
    } else {
        listers.push_back(lister);
        listerKeys.push_back(stateKey);
        index = static_cast<int>(listers.size()) - 1;
    }
    runs.push_back({rowCount, count, first, index, 0});
    rowCount += count;
}

void DarReport::addLiteralRow(std::string line)
{
    literals.push_back(std::move(line));
    if (!runs.empty() && runs.back().lister < 0) {
        ++runs.back().count;
    } else {
        runs.push_back({rowCount, 1, 0, -1, literals.size() - 1});
    }
    ++rowCount;
}

const DarReport::Run* DarReport::runOf(std::int64_t row) const
{
    auto it = std::upper_bound(runs.begin(), runs.end(), row,
                               [](std::int64_t r, const Run& run) { return r < run.firstRow; });
    if (it == runs.begin())
        return nullptr;
    return &*(it - 1);
}

void DarReport::appendLine(std::int64_t i, std::string& out) const
{
    if (i < 0)
        return;
    if (i < headCount()) {
        out += head[static_cast<std::size_t>(i)].text;
        return;
    }
    const std::int64_t row = i - headCount();
    if (row >= rowCount)
        return;
    const Run* run = runOf(row);
    if (!run)
        return;
    const std::int64_t offset = row - run->firstRow;
    if (run->lister >= 0)
        listers[static_cast<std::size_t>(run->lister)].appendLine(static_cast<std::int32_t>(run->firstSubnet + offset),
                                                                  out);
    else
        out += literals[run->literal + static_cast<std::size_t>(offset)];
}

std::string DarReport::line(std::int64_t i) const
{
    std::string s;
    appendLine(i, s);
    return s;
}

ReportLineFormat DarReport::format(std::int64_t i) const
{
    if (i >= 0 && i < headCount())
        return head[static_cast<std::size_t>(i)].format;
    ReportLineFormat f;
    f.tabStops = true;
    return f;
}

std::string DarReport::text() const
{
    std::string all;
    for (std::int64_t i = 0; i < lineCount(); ++i) {
        appendLine(i, all);
        all += '\n';
    }
    return all;
}

bool DarReport::writeRtf(ByteSink& sink) const
{
    RtfDocumentFormat format;
    format.halfPoints = static_cast<int>(kDarPointSize * 2);
    RtfWriter rtf(sink, format);
    rtf.begin();
    bool tabs = false;
    for (const auto& h : head) {
        if (h.format.tabStops && !tabs) {
            rtf.setTabStops(kDarTabStops);
            tabs = true;
        }
        rtf.paragraph(h.text, h.format.bold, h.format.italic);
        if (!rtf.ok())
            return false;
    }
    if (!tabs && rowCount > 0)
        rtf.setTabStops(kDarTabStops);
    std::string lineText;
    for (const Run& run : runs) {
        for (std::int64_t k = 0; k < run.count; ++k) {
            if (run.lister >= 0) {
                lineText.clear();
                listers[static_cast<std::size_t>(run.lister)].appendLine(static_cast<std::int32_t>(run.firstSubnet + k),
                                                                         lineText);
                rtf.paragraph(lineText);
            } else {
                rtf.paragraph(literals[run.literal + static_cast<std::size_t>(k)]);
            }
        }
        if (!rtf.ok())
            return false;
    }
    return rtf.end();
}

// ---------------------------------------------------------------- the window

DarModel::DarModel(FrmdocModel* calculator, Services& services, StreamedFileWriter& writer)
    : calc(calculator), sv(services), out(writer)
{
    SSPanel1.top = kDarTopUpper;
}

void DarModel::show()
{
    visible = true;
}

void DarModel::open()
{
    show();
    SSCommand1.enabled = true;
    SSCommand2.enabled = false;
    SSPanel1.top = kDarTopUpper;
    RichTextBox1Top = kDarTopLower;
    const std::string count = calc ? calc->Combo1[2].text : std::string();
    SSPanel1.caption = "Click START to display subnets 0 to " + signText(leadingNumber(count));
    if (refresh)
        refresh();
}

void DarModel::writeHead()
{
    const FrmdocModel& c = *calc;
    auto add = [this](std::string text, bool bold = false, bool italic = false, bool tabs = false) {
        RichTextBox1.addHeadLine(std::move(text), {bold, italic, tabs});
    };
    add(banner, true);
    add("");
    add("TCP/IP Host Address chosen: " + c.Text3[0].text + "." + c.Text3[1].text + "." + c.Text3[2].text + "." +
        c.Text3[3].text);
    add("");
    add("Results of Subnet Calculation", true, true);
    add("");
    add("Number of Subnet Bits: " + c.Combo1[0].text);
    add("Subnet Mask: " + c.Combo1[1].text);
    add("Number of Subnets with above mask: " + c.Combo1[2].text);
    add("Number of Subnets with subnet zero enabled: " + signText(leadingNumber(c.Combo1[2].text) + 1));
    add("Number of Hosts per subnet with above mask: " + c.Combo1[3].text);
    add("Class of Address: " + c.Text1.text);
    add("Network address: " + c.SSPanel6[3].caption);
    add("Subnet address: " + c.SSPanel6[4].caption);
    add("Host address: " + c.SSPanel6[5].caption);
    add("Number of Hosts Wasted: " + c.SSPanel6[6].caption);
    add("");
    add("Subnet\tSubnet Address\tStart Address\tEnd Address\tBroadcast Address", true, false, true);
    add("", false, false, true);
}

std::string DarModel::listerKey() const
{
    // Everything the range computation reads from the calculator.
    return calc->state().classLetter + '|' + calc->Text3[0].text + '|' + calc->Text3[1].text + '|' +
           calc->Text3[2].text + '|' + calc->Combo1[0].text;
}

std::string DarModel::lineOfState() const
{
    const CalculatorState& st = calc->state();
    return "\t" + st.rangeSubnet + "\t" + st.rangeFirst + "\t" + st.rangeLast + "\t" + st.rangeBroadcast;
}

// Writes the subnet lines of one turn of the event loop. Nothing else can run
// inside a turn, so the calculator's state and subnet count are those of every
// line written in it. The stop test takes the count as it stands: a run ends on
// the line whose number reaches it, also when a change in the calculator made
// the count smaller than the lines already written, and never lists a number
// past the mask's last subnet.
void DarModel::writeTurn()
{
    CalculatorState& st = calc->state();
    const double count = leadingNumber(calc->Combo1[2].text);
    constexpr std::int32_t kMaxNumber = std::numeric_limits<std::int32_t>::max();
    auto lastOf = [](int bits) { return std::ldexp(1.0, std::clamp(bits, 0, 32)) - 1; };
    bool advanced = false;

    const RangeLister lister = RangeLister::capture(*calc);
    if (lister.valid()) {
        const std::int32_t start = st.listNumber;
        const double end = std::min({std::ceil(count), lastOf(lister.subnetBits()), double(kMaxNumber)});
        std::int64_t stopAt = end <= start ? start : static_cast<std::int64_t>(end);
        std::int64_t written = stopAt - start + 1;
        if (written > rowsPerTurn) {
            written = std::max(1, rowsPerTurn);
        } else {
            stop = 1;
        }
        RichTextBox1.addRows(start, written, lister, listerKey());
        const auto lastWritten = static_cast<std::int32_t>(start + written - 1);
        // Leave the calculator's range fields as the last line computed them.
        st.listNumber = lastWritten;
        st.requestedSubnet = lastWritten;
        calc->selsub1();
        calc->selsub2();
        calc->selsub3();
        if (!stop)
            st.listNumber = lastWritten + 1;
        advanced = written > 1 || !stop;
    } else {
        const auto deadline = std::chrono::steady_clock::now() + turnBudget;
        for (int rows = 1;; ++rows) {
            st.requestedSubnet = st.listNumber;
            calc->selsub1();
            calc->selsub2();
            std::string text = signText(st.listNumber);
            calc->selsub3();
            RichTextBox1.addLiteralRow(text + lineOfState());
            if (st.listNumber >= count || st.listNumber >= lastOf(st.subnetBitCount) || st.listNumber == kMaxNumber) {
                stop = 1;
                break;
            }
            ++st.listNumber;
            advanced = true;
            if (rows >= rowsPerTurn || ((rows & 63) == 0 && std::chrono::steady_clock::now() > deadline))
                break;
        }
    }
    if (advanced)
        SSPanel1.caption =
            "Calculating and formatting for subnet " + signText(st.listNumber - 1) + " of " + calc->Combo1[2].text;
}

void DarModel::SSCommand1_Click()
{
    if (running != 0) {
        // CANCEL: the run sees the flag when the event loop hands back.
        SSPanel1.top = kDarTopUpper;
        RichTextBox1Top = kDarTopLower;
        running = 0;
        if (refresh)
            refresh();
        return;
    }
    if (!calc || calc->octetRejected())
        return;
    SSPanel1.top = kDarTopUpper;
    RichTextBox1Top = kDarTopLower;
    running = -1;
    calc->state().listNumber = 0;
    stop = 0;
    RichTextBox1.clear();
    writeHead();
    while (!(stop == 1 || running == 0)) {
        // The calculator went away, or an octet of it was rejected: keep what was written.
        if (!calc || calc->octetRejected())
            break;
        SSCommand1.caption = "CANCEL";
        writeTurn();
        if (stop == 1)
            break;
        if (refresh)
            refresh();
        sv.doEvents();
    }
    SSPanel1.top = kDarTopLower;
    RichTextBox1Top = kDarTopUpper;
    SSCommand2.enabled = true;
    SSCommand1.caption = "START";
    running = 0;
    if (refresh)
        refresh();
}

void DarModel::SSCommand2_Click()
{
    const auto fileName = sv.saveFileDialog(kRtfFilter);
    // No name, nothing to save to: the window stays as it is.
    if (!fileName || fileName->empty())
        return;
    std::string error;
    const bool saved = out.write(
        *fileName, [this](ByteSink& sink) { return RichTextBox1.writeRtf(sink); }, error);
    if (!saved) {
        sv.msgBox("The address range could not be saved to the file " + *fileName + "\n\n" + error, MsgIcon::Critical,
                  kProgramTitle);
        return;
    }
    visible = false;
    if (refresh)
        refresh();
}

void DarModel::SSCommand3_Click()
{
    visible = false;
    if (refresh)
        refresh();
}

}  // namespace mq
