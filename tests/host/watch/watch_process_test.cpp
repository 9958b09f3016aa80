// `vantrel watch` and `vantrel status` as processes against the lab on
// loopback: what goes out, what a restart remembers, exit codes, signals,
// and an updater whose server never answers.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "tests/host/watch/process.h"
#include "tests/host/watch/scratch.h"
#include "tests/http/loopback_server.h"

namespace host::watch {
namespace {

using testing::Process;
using testing::Scratch;
using Clock = std::chrono::steady_clock;

int Lines(const std::string& text, const std::string& needle) {
    int count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        count += line.find(needle) != std::string::npos;
    }
    return count;
}

// Update requests the lab saw for `address` (its own pages left out).
int Updates(const std::string& log, const std::string& address) {
    int count = 0;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        count += line.find(address) != std::string::npos && line.find("/lab/") == std::string::npos;
    }
    return count;
}

// The lab with the sample accounts, a registered hive, and the blobs of a
// DipDNS and a Dynam account, which both send the address in the query.
class WatchProcess : public ::testing::Test {
protected:
    void SetUp() override {
        m_lab = std::make_unique<Process>(
            std::vector<std::string>{VT_LAB_BINARY, "--accounts", VT_LAB_SAMPLE_ACCOUNTS, "--log",
                                     scratch.Path("lab.log")},
            "", scratch.Path("lab.err"));
        std::optional<std::string> first = m_lab->ReadLine(5000);
        ASSERT_TRUE(first && first->rfind("listening 127.0.0.1:", 0) == 0);
        port = first->substr(sizeof "listening 127.0.0.1:" - 1);
        ASSERT_EQ(Vantrel({"register"}), 0);
        ASSERT_EQ(Vantrel({"settings", "dipdns", "host=home.dipdns.test", "key=7d1f3c2a9b", "-o",
                           scratch.Path("dipdns.blob")}),
                  0);
        ASSERT_EQ(Vantrel({"settings", "dynam", "host=dana.dynam.test", "user=dana",
                           "password=dyn4m-pw", "-o", scratch.Path("dynam.blob")}),
                  0);
    }

    // Runs vantrel, with the scratch hive for the commands that create
    // objects; stdout lands in "out", stderr in "err".
    int Vantrel(std::vector<std::string> args, int timeout_ms = 30000) {
        if (args[0] == "register" || args[0] == "settings" || args[0] == "watch") {
            args.insert(args.begin() + 1, {"--registry", scratch.Path("hive.reg")});
        }
        args.insert(args.begin(), VANTREL_HOST);
        Process run(args, scratch.Path("out"), scratch.Path("err"));
        return run.Wait(timeout_ms).value_or(-1);
    }
    int Lab(const std::string& page) {
        return Vantrel({"http", "http://127.0.0.1:" + port + page});
    }
    std::string Config(const std::string& source, const std::string& first_proxy = "") {
        const std::string lab = "127.0.0.1:" + port;
        return scratch.Write("watch.conf",
                             "[address]\nsource = " + source + "\ninterval = 3600\n"
                             "[retry]\nfirst = 3600\njitter = 0\n"
                             "[profile cabin]\nprovider = dynam\nsettings = dynam.blob\nproxy = " +
                                 (first_proxy.empty() ? lab : first_proxy) +
                                 "\n[profile home]\nprovider = dipdns\nsettings = dipdns.blob\n"
                                 "proxy = " + lab + "\n");
    }
    std::vector<std::string> Watch(const std::string& config) {
        return {"watch", "--config", config, "--state", scratch.Path("state.json")};
    }

    Scratch scratch;
    std::string port;

private:
    std::unique_ptr<Process> m_lab;
};

