// The document with what the configuration writers keep in it, at size: the big campus
// (bench/plan/big_campus.h) with its output settings, a Kea subnet ID for each of its 15,000
// assigned blocks and a serial for each of its 10,000 IPv4 reverse zones, its forward zone
// and its IPv6 one. Goal: save and open 1 s each; baseline in the same run: the same bytes
// appended line by line.
//   build/bench/deploy/outputs_document_bench
#include <benchmark/benchmark.h>

#include "bench/plan/big_campus.h"
#include "plan/document.h"

namespace {

using namespace mq;

const plan::Plan& campus()
{
    static const plan::Plan plan = [] {
        plan::Plan p = bench::bigCampusForOutput();
        plan::DhcpIds ids;
        plan::ZoneSerials zones{{"campus.example", {2026121001, 0x9E3779B97F4A7C15u}},
                                {"0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa", {2026121002, 0x0123456789ABCDEFu}}};
        for (plan::BlockId id : p.leaves()) {
            const net::Prefix& prefix = p.block(id).prefix;
            if (p.block(id).state == plan::BlockState::Free)
                continue;
            ids.emplace(prefix, static_cast<std::uint32_t>(ids.size() + 1));
            if (prefix.address.family != net::Family::V4)
                continue;
            const auto a = static_cast<std::uint32_t>(prefix.address.value);
            const std::string zone = std::to_string((a >> 8) & 255) + "." + std::to_string((a >> 16) & 255) + "." +
                                     std::to_string(a >> 24) + ".in-addr.arpa";
            zones.emplace(zone, plan::ZoneSerial{2026121001, a * 0x9E3779B97F4A7C15u});
        }
        p.setDhcpIds(std::move(ids));
        p.setZoneSerials(std::move(zones));
        return p;
    }();
    return plan;
}

const std::string& campusText()
{
    static const std::string text = plan::writeDocument(campus());
    return text;
}

void BM_SaveWithOutputs(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(plan::writeDocument(campus()).size());
    state.counters["ids"] = static_cast<double>(campus().dhcpIds().size());
    state.counters["zones"] = static_cast<double>(campus().zoneSerials().size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * campusText().size()));
}
BENCHMARK(BM_SaveWithOutputs)->Unit(benchmark::kMillisecond);

void BM_OpenWithOutputs(benchmark::State& state)
{
    for (auto _ : state) {
        auto r = plan::readDocument(campusText());
        if (!std::holds_alternative<plan::Plan>(r)) {
            state.SkipWithError(std::get<textio::Problem>(r).message.c_str());
            break;
        }
        benchmark::DoNotOptimize(std::get<plan::Plan>(r).dhcpIds().size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * campusText().size()));
}
BENCHMARK(BM_OpenWithOutputs)->Unit(benchmark::kMillisecond);

// Baseline: the same bytes appended to a string line by line.
void BM_BaselineAppendLines(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::appendLines(campusText()).data());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * campusText().size()));
}
BENCHMARK(BM_BaselineAppendLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
