// Every file type of the planner's Export dialog for the campus at size
// (bench/plan/big_campus.h), as the form makes it, written to memory: which of them keep the
// window waiting beyond ~100 ms, and so are made on a worker instead. And the copy of the plan
// such a worker reads, taken on the window's thread before it starts.
//   build/bench/planner/planner_bench --benchmark_filter=Export
#include "bench/plan/big_campus.h"
#include "plan/document.h"
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mq;

struct CampusForm {
    test::FakePlannerServices sv;
    planner::PlannerForm form{sv};
    CampusForm()
    {
        sv.files["/campus.mqplan"] = plan::writeDocument(bench::bigCampus());
        plan::IpamValues values;
        values.section = "Campus";  // phpIPAM's files need one
        if (!form.openFile("/campus.mqplan") || !form.setIpamValues(values))
            std::abort();
    }
};

CampusForm& campus()
{
    static CampusForm c;
    return c;
}

const char* const kTypeNames[] = {
    "allocations CSV",   "leaves CSV",    "report",    "NetBox prefixes",      "phpIPAM subnets",
    "vsc JSON",          "subnets CSV",   "hosts CSV", "NetBox addresses",     "NetBox ranges",
    "phpIPAM addresses", "hosts file",    "workbook",  "allocations workbook", "leaves workbook",
    "subnets workbook",  "hosts workbook"};

void BM_ExportCampus(benchmark::State& state)
{
    CampusForm& c = campus();
    const int type = static_cast<int>(state.range(0));
    state.SetLabel(kTypeNames[type]);
    for (auto _ : state) {
        c.sv.messages.clear();
        if (!c.form.exportTo("/out", type)) {
            state.SkipWithError(c.sv.messages.empty() ? "refused" : c.sv.messages.back().c_str());
            break;
        }
    }
    state.counters["bytes_MB"] = static_cast<double>(c.sv.files["/out"].size()) / (1 << 20);
}
BENCHMARK(BM_ExportCampus)
    ->DenseRange(planner::ExportAllocations, planner::ExportHostsWorkbook)
    ->Unit(benchmark::kMillisecond);

void BM_ExportSnapshot(benchmark::State& state)
{
    const plan::Plan& p = campus().form.plan();
    for (auto _ : state) {
        plan::Plan copy = p;
        benchmark::DoNotOptimize(copy.hosts().size());
    }
}
BENCHMARK(BM_ExportSnapshot)->Unit(benchmark::kMillisecond);

}  // namespace
