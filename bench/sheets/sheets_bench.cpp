// Tables read from a workbook at size: a sheet of 10^6 hosts and one of 10^6 segments, as
// Maskquill's own writer makes them, read through the sheet reader, beside the same rows
// read as CSV (the file held whole, as mqnet and the planner read it) as the baseline. Each
// reports its peak memory above the start (peak_added_MB) besides the time.
//   build/bench/sheets/sheets_bench
#include "bench/support/peak_memory.h"
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "interchange/hosts_io.h"
#include "plan/segments.h"
#include "sheets/segment_sheet.h"
#include "sheets/sheet_records.h"
#include "xlsx/sheet.h"

namespace {

using mq::bench::resetPeak;
using mq::bench::statusKb;

using namespace mq;

constexpr std::size_t kRows = 1'000'000;

// Host i at 10.x.y.z (/8 holds all), segment i of 1 to 1000 hosts.
std::vector<std::string> hostRow(std::size_t i)
{
    const std::size_t a = i + 1;
    return {"h" + std::to_string(i),
            "10." + std::to_string(a >> 16) + "." + std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255)};
}
std::vector<std::string> segmentRow(std::size_t i)
{
    return {"s" + std::to_string(i), std::to_string(1 + i % 1000)};
}

// The tables as workbooks and as CSV, written once into a folder of the bench's own.
const std::string& folder()
{
    static const std::string f = "/tmp/mq-sheets-bench-" + std::to_string(::getpid()) + "/";
    return f;
}

struct Table {
    std::string book, csv;
};
Table table(const char* name, std::vector<xlsx::Column> columns, std::vector<std::string> (*row)(std::size_t))
{
    std::filesystem::create_directories(folder());
    Table t{folder() + name + ".xlsx", folder() + name + ".csv"};
    std::string csv;
    for (std::size_t c = 0; c < columns.size(); ++c)
        csv += (c ? "," : "") + columns[c].name;
    csv += "\n";
    for (std::size_t i = 0; i < kRows; ++i) {
        const auto cells = row(i);
        csv += cells[0] + "," + cells[1] + "\n";
    }
    std::ofstream(t.csv) << csv;
    const xlsx::Workbook book = xlsx::writeWorkbook(
        {{name, std::move(columns), kRows, [row](std::size_t i, std::vector<std::string>& cells) { cells = row(i); }}});
    std::ofstream(t.book, std::ios::binary) << book.bytes;
    return t;
}

const Table& hosts()
{
    static const Table t = table("hosts", {{"name"}, {"ipv4"}}, hostRow);
    return t;
}
const Table& segments()
{
    static const Table t = table("segments", {{"name"}, {"hosts", xlsx::CellType::Count}}, segmentRow);
    return t;
}

std::string whole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void report(benchmark::State& state, long before, std::size_t rows)
{
    state.counters["peak_added_MB"] = double(statusKb("VmHWM") - before) / 1024.0;
    if (rows != kRows)
        state.SkipWithError(("read " + std::to_string(rows) + " rows").c_str());
}

void BM_HostSheet(benchmark::State& state)
{
    const Table& t = hosts();
    for (auto _ : state) {
        const long before = resetPeak();
        const auto read = interchange::readHostTable(interchange::HostFormat::Csv, sheets::sheetRecords(t.book, ""));
        report(state, before, read.hosts.size() + read.refused.size());
    }
}
BENCHMARK(BM_HostSheet)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HostCsvBaseline(benchmark::State& state)
{
    const Table& t = hosts();
    for (auto _ : state) {
        const long before = resetPeak();
        const auto read = interchange::readHostFile(interchange::HostFormat::Csv, whole(t.csv));
        report(state, before, read.hosts.size() + read.refused.size());
    }
}
BENCHMARK(BM_HostCsvBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SegmentSheet(benchmark::State& state)
{
    const Table& t = segments();
    for (auto _ : state) {
        const long before = resetPeak();
        const sheets::SegmentSheet read = sheets::readSegmentSheet(t.book, "");
        report(state, before, read.segments.size());
    }
}
BENCHMARK(BM_SegmentSheet)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SegmentCsvBaseline(benchmark::State& state)
{
    const Table& t = segments();
    for (auto _ : state) {
        const long before = resetPeak();
        std::vector<textio::Problem> notes;
        const auto read = plan::parseSegments(whole(t.csv), notes);
        report(state, before, read.size());
    }
}
BENCHMARK(BM_SegmentCsvBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder());
}
