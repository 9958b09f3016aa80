// The decisions of a watch driven through whole checks: a fake updater
// with scripted statuses, a fake address, and a clock the test moves.
#include "host/watch/watcher.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/host/watch/scratch.h"

namespace host::watch {
namespace {

using testing::Scratch;

const Provider kDyFi{"dyfi", 22, "DyFiView", "DyFi", "Vantrel.DyFiView", "Vantrel.DyFi"};

struct Call {
    std::string profile;
    std::string address;
    bool operator==(const Call&) const = default;
};

// Two profiles with settings files in a scratch folder; every check's
// updater calls are collected and the statuses come from `statuses`.
class WatchRig {
public:
    explicit WatchRig(RetryPolicy retry = {std::chrono::seconds(10), std::chrono::seconds(25), 0}) {
        m_config.source = {SourceKind::File, "unused"};
        m_config.interval = std::chrono::seconds(300);
        m_config.retry = retry;
        for (const char* name : {"a", "b"}) {
            Profile profile;
            profile.name = name;
            profile.provider = &kDyFi;
            profile.settings = scratch.Write(std::string(name) + ".blob", "blob of " + std::string(name));
            m_config.profiles.push_back(profile);
        }
    }

    std::unique_ptr<Watcher> Start(State state = {}, DryRun dry_run = DryRun::No) {
        auto runner = [this](const Profile& profile, const std::vector<unsigned char>&,
                             const std::string& address) {
            calls.push_back({profile.name, address});
            return Outcome{statuses.count(profile.name) ? statuses[profile.name] : 2, "reply"};
        };
        auto logger = [this](const std::string& line) { log.push_back(line); };
        auto watcher = std::make_unique<Watcher>(m_config, std::move(state),
                                                 scratch.Path("state.json"), runner, logger,
                                                 dry_run);
        watcher->SetAddressReader([this](std::string& why) -> std::optional<std::string> {
            if (address.empty()) {
                why = "the page holds no IPv4 address";
                return std::nullopt;
            }
            return address;
        });
        return watcher;
    }

    // The calls one check at `now` made.
    std::vector<Call> Check(Watcher& watcher, UnixTime now) {
        calls.clear();
        watcher.Check(now, nullptr);
        return calls;
    }

