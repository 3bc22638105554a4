// The configuration of a campus at size (bench/plan/big_campus.h: 10,000 subnets, 100,000
// hosts, dual-stack): its Kea DHCPv4 and DHCPv6 configuration and its BIND zones with the
// named.conf fragment. Goal: 1 s each; baseline in the same run: the same bytes appended to
// a string line by line.
//   build/bench/deploy/deploy_bench
#include <benchmark/benchmark.h>

#include "bench/plan/big_campus.h"
#include "deploy/kea.h"
#include "deploy/zones.h"

namespace {

using namespace mq;

constexpr std::uint32_t kToday = 20261210;

const plan::Plan& campus()
{
    static const plan::Plan plan = bench::bigCampusForOutput();
    return plan;
}

const plan::DhcpIds& ids()
{
    static const plan::DhcpIds all = deploy::assignDhcpIds(campus());
    return all;
}

// The faults' first message, for a plan the writers refuse (the bench then measures nothing).
template <class Faults> std::string firstFault(const Faults& faults)
{
    return faults.empty() ? "refused" : faults.front().message;
}

deploy::Output output(net::Family f)
{
    return f == net::Family::V4 ? deploy::Output::Kea4 : deploy::Output::Kea6;
}

// One output's text, every file after the other, or why it was refused.
std::variant<std::string, std::string> text(const std::vector<deploy::OutputFile>& files)
{
    std::string all;
    for (const deploy::OutputFile& f : files)
        all += f.text;
    return std::variant<std::string, std::string>(std::in_place_index<0>, std::move(all));
}

std::variant<std::string, std::string> kea(net::Family family)
{
    const deploy::Written w =
        deploy::writeKea(deploy::prepare(campus(), ids(), {output(family)}), family, deploy::KeaForm::Whole);
    if (const auto* faults = std::get_if<textio::Problems>(&w))
        return std::variant<std::string, std::string>(std::in_place_index<1>, firstFault(*faults));
    return text(std::get<std::vector<deploy::OutputFile>>(w));
}

std::variant<std::string, std::string> zones()
{
    const auto z = deploy::writeZones(deploy::prepare(campus(), {}, {deploy::Output::Zones}), kToday);
    if (const auto* faults = std::get_if<textio::Problems>(&z))
        return std::variant<std::string, std::string>(std::in_place_index<1>, firstFault(*faults));
    return text(std::get<deploy::ZoneOutput>(z).files);
}

const std::variant<std::string, std::string>& once(int which)
{
    static const std::variant<std::string, std::string> made[] = {kea(net::Family::V4), kea(net::Family::V6), zones()};
    return made[which];
}

// Arg: 4 for DHCPv4, 6 for DHCPv6.
void BM_Kea(benchmark::State& state)
{
    const auto family = state.range(0) == 4 ? net::Family::V4 : net::Family::V6;
    for (auto _ : state) {
        const deploy::Written w =
            deploy::writeKea(deploy::prepare(campus(), ids(), {output(family)}), family, deploy::KeaForm::Whole);
        if (const auto* faults = std::get_if<textio::Problems>(&w)) {
            state.SkipWithError(firstFault(*faults).c_str());
            break;
        }
        benchmark::DoNotOptimize(std::get<std::vector<deploy::OutputFile>>(w).size());
    }
    if (const auto* t = std::get_if<0>(&once(family == net::Family::V4 ? 0 : 1)))
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t->size()));
}
BENCHMARK(BM_Kea)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_Zones(benchmark::State& state)
{
    std::size_t files = 0;
    for (auto _ : state) {
        const auto z = deploy::writeZones(deploy::prepare(campus(), {}, {deploy::Output::Zones}), kToday);
        if (const auto* faults = std::get_if<textio::Problems>(&z)) {
            state.SkipWithError(firstFault(*faults).c_str());
            break;
        }
        files = std::get<deploy::ZoneOutput>(z).files.size();
    }
    state.counters["files"] = static_cast<double>(files);
    if (const auto* t = std::get_if<0>(&once(2)))
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t->size()));
}
BENCHMARK(BM_Zones)->Unit(benchmark::kMillisecond);

// Baselines: each output's bytes appended to a string line by line (arg: Kea4, Kea6, zones).
void BM_BaselineAppendLines(benchmark::State& state)
{
    const auto& made = once(static_cast<int>(state.range(0)));
    if (const auto* why = std::get_if<1>(&made)) {
        state.SkipWithError(why->c_str());
        return;
    }
    const std::string& t = std::get<0>(made);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::appendLines(t).data());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
}
BENCHMARK(BM_BaselineAppendLines)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
