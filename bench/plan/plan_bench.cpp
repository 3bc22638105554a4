// The network planner at size: 10,000 segments allocated into a /8, into an IPv6 /32 and
// dual-stack into both at once (goal 50 ms), and a plan of 1,025,537 blocks opened and saved
// (goal 2 s each). Each figure has a baseline in the same run: sorting the same segments by
// size, and reading or writing the same bytes with nothing done to them.
//   build/bench/plan/plan_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "plan/commands.h"
#include "plan/document.h"

namespace {

using namespace mq;

// Campus-like segments: mostly LANs of up to 250 hosts, some larger, links of 1 and 2
// hosts, a VLAN on most; every fourth has a fixed IPv6 length (/56 to /64, a building).
std::vector<plan::Segment> segments()
{
    std::mt19937_64 rng(42);
    std::vector<plan::Segment> out;
    for (int i = 0; i < 10000; ++i) {
        plan::Segment s{"seg" + std::to_string(i), 1 + rng() % (rng() % 8 ? 250 : 2000),
                        static_cast<double>(rng() % 5 * 10)};
        if (i % 7 == 0)
            s.hosts = 1 + rng() % 2;
        if (i % 4 == 0)
            s.fixedLength6 = 56 + static_cast<int>(rng() % 9);
        s.vlan = 1 + i % 4094;
        out.push_back(std::move(s));
    }
    return out;
}

// 0: 10.0.0.0/8, 1: 2001:db8::/32, 2: both (dual-stack).
plan::Plan rootsOf(int which)
{
    const net::Prefix v4{net::Address::v4(0x0A000000), 8}, v6{net::Address::v6(net::u128{0x20010db8} << 96), 32};
    plan::Plan p(which == 1 ? v6 : v4);
    if (which == 2)
        (void)p.addRoot(v6);
    return p;
}

void BM_Allocate(benchmark::State& state)
{
    const auto segs = segments();
    const plan::Plan plan = rootsOf(static_cast<int>(state.range(0)));
    std::size_t placed = 0;
    for (auto _ : state) {
        const auto result = plan::allocate(plan, plan.roots(), segs);
        placed =
            static_cast<std::size_t>(std::count_if(result.begin(), result.end(), [](auto& p) { return p.placed(); }));
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["placed"] = static_cast<double>(placed);
}
BENCHMARK(BM_Allocate)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"roots"})->Unit(benchmark::kMillisecond);

// The Allocate command: allocate() and the blocks it makes, named, assigned and coloured.
void BM_AllocateCommand(benchmark::State& state)
{
    const auto segs = segments();
    std::size_t blocks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        plan::Plan plan = rootsOf(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        auto cmd = plan::makeAllocate(plan.roots(), segs);
        benchmark::DoNotOptimize(cmd->apply(plan));
        blocks = plan.blockCount();
    }
    state.counters["blocks"] = static_cast<double>(blocks);
}
BENCHMARK(BM_AllocateCommand)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"roots"})->Unit(benchmark::kMillisecond);

// Baseline: the segments' sizes sorted, the least any largest-first placement does.
void BM_BaselineSortSegments(benchmark::State& state)
{
    const auto segs = segments();
    for (auto _ : state) {
        std::vector<std::pair<net::u128, std::size_t>> keys;
        keys.reserve(segs.size());
        for (std::size_t i = 0; i < segs.size(); ++i)
            keys.emplace_back(segs[i].hosts, i);
        std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first > b.first; });
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_BaselineSortSegments)->Unit(benchmark::kMillisecond);

// 10.0.0.0/8 in 65,536 /24s, 60,000 of them split into 16 /28s, names and notes on many,
// a third assigned: 1,025,537 blocks.
const plan::Plan& bigPlan()
{
    static const plan::Plan plan = [] {
        plan::Plan p = rootsOf(0);
        (void)p.split(p.root(), 65536);
        const auto parts = p.block(p.root()).children;
        for (std::size_t i = 0; i < 60000; ++i)
            (void)p.split(parts[i], 16);
        std::size_t n = 0;
        for (plan::BlockId b : p.leaves()) {
            if (n % 2)
                (void)p.setName(b, "site " + std::to_string(n));
            if (n % 5 == 0)
                (void)p.setNote(b, "rack " + std::to_string(n % 40) + ", \"east\" hall");
            if (n % 3 == 0)
                (void)p.setAssigned(b, true, 10, 10);
            if (n % 6 == 0)
                (void)p.setVlan(b, 1 + static_cast<int>(n % 4094));
            ++n;
        }
        return p;
    }();
    return plan;
}

std::string path()
{
    return "/tmp/maskquill-plan-bench.mqplan";
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeFile(const std::string& name, const std::string& text)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

void BM_OpenPlan(benchmark::State& state)
{
    writeFile(path(), plan::writeDocument(bigPlan()));
    std::size_t blocks = 0, bytes = 0;
    for (auto _ : state) {
        const std::string text = readFile(path());
        auto r = plan::readDocument(text);
        if (!std::holds_alternative<plan::Plan>(r))
            state.SkipWithError("the document did not read back");
        else
            blocks = std::get<plan::Plan>(r).blockCount();
        bytes = text.size();
    }
    state.counters["blocks"] = static_cast<double>(blocks);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_OpenPlan)->Unit(benchmark::kMillisecond);

// Baseline: the same file read and every line end counted.
void BM_BaselineReadFile(benchmark::State& state)
{
    writeFile(path(), plan::writeDocument(bigPlan()));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = readFile(path());
        benchmark::DoNotOptimize(std::count(text.begin(), text.end(), '\n'));
        bytes = text.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_BaselineReadFile)->Unit(benchmark::kMillisecond);

void BM_SavePlan(benchmark::State& state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = plan::writeDocument(bigPlan());
        if (!writeFile(path(), text))
            state.SkipWithError("cannot write /tmp");
        bytes = text.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SavePlan)->Unit(benchmark::kMillisecond);

// Baseline: the same bytes, already made, copied and written.
void BM_BaselineWriteFile(benchmark::State& state)
{
    const std::string made = plan::writeDocument(bigPlan());
    for (auto _ : state) {
        const std::string text = made;
        if (!writeFile(path(), text))
            state.SkipWithError("cannot write /tmp");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * made.size()));
}
BENCHMARK(BM_BaselineWriteFile)->Unit(benchmark::kMillisecond);

void BM_LeavesCsv(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(plan::leavesCsv(bigPlan()).size());
}
BENCHMARK(BM_LeavesCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
