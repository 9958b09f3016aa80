// A whole `vantrel update win2000` process against nsupdate sending the
// same update, both to named on loopback (wall time per process; compare
// the two rows). named, the hive and the blob are made before timing.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string g_folder;
std::string g_port;

bool Run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 01, 0);
    pid_t pid = -1;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    return status == 0;
}

void BM_VantrelUpdateProcess(benchmark::State& state) {
    for (auto _ : state) {
        if (!Run({VT_VANTREL, "update", "win2000", "--registry", g_folder + "/hive.reg",
                  "--settings", g_folder + "/w.blob", "--ip", "203.0.113.7", "--connect-to",
                  "127.0.0.1:53:127.0.0.1:" + g_port})) {
            state.SkipWithError("vantrel update failed");
        }
    }
}
BENCHMARK(BM_VantrelUpdateProcess)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_NsupdateProcess(benchmark::State& state) {
    for (auto _ : state) {
        if (!Run({"nsupdate", g_folder + "/nsupdate.txt"})) {
            state.SkipWithError("nsupdate failed");
        }
    }
}
BENCHMARK(BM_NsupdateProcess)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    char folder[] = "/tmp/vt-dns-process-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return 1;
    }
    g_folder = folder;
    FILE* out = popen((std::string(VT_NAMED_PEER) + " start " + g_folder + "/named").c_str(), "r");
    char port[16] = "";
    if (out == nullptr || std::fscanf(out, "%15s", port) != 1) {
        std::fprintf(stderr, "dns_process_bench: named did not start\n");
        return 1;
    }
    pclose(out);
    g_port = port;
    std::ofstream(g_folder + "/nsupdate.txt")
        << "server 127.0.0.1 " << g_port << "\nzone vantrel.test\n"
        << "update delete host.vantrel.test. A 203.0.113.7\n"
        << "update add host.vantrel.test. 300 A 203.0.113.7\nsend\n";
    const std::string hive = g_folder + "/hive.reg";
    bool ready =
        Run({VT_VANTREL, "register", "--registry", hive}) &&
        Run({VT_VANTREL, "settings", "win2000", "--registry", hive, "server=127.0.0.1",
             "name=host.vantrel.test", "ttl=300", "security=off", "-o", g_folder + "/w.blob"});
    if (ready) {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
    }
    std::system(
        (std::string(VT_NAMED_PEER) + " stop " + g_folder + "/named; rm -rf " + g_folder).c_str());
    return ready ? 0 : 1;
}
