// Driving a template updater as a host does: settings blobs, proxy texts,
// one run, and what the run left behind.
#pragma once

#include "contract/blob.h"
#include "contract/class_info.h"
#include "contract/com_object.h"
#include "text/text.h"

#include <vantrel/vantrel.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vantrel::test {

// A BSTR freed at the end of scope; null for a null text.
class WideArgument {
public:
    explicit WideArgument(const char* text) : m_value(text ? Text(text).ToBstr() : nullptr) {}
    ~WideArgument() { SysFreeString(m_value); }
    WideArgument(const WideArgument&) = delete;
    WideArgument& operator=(const WideArgument&) = delete;
    BSTR Get() const { return m_value; }

private:
    BSTR m_value;
};

using BlobFields = std::function<void(BlobWriter&)>;

inline ComPtr<IIPUpdate> MakeUpdater(const ClassInfo& info) {
    ComPtr<IIPUpdate> updater;
    EXPECT_EQ(info.create(nullptr, IID_IIPUpdate, updater.PutVoid()), S_OK);
    return updater;
}

inline void GiveSettings(IIPUpdate* updater, const BlobFields& fields) {
    BlobWriter writer;
    fields(writer);
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(writer.ToVariant(&value), S_OK);
    EXPECT_EQ(updater->SetData(value), S_OK);
    VariantClear(&value);
}

inline void GiveProxy(IIPUpdate* updater, const std::string& proxy) {
    WideArgument text(proxy.c_str());
    EXPECT_EQ(updater->SetProxy(text.Get()), S_OK);
}

struct RunResult {
    HRESULT hr;
    SHORT status;
    std::string message;
};

inline RunResult RunUpdate(IIPUpdate* updater, const char* address) {
    WideArgument ip(address);
    RunResult result{updater->DoEntryPoint(ip.Get()), 0, {}};
    EXPECT_EQ(updater->GetErrorStatus(&result.status), S_OK);
    BSTR message = nullptr;
    EXPECT_EQ(updater->GetErrorMessage(&message), S_OK);
    result.message = Text(message).View();
    SysFreeString(message);
    return result;
}

}  // namespace vantrel::test
