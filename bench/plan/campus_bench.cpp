// Inside the subnets of a campus at size (bench/plan/big_campus.h). Goals: open and save
// 1 s each, every check 100 ms, one host edit (the command through the history and the host
// index the panel draws from) 16 ms. Each has a baseline in the same run: the same bytes
// appended line by line or counted, the host addresses sorted, one pass over the hosts.
//   build/bench/plan/campus_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "bench/plan/big_campus.h"
#include "plan/commands.h"
#include "plan/document.h"

namespace {

using namespace mq;

const plan::Plan& campus()
{
    static const plan::Plan plan = bench::bigCampus();
    return plan;
}

const std::string& campusText()
{
    static const std::string text = plan::writeDocument(campus());
    return text;
}

void BM_SaveCampus(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(plan::writeDocument(campus()).size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * campusText().size()));
}
BENCHMARK(BM_SaveCampus)->Unit(benchmark::kMillisecond);

// Baseline: the same bytes appended to a string line by line.
void BM_BaselineAppendLines(benchmark::State& state)
{
    const std::string& text = campusText();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::appendLines(text).data());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BaselineAppendLines)->Unit(benchmark::kMillisecond);

void BM_OpenCampus(benchmark::State& state)
{
    std::size_t hosts = 0;
    for (auto _ : state) {
        auto r = plan::readDocument(campusText());
        if (!std::holds_alternative<plan::Plan>(r)) {
            state.SkipWithError(std::get<textio::Problem>(r).message.c_str());
            break;
        }
        hosts = std::get<plan::Plan>(r).hosts().size();
    }
    state.counters["hosts"] = static_cast<double>(hosts);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * campusText().size()));
}
BENCHMARK(BM_OpenCampus)->Unit(benchmark::kMillisecond);

// Baseline: the same bytes with their line ends counted.
void BM_BaselineCountLines(benchmark::State& state)
{
    const std::string& text = campusText();
    for (auto _ : state) {
        std::size_t lines = 0;
        for (const char* at = text.data();
             (at = static_cast<const char*>(std::memchr(at, '\n', text.size() - (at - text.data())))) != nullptr; ++at)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BaselineCountLines)->Unit(benchmark::kMillisecond);

void BM_CheckSubnets(benchmark::State& state)
{
    std::size_t problems = 0;
    for (auto _ : state)
        problems = plan::checkSubnets(campus()).size();
    state.counters["problems"] = static_cast<double>(problems);
}
BENCHMARK(BM_CheckSubnets)->Unit(benchmark::kMillisecond);

// Baseline: every host address copied and sorted, the least a search for duplicates does.
void BM_BaselineSortAddresses(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<net::Address> all;
        all.reserve(campus().hosts().size() * 2);
        for (const plan::Host& h : campus().hosts()) {
            if (h.v4)
                all.push_back(*h.v4);
            if (h.v6)
                all.push_back(*h.v6);
        }
        std::sort(all.begin(), all.end());
        benchmark::DoNotOptimize(all.data());
    }
}
BENCHMARK(BM_BaselineSortAddresses)->Unit(benchmark::kMillisecond);

// One host edited as the panel does it: the command through the history, then the host
// index and the counts of the host's block, which the panel draws from. Undone between
// runs, untimed, so that every run edits the same plan.
void BM_EditHost(benchmark::State& state)
{
    plan::Plan p = campus();
    plan::History history;
    const std::size_t at = p.hosts().size() / 2;
    const plan::BlockId block = plan::hostBlock(p, p.hosts()[at], net::Family::V4);
    int n = 0;
    for (auto _ : state) {
        plan::Host h = p.hosts()[at];
        h.note = "moved " + std::to_string(++n);
        h.v4->value += 200;  // past the range, still in the block
        const std::string r = history.run(p, plan::makeEditHost(at, std::move(h)));
        const plan::HostIndex index(p);
        benchmark::DoNotOptimize(plan::countSubnet(p, block, index).statics);
        state.PauseTiming();
        if (!r.empty())
            state.SkipWithError(r.c_str());
        history.undo(p);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditHost)->Unit(benchmark::kMillisecond);

// Baseline: one pass over the hosts, reading each address, the least an index of them does.
void BM_BaselineHostPass(benchmark::State& state)
{
    for (auto _ : state) {
        net::u128 sum = 0;
        for (const plan::Host& h : campus().hosts())
            sum += (h.v4 ? h.v4->value : 0) + (h.v6 ? h.v6->value : 0);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BaselineHostPass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
