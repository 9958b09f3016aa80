// Driving a template updater as a host does: settings blobs, proxy texts,
// one run, and what the run left behind.
#pragma once

#include "contract/blob_values.h"
#include "contract/contract_test_support.h"

#include <string>

namespace vantrel::test {

inline ComPtr<IIPUpdate> MakeUpdater(const ClassInfo& info) {
    return Create<IIPUpdate>(info, IID_IIPUpdate);
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
