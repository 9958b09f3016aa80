// One template update against vantrel-lab on loopback: DoEntryPoint next
// to libcurl sending the same GET, in the same run. Each makes a new
// connection per update; compare the CPU columns.
#include "curl_update.h"

#include <benchmark/benchmark.h>

namespace {

using vantrel::bench::LabProcess;

LabProcess* g_lab = nullptr;

void DoEntryPointDipDns(benchmark::State& state) {
    vantrel::ComPtr<IIPUpdate> updater = vantrel::bench::MakeDipDnsUpdater(g_lab->Port());
    BSTR address = vantrel::Text(vantrel::bench::kAddress).ToBstr();
    for (auto _ : state) {
        if (!vantrel::bench::RunOurUpdate(updater.Get(), address)) {
            state.SkipWithError("update failed");
            break;
        }
    }
    SysFreeString(address);
}

void CurlSameGet(benchmark::State& state) {
    vantrel::bench::CurlUpdate curl(g_lab->Port());
    for (auto _ : state) {
        if (!curl.Run()) {
            state.SkipWithError("request failed");
            break;
        }
    }
}

BENCHMARK(DoEntryPointDipDns)->Unit(benchmark::kMicrosecond);
BENCHMARK(CurlSameGet)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    LabProcess lab;
    if (lab.Port() == 0) {
        std::fprintf(stderr, "update_bench: vantrel-lab did not start\n");
        return 1;
    }
    g_lab = &lab;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
