// The watch's readers: the address in a source's answer, the config file
// and the state file, and the retry delays.
#include <gtest/gtest.h>

#include "host/watch/address_text.h"
#include "host/watch/config.h"
#include "host/watch/decision.h"
#include "host/watch/sources.h"
#include "host/watch/state.h"
#include "tests/host/watch/scratch.h"

namespace host::watch {
namespace {

using testing::Scratch;

TEST(WatchAddressText, TakesTheFirstDottedQuad) {
    const struct {
        const char* text;
        const char* address;  // null: none
    } cases[] = {
        {"Current IP Address: 203.0.113.9</body>", "203.0.113.9"},
        {"ip 1.2.3.4.", "1.2.3.4"},
        {"version 1.2.3 then 10.0.0.1", "10.0.0.1"},
        {"256.1.1.1 0.0.0.0", "0.0.0.0"},
        {"1.2.3.4.5 6.7.8.9", "6.7.8.9"},
        {"01.2.3.4", nullptr},
        {"1.2.3.1234", nullptr},
        {"", nullptr},
        {"999999999999999999999.1.1.1", nullptr},
    };
    for (const auto& c : cases) {
        const auto expected = c.address ? std::optional<std::string>(c.address) : std::nullopt;
        EXPECT_EQ(FirstIpv4(c.text), expected) << c.text;
    }
}

const Provider kDyFi{"dyfi", 22, "DyFiView", "DyFi", "Vantrel.DyFiView", "Vantrel.DyFi"};

const Provider* Lookup(std::string_view key) {
    return key == "dyfi" || key == "22" ? &kDyFi : nullptr;
}

TEST(WatchConfig, ReadsEverySectionAndResolvesSettingsBesideIt) {
    Scratch scratch;
    scratch.Write("home.blob", "x");
    const std::string path = scratch.Write("watch.conf",
                                           "# comment\n"
                                           "[address]\n"
                                           "source = url http://127.0.0.1:1/lab/myip   # the lab\n"
                                           "interval = 5 ; seconds\n"
                                           "timeout = 2\n"
                                           "[retry]\nfirst = 3\nmax = 7\njitter = 0\n"
                                           "[profile home]\n"
                                           "provider = 22\n"
                                           "settings = home.blob\n"
                                           "proxy = 127.0.0.1:3128\n");
    ConfigResult result = LoadConfig(path, Lookup);
    ASSERT_TRUE(result.config) << result.error.Text();
    const Config& c = *result.config;
    EXPECT_EQ(DescribeSource(c.source), "url http://127.0.0.1:1/lab/myip");
    EXPECT_EQ(std::tuple(c.interval.count(), c.timeout.count(), c.retry.first.count(),
                         c.retry.max.count(), c.retry.jitter_percent),
              std::tuple(5, 2, 3, 7, 0));
    ASSERT_EQ(c.profiles.size(), 1u);
    EXPECT_EQ(std::tie(c.profiles[0].provider, c.profiles[0].settings, c.profiles[0].proxy),
              std::tuple(&kDyFi, scratch.Path("home.blob"), "127.0.0.1:3128"));
}

TEST(WatchConfig, ErrorsNameTheFileAndLine) {
    Scratch scratch;
    scratch.Write("home.blob", "x");
    const std::string good_profile = "[profile home]\nprovider = dyfi\nsettings = home.blob\n";
    const std::string good_address = "[address]\nsource = file /x\n";
    const struct {
        std::string text;
        std::string error;  // after "FILE:"
    } cases[] = {
        {good_address + "[profile home]\nprovider = dyfi\nsettings = missing.blob\n",
         "5: cannot read the settings file " + scratch.Path("missing.blob") +
             ": No such file or directory"},
        {"[address]\nsource = carrier pigeon\n" + good_profile,
         "2: unknown source \"carrier pigeon\" (interface, url, file or command)"},
        {"[address]\nsource = url ftp://x/\n" + good_profile,
         "2: source url wants an http:// or https:// URL"},
        {"[address]\nsource = interface\n" + good_profile,
         "2: source interface needs an interface name"},
        {good_address + "interval = 5s\n" + good_profile,
         "3: interval wants whole seconds from 1 to 86400, not \"5s\""},
        {good_address + "colour = blue\n" + good_profile,
         "3: unknown key \"colour\" in [address] (source, interval, timeout)"},
        {good_address + "source = file /y\n" + good_profile,
         "3: \"source\" is given twice in [address]"},
        {good_address + "this line has no equals sign\n" + good_profile,
         "3: expected KEY = VALUE or [SECTION]"},
        {good_address + "[weather]\nwind = 3\n" + good_profile,
         "4: unknown section [weather] (address, retry, profile NAME)"},
        {"key = before\n" + good_address + good_profile, "1: \"key\" stands before any section"},
        {good_address + "[profile]\nprovider = dyfi\n",
         "4: a profile section needs a name: [profile NAME]"},
        {good_address + "[retry]\njitter = 90\n" + good_profile,
         "4: jitter wants a percentage from 0 to 50, not \"90\""},
        {good_address + "[profile home]\nsettings = home.blob\n",
         "3: profile home needs a provider"},
        {good_address + "; " + std::string(300, 'x') + "\n" + good_profile,
         "3: line longer than 199 characters"},
        {good_profile, " [address] needs a source (interface, url, file or command)"},
        {good_address, " no [profile NAME] section: nothing to keep current"},
        {good_address + "[retry]\nfirst = 100\nmax = 10\n" + good_profile,
         " [retry] max is below first"},
    };
    const std::string path = scratch.Path("watch.conf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ConfigResult result = ParseConfig(path, c.text, Lookup);
        EXPECT_FALSE(result.config);
        EXPECT_EQ(result.error.Text(), path + ":" + c.error);
    }
}

auto Fields(const ProfileState& s) {
    return std::tie(s.provider, s.address, s.status, s.message, s.time, s.settings_hash,
                    s.accepted_address, s.accepted_settings_hash, s.failures, s.retry_at);
}

TEST(WatchState, KeepsEveryFieldThroughTheFile) {
    State state;
    // A byte that is not UTF-8 is replaced, never a failed write.
    const std::string message = "line one\nline \"two\"\t";
    ProfileState& entry = state.profiles["home"];
    entry = {"dyfi",         "198.51.100.7", 3, message + "\xff", 1765000000, "fnv1a64:1",
             "198.51.100.6", "fnv1a64:0",    2, 1765000120};
    state.profiles["empty"] = {};
    StateResult back = ParseState(FormatState(state));
    ASSERT_TRUE(back.state) << back.error;
    entry.message = message + "\xef\xbf\xbd";
    EXPECT_EQ(Fields(back.state->profiles.at("home")), Fields(entry));
    EXPECT_EQ(Fields(back.state->profiles.at("empty")), Fields(ProfileState{}));
    EXPECT_EQ(FormatTime(1765000000), "2025-12-06T05:46:40Z");
    EXPECT_EQ(ParseTime("2025-12-06T05:46:40Z"), 1765000000);
}

TEST(WatchState, RefusesWhatItCannotTrust) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "not a JSON object"},
        {"{\"version\": 1, \"profiles\": {\"a\": {\"status\": 2", "not a JSON object"},
        {"{}", "no version number"},
        {"{\"version\": \"1\"}", "no version number"},
        {"{\"version\": 2, \"profiles\": {}}",
         "written by a later vantrel (version 2, this one reads 1)"},
        {"{\"version\": 1}", "no \"profiles\" object"},
        {"{\"version\": 1, \"profiles\": {\"a\": {\"status\": \"2\"}}}",
         "profile \"a\" is malformed"},
        {"{\"version\": 1, \"profiles\": {\"a\": {\"time\": \"2026-13-01T00:00:00Z\"}}}",
         "profile \"a\" is malformed"},
        {"{\"version\": 1, \"profiles\": {\"a\": {\"failures\": -1}}}",
         "profile \"a\" is malformed"},
    };
    for (const auto& c : cases) {
        StateResult result = ParseState(c.text);
        EXPECT_FALSE(result.state) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
    }
}

TEST(WatchRetry, DoublesFromFirstToTheCapWithJitterAroundIt) {
    const RetryPolicy policy{std::chrono::seconds(60), std::chrono::seconds(1800), 10};
    const struct {
        int failures;
        double jitter;
        long long seconds;
    } cases[] = {
        {1, 0, 60},        {2, 0, 120}, {3, 0, 240}, {5, 0, 960},  {6, 0, 1800},  {7, 0, 1800},
        {100000, 0, 1800}, {1, 1, 66},  {1, -1, 54}, {6, 1, 1800}, {6, -1, 1620},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RetryDelay(policy, c.failures, c.jitter).count(), c.seconds)
            << c.failures << " " << c.jitter;
    }
}

}  // namespace
}  // namespace host::watch
