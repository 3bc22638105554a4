// The longest range listing: class A with 22 subnet bits, subnets 0 to
// 4,194,302, one line " n<TAB>subnet<TAB>first<TAB>last<TAB>broadcast" each.
// RangeLister against the per-row procedures selsub1..selsub3 (a slice, scaled).
#include "core/calculator_state.h"
#include "core/frmdoc_model.h"
#include "core/range_listing.h"
#include "tests/support/fake_services.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

constexpr std::int32_t kLastSubnet = 4194302;  // 2^22 - 2
constexpr std::int64_t kRows = kLastSubnet + 1;
constexpr std::int32_t kSliceRows = 20000;

struct ClassACalculator {
    mq::CalculatorState st;
    mq::test::FakeServices sv;
    mq::FrmdocModel m{st, sv};
    ClassACalculator()
    {
        st.subnetZero = "n";
        st.keepResults = "n";
        m.Form_Load();
        for (int i = 0; i < 4; ++i)
            m.setText3(i, i == 0 ? "10" : "1");
        m.Combo1[1].listIndex = static_cast<int>(m.Combo1[1].list.size()) - 1;  // 255.255.255.252
        m.Combo1_Click(1);
        if (m.Combo1[0].text != "22") {
            std::fprintf(stderr, "class A /30 not chosen\n");
            std::abort();
        }
    }
};

// Fastest seconds per row seen by each method in this run, on the wall clock
// and in this thread's processor time (the machine may be shared).
struct Best {
    double wall = 0;
    double cpu = 0;
};
Best lister;
Best selsub;

double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Stopwatch {
    std::chrono::steady_clock::time_point wall0 = std::chrono::steady_clock::now();
    double cpu0 = threadSeconds();
    void stop(Best& best, double rows) const
    {
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
        const double w = wall.count() / rows;
        const double c = (threadSeconds() - cpu0) / rows;
        if (best.wall == 0 || w < best.wall)
            best.wall = w;
        if (best.cpu == 0 || c < best.cpu)
            best.cpu = c;
    }
};

// Every line of the listing, written into a buffer handed on every 64K rows, as
// a view or a file writer would take them.
void BM_WholeListing_RangeLister(benchmark::State& state)
{
    ClassACalculator calc;
    const mq::RangeLister rows = mq::RangeLister::capture(calc.m);
    std::string buffer;
    buffer.reserve(72 * 65536);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const Stopwatch watch;
        bytes = 0;
        for (std::int32_t n = 0; n <= kLastSubnet; ++n) {
            rows.appendLine(n, buffer);
            buffer += '\n';
            if ((n & 0xFFFF) == 0xFFFF) {
                bytes += buffer.size();
                benchmark::DoNotOptimize(buffer.data());
                buffer.clear();
            }
        }
        bytes += buffer.size();
        benchmark::DoNotOptimize(buffer.data());
        buffer.clear();
        watch.stop(lister, kRows);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WholeListing_RangeLister)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same listing kept whole in one text.
void BM_WholeListing_RangeLister_OneText(benchmark::State& state)
{
    ClassACalculator calc;
    const mq::RangeLister lister = mq::RangeLister::capture(calc.m);
    for (auto _ : state) {
        std::string all;
        all.reserve(static_cast<std::size_t>(kRows) * 64);
        for (std::int32_t n = 0; n <= kLastSubnet; ++n) {
            lister.appendLine(n, all);
            all += '\n';
        }
        benchmark::DoNotOptimize(all.data());
        state.counters["bytes"] = static_cast<double>(all.size());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_WholeListing_RangeLister_OneText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A straightforward line per row: selsub1, selsub2, selsub3 on the calculator.
void BM_Slice_Selsub(benchmark::State& state)
{
    ClassACalculator calc;
    const std::int32_t from = static_cast<std::int32_t>(state.range(0));
    std::string buffer;
    for (auto _ : state) {
        const Stopwatch watch;
        for (std::int32_t n = from; n < from + kSliceRows; ++n) {
            calc.st.requestedSubnet = n;
            calc.m.selsub1();
            calc.m.selsub2();
            calc.m.selsub3();
            buffer += mq::signText(n) + "\t" + calc.st.rangeSubnet + "\t" + calc.st.rangeFirst + "\t" +
                      calc.st.rangeLast + "\t" + calc.st.rangeBroadcast + "\n";
        }
        benchmark::DoNotOptimize(buffer.data());
        buffer.clear();
        watch.stop(selsub, kSliceRows);
    }
    state.SetItemsProcessed(state.iterations() * kSliceRows);
}
// A slice at the start and one at the end of the listing.
BENCHMARK(BM_Slice_Selsub)->Arg(0)->Arg(kLastSubnet + 1 - kSliceRows)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Both methods give the same text; checked once, outside the timings.
bool sameText()
{
    ClassACalculator calc;
    const mq::RangeLister lister = mq::RangeLister::capture(calc.m);
    for (std::int32_t n : {0, 1, 255, 65536, 2097151, kLastSubnet - 1, kLastSubnet}) {
        std::string line;
        lister.appendLine(n, line);
        calc.st.requestedSubnet = n;
        calc.m.selsub1();
        calc.m.selsub2();
        calc.m.selsub3();
        const std::string slow = mq::signText(n) + "\t" + calc.st.rangeSubnet + "\t" + calc.st.rangeFirst + "\t" +
                                 calc.st.rangeLast + "\t" + calc.st.rangeBroadcast;
        if (line != slow) {
            std::fprintf(stderr, "mismatch at %d:\n  %s\n  %s\n", n, line.c_str(), slow.c_str());
            return false;
        }
    }
    std::string last;
    lister.appendLine(kLastSubnet, last);
    std::printf("last line: \"%s\"\n", last.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!sameText())
        return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (lister.wall > 0 && selsub.wall > 0) {
        std::printf("\nWhole listing, %lld rows (best run; wall clock / processor time of the thread):\n",
                    static_cast<long long>(kRows));
        std::printf("  RangeLister         %7.3f s / %7.3f s   %10.0f rows/s (processor)\n", lister.wall * kRows,
                    lister.cpu * kRows, 1 / lister.cpu);
        std::printf("  selsub1..3 per row  %7.3f s / %7.3f s   %10.0f rows/s (processor), scaled from %d-row slices\n",
                    selsub.wall * kRows, selsub.cpu * kRows, 1 / selsub.cpu, kSliceRows);
        std::printf("  ratio               %7.1f x / %7.1f x\n", selsub.wall / lister.wall, selsub.cpu / lister.cpu);
        std::printf("  goal 0.5 s (wall): %s\n", lister.wall * kRows <= 0.5 ? "met" : "NOT met");
    }
    return 0;
}
