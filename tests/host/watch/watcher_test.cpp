// The decisions of a watch driven through whole checks: a fake updater
// with scripted statuses, a fake address, and a clock the test moves.
#include "host/watch/watcher.h"

#include <gtest/gtest.h>

#include "tests/host/watch/scratch.h"

namespace host::watch {
namespace {

using testing::Scratch;

const Provider kDyFi{"dyfi", 22, "DyFiView", "DyFi", "Vantrel.DyFiView", "Vantrel.DyFi"};

// A profile's name and the address sent.
using Call = std::pair<std::string, std::string>;

// Profiles a and b with settings files in a scratch folder; every check's
// updater calls are collected; a answers `status_a`, b accepts.
class WatchRig {
public:
    WatchRig() {
        m_config.source = {SourceKind::File, "unused"};
        m_config.interval = std::chrono::seconds(300);
        m_config.retry = {std::chrono::seconds(10), std::chrono::seconds(25), 0};
        for (const char* name : {"a", "b"}) {
            Profile profile;
            profile.name = name;
            profile.provider = &kDyFi;
            profile.settings =
                scratch.Write(std::string(name) + ".blob", "blob of " + std::string(name));
            m_config.profiles.push_back(profile);
        }
    }

    std::unique_ptr<Watcher> Start(DryRun dry_run = DryRun::No) {
        auto runner = [this](const Profile& profile, const std::vector<unsigned char>&,
                             const std::string& address) {
            calls.push_back({profile.name, address});
            return Outcome{profile.name == "a" ? status_a : 2, "reply"};
        };
        auto logger = [this](const std::string& line) { log.push_back(line); };
        auto watcher = std::make_unique<Watcher>(m_config, State{}, scratch.Path("state.json"),
                                                 runner, logger, dry_run);
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
    int status_a = 2;
    std::vector<Call> calls;
    std::vector<std::string> log;

private:
    Config m_config;
};

using Calls = std::vector<Call>;

// One watch through many checks as a's status and settings change; b
// always accepts. `sent` names the profiles called with the address.
TEST(WatchDecisions, SendsWhatChangedAndRetriesFailuresOnly) {
    WatchRig rig;
    auto watcher = rig.Start();
    const struct {
        UnixTime now;
        const char* address;
        int status;           // a's answer
        const char* changed;  // settings files rewritten before the check
        const char* sent;
        UnixTime next;  // NextCheck afterwards
    } steps[] = {
        {1000, "198.51.100.1", 2, "", "ab", 1300},
        {1300, "198.51.100.1", 2, "", "", 1600},
        {1600, "198.51.100.2", 2, "", "ab", 1900},
        {1900, "198.51.100.2", 2, "b", "b", 2200},
        // A refusal waits for a new address or new settings.
        {2200, "198.51.100.2", 4, "a", "a", 2500},
        {2500, "198.51.100.2", 4, "", "", 2800},
        {100000, "198.51.100.2", 4, "", "", 100300},
        // A failure retries after a doubling backoff, capped.
        {100300, "198.51.100.3", 3, "", "ab", 100310},
        {100309, "198.51.100.3", 3, "", "", 100310},
        {100310, "198.51.100.3", 3, "", "a", 100330},
        {100330, "198.51.100.3", 3, "", "a", 100355},
        {100355, "198.51.100.3", 3, "", "a", 100380},
        {100380, "198.51.100.3", 2, "", "a", 100680},
        {100680, "198.51.100.3", 2, "", "", 100980},
        // No address calls no provider and looks again at the retry's first step.
        {100980, "", 2, "", "", 100990},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.now);
        rig.address = step.address;
        rig.status_a = step.status;
        for (const char* name = step.changed; *name != '\0'; ++name) {
            rig.scratch.Write(std::string(1, *name) + ".blob",
                              "changed at " + std::to_string(step.now));
        }
        Calls expected;
        for (const char* name = step.sent; *name != '\0'; ++name) {
            expected.push_back({std::string(1, *name), step.address});
        }
        EXPECT_EQ(rig.Check(*watcher, step.now), expected);
        EXPECT_EQ(watcher->NextCheck(), step.next);
    }
    EXPECT_NE(rig.log.back().find("error=\"the page holds no IPv4 address\""), std::string::npos)
        << rig.log.back();
}

TEST(WatchDecisions, DryRunAndStopSendLessAndSaveNothing) {
    WatchRig rig;
    auto dry = rig.Start(DryRun::Yes);
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
