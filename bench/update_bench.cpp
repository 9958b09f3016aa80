// One template update against vantrel-lab on loopback: DoEntryPoint next
// to libcurl sending the same GET, in the same run; and one LinuxRC update
// (a GnuDIP exchange over TCP with two MD5 digests), to compare with the
// DipDNS one. Each makes a new connection per update; compare the CPU
// columns.
#include "curl_update.h"

#include <benchmark/benchmark.h>

namespace {

using vantrel::bench::LabProcess;

LabProcess* g_lab = nullptr;

void RunUpdates(benchmark::State& state, IIPUpdate* updater) {
    BSTR address = vantrel::Text(vantrel::bench::kAddress).ToBstr();
    for (auto _ : state) {
        if (updater == nullptr || !vantrel::bench::RunOurUpdate(updater, address)) {
            state.SkipWithError("update failed");
            break;
        }
    }
    SysFreeString(address);
}

void DoEntryPointDipDns(benchmark::State& state) {
    RunUpdates(state, vantrel::bench::MakeDipDnsUpdater(g_lab->Port()).Get());
}

void DoEntryPointLinuxRc(benchmark::State& state) {
    RunUpdates(state, vantrel::bench::MakeLinuxRcUpdater(g_lab->GnuDipPort()).Get());
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
BENCHMARK(DoEntryPointLinuxRc)->Unit(benchmark::kMicrosecond);

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
