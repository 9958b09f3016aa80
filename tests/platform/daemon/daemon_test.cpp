// Commands with bounded waits, durable file replacement and signals as
// events. (Interface addresses are checked through the watcher's sources.)
#include <platform/daemon.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct CommandRun {
    VtDaemonResult result;
    std::string output;
    int exit_code;
    std::chrono::milliseconds took;
};

CommandRun RunShell(const char* command, DWORD timeout_ms, DWORD size = 64) {
    std::string buffer(size, '\x7f');
    DWORD length = 12345;
    INT exit_code = 12345;
    const Clock::time_point start = Clock::now();
    VtDaemonResult result =
        VtRunCommand(command, timeout_ms, buffer.data(), size, &length, &exit_code);
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return {result, buffer.substr(0, length), exit_code, took};
}

// Plain output, exit codes and a command that overruns are judged through
// the watcher's sources; these are the ends a shell can reach besides.
TEST(DaemonCommand, OutputExitAndDeadline) {
    const struct {
        const char* command;
        VtDaemonResult result;
        std::string output;
        int exit_code;
    } cases[] = {
        {"kill -KILL $$", VT_DAEMON_OK, "", 128 + SIGKILL},
        // Only the buffer's size less the NUL is kept; the rest is drained.
        {"head -c 100000 /dev/zero | tr '\\0' x", VT_DAEMON_OK, std::string(63, 'x'), 0},
        // A child that keeps the output open is killed with its group.
        {"(sleep 5; echo late) & echo 192.0.2.6", VT_DAEMON_TIMEOUT, "192.0.2.6\n", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        CommandRun run = RunShell(c.command, 500);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.exit_code, c.exit_code);
        if (c.result == VT_DAEMON_OK) {
            EXPECT_EQ(run.output, c.output);
        }
        EXPECT_LT(run.took.count(), 2000);
    }
    DWORD length = 7;
    INT exit_code = 7;
    char buffer[4];
    EXPECT_EQ(VtRunCommand("", 100, buffer, sizeof buffer, &length, &exit_code),
              VT_DAEMON_INVALID_ARGUMENT);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(exit_code, -1);
    EXPECT_EQ(VtRunCommand("true", 100, nullptr, 0, &length, &exit_code),
              VT_DAEMON_INVALID_ARGUMENT);
}

// FIFOs that would block a plain read end within the wait. (Plain and
// missing files are judged through the watcher's sources.)
TEST(DaemonReadFile, EndsWithinTheWait) {
    const std::string folder =
        std::filesystem::temp_directory_path() / ("vantrel-read-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string fifo = folder + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    char buffer[10];
    DWORD length = 0;
    // No writer: empty at once. A writer that says nothing: the wait ends it.
    EXPECT_EQ(VtReadFile(fifo.c_str(), 5000, buffer, sizeof buffer, &length), VT_DAEMON_OK);
    EXPECT_EQ(length, 0u);
    const int writer = open(fifo.c_str(), O_RDWR);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(VtReadFile(fifo.c_str(), 200, buffer, sizeof buffer, &length), VT_DAEMON_TIMEOUT);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    close(writer);
    std::filesystem::remove_all(folder);
}

// A writer killed at random moments leaves the old content or the new one,
// never a mix or a cut.
TEST(DaemonReplaceFile, KilledWritersLeaveOldOrNew) {
    const std::string folder =
        std::filesystem::temp_directory_path() / ("vantrel-replace-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/state";
    const std::string small(100, 'a');
    const std::string large(300000, 'b');
    ASSERT_EQ(VtReplaceFile(path.c_str(), small.data(), static_cast<DWORD>(small.size()), 0600),
              VT_DAEMON_OK);
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::mt19937 random(12345);
    for (int round = 0; round < 60; ++round) {
        pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (unsigned i = 0;; ++i) {
                const std::string& text = i % 2 ? small : large;
                VtReplaceFile(path.c_str(), text.data(), static_cast<DWORD>(text.size()), 0600);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        std::ifstream file(path, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(file), {}};
        ASSERT_TRUE(content == small || content == large)
            << "round " << round << ": " << content.size() << " bytes";
    }
    // The next write clears what the killed writers left.
    ASSERT_EQ(VtReplaceFile(path.c_str(), "c", 1, 0600), VT_DAEMON_OK);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename(), "state");
    }
    std::filesystem::remove_all(folder);
    EXPECT_EQ(VtReplaceFile("/nonexistent-folder/x", "a", 1, 0600), VT_DAEMON_FAILED);
    EXPECT_EQ(VtReplaceFile(nullptr, "a", 1, 0600), VT_DAEMON_INVALID_ARGUMENT);
}

TEST(DaemonSignals, ArriveAsEventsStopFirstAndCommandsGetTheDefaults) {
    EXPECT_EQ(VtWaitSignal(0), VT_SIGNAL_NONE);  // before routing, nothing is caught
    ASSERT_EQ(VtCatchSignals(), VT_DAEMON_OK);
    raise(SIGHUP);
    EXPECT_EQ(VtWaitSignal(0), VT_SIGNAL_RELOAD);
    EXPECT_EQ(VtWaitSignal(0), VT_SIGNAL_NONE);
    raise(SIGHUP);
    raise(SIGTERM);
    EXPECT_EQ(VtWaitSignal(0), VT_SIGNAL_STOP);
    EXPECT_EQ(VtWaitSignal(0), VT_SIGNAL_RELOAD);
    raise(SIGINT);
    EXPECT_EQ(VtWaitSignal(1000), VT_SIGNAL_STOP);

    const Clock::time_point start = Clock::now();
    EXPECT_EQ(VtWaitSignal(200), VT_SIGNAL_NONE);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(190));
    // A signal ending a long wait early is judged by the watcher's process test.
    // The routing is the watcher's own: a command still dies of SIGTERM.
    CommandRun run = RunShell("kill -TERM $$; echo survived", 2000);
    EXPECT_EQ(run.result, VT_DAEMON_OK);
    EXPECT_EQ(run.exit_code, 128 + SIGTERM);
    EXPECT_EQ(run.output, "");
}

}  // namespace
