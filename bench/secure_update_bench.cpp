// One secure update (credentials, TKEY negotiation, signed UPDATE, checked
// reply) next to one plain update of the same record, on the same named
// and KDC (tests/peers/secure-dns), in one run. The plain update is the
// floor: the secure one adds the Kerberos and TKEY round trips to it.
//   secure_update_bench [benchmark flags]     wall and CPU time
//   secure_update_bench --count plain|secure|held N   N updates in Collect*,
//                                                     for bench/callgrind_secure.sh
#include <platform/windns.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string g_dir;

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

DNS_STATUS Update(const char* name, DWORD options, HANDLE handle) {
    DNS_RECORDA record{};
    record.pName = const_cast<char*>(name);
    record.wType = DNS_TYPE_A;
    record.wDataLength = 4;
    record.dwTtl = 60;
    record.Data.A.IpAddress = VtWs_inet_addr("198.51.100.9");
    IP4_ARRAY servers{1, {VtWs_inet_addr("127.0.0.1")}};
    return DnsModifyRecordsInSet_A(&record, &record, options, handle, &servers, nullptr);
}

DNS_STATUS Acquire(HANDLE* handle) {
    char user[] = "alice", domain[] = "vantrel.test", password[] = "alice-Pw-1";
    SEC_WINNT_AUTH_IDENTITY_A identity{reinterpret_cast<unsigned char*>(user), 5,
                                       reinterpret_cast<unsigned char*>(domain), 12,
                                       reinterpret_cast<unsigned char*>(password), 10,
                                       SEC_WINNT_AUTH_IDENTITY_ANSI};
    return DnsAcquireContextHandle_A(0, &identity, handle);
}

// What DoEntryPoint does for a secure update: acquire, update, release.
DNS_STATUS SecureUpdate() {
    HANDLE handle = nullptr;
    DNS_STATUS status = Acquire(&handle);
    if (status == ERROR_SUCCESS) {
        status = Update("host.secure.test", DNS_UPDATE_SECURITY_ONLY, handle);
        DnsReleaseContextHandle(handle);
    }
    return status;
}

DNS_STATUS PlainUpdate() { return Update("host.plain.test", DNS_UPDATE_SECURITY_OFF, nullptr); }

void BM_PlainUpdate(benchmark::State& state) {
    for (auto _ : state) {
        if (PlainUpdate() != ERROR_SUCCESS) {
            state.SkipWithError("plain update failed");
            return;
        }
    }
}
BENCHMARK(BM_PlainUpdate)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SecureUpdate(benchmark::State& state) {
    for (auto _ : state) {
        if (SecureUpdate() != ERROR_SUCCESS) {
            state.SkipWithError("secure update failed");
            return;
        }
    }
}
BENCHMARK(BM_SecureUpdate)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same with the credentials already in hand (a service ticket is then
// cached in them too): what is left is the TKEY negotiation and signing.
void BM_SecureUpdateHeldCredentials(benchmark::State& state) {
    HANDLE handle = nullptr;
    if (Acquire(&handle) != ERROR_SUCCESS) {
        state.SkipWithError("no credentials");
        return;
    }
    for (auto _ : state) {
        if (Update("host.secure.test", DNS_UPDATE_SECURITY_ONLY, handle) != ERROR_SUCCESS) {
            state.SkipWithError("secure update failed");
            break;
        }
    }
    DnsReleaseContextHandle(handle);
}
BENCHMARK(BM_SecureUpdateHeldCredentials)->UseRealTime()->Unit(benchmark::kMillisecond);

int Repeat(DNS_STATUS (*update)(), int count) {
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        failed += update() != ERROR_SUCCESS;
    }
    return failed;
}

}  // namespace

// Named so that callgrind's --toggle-collect can pick them out.
extern "C" __attribute__((noinline, visibility("default"))) int CollectPlainUpdates(int count) {
    return Repeat(PlainUpdate, count);
}

extern "C" __attribute__((noinline, visibility("default"))) int CollectSecureUpdates(int count) {
    return Repeat(SecureUpdate, count);
}

namespace {
HANDLE g_held = nullptr;
DNS_STATUS HeldUpdate() { return Update("host.secure.test", DNS_UPDATE_SECURITY_ONLY, g_held); }
}  // namespace

extern "C" __attribute__((noinline, visibility("default"))) int CollectHeldUpdates(int count) {
    return Repeat(HeldUpdate, count);
}

int main(int argc, char** argv) {
    const bool counting = argc == 4 && std::strcmp(argv[1], "--count") == 0;
    if (!counting) {
        benchmark::Initialize(&argc, argv);
    }
    char scratch[] = "/tmp/vantrel-secure-bench.XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        return 1;
    }
    g_dir = scratch;
    const std::string peers = std::string(VT_PEERS_DIR) + "/secure-dns";
    if (!Shell(peers + " start " + g_dir + " >/dev/null")) {
        std::fprintf(stderr, "secure_update_bench: the KDC or named did not start\n");
        return 1;
    }
    int port = 0;
    std::ifstream(g_dir + "/port") >> port;
    setenv("KRB5_CONFIG", (g_dir + "/krb5.conf").c_str(), 1);
    setenv("KRB5CCNAME", ("FILE:" + g_dir + "/cc").c_str(), 1);
    VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", static_cast<USHORT>(port));

    int failed = 0;
    if (counting) {
        const int count = std::atoi(argv[3]);
        const std::string way = argv[2];
        if (way == "held") {
            // Credentials, and a first update to load the libraries, outside the count.
            failed = Acquire(&g_held) != ERROR_SUCCESS || HeldUpdate() != ERROR_SUCCESS;
            failed += CollectHeldUpdates(count);
            DnsReleaseContextHandle(g_held);
        } else {
            failed = way == "secure" ? CollectSecureUpdates(count) : CollectPlainUpdates(count);
        }
    } else {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    Shell(peers + " stop " + g_dir);
    Shell("rm -rf " + g_dir);
    return failed == 0 ? 0 : 1;
}
