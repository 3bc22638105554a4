// The address range window's logic: a report of the current calculation and
// one line per subnet, from subnet 0 up to the subnet count, written while the
// event loop keeps turning so that CANCEL (or anything else) can be pressed.
//
// The report is kept compactly: the head as lines, the subnet lines as runs of
// consecutive subnets written under one calculator state. A line's text is
// made when someone asks for it (the view for what is on screen, Save for the
// file), so millions of lines cost a few bytes each run, not each line.
#pragma once

#include "core/controls.h"
#include "core/frmdoc_model.h"
#include "core/range_listing.h"
#include "core/rtf_writer.h"
#include "core/services.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mq {

inline constexpr const char* kRtfFilter = "Rich Text Files (*.rtf)|*.rtf|";
inline constexpr int kDarTopUpper = 0;  // twips
inline constexpr int kDarTopLower = 3240;  // twips
inline const std::vector<int> kDarTabStops = {1000, 2500, 4000, 5500};  // twips
inline constexpr double kDarPointSize = 9;

struct ReportLineFormat {
    bool bold = false;
    bool italic = false;
    bool tabStops = false;  // the listing's four tab stops apply
};

class DarReport {
public:
    void clear();
    void addHeadLine(std::string text, ReportLineFormat format);
    // Subnet lines first, first + 1, ... written with one calculator state.
    void addRows(std::int32_t first, std::int64_t count, const RangeLister& lister, const std::string& stateKey);
    // A subnet line taken from the calculator's own range procedures.
    void addLiteralRow(std::string line);

    std::int64_t lineCount() const { return static_cast<std::int64_t>(head.size()) + rowCount; }
    std::int64_t headCount() const { return static_cast<std::int64_t>(head.size()); }
    std::int64_t rows() const { return rowCount; }
    // Line i without its line end; "" past the end.
    std::string line(std::int64_t i) const;
    void appendLine(std::int64_t i, std::string& out) const;
    ReportLineFormat format(std::int64_t i) const;
    // Changes whenever the report is cleared, so a view knows to start over.
    std::uint64_t generation() const { return gen; }

    // The whole text, every line ending with LF, as the rich text box holds it.
    std::string text() const;
    // Streams the report as RTF: 9 point, bold and italic where the lines say,
    // the tab stops from the column headings on.
    bool writeRtf(ByteSink& sink) const;

    std::size_t runCount() const { return runs.size(); }

private:
    struct HeadLine {
        std::string text;
        ReportLineFormat format;
    };
    struct Run {
        std::int64_t firstRow;  // index among the subnet lines
        std::int64_t count;
        std::int32_t firstSubnet;
        int lister;  // index into listers, or -1 for literal lines
        std::size_t literal;  // first literal line of the run
    };
    const Run* runOf(std::int64_t row) const;

    std::vector<HeadLine> head;
    std::vector<Run> runs;
    std::vector<RangeLister> listers;
    std::vector<std::string> listerKeys;
    std::vector<std::string> literals;
    std::int64_t rowCount = 0;
    std::uint64_t gen = 0;
};

// Saves through a file that replaces the old one only when every byte was
// written (the one atomic file writer in the program).
class StreamedFileWriter {
public:
    virtual ~StreamedFileWriter() = default;
    // produce writes the content into the sink and says whether it succeeded.
    virtual bool write(const std::string& path, const std::function<bool(ByteSink&)>& produce, std::string& error) = 0;
};

class DarModel {
public:
    DarModel(FrmdocModel* calculator, Services& services, StreamedFileWriter& writer);

    // The calculator the window reads; nullptr when it is gone (a run then ends).
    void setCalculator(FrmdocModel* calculator) { calc = calculator; }
    FrmdocModel* calculator() const { return calc; }

    // Controls.
    DarReport RichTextBox1;
    int RichTextBox1Top = kDarTopLower;
    Panel SSPanel1;
    Button SSCommand1{"START"};
    Button SSCommand2{"Save"};
    Button SSCommand3{"Finish"};
    bool visible = false;

    std::string banner = reportBanner(1);

    // How much is written between two turns of the event loop.
    int rowsPerTurn = 1 << 16;
    std::chrono::milliseconds turnBudget{20};

    // Called before the event loop turns and when a handler ends, so the window
    // can copy the fields into its widgets.
    std::function<void()> refresh;

    // Opened from the calculator's "Display whole address range".
    void open();

    void SSCommand1_Click();  // START / CANCEL
    void SSCommand2_Click();  // Save
    void SSCommand3_Click();  // Finish

    bool isRunning() const { return running != 0; }
    int stopFlag() const { return stop; }

private:
    void writeHead();
    void writeTurn();
    std::string lineOfState() const;
    std::string listerKey() const;
    void show();

    FrmdocModel* calc;
    Services& sv;
    StreamedFileWriter& out;
    std::int16_t running = 0;
    int stop = 0;
};

}  // namespace mq
