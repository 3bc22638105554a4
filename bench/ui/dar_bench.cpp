// The address range window with the event loop turning as for a user
// (offscreen): the whole class A listing of 4,194,303 subnets from START to the
// button reading START again, the memory it adds, the RTF save of the full
// report, and the same lines put into a QTextDocument through QTextCursor.
#include "bench/support/peak_memory.h"
#include "core/frmdoc_model.h"
#include "tests/support/fake_services.h"
#include "ui/dar/dar.h"
#include "ui/platform/geometry.h"
#include "ui/platform/qt_services.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace {

using mq::bench::resetPeak;
using mq::bench::statusKb;

using Clock = std::chrono::steady_clock;

// The real services, timing the turns of the event loop.
class TimedServices : public mq::ui::QtServices {
public:
    Clock::time_point last{};
    double longestGapMs = 0;
    long turns = 0;
    std::function<void(long)> atTurn;
    void startRun()
    {
        last = Clock::now();
        longestGapMs = 0;
        turns = 0;
    }
    void doEvents() override
    {
        const auto now = Clock::now();
        longestGapMs = std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - last).count());
        ++turns;
        mq::ui::QtServices::doEvents();
        if (atTurn)
            atTurn(turns);
        last = Clock::now();
    }
};

struct Setup {
    mq::CalculatorState state;
    mq::test::FakeServices calcServices;
    mq::FrmdocModel calc{state, calcServices};
    TimedServices services;
    mq::ui::QtSaveFileWriter writer;
    std::unique_ptr<mq::ui::Dar> dar;

    Setup()
    {
        state.subnetZero = "n";
        state.keepResults = "n";
        calc.Form_Load();
        const char* octets[] = {"10", "1", "2", "3"};
        for (int i = 0; i < 4; ++i)
            calc.setText3(i, octets[i]);
        auto& masks = calc.Combo1[1];
        masks.listIndex =
            static_cast<int>(std::find(masks.list.begin(), masks.list.end(), "255.255.255.252") - masks.list.begin());
        calc.Combo1_Click(1);
        dar = std::make_unique<mq::ui::Dar>(services, writer);
        services.setWindow(dar.get());
        dar->show();
        dar->openFor(calc);
        QApplication::processEvents();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

double g_listingSeconds = 0;

void BM_WholeClassAListing(benchmark::State& st)
{
    Setup& s = setup();
    double peakAddedKb = 0;
    for (auto _ : st) {
        // Memory of the last listing goes with the next START; measure from a clean report.
        const long before = statusKb("VmRSS");
        resetPeak();
        s.services.startRun();
        const auto t0 = Clock::now();
        s.dar->startButton()->click();
        const auto t1 = Clock::now();
        s.dar->report()->viewport()->repaint();  // the last line on screen
        const auto t2 = Clock::now();
        if (s.dar->startButton()->text() != "START" || s.dar->report()->lineCount() != 19 + 4194303)
            st.SkipWithError("the listing did not complete");
        st.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        st.counters["painted_ms"] = std::chrono::duration<double, std::milli>(t2 - t0).count();
        peakAddedKb = std::max(peakAddedKb, double(statusKb("VmHWM") - before));
        g_listingSeconds = std::chrono::duration<double>(t1 - t0).count();
    }
    st.counters["rows"] = double(s.dar->model().RichTextBox1.rows());
    st.counters["peak_added_MB"] = peakAddedKb / 1024.0;
    st.counters["longest_turn_gap_ms"] = s.services.longestGapMs;
    st.counters["turns"] = double(s.services.turns);
}
BENCHMARK(BM_WholeClassAListing)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CancelLatency(benchmark::State& st)
{
    // A press of CANCEL waits for the next turn of the event loop (at worst the
    // longest gap between turns), then the run winds up: both are measured.
    Setup& s = setup();
    double worst = 0;
    for (auto _ : st) {
        Clock::time_point handled{};
        s.services.startRun();
        s.services.atTurn = [&](long turn) {
            if (turn == 20) {
                s.dar->startButton()->click();  // the press, handled inside this turn
                handled = Clock::now();
            }
        };
        s.dar->startButton()->click();
        const auto done = Clock::now();
        s.services.atTurn = nullptr;
        if (handled == Clock::time_point{}) {
            st.SkipWithError("the listing ended before the press");
            break;
        }
        const double windUp = std::chrono::duration<double, std::milli>(done - handled).count();
        const double ms = s.services.longestGapMs + windUp;
        worst = std::max(worst, ms);
        st.SetIterationTime(ms / 1000.0);
        st.counters["rows_kept"] = double(s.dar->model().RichTextBox1.rows());
    }
    st.counters["worst_ms"] = worst;
}
BENCHMARK(BM_CancelLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SaveFullReportAsRtf(benchmark::State& st)
{
    Setup& s = setup();
    if (s.dar->model().RichTextBox1.rows() != 4194303)
        s.dar->startButton()->click();
    const QString path = QDir::temp().filePath(QStringLiteral("maskquill_dar_bench.rtf"));
    for (auto _ : st) {
        std::string error;
        const long before = statusKb("VmRSS");
        resetPeak();
        const bool ok = s.writer.write(
            path.toStdString(), [&](mq::ByteSink& sink) { return s.dar->model().RichTextBox1.writeRtf(sink); }, error);
        if (!ok)
            st.SkipWithError(error.c_str());
        st.counters["peak_added_MB"] = double(statusKb("VmHWM") - before) / 1024.0;
    }
    st.counters["file_MB"] = double(QFile(path).size()) / (1024.0 * 1024.0);
    QFile::remove(path);
}
BENCHMARK(BM_SaveFullReportAsRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_QTextCursorBaseline100k(benchmark::State& st)
{
    // The same lines inserted into a rich text document, as a text box would
    // hold them; the first 100,000 rows, scaled to the whole listing.
    Setup& s = setup();
    const auto& report = s.dar->model().RichTextBox1;
    constexpr std::int64_t kRows = 100000;
    for (auto _ : st) {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        QTextCharFormat regular;
        regular.setFontPointSize(9);
        QTextCharFormat bold = regular;
        bold.setFontWeight(QFont::Bold);
        QTextBlockFormat tabs;
        QList<QTextOption::Tab> stops;
        for (int t : mq::kDarTabStops)
            stops.append(QTextOption::Tab(mq::ui::twipsToPixels(t), QTextOption::LeftTab));
        tabs.setTabPositions(stops);
        cursor.setBlockFormat(tabs);
        for (std::int64_t i = 0; i < report.headCount() + kRows; ++i) {
            const auto f = report.format(i);
            cursor.insertText(QString::fromStdString(report.line(i)), f.bold ? bold : regular);
            cursor.insertBlock(tabs);
        }
        benchmark::DoNotOptimize(doc.blockCount());
        // A text box lays out what it holds.
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
}
BENCHMARK(BM_QTextCursorBaseline100k)->Unit(benchmark::kMillisecond)->Iterations(1);

// Reports the baseline scaled to the whole listing and its ratio to ours.
class Reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            Run copy = r;
            if (r.benchmark_name().find("QTextCursorBaseline") != std::string::npos && r.iterations > 0) {
                const double seconds = r.real_accumulated_time / double(r.iterations);
                const double scaled = seconds * 4194303.0 / 100000.0;
                copy.counters["scaled_to_4194303_s"] = scaled;
                if (g_listingSeconds > 0)
                    copy.counters["ratio_to_listing"] = scaled / g_listingSeconds;
            }
            ConsoleReporter::ReportRuns({copy});
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    setup().dar.reset();
    return 0;
}
