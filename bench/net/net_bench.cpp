// The engine's hot paths without process start or output: one split row formatted,
// a row sought far into a 2^96-row split, the summary of a million prefixes, set
// operations on a million prefixes of each family, overlaps, and addresses found in a log.
#include "net/address_scan.h"
#include "net/address_set.h"
#include "net/overlaps.h"
#include "net/split.h"
#include "net/summarize.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace mq::net;

void BM_SplitRowFormatted(benchmark::State& state)
{
    const Splitter s({Address::v4(0x0A000000), 8}, 30);
    std::string line;
    u128 i = 0;
    for (auto _ : state) {
        const SubnetRow r = s.row(i);
        line.clear();
        appendFormat(line, r.network.address);
        appendFormat(line, r.first);
        appendFormat(line, r.last);
        appendFormat(line, *r.broadcast);
        benchmark::DoNotOptimize(line.data());
        i = (i + 1) & s.lastIndex();
    }
}
BENCHMARK(BM_SplitRowFormatted);

// Seeking: the same cost for row 0 as for a row near the end of 2001:db8::/32 at /128.
void BM_SplitSeek(benchmark::State& state)
{
    const Splitter s({Address::v6(u128{0x20010DB8} << 96), 32}, 128);
    const u128 index = state.range(0) ? s.lastIndex() - 1000 : 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.row(index));
}
BENCHMARK(BM_SplitSeek)->Arg(0)->Arg(1);

void BM_Summarize(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::vector<Range> ranges;
    for (int i = 0; i < state.range(0); ++i) {
        const int length = std::uniform_int_distribution<int>(16, 28)(rng);
        const Prefix p{Address::v4(static_cast<std::uint32_t>(rng())), length};
        ranges.push_back({p.network(), p.last()});
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(summarize(ranges));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Summarize)->Arg(1000000)->Unit(benchmark::kMillisecond);

// n random prefixes: IPv4 /16 to /28, or IPv6 /48 to /60 inside 2001:db8::/32.
std::vector<Range> randomPrefixes(int n, Family f, unsigned seed)
{
    std::mt19937_64 rng(seed);
    std::vector<Range> out;
    for (int i = 0; i < n; ++i) {
        const Prefix p = f == Family::V4
                             ? Prefix{Address::v4(static_cast<std::uint32_t>(rng())), static_cast<int>(16 + rng() % 13)}
                             : Prefix{Address::v6(u128{0x20010DB8} << 96 | (u128{rng()} << 32 | rng() >> 32)),
                                      static_cast<int>(48 + rng() % 13)};
        out.push_back({p.network(), p.last()});
    }
    return out;
}

// Arg 0: IPv4, 1: IPv6. The union builds the set from a million items; the others take
// two sets already built (a million and a hundred thousand items).
void BM_SetUnion(benchmark::State& state)
{
    const auto items = randomPrefixes(1000000, state.range(0) ? Family::V6 : Family::V4, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(AddressSet::of(items));
}
BENCHMARK(BM_SetUnion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

template <AddressSet (*op)(const AddressSet&, const AddressSet&, CancelFlag)>
void BM_SetOperation(benchmark::State& state)
{
    const Family f = state.range(0) ? Family::V6 : Family::V4;
    const AddressSet a = AddressSet::of(randomPrefixes(1000000, f, 1)),
                     b = AddressSet::of(randomPrefixes(100000, f, 2));
    for (auto _ : state)
        benchmark::DoNotOptimize(op(a, b, nullptr));
}
BENCHMARK(BM_SetOperation<subtract>)->Name("BM_SetExcept")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetOperation<intersect>)->Name("BM_SetIntersect")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Overlaps(benchmark::State& state)
{
    const auto items = randomPrefixes(static_cast<int>(state.range(0)), Family::V4, 3);
    std::size_t pairs = 0;
    for (auto _ : state)
        visitOverlaps(items, [&](const OverlapPair&) { ++pairs; });
    state.counters["pairs"] = static_cast<double>(pairs) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Overlaps)->Arg(100000)->Unit(benchmark::kMillisecond);

// Lines of a web server's log, each searched for its addresses and every address looked up
// in a set of 10,000 prefixes: the work of mqnet grep without reading or writing.
void BM_GrepLines(benchmark::State& state)
{
    std::mt19937 rng(4);
    std::vector<std::string> lines;
    for (int i = 0; i < 100000; ++i) {
        const std::uint32_t a = rng();
        lines.push_back(format(Address::v4(a)) + " - - [09/Dec/2026:10:" + std::to_string(10 + i % 50) + ":" +
                        std::to_string(10 + i % 49) + " +0000] \"GET /static/app" + std::to_string(i % 97) +
                        ".js HTTP/1.1\" 200 " + std::to_string(rng() % 100000));
    }
    const AddressMatcher set(AddressSet::of(randomPrefixes(10000, Family::V4, 5)));
    std::size_t selected = 0, bytes = 0;
    for (const std::string& l : lines)
        bytes += l.size() + 1;
    for (auto _ : state)
        for (const std::string& l : lines) {
            bool hit = false;
            scanAddresses(l, [&](const FoundAddress& f) { return !(hit = set.contains(f.address)); });
            selected += hit;
        }
    benchmark::DoNotOptimize(selected);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_GrepLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