TEST_F(WatchProcess, SendsEachChangeOnceAcrossRestarts) {
    const std::string config = Config("url http://127.0.0.1:" + port + "/lab/myip");
    ASSERT_EQ(Lab("/lab/myip?set=198.51.100.20"), 0);
    std::vector<std::string> once = Watch(config);
    once.push_back("--once");
    EXPECT_EQ(Vantrel(once), 0) << scratch.Read("err");
    EXPECT_EQ(Updates(scratch.Read("lab.log"), "198.51.100.20"), 2);
    EXPECT_EQ(Vantrel(once), 0) << scratch.Read("err");
    EXPECT_EQ(Updates(scratch.Read("lab.log"), "198.51.100.20"), 2);
    EXPECT_EQ(Lines(scratch.Read("err"), "update "), 0);

    ASSERT_EQ(Lab("/lab/myip?set=198.51.100.21"), 0);
    EXPECT_EQ(Vantrel(once), 0) << scratch.Read("err");
    EXPECT_EQ(Updates(scratch.Read("lab.log"), "198.51.100.21"), 2);
    EXPECT_EQ(Vantrel({"status", "--state", scratch.Path("state.json")}), 0);
    EXPECT_EQ(Lines(scratch.Read("out"), "198.51.100.21  2 update accepted"), 2)
        << scratch.Read("out");

    // A broken state file stops the watch, unless it is told to start anew.
    scratch.Write("state.json", "{\"version\": 1, \"profiles\": {");
    EXPECT_EQ(Vantrel(once), 1);
    EXPECT_NE(scratch.Read("err").find("unusable: not a JSON object; move it away or start "
                                       "with --reset-state"),
              std::string::npos)
        << scratch.Read("err");
    EXPECT_EQ(Updates(scratch.Read("lab.log"), "198.51.100.21"), 2);
    EXPECT_EQ(Vantrel({"status", "--state", scratch.Path("state.json")}), 1);
    once.push_back("--reset-state");
    // Dynam calls the repeat a duplicate (status 4), so not all is current.
    EXPECT_EQ(Vantrel(once), 1) << scratch.Read("err");
    EXPECT_EQ(Updates(scratch.Read("lab.log"), "198.51.100.21"), 4);
}

TEST_F(WatchProcess, BadConfigExitsTwoNamingFileAndLine) {
    const std::string good = Config("file " + scratch.Path("address"));
    std::string text = scratch.Read("watch.conf");
    const struct {
        std::string from;
        std::string to;
        std::string error;
    } cases[] = {
        {"provider = dynam", "provider = nosuch", ":8: no such provider: \"nosuch\""},
        {"settings = dynam.blob", "settings = gone.blob", ":9: cannot read the settings file"},
        {"source = file", "source = pigeon", ":2: unknown source \"pigeon"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        std::string bad = text;
        bad.replace(bad.find(c.from), c.from.size(), c.to);
        const std::string path = scratch.Write("bad.conf", bad);
        EXPECT_EQ(Vantrel(Watch(path)), 2);
        const std::string err = scratch.Read("err");
        EXPECT_EQ(err.rfind("vantrel watch: " + path + c.error, 0), 0u) << err;
        EXPECT_EQ(Lines(err, ""), 1) << err;
    }
}

TEST_F(WatchProcess, ReloadsOnHangupAndStopsWithinASecondOnTerm) {
    scratch.Write("address", "198.51.100.30\n");
    const std::string config = Config("file " + scratch.Path("address"));
    std::vector<std::string> args = Watch(config);
    args.insert(args.begin(), VANTREL_HOST);
    args.insert(args.end(), {"--registry", scratch.Path("hive.reg")});
    Process watch(args, scratch.Path("out"), "");
    // The first check: the address and the two updates, home's last.
    std::optional<std::string> line;
    while ((line = watch.ReadLine(20000)) && line->rfind("update profile=home", 0) != 0) {
    }
    ASSERT_TRUE(line) << "no update came";
    kill(watch.Pid(), SIGHUP);
    while ((line = watch.ReadLine(5000)) && line->rfind("reload", 0) != 0) {
    }
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "reload config=" + config + " profiles=2");
    // Idle until the next check, an hour away.
    const Clock::time_point sent = Clock::now();
    kill(watch.Pid(), SIGTERM);
    std::optional<int> code = watch.Wait(1000);
    EXPECT_LT(Clock::now() - sent, std::chrono::seconds(1));
    EXPECT_EQ(code, 0);
    std::string last;
    while ((line = watch.ReadLine(1000))) {
        last = *line;
    }
    EXPECT_EQ(last, "stop");
}

TEST_F(WatchProcess, AHangingServerIsBoundedAndTheOtherProfilesStillRun) {
    // Takes the connection and the request, and never answers.
    vantrel::testing::LoopbackServer silent({{vantrel::testing::Silent()}});
    scratch.Write("address", "198.51.100.40\n");
    const std::string config =
        Config("file " + scratch.Path("address"), "127.0.0.1:" + std::to_string(silent.Port()));
    std::vector<std::string> once = Watch(config);
    once.push_back("--once");
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Vantrel(once, 60000), 1);
    // The HTTP client's receive wait is 10 s.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(25));
    const std::string err = scratch.Read("err");
    EXPECT_EQ(Lines(err, "update profile=cabin provider=dynam address=198.51.100.40 status=3"), 1)
        << err;
    EXPECT_EQ(Lines(err, "backoff profile=cabin provider=dynam address=198.51.100.40 failures=1 "
                         "retry_in=3600s"),
              1)
        << err;
    EXPECT_EQ(Lines(err, "update profile=home provider=dipdns address=198.51.100.40 status=2"), 1)
        << err;
}

}  // namespace
}  // namespace host::watch
