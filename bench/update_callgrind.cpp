// Driver for bench/callgrind_update.sh: N updates one way, each inside a
// function that callgrind collects alone (--toggle-collect), so setup,
// the lab's start and the library loads are left out.
//   update_callgrind ours|curl N
#include "curl_update.h"

#include <cstdlib>
#include <cstring>

namespace {

// Collected by callgrind; keep the names in step with the script.
__attribute__((noinline)) bool CollectOurUpdate(IIPUpdate* updater, BSTR address) {
    return vantrel::bench::RunOurUpdate(updater, address);
}

__attribute__((noinline)) bool CollectCurlUpdate(vantrel::bench::CurlUpdate& curl) {
    return curl.Run();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "ours") != 0 && std::strcmp(argv[1], "curl") != 0)) {
        std::fprintf(stderr, "usage: update_callgrind ours|curl N\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int failures = 0;
    {
        vantrel::bench::LabProcess lab;
        if (lab.Port() == 0) {
            std::fprintf(stderr, "update_callgrind: vantrel-lab did not start\n");
            return 1;
        }
        if (std::strcmp(argv[1], "ours") == 0) {
            vantrel::ComPtr<IIPUpdate> updater = vantrel::bench::MakeDipDnsUpdater(lab.Port());
            BSTR address = vantrel::Text(vantrel::bench::kAddress).ToBstr();
            for (int i = 0; i < count; ++i) {
                failures += CollectOurUpdate(updater.Get(), address) ? 0 : 1;
            }
            SysFreeString(address);
        } else {
            vantrel::bench::CurlUpdate curl(lab.Port());
            for (int i = 0; i < count; ++i) {
                failures += CollectCurlUpdate(curl) ? 0 : 1;
            }
        }
    }
    curl_global_cleanup();
    std::printf("%s: %d updates, %d failed\n", argv[1], count, failures);
    return failures == 0 ? 0 : 1;
}
