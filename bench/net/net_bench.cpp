// The engine's hot paths without process start or output: one split row formatted,
// a row sought far into a 2^96-row split, and the summary of a million prefixes.
#include "net/split.h"
#include "net/summarize.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace mq::net;

void BM_SplitRowFormatted(benchmark::State& state) {
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
void BM_SplitSeek(benchmark::State& state) {
  const Splitter s({Address::v6(u128{0x20010DB8} << 96), 32}, 128);
  const u128 index = state.range(0) ? s.lastIndex() - 1000 : 0;
  for (auto _ : state) benchmark::DoNotOptimize(s.row(index));
}
BENCHMARK(BM_SplitSeek)->Arg(0)->Arg(1);

void BM_Summarize(benchmark::State& state) {
  std::mt19937 rng(7);
  std::vector<Range> ranges;
  for (int i = 0; i < state.range(0); ++i) {
    const int length = std::uniform_int_distribution<int>(16, 28)(rng);
    const Prefix p{Address::v4(static_cast<std::uint32_t>(rng())), length};
    ranges.push_back({p.network(), p.last()});
  }
  for (auto _ : state) benchmark::DoNotOptimize(summarize(ranges));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Summarize)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
