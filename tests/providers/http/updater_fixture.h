// Driving a template updater as a host does: settings blobs, proxy texts,
// one run, and what the run left behind.
#pragma once

#include "contract/blob_values.h"
#include "contract/contract_test_support.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::test {

inline ComPtr<IIPUpdate> MakeUpdater(const ClassInfo& info) {
    return Create<IIPUpdate>(info, IID_IIPUpdate);
}

// A template provider's blob: counted texts, then an integer when one is
// given; HostsAnd puts a counted host list in front.
inline BlobFields Texts(std::vector<std::string> texts, std::optional<int32_t> number = {}) {
    return [=](BlobWriter& w) {
        for (const std::string& text : texts) {
            w.CountedText(text);
        }
        if (number) {
            w.Integer(*number);
        }
    };
}
inline BlobFields HostsAnd(std::vector<std::string> hosts, std::vector<std::string> texts,
                           std::optional<int32_t> number = {}) {
    const BlobFields rest = Texts(std::move(texts), number);
    return [=](BlobWriter& w) {
        w.CountedTextList(std::vector<Text>(hosts.begin(), hosts.end()));
        rest(w);
    };
}

inline void GiveSettings(IIPUpdate* updater, const BlobFields& fields) {
    EXPECT_EQ(GiveBlob(updater, fields), S_OK);
}

inline void GiveProxy(IIPUpdate* updater, const std::string& proxy) {
    Bstr text(proxy.c_str());
    EXPECT_EQ(updater->SetProxy(text.Get()), S_OK);
}

struct RunResult {
    HRESULT hr;
    SHORT status;
    std::string message;
};

inline RunResult RunUpdate(IIPUpdate* updater, const char* address) {
    Bstr ip(address);
    RunResult result{updater->DoEntryPoint(ip.Get()), 0, {}};
    EXPECT_EQ(updater->GetErrorStatus(&result.status), S_OK);
    Bstr message;
    EXPECT_EQ(updater->GetErrorMessage(message.Put()), S_OK);
    result.message = message.Narrow();
    return result;
}

}  // namespace vantrel::test
