// A minimal in-process server for the activation tests: one class whose
// objects count as locks on the module.
#include <platform/com.h>

#include <atomic>

namespace {

const CLSID kFixtureClsid = {0x0A1B2C3D, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0xC1}};
std::atomic<long> g_locks{0};

// Hands out `self` for IUnknown and `extra`, as QueryInterface must.
HRESULT Answer(IUnknown* self, REFIID riid, const IID& extra, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, extra))
        return E_NOINTERFACE;
    self->AddRef();
    *ppv = self;
    return S_OK;
}

struct Object final : IUnknown {
    std::atomic<ULONG> refs{1};
    Object() { ++g_locks; }
    ~Object() { --g_locks; }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return Answer(this, riid, IID_IUnknown, ppv);
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        ULONG left = --refs;
        if (left == 0)
            delete this;
        return left;
    }
};

struct Factory final : IClassFactory {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return Answer(this, riid, IID_IClassFactory, ppv);
    }
    ULONG AddRef() override { return 2; }  // lives as long as the module
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto* object = new Object;
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT LockServer(BOOL lock) override {
        g_locks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory g_factory;

}  // namespace

VT_EXTERN_C VT_PLATFORM_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(clsid, kFixtureClsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

VT_EXTERN_C VT_PLATFORM_API HRESULT DllCanUnloadNow(void) { return g_locks == 0 ? S_OK : S_FALSE; }
