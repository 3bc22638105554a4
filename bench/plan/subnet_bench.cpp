// What lies inside the subnets, at size: a plan of 10,000 subnets and 100,000 hosts, all
// of it checked (goal 100 ms), and one host edited and undone (goal far below 16 ms). The
// baseline in the same run sorts the hosts' addresses once, the least a sort-based check does.
//   build/bench/plan/subnet_bench
#include <benchmark/benchmark.h>

#include <algorithm>

#include "plan/commands.h"
#include "plan/subnet.h"

namespace {

using namespace mq;

// 10.0.0.0/10 in /24s, the first 10,000 assigned under one set of rules, ten hosts in each.
const plan::Plan& campus()
{
    static const plan::Plan plan = [] {
        plan::Plan p({net::Address::v4(0x0A000000), 10});
        (void)p.split(p.root(), 16384);
        plan::Settings s;
        s.layout = {plan::GatewayRule::FirstUsable, 2, plan::RangeRule::UpperHalf, 0, 0, plan::Dhcp6Mode::Slaac};
        p.setSettings(s);
        std::vector<plan::Host> hosts;
        for (int i = 0; i < 10000; ++i) {
            const plan::BlockId b = p.block(p.root()).children[static_cast<std::size_t>(i)];
            (void)p.setAssigned(b, true);
            (void)p.setName(b, "lan" + std::to_string(i));
            for (std::uint32_t h = 0; h < 10; ++h) {
                const std::uint32_t n = static_cast<std::uint32_t>(i) * 10 + h;
                net::Mac mac{{0x02, 0, static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                              static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)}};
                const auto at = static_cast<std::uint32_t>(p.block(b).prefix.address.value) + 10 + h;
                hosts.push_back({.name = "host-" + std::to_string(n), .v4 = net::Address::v4(at), .mac = mac});
            }
        }
        (void)plan::History().run(p, plan::makeAddHosts(std::move(hosts)));
        return p;
    }();
    return plan;
}

void BM_CheckSubnets(benchmark::State& state)
{
    const plan::Plan& plan = campus();
    std::size_t problems = 0;
    for (auto _ : state) {
        problems = plan::checkSubnets(plan).size();
        benchmark::DoNotOptimize(problems);
    }
    state.counters["problems"] = static_cast<double>(problems);
    state.counters["hosts"] = static_cast<double>(plan.hosts().size());
}
BENCHMARK(BM_CheckSubnets)->Unit(benchmark::kMillisecond);

void BM_SortAddresses(benchmark::State& state)
{
    std::vector<net::Address> all;
    for (const plan::Host& h : campus().hosts())
        all.push_back(*h.v4);
    std::reverse(all.begin(), all.end());
    for (auto _ : state) {
        std::vector<net::Address> copy = all;
        std::sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_SortAddresses)->Unit(benchmark::kMillisecond);

void BM_EditOneHost(benchmark::State& state)
{
    plan::Plan plan = campus();
    plan::History history;
    plan::Host h = plan.hosts()[50'000];
    h.name = "printer-2";
    for (auto _ : state) {
        (void)history.run(plan, plan::makeEditHost(50'000, h));
        history.undo(plan);
    }
}
BENCHMARK(BM_EditOneHost)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