    Scratch scratch;
    std::string address = "198.51.100.1";
    std::map<std::string, int> statuses;
    std::vector<Call> calls;
    std::vector<std::string> log;

private:
    Config m_config;
};

using Calls = std::vector<Call>;

Calls Both(const std::string& address) { return {{"a", address}, {"b", address}}; }

TEST(WatchDecisions, SendsOncePerProfileForWhatChanged) {
    WatchRig rig;
    auto watcher = rig.Start();
    EXPECT_EQ(rig.Check(*watcher, 1000), Both("198.51.100.1"));
    EXPECT_EQ(rig.Check(*watcher, 1300), Calls{});
    rig.address = "198.51.100.2";
    EXPECT_EQ(rig.Check(*watcher, 1600), Both("198.51.100.2"));
    EXPECT_EQ(rig.Check(*watcher, 1900), Calls{});
    rig.scratch.Write("b.blob", "new password");
    EXPECT_EQ(rig.Check(*watcher, 2200), (Calls{{"b", "198.51.100.2"}}));
    EXPECT_EQ(rig.Check(*watcher, 2500), Calls{});
}

TEST(WatchDecisions, RefusalWaitsForANewAddressOrNewSettings) {
    WatchRig rig;
    rig.statuses["a"] = 4;
    auto watcher = rig.Start();
    EXPECT_EQ(rig.Check(*watcher, 1000).size(), 2u);
    for (UnixTime later : {1300, 5000, 100000}) {
        EXPECT_EQ(rig.Check(*watcher, later), Calls{}) << later;
    }
    rig.address = "198.51.100.2";
    EXPECT_EQ(rig.Check(*watcher, 200000), Both("198.51.100.2"));
    EXPECT_EQ(rig.Check(*watcher, 200300), Calls{});
    rig.scratch.Write("a.blob", "the right password");
    rig.statuses["a"] = 2;
    EXPECT_EQ(rig.Check(*watcher, 200600), (Calls{{"a", "198.51.100.2"}}));
    EXPECT_EQ(rig.Check(*watcher, 200900), Calls{});
}

TEST(WatchDecisions, FailuresRetryAfterADoublingCappedBackoff) {
    WatchRig rig;  // first 10 s, at most 25 s, no jitter
    rig.statuses["a"] = 3;
    auto watcher = rig.Start();
    const Calls retry = {{"a", "198.51.100.1"}};
    EXPECT_EQ(rig.Check(*watcher, 0).size(), 2u);
    EXPECT_EQ(watcher->NextCheck(), 10);
    const struct {
        UnixTime now;
        bool sends;
        UnixTime next;  // NextCheck afterwards
    } steps[] = {
        {9, false, 10},  {10, true, 30},                                   // second failure: 20 s
        {29, false, 30}, {30, true, 55}, {54, false, 55}, {55, true, 80},  // then capped at 25 s
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.now);
        EXPECT_EQ(rig.Check(*watcher, step.now), step.sends ? retry : Calls{});
        EXPECT_EQ(watcher->NextCheck(), step.next);
    }
    EXPECT_EQ(watcher->CurrentState().profiles.at("a").failures, 4);
    rig.statuses["a"] = 2;
    EXPECT_EQ(rig.Check(*watcher, 80), retry);
    EXPECT_EQ(rig.Check(*watcher, 5000), Calls{});
    EXPECT_EQ(watcher->CurrentState().profiles.at("a").failures, 0);
}

TEST(WatchDecisions, RestartFromTheStateFileSendsNothing) {
    WatchRig rig;
    rig.statuses["b"] = 4;
    rig.Check(*rig.Start(), 1000);
    StateResult saved = ParseState(rig.scratch.Read("state.json"));
    ASSERT_TRUE(saved.state) << saved.error;
    auto restarted = rig.Start(*saved.state);
    EXPECT_EQ(rig.Check(*restarted, 1001), Calls{});
}

TEST(WatchDecisions, NoAddressCallsNoProviderAndChecksAgainSooner) {
    WatchRig rig;
    rig.address = "";
    auto watcher = rig.Start();
    EXPECT_EQ(rig.Check(*watcher, 1000), Calls{});
    EXPECT_EQ(watcher->NextCheck(), 1010);  // the retry's first step, below the interval
    ASSERT_FALSE(rig.log.empty());
    EXPECT_NE(rig.log.back().find("error=\"the page holds no IPv4 address\""), std::string::npos)
        << rig.log.back();
}

TEST(WatchDecisions, DryRunAndStopSendLessAndSaveNothing) {
    WatchRig rig;
    auto dry = rig.Start({}, DryRun::Yes);
    EXPECT_EQ(rig.Check(*dry, 1000), Calls{});
    EXPECT_EQ(rig.log.back(), "would-update profile=b provider=dyfi address=198.51.100.1");
    EXPECT_FALSE(std::filesystem::exists(rig.scratch.Path("state.json")));

    auto watcher = rig.Start();
    int looks = 0;
    CheckSummary summary = watcher->Check(1000, [&looks] { return ++looks > 1; });
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(rig.calls, (Calls{{"a", "198.51.100.1"}}));
}

TEST(WatchLog, OneLinePerEventWhateverTheServiceAnswers) {
    EXPECT_EQ(LogField("address", "198.51.100.1"), "address=198.51.100.1");
    EXPECT_EQ(LogField("message", ""), "message=\"\"");
    EXPECT_EQ(LogField("message", "a ::\tgood \"x\"\r\nb\\"),
              "message=\"a ::\\tgood \\\"x\\\"\\x0d\\nb\\\\\"");
}

}  // namespace
}  // namespace host::watch
