// The planner's Hosts table over 100,000 hosts in 10,000 /24s: made afresh (the baseline:
// what a host edit cost while the tab showed before edits were placed one by one), one
// host edit placed in the table sorted by address, filtered by text and by prefix.
//   build/bench/planner/planner_bench --benchmark_filter=HostsTable
#include "plan/plan.h"
#include "planner/hosts_table.h"

#include <benchmark/benchmark.h>

namespace {

using mq::plan::BlockId;

const mq::plan::Plan& hostsPlan()
{
    static const mq::plan::Plan plan = [] {
        mq::plan::Plan p({mq::net::Address::v4(0x0A000000u), 8});
        p.split(p.root(), 1 << 14);  // /22s
        const auto parts = p.block(p.root()).children;
        for (std::size_t i = 0; i < 10'000; ++i) {
            p.setAssigned(parts[i], true, 100);
            p.setName(parts[i], "seg-" + std::to_string(i));
            for (unsigned k = 0; k < 10; ++k) {
                mq::plan::Host h;
                h.name = "h" + std::to_string(i) + "-" + std::to_string(k);
                h.v4 = p.block(parts[i]).prefix.address;
                h.v4->value += 10 + (k * 37) % 90;
                p.insertHost(p.hosts().size(), std::move(h));
            }
        }
        return p;
    }();
    return plan;
}

void BM_HostsTableMade100k(benchmark::State& state)
{
    const auto& plan = hostsPlan();
    for (auto _ : state) {
        mq::planner::HostsTable t;
        t.sort(mq::planner::HIpv4, false);
        t.setPlan(plan);
        benchmark::DoNotOptimize(t.rowCount());
    }
}

void BM_HostsTableOneEdit100k(benchmark::State& state)
{
    mq::plan::Plan plan = hostsPlan();
    mq::planner::HostsTable t;
    t.sort(mq::planner::HIpv4, false);
    t.setPlan(plan);
    std::size_t i = 0;
    for (auto _ : state) {
        // A host moved to another address of its block, as an edit of its IPv4 cell does.
        const std::size_t k = (i++ * 7919) % plan.hosts().size();
        mq::plan::Host h = plan.hosts()[k];
        h.v4->value ^= 1;
        plan.setHost(k, std::move(h));
        t.setPlan(plan);
        benchmark::DoNotOptimize(t.rowCount());
    }
}

void BM_HostsTableFilter100k(benchmark::State& state)
{
    mq::planner::HostsTable t;
    t.setPlan(hostsPlan());
    const char* filters[] = {"seg-77", "10.0.40.0/22", ""};
    int i = 0;
    for (auto _ : state) {
        t.setFilter(filters[i++ % 3]);
        benchmark::DoNotOptimize(t.rowCount());
    }
}

}  // namespace

BENCHMARK(BM_HostsTableMade100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostsTableOneEdit100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostsTableFilter100k)->Unit(benchmark::kMillisecond);
