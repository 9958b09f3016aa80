// Every entry of the DyFi and EuroDynDns reply tables, answered by
// vantrel-lab and read by the provider itself: a word misspelt in either
// place fails here.
#include "lab/services.h"
#include "providers/http/reply_codes.h"
#include "providers/http/updater_fixture.h"
#include "tests/lab/lab_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

namespace vantrel::test {
namespace {

using lab::InfoOf;
using lab::Service;
using lab::testing::LabProcess;

struct LineProvider {
    Service service;
    const char* updater;
    const char* domain;
    std::span<const ReplyCode> codes;
};

const LineProvider kProviders[] = {
    {Service::kDyFi, "DyFi", "dy.fi", kDyFiReplyCodes},
    {Service::kEuroDynDns, "EuroDynDnsObj", "eurodyndns.test", kEuroDynDnsReplyCodes},
};

std::string HostFor(const LineProvider& p, size_t entry) {
    return "w" + std::to_string(entry) + "." + p.domain;
}

// One account that updates normally, then one per refusal word.
std::string Accounts() {
    std::string text;
    for (const LineProvider& p : kProviders) {
        const std::string service = InfoOf(p.service).name;
        text += service + " user=plain password=pw hosts=plain." + p.domain + "\n";
        for (size_t i = 0; i < p.codes.size(); ++i) {
            if (p.codes[i].status == VANTREL_STATUS_SERVICE_ERROR) {
                text += service + " user=u" + std::to_string(i) +
                        " password=pw hosts=" + HostFor(p, i) + " reply=" + p.codes[i].text + "\n";
            }
        }
    }
    return text;
}

RunResult RunAgainstLab(const LineProvider& p, const std::string& user, const std::string& host,
                        uint16_t port) {
    ComPtr<IIPUpdate> updater = MakeUpdater(ClassNamed(p.updater));
    const bool dyfi = p.service == Service::kDyFi;
    GiveSettings(updater.Get(),
                 dyfi ? HostsAnd({host}, {user, "pw"}, 0) : HostsAnd({host}, {user, "pw"}));
    GiveProxy(updater.Get(), "127.0.0.1:" + std::to_string(port));
    return RunUpdate(updater.Get(), "198.51.100.9");
}

TEST(LabReplyWords, EveryProviderEntryIsAnsweredAndReadBack) {
    LabProcess process(Accounts());
    const uint16_t port = process.Port();
    ASSERT_NE(port, 0) << "the lab refused an account; its words: see lab/services.cpp";

    for (const LineProvider& p : kProviders) {
        const auto& words = InfoOf(p.service).reply_words;
        for (size_t i = 0; i < p.codes.size(); ++i) {
            const ReplyCode& code = p.codes[i];
            SCOPED_TRACE(std::string(p.updater) + " " + code.text);
            // The successes come from the normal flow: a first update, then a repeat.
            const bool success = code.status == VANTREL_STATUS_ACCEPTED;
            if (!success) {
                EXPECT_NE(std::find(words.begin(), words.end(), std::string(code.text)),
                          words.end());
            }
            const std::string host = success ? std::string("plain.") + p.domain : HostFor(p, i);
            RunResult result =
                RunAgainstLab(p, success ? "plain" : "u" + std::to_string(i), host, port);
            EXPECT_EQ(result.hr, S_OK);
            EXPECT_EQ(result.status, code.status);
            EXPECT_EQ(result.message.rfind(host + " ::\t" + code.text, 0), 0u) << result.message;
        }
    }
}

}  // namespace
}  // namespace vantrel::test
