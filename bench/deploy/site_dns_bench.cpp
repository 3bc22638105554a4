// `mqnet plan dns` on a site at size, the whole command as a user runs it: the plan read from
// its file, the zones built, every file written into the folder with its flush and renames.
// 10,000 /27 subnets with 100,000 hosts; goals: 1 s with the PTRs in the /24s' zones, 3 s
// with an RFC 2317 child zone for every block. Baselines in the same run: reading the plan
// alone, and the same bytes written into the same folder as one file.
//   build/bench/deploy/site_dns_bench [--benchmark_filter=...]
// Args: delegation (0 none, 1 all), folder (0 tmpfs /dev/shm, 1 disk /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"
#include "app/mqnet/plan_files.h"
#include "deploy/folder.h"
#include "deploy/zones.h"
#include "plan/document.h"
#include "plan/subnet.h"

namespace {

using namespace mq;

constexpr int kBlocks = 10000, kHostsEach = 10;

// 10.0.0.0/13 in /27s, the first 10,000 assigned, each with its gateway and ten hosts; a name
// server on an address of the first block that no host has.
plan::Plan site(plan::Rfc2317 delegation)
{
    plan::Plan p({net::Address::v4(0x0A000000), 13});
    (void)p.split(p.roots()[0], 16384);
    plan::Settings s;
    s.layout.gateway = plan::GatewayRule::FirstUsable;
    p.setSettings(s);
    const std::vector<plan::BlockId> blocks = p.block(p.roots()[0]).children;
    std::vector<plan::Host> hosts;
    hosts.reserve(kBlocks * kHostsEach);
    for (int i = 0; i < kBlocks; ++i) {
        (void)p.setName(blocks[i], "seg-" + std::to_string(i));
        (void)p.setAssigned(blocks[i], true, 20);
        const net::Address base = p.block(blocks[i]).prefix.address;
        for (int j = 0; j < kHostsEach; ++j) {
            plan::Host h;
            h.name = "h" + std::to_string(j) + ".seg-" + std::to_string(i);
            h.v4 = net::Address{base.value + 10 + j, base.family};
            hosts.push_back(std::move(h));
        }
    }
    p.swapHosts(hosts);
    plan::OutputSettings o;
    o.domain = "site.example";
    o.nameServers = {{"ns1.site.example", {net::Address::v4(0x0A000005)}}};
    o.rfc2317 = delegation;
    p.setOutputSettings(o);
    return p;
}

std::string makeFolder(const char* under, const std::string& name)
{
    std::string pattern = std::string(under) + "/" + name + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return {};
    return pattern;
}

struct Site {
    std::string planFile, folder;
    std::size_t files = 0, bytes = 0;
};

// The plan's file and an empty folder for the zones, made once for each delegation and place,
// and the command run once so that the serials are recorded, as at a site after its first run.
const Site& prepared(int delegation, int place)
{
    static Site sites[2][2];
    Site& s = sites[delegation][place];
    if (!s.planFile.empty())
        return s;
    const char* under = place == 0 ? "/dev/shm" : "/tmp";
    const std::string base = makeFolder(under, "mq-site-dns");
    s.planFile = base + "/site.mqplan";
    s.folder = base + "/zones";
    std::filesystem::create_directory(s.folder);
    const plan::Plan p = site(delegation ? plan::Rfc2317::All : plan::Rfc2317::None);
    (void)mqnet::writePlanDocument(s.planFile, p);
    const auto z = deploy::writeZones(deploy::prepare(p, {}, {deploy::Output::Zones}), deploy::todayUtc());
    if (const auto* out = std::get_if<deploy::ZoneOutput>(&z)) {
        s.files = out->files.size();
        for (const deploy::OutputFile& f : out->files)
            s.bytes += f.text.size();
    }
    return s;
}

int runDns(const Site& s)
{
    const int null = ::open("/dev/null", O_WRONLY);
    int status = 0;
    {
        mqnet::BufferedWriter out(null), err(null);
        mqnet::Faults faults(err);
        status = mqnet::runCommandLine({"plan", "dns", "-d", s.folder, s.planFile}, out, faults);
    }
    ::close(null);
    return status;
}

// Args: delegation, folder, and what the folder holds before each run: 0 nothing (the first
// run at a site: every file made), 1 the same files (a run with nothing changed: every file
// read and compared, none written).
void BM_PlanDns(benchmark::State& state)
{
    const Site& s = prepared(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool fresh = state.range(2) == 0;
    if (runDns(s) != 0) {
        state.SkipWithError("plan dns failed");
        return;
    }
    for (auto _ : state) {
        if (fresh) {
            state.PauseTiming();
            for (const auto& e : std::filesystem::directory_iterator(s.folder))
                std::filesystem::remove(e.path());
            state.ResumeTiming();
        }
        if (runDns(s) != 0) {
            state.SkipWithError("plan dns failed");
            break;
        }
    }
    state.counters["files"] = static_cast<double>(s.files);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.bytes));
}
BENCHMARK(BM_PlanDns)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Baseline: the plan read from its file, what every run starts with.
void BM_BaselineReadPlan(benchmark::State& state)
{
    const Site& s = prepared(0, 0);
    for (auto _ : state) {
        std::ifstream in(s.planFile, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        auto p = plan::readDocument(text);
        benchmark::DoNotOptimize(&p);
    }
}
BENCHMARK(BM_BaselineReadPlan)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Baseline: the bytes of all the zone files as one file, written as the folder writes (arg:
// delegation, folder).
void BM_BaselineOneFile(benchmark::State& state)
{
    const Site& s = prepared(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<deploy::OutputFile> one{{"all-zones", std::string(s.bytes, 'x')}};
    for (auto _ : state) {
        one[0].text[0] = one[0].text[0] == 'x' ? 'y' : 'x';  // a file holding its text is left alone
        if (const std::string why = deploy::writeFolder(s.folder, one); !why.empty()) {
            state.SkipWithError(why.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.bytes));
}
BENCHMARK(BM_BaselineOneFile)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
