// Driver for bench/callgrind_update.sh: N updates one way, each inside a
// function that callgrind collects alone (--toggle-collect), so setup,
// the lab's start and the library loads are left out. "linuxrc" runs
// LinuxRC's GnuDIP exchange through the same function as "ours".
//   update_callgrind ours|curl|linuxrc N
#include "curl_update.h"

#include <cstdlib>
#include <string>

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
    const std::string way = argc == 3 ? argv[1] : "";
    if (way != "ours" && way != "curl" && way != "linuxrc") {
        std::fprintf(stderr, "usage: update_callgrind ours|curl|linuxrc N\n");
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
        if (way != "curl") {
            vantrel::ComPtr<IIPUpdate> updater =
                way == "ours" ? vantrel::bench::MakeDipDnsUpdater(lab.Port())
                              : vantrel::bench::MakeLinuxRcUpdater(lab.GnuDipPort());
            BSTR address = vantrel::Text(vantrel::bench::kAddress).ToBstr();
            // One update outside the collection: first-use set-up (OpenSSL's
            // providers, the resolver) is not a cost per update.
            failures += vantrel::bench::RunOurUpdate(updater.Get(), address) ? 0 : 1;
            for (int i = 0; i < count; ++i) {
                failures += CollectOurUpdate(updater.Get(), address) ? 0 : 1;
            }
            SysFreeString(address);
        } else {
            vantrel::bench::CurlUpdate curl(lab.Port());
            failures += curl.Run() ? 0 : 1;
            for (int i = 0; i < count; ++i) {
                failures += CollectCurlUpdate(curl) ? 0 : 1;
            }
        }
    }
    curl_global_cleanup();
    std::printf("%s: %d updates, %d failed\n", argv[1], count, failures);
    return failures == 0 ? 0 : 1;
}
