// The class object of one class: IUnknown and IClassFactory. It is cached
// for the module's life and does not count as a lock on the module, so a
// host that keeps one can still see DllCanUnloadNow answer S_OK.
#pragma once

#include "contract/class_info.h"

namespace vantrel {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassInfo& info) : m_info(info) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT LockServer(BOOL lock) override;

private:
    const ClassInfo& m_info;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace vantrel
