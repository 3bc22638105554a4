// The Classless Calculator's timings (offscreen):
// - Keystroke: the form model's work for one typed character (goal: under 1 ms),
//   and the same keystroke through the real window, widgets refreshed.
// - Listing: from Enter in "Split into /" to the first rows painted, and from End
//   to the last row painted, for 10.0.0.0/8 at /30 and 2001:db8::/32 at /64
//   (goal: both under 50 ms); baseline in the same run: a QListView over an
//   on-demand model with uniform item sizes, the fastest Qt list measured here,
//   for the same 4,194,304 rows.
// - CSV: the 4,194,304 rows of 10.0.0.0/8 at /30 through the window's writer (goal: 1 s
//   or less); baseline: a bare snprintf loop writing the same rows with stdio.
#include "classless/save.h"
#include "ui/classless/classless_window.h"
#include "ui/classless/subnet_table.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTest>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

class SilentServices : public mq::Services {
public:
    void msgBox(const std::string&, mq::MsgIcon, const std::string&) override { }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    void sendTab() override { }
    void setFocus(const std::string&) override { }
    void beep() override { }
    void setClipboardText(const std::string&) override { }
    void doEvents() override { }
    std::optional<std::string> saveFileDialog(const std::string&) override { return std::nullopt; }
};

const char* const kTexts[] = {"2001:db8:85a3::8a2e:370:7334/64", "10.1.2.3 255.255.252.0"};

void BM_KeystrokeModel(benchmark::State& state)
{
    const std::string text = kTexts[state.range(0)];
    mq::classless::ClasslessForm form;
    std::size_t n = 1;
    for (auto _ : state) {
        form.setInput(text.substr(0, n));
        benchmark::DoNotOptimize(form.fields.data());
        n = n % text.size() + 1;
    }
    state.SetLabel(text);
}
BENCHMARK(BM_KeystrokeModel)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeWindow(benchmark::State& state)
{
    const QString text = QString::fromLatin1(kTexts[state.range(0)]);
    mq::ui::ClasslessWindow w;
    w.show();
    QLineEdit* box = w.findChild<QLineEdit*>("Input");
    int n = 0;
    for (auto _ : state) {
        if (n == text.size()) {
            box->clear();
            n = 0;
        }
        QTest::keyClick(box, text[n++].toLatin1());
    }
    state.SetLabel(text.toStdString());
}
BENCHMARK(BM_KeystrokeWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Time to the first rows painted after Enter, then to the last row after End.
void BM_ListingPainted(benchmark::State& state)
{
    const char* parent = state.range(0) == 0 ? "10.0.0.0/8" : "2001:db8::/32";
    const char* length = state.range(0) == 0 ? "30" : "64";
    double first = 0, last = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<mq::ui::ClasslessWindow>();
        w->resize(1000, 700);
        w->show();
        QApplication::processEvents();
        QTest::keyClicks(w->findChild<QLineEdit*>("Input"), parent);
        QLineEdit* split = w->findChild<QLineEdit*>("SplitLength");
        QTest::keyClicks(split, length);
        state.ResumeTiming();
        const auto t0 = Clock::now();
        QTest::keyClick(split, Qt::Key_Return);
        w->table()->viewport()->repaint();
        const auto t1 = Clock::now();
        QTest::keyClick(w->table(), Qt::Key_End);
        w->table()->viewport()->repaint();
        const auto t2 = Clock::now();
        first += ms(t0, t1);
        last += ms(t1, t2);
        if (w->listing().current() != w->listing().lastRow())
            state.SkipWithError("the listing did not reach its last row");
    }
    state.counters["first_ms"] = first / static_cast<double>(state.iterations());
    state.counters["last_ms"] = last / static_cast<double>(state.iterations());
    state.SetLabel(std::string(parent) + " at /" + length);
}
BENCHMARK(BM_ListingPainted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// Baseline: 4,194,304 rows in a QListView over an on-demand model.
class RowsModel : public QAbstractListModel {
public:
    int rowCount(const QModelIndex&) const override { return 4194304; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const unsigned a = 0x0A000000u + 4u * static_cast<unsigned>(i.row());
        char buf[96];
        std::snprintf(buf, sizeof buf, "%d\t10.%u.%u.%u/30\t10.%u.%u.%u\t10.%u.%u.%u\t10.%u.%u.%u", i.row(),
                      (a >> 16) & 255, (a >> 8) & 255, a & 255, ((a + 1) >> 16) & 255, ((a + 1) >> 8) & 255,
                      (a + 1) & 255, ((a + 2) >> 16) & 255, ((a + 2) >> 8) & 255, (a + 2) & 255, ((a + 3) >> 16) & 255,
                      ((a + 3) >> 8) & 255, (a + 3) & 255);
        return QString::fromLatin1(buf);
    }
};

void BM_ListingBaselineListView(benchmark::State& state)
{
    double first = 0, last = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RowsModel model;
        auto view = std::make_unique<QListView>();
        view->setUniformItemSizes(true);
        view->resize(1000, 700);
        view->show();
        QApplication::processEvents();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        view->setModel(&model);
        view->viewport()->repaint();
        const auto t1 = Clock::now();
        view->scrollToBottom();
        view->viewport()->repaint();
        const auto t2 = Clock::now();
        first += ms(t0, t1);
        last += ms(t1, t2);
        view.reset();
    }
    state.counters["first_ms"] = first / static_cast<double>(state.iterations());
    state.counters["last_ms"] = last / static_cast<double>(state.iterations());
    state.SetLabel("QListView, 4194304 rows");
}
BENCHMARK(BM_ListingBaselineListView)->Unit(benchmark::kMillisecond)->Iterations(5);

// CSV of 10.0.0.0/8 at /30 through the window's own writer.
void BM_CsvSave(benchmark::State& state)
{
    mq::classless::ClasslessForm form;
    form.setInput("10.0.0.0/8");
    mq::classless::SubnetListing listing;
    listing.setParent(form.resultPrefix());
    listing.splitText = "30";
    listing.split();
    const std::string path = QDir::temp().filePath("mq_classless_bench.csv").toStdString();
    SilentServices sv;
    mq::ui::QtCsvTarget target;
    for (auto _ : state)
        if (mq::classless::saveCsv(listing, path, target, sv) != mq::classless::SaveOutcome::Written)
            state.SkipWithError("the CSV was not written");
    std::remove(path.c_str());
    state.SetLabel("4194304 rows");
}
BENCHMARK(BM_CsvSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CsvBaselineStdio(benchmark::State& state)
{
    const std::string path = QDir::temp().filePath("mq_classless_base.csv").toStdString();
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("index,network,first,last,broadcast\r\n", f);
        for (unsigned i = 0; i < 4194304u; ++i) {
            const unsigned a = 0x0A000000u + 4u * i;
            std::fprintf(f, "%u,10.%u.%u.%u/30,10.%u.%u.%u,10.%u.%u.%u,10.%u.%u.%u\r\n", i, (a >> 16) & 255,
                         (a >> 8) & 255, a & 255, ((a + 1) >> 16) & 255, ((a + 1) >> 8) & 255, (a + 1) & 255,
                         ((a + 2) >> 16) & 255, ((a + 2) >> 8) & 255, (a + 2) & 255, ((a + 3) >> 16) & 255,
                         ((a + 3) >> 8) & 255, (a + 3) & 255);
        }
        std::fclose(f);
    }
    std::remove(path.c_str());
    state.SetLabel("4194304 rows, fprintf");
}
BENCHMARK(BM_CsvBaselineStdio)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
