// The updater base: state at construction, the proxy address, InitData.
#include <climits>

#include "contract/updater.h"
#include "contract_test_support.h"

namespace vantrel::test {
namespace {

// Construction state, pointer checks, SetProxy refusal and InitData of each.
TEST(Updater, EveryUpdaterStartsWithoutOutcomeAndAnswersTheBaseMethods) {
    for (const ClassInfo* info : ClassTable()) {
        if (info->IsView()) {
            continue;
        }
        const std::string name = info->identity.name;
        SCOPED_TRACE(name);
        ComPtr<IIPUpdate> updater = Create<IIPUpdate>(*info, IID_IIPUpdate);
        ASSERT_TRUE(updater);
        SHORT status = 0;
        EXPECT_EQ(updater->GetErrorStatus(&status), S_OK);
        EXPECT_EQ(status, VANTREL_STATUS_NO_OUTCOME);
        Bstr message("sentinel");
        EXPECT_EQ(updater->GetErrorMessage(message.Put()), S_OK);
        ASSERT_NE(message.Get(), nullptr);
        EXPECT_EQ(SysStringLen(message.Get()), 0u);
        EXPECT_EQ(updater->GetID(nullptr), E_POINTER);
        EXPECT_EQ(updater->GetErrorStatus(nullptr), E_POINTER);
        EXPECT_EQ(updater->GetErrorMessage(nullptr), E_POINTER);
        Bstr proxy("proxyhost:8080");
        const bool refuses = name == "Win2000Obj" || name == "GnuDIP2Obj";
        EXPECT_EQ(updater->SetProxy(proxy.Get()), refuses ? E_NOTIMPL : S_OK);
        EXPECT_EQ(updater->InitData(), S_OK);
        ASSERT_EQ(updater->GetErrorStatus(&status), S_OK);
        EXPECT_EQ(status, VANTREL_STATUS_NO_OUTCOME);
    }
}

TEST(ProxyAddress, SplitsAtFirstColonAndReadsPortLikeAtoi) {
    struct Case {
        const char* text;
        bool parsed;
        const char* host;
        LONG port;
    } cases[] = {
        {"proxyhost:8080", true, "proxyhost", 8080},
        {":3128", true, "", 3128},
        {"proxyhost:-80", true, "proxyhost", 80},
        {"proxyhost", false, "", 0},
        {" spaced :  +42x", true, " spaced ", 42},  // host untrimmed, atoi stops at 'x'
        {"a:b:3128", true, "a", 0},
        {"host:99999999999", true, "host", INT_MAX},  // saturates rather than overflow
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ProxyAddress address{"unchanged", -1};
        EXPECT_EQ(ParseProxyAddress(Text(c.text), address), c.parsed);
        EXPECT_EQ(std::string(address.host.View()), c.parsed ? c.host : "unchanged");
        EXPECT_EQ(address.port, c.parsed ? c.port : -1);
    }
}

// Sees the proxy state a provider's RunUpdate would use.
class ProxyProbe : public Updater {
public:
    ProxyProbe() : Updater(ClassNamed("DipDNSObj"), ProxySupport::Stored) {}
    std::string Host() const { return std::string(m_proxy_host.View()); }
    LONG Port() const { return m_proxy_port; }
    bool Used() const { return HasProxy(); }

protected:
    HRESULT ReadSettings(BlobReader&) override { return S_OK; }
    HRESULT RunUpdate(const Text&) override { return S_OK; }
};

TEST(Updater, SetProxyKeepsEarlierSettingWithoutColon) {
    struct Step {
        const char* text;  // nullptr: a null BSTR
        const char* host;
        LONG port;
        bool used;
    } steps[] = {
        {"proxyhost:8080", "proxyhost", 8080, true}, {"otherhost", "proxyhost", 8080, true},
        {nullptr, "proxyhost", 8080, true},          {":3128", "", 3128, false},
        {"proxyhost:0", "proxyhost", 0, false},
    };
    auto* probe = new ComObject<ProxyProbe>();
    ComPtr<IIPUpdate> updater;
    ASSERT_EQ(probe->QueryInterface(IID_IIPUpdate, updater.PutVoid()), S_OK);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text ? step.text : "(null)");
        Bstr proxy(step.text);
        EXPECT_EQ(updater->SetProxy(proxy.Get()), S_OK);
        EXPECT_EQ(probe->Host(), step.host);
        EXPECT_EQ(probe->Port(), step.port);
        EXPECT_EQ(probe->Used(), step.used);
    }
}

// Out of memory in the middle of a blob read or of a run, after a parser
// has appended part of its message and set a status.
class ThrowingUpdater : public Updater {
public:
    ThrowingUpdater() : Updater(ClassNamed("DipDNSObj"), ProxySupport::Stored) {
        m_message.Assign("earlier run");
        m_status = VANTREL_STATUS_ACCEPTED;
    }

protected:
    HRESULT ReadSettings(BlobReader&) override { ThrowHResult(E_OUTOFMEMORY); }
    HRESULT RunUpdate(const Text&) override {
        m_message.Append("h.x ::\t");
        m_status = VANTREL_STATUS_SERVICE_ERROR;
        ThrowHResult(E_OUTOFMEMORY);
    }
};

TEST(Updater, FailureInsideSetDataOrARunKeepsTheContractResults) {
    auto* object = new ComObject<ThrowingUpdater>();
    ComPtr<IIPUpdate> updater;
    ASSERT_EQ(object->QueryInterface(IID_IIPUpdate, updater.PutVoid()), S_OK);
    BlobWriter writer;
    writer.Integer(0);
    VARIANT blob;
    ASSERT_EQ(writer.ToVariant(&blob), S_OK);
    EXPECT_EQ(updater->SetData(blob), S_OK);
    VariantClear(&blob);

    Bstr address("192.0.2.1");
    EXPECT_EQ(updater->DoEntryPoint(address.Get()), E_FAIL);
    SHORT status = 0;
    ASSERT_EQ(updater->GetErrorStatus(&status), S_OK);
    EXPECT_EQ(status, VANTREL_STATUS_NOT_DONE);
    Bstr message;
    ASSERT_EQ(updater->GetErrorMessage(message.Put()), S_OK);
    EXPECT_EQ(message.Narrow(), "");
}

}  // namespace
}  // namespace vantrel::test
