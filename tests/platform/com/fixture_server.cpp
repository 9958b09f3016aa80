// A minimal in-process server for the activation tests: one class whose
// class object also serves as its instances.
#include <platform/com.h>

namespace {

const CLSID kFixtureClsid = {0x0A1B2C3D, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0xC1}};

struct Factory final : IClassFactory {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory))
            return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    ULONG AddRef() override { return 2; }  // lives as long as the module
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        return QueryInterface(riid, ppv);
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

VT_EXTERN_C VT_PLATFORM_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!IsEqualGUID(clsid, kFixtureClsid)) {
        *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return g_factory.QueryInterface(riid, ppv);
}
