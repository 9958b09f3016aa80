// Registering the module into a hive on disk. The reference lets every Reg*
// call of DllRegisterServer write the hive, as plain calls do; the host wraps
// the call in one transaction. The counters give the fsyncs and renames per
// registration; the time includes them, so it depends on the disk.
#include <platform/module.h>
#include <platform/registry.h>

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

extern char** environ;

namespace {

long g_fsyncs = 0;
long g_renames = 0;

}  // namespace

// The platform's calls land here first (the executable comes first in
// symbol lookup), so the counts are the platform's own.
extern "C" __attribute__((visibility("default"))) int fsync(int fd) {
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    ++g_fsyncs;
    return real(fd);
}

extern "C" __attribute__((visibility("default"))) int rename(const char* from,
                                                             const char* to) noexcept {
    static auto real =
        reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    ++g_renames;
    return real(from, to);
}

namespace {

using ServerExport = HRESULT (*)();

struct Module {
    HMODULE handle = LoadLibraryExA(VT_MODULE_PATH, nullptr, 0);
    ServerExport Export(const char* name) const {
        return reinterpret_cast<ServerExport>(GetProcAddress(handle, name));
    }
};

const Module& TheModule() {
    static Module module;
    return module;
}

// A fresh hive path in a scratch folder of the temporary directory.
class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vt-bench-XXXXXX").string();
        m_folder = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        m_hive = m_folder + "/hive.reg";
        VtRegistrySetHiveFile(m_hive.c_str());
    }
    ~Scratch() { std::filesystem::remove_all(m_folder); }
    const std::string& Hive() const { return m_hive; }
    void Remove() const { std::filesystem::remove(m_hive); }

private:
    std::string m_folder;
    std::string m_hive;
};

enum class Mode { PlainCalls, Transaction };
enum class Start { NoHive, Registered };

HRESULT Run(const char* name, Mode mode) {
    ServerExport run = TheModule().Export(name);
    if (mode == Mode::PlainCalls)
        return run();
    HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY root = nullptr;
    RegOpenKeyTransactedA(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, &root, transaction,
                          nullptr);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, root);
    RegCloseKey(root);
    HRESULT hr = run();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (SUCCEEDED(hr) && !CommitTransaction(transaction))
        hr = E_FAIL;
    CloseHandle(transaction);
    return hr;
}

void Registration(benchmark::State& state, const char* name, Mode mode, Start start) {
    Scratch scratch;
    long fsyncs = 0, renames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scratch.Remove();
        if (start == Start::Registered)
            Run("DllRegisterServer", Mode::Transaction);
        long fsyncs_before = g_fsyncs, renames_before = g_renames;
        state.ResumeTiming();
        if (FAILED(Run(name, mode))) {
            state.SkipWithError("the export failed");
            break;
        }
        fsyncs += g_fsyncs - fsyncs_before;
        renames += g_renames - renames_before;
    }
    state.counters["fsyncs"] =
        benchmark::Counter(static_cast<double>(fsyncs), benchmark::Counter::kAvgIterations);
    state.counters["renames"] =
        benchmark::Counter(static_cast<double>(renames), benchmark::Counter::kAvgIterations);
}

// The plain calls rewrite the hive hundreds of times: a few rounds suffice.
BENCHMARK_CAPTURE(Registration, RegisterPlainCalls, "DllRegisterServer", Mode::PlainCalls,
                  Start::NoHive)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Registration, RegisterTransaction, "DllRegisterServer", Mode::Transaction,
                  Start::NoHive)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Registration, ReregisterPlainCalls, "DllRegisterServer", Mode::PlainCalls,
                  Start::Registered)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Registration, ReregisterTransaction, "DllRegisterServer", Mode::Transaction,
                  Start::Registered)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Registration, UnregisterPlainCalls, "DllUnregisterServer", Mode::PlainCalls,
                  Start::Registered)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Registration, UnregisterTransaction, "DllUnregisterServer", Mode::Transaction,
                  Start::Registered)
    ->Unit(benchmark::kMillisecond);

// Whole processes, wall time: `vantrel register` into a new hive next to
// `vantrel list`, which starts the same way and touches no hive.
void Process(benchmark::State& state, const char* command) {
    Scratch scratch;
    std::string vantrel = VT_VANTREL_PATH, registry = scratch.Hive();
    for (auto _ : state) {
        state.PauseTiming();
        scratch.Remove();
        state.ResumeTiming();
        char* argv[] = {vantrel.data(), const_cast<char*>(command), const_cast<char*>("--registry"),
                        registry.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        int status = 0;
        bool ok = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0 &&
                  waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!ok) {
            state.SkipWithError("vantrel failed");
            break;
        }
    }
}

BENCHMARK_CAPTURE(Process, VantrelList, "list")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Process, VantrelRegister, "register")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
