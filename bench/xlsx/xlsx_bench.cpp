// Workbooks at size: the tables of the 10,000-subnet, 100,000-host campus
// (bench/plan/big_campus.h) as the planner's and mqnet's one workbook, against the same rows
// as the four CSV files (the baseline); and one sheet of a split listing up to a worksheet's
// 2^20 - 1 rows. Each reports the time and the peak memory it adds: libxlsxwriter's
// constant-memory mode streams the rows to a scratch file, so what grows with the rows is the
// finished file, read back to be handed to the atomic writer (bytes_MB beside peak_added_MB).
//   build/bench/xlsx/xlsx_bench
#include "bench/support/peak_memory.h"
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/plan/big_campus.h"
#include "interchange/hosts_io.h"
#include "interchange/plan_sheets.h"
#include "net/split.h"
#include "plan/allocations.h"
#include "plan/csv.h"
#include "xlsx/sheet.h"

namespace {

using mq::bench::resetPeak;
using mq::bench::statusKb;

using namespace mq;

const plan::Plan& campus()
{
    static const plan::Plan plan = bench::bigCampus();
    return plan;
}

// Runs make once an iteration, reporting the bytes it made and the most memory it added.
template <class Make> void measured(benchmark::State& state, const Make& make)
{
    double peakKb = 0, bytes = 0;
    for (auto _ : state) {
        const long before = statusKb("VmRSS");
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak mark starts afresh
        bytes = static_cast<double>(make());
        peakKb = std::max(peakKb, static_cast<double>(statusKb("VmHWM") - before));
    }
    state.counters["bytes_MB"] = bytes / (1 << 20);
    state.counters["peak_added_MB"] = peakKb / 1024;
}

void BM_CampusWorkbook(benchmark::State& state)
{
    const plan::Plan& p = campus();
    measured(state, [&] {
        const xlsx::Workbook book = xlsx::writeWorkbook(interchange::planSheets(p));
        if (!book.error.empty())
            std::abort();
        return book.bytes.size();
    });
}
BENCHMARK(BM_CampusWorkbook)->Unit(benchmark::kMillisecond);

// The same rows as the CSV of each table, made whole as the exports make them.
void BM_CampusCsvBaseline(benchmark::State& state)
{
    const plan::Plan& p = campus();
    measured(state, [&] {
        std::size_t size = plan::allocationsCsv(p, "\r\n").size() + plan::leavesCsv(p).size();
        for (auto what : {interchange::HostExport::Subnets, interchange::HostExport::Hosts})
            size += interchange::exportHosts(p, what, {}).text.size();
        return size;
    });
}
BENCHMARK(BM_CampusCsvBaseline)->Unit(benchmark::kMillisecond);

// 10.0.0.0/8 at /32 from row 0: index, network, first, last, broadcast, as the listing's sheet.
void BM_ListingSheet(benchmark::State& state)
{
    const net::Splitter split({net::Address::v4(0x0A000000), 8}, 32);
    const auto rows = static_cast<std::size_t>(state.range(0));
    measured(state, [&] {
        const xlsx::Sheet sheet{"split",
                                {{"index", xlsx::CellType::Count}, {"network"}, {"first"}, {"last"}, {"broadcast"}},
                                rows,
                                [&](std::size_t i, std::vector<std::string>& cells) {
                                    const net::SubnetRow r = split.row(i);
                                    cells = {net::toDecimal(r.index), net::formatNetwork(r.network),
                                             net::format(r.first), net::format(r.last),
                                             r.broadcast ? net::format(*r.broadcast) : ""};
                                }};
        return xlsx::writeWorkbook({sheet}).bytes.size();
    });
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListingSheet)->Arg(100000)->Arg(xlsx::kMaxSheetRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
