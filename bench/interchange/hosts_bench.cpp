// Hosts in from a file at size: 100,000 rows of the hosts CSV into a plan of 10,000 /24s
// (goal 1 s from the text to the placed change), beside the CSV reader alone on the same
// bytes as a baseline, and the hosts CSV written back out.
//   build/bench/interchange/hosts_bench
#include <benchmark/benchmark.h>

#include "interchange/hosts_io.h"
#include "plan/commands.h"
#include "textio/csv.h"

namespace {

using namespace mq;

// 10.0.0.0/10 in /24s, the first 10,000 assigned.
plan::Plan campus()
{
    plan::Plan p(net::Prefix{net::Address::v4(0x0A000000u), 10});
    (void)p.split(p.root(), 16384);
    const auto leaves = p.leaves();
    for (std::size_t i = 0; i < 10000; ++i)
        (void)p.setAssigned(leaves[i], true, 20);
    return p;
}

// Ten hosts in each assigned /24, every other with a MAC.
std::string hostsFile()
{
    std::string out = "name,ipv4,mac,role,note\r\n";
    for (std::uint32_t s = 0; s < 10000; ++s)
        for (std::uint32_t h = 0; h < 10; ++h) {
            const std::uint32_t a = 0x0A000000u + s * 256 + 10 + h;
            char mac[32];
            std::snprintf(mac, sizeof mac, "02:00:%02x:%02x:%02x:%02x", (a >> 24) & 255, (a >> 16) & 255,
                          (a >> 8) & 255, a & 255);
            textio::appendCsvRow(out,
                                 {"h" + std::to_string(s) + "-" + std::to_string(h), net::format(net::Address::v4(a)),
                                  h % 2 ? mac : "", "server", "rack"},
                                 "\r\n");
        }
    return out;
}

void BM_ImportHosts(benchmark::State& state)
{
    const plan::Plan base = campus();
    const std::string file = hostsFile();
    for (auto _ : state) {
        state.PauseTiming();
        plan::Plan p = base;
        state.ResumeTiming();
        const auto check =
            interchange::checkHostImport(p, interchange::readHostFile(interchange::HostFormat::Csv, file));
        plan::History history;
        if (!history.run(p, interchange::makeHostImport(check)).empty() || p.hosts().size() != 100000)
            state.SkipWithError("not placed");
    }
}
BENCHMARK(BM_ImportHosts)->Unit(benchmark::kMillisecond);

void BM_ReadCsvBaseline(benchmark::State& state)
{
    const std::string file = hostsFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(textio::readCsv(file).records.size());
}
BENCHMARK(BM_ReadCsvBaseline)->Unit(benchmark::kMillisecond);

void BM_WriteHostsCsv(benchmark::State& state)
{
    plan::Plan p = campus();
    const auto check =
        interchange::checkHostImport(p, interchange::readHostFile(interchange::HostFormat::Csv, hostsFile()));
    plan::History history;
    (void)history.run(p, interchange::makeHostImport(check));
    for (auto _ : state)
        benchmark::DoNotOptimize(interchange::exportHosts(p, interchange::HostExport::Hosts, {}).text.size());
}
BENCHMARK(BM_WriteHostsCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
