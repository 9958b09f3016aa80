// What the memory stream and storage share: the bytes of one stream, owned
// jointly by every stream object open on them (clones, reopened streams).
#ifndef PLATFORM_OLE_OLE_INTERNAL_H
#define PLATFORM_OLE_OLE_INTERNAL_H

#include <platform/ole2.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace vt::ole {

using Bytes = std::vector<BYTE>;

// IUnknown of an object with one interface: Derived::Answers(riid) names
// the interface IDs besides IUnknown that it is asked for by.
template <typename Derived, typename Interface>
class UnknownImpl : public Interface {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown) && !Derived::Answers(riid)) {
            return E_NOINTERFACE;
        }
        AddRef();
        *ppv = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) {
            delete static_cast<Derived*>(this);
        }
        return left;
    }

private:
    std::atomic<ULONG> m_refs{0};
};

// A stream over shared bytes. name is what Stat reports (empty for an
// unnamed memory stream); a read-only stream refuses writes.
IStream* NewMemoryStream(std::shared_ptr<Bytes> bytes, std::u16string name, DWORD mode);

// Fills a STATSTG; the name is copied with CoTaskMemAlloc unless
// STATFLAG_NONAME. E_OUTOFMEMORY when the copy fails.
HRESULT FillStat(STATSTG* stat, DWORD flags, const std::u16string& name, DWORD type, uint64_t size,
                 DWORD mode);

}  // namespace vt::ole

#endif  // PLATFORM_OLE_OLE_INTERNAL_H
