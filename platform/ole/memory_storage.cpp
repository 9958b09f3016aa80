// The storage of StgCreateDocfile(NULL, ...): named streams in memory.
// Element names compare without case, as in compound files; there are no
// sub-storages, and the methods that deal with them or with enumeration
// answer E_NOTIMPL.
#include "ole_internal.h"

#include <algorithm>
#include <map>
#include <new>

namespace vt::ole {
namespace {

// Compound-file names are at most 31 characters plus the NUL.
constexpr size_t kMaxNameLength = 31;

char16_t Fold(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

struct NoCaseLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](char16_t x, char16_t y) { return Fold(x) < Fold(y); });
    }
};

bool ValidName(LPCOLESTR name, std::u16string* out) {
    if (name == nullptr) {
        return false;
    }
    std::u16string text(name);
    if (text.empty() || text.size() > kMaxNameLength) {
        return false;
    }
    for (char16_t c : text) {
        if (c == u'\\' || c == u'/' || c == u':' || c == u'!') {
            return false;
        }
    }
    *out = std::move(text);
    return true;
}

// Windows requires exclusive sharing for the streams of a storage.
bool ValidStreamMode(DWORD mode) {
    return (mode & 0x70) == STGM_SHARE_EXCLUSIVE && (mode & 3) != 3;
}

class MemoryStorage final : public UnknownImpl<MemoryStorage, IStorage> {
public:
    explicit MemoryStorage(DWORD mode) : m_mode(mode) {}

    static bool Answers(REFIID riid) { return IsEqualGUID(riid, IID_IStorage); }

    HRESULT CreateStream(LPCOLESTR name, DWORD mode, DWORD, DWORD, IStream** stream) override {
        if (stream == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        *stream = nullptr;
        std::u16string key;
        if (!ValidName(name, &key)) {
            return STG_E_INVALIDNAME;
        }
        if (!ValidStreamMode(mode)) {
            return STG_E_INVALIDFLAG;
        }
        auto found = m_streams.find(key);
        if (found != m_streams.end() && (mode & STGM_CREATE) == 0) {
            return STG_E_FILEALREADYEXISTS;
        }
        try {
            auto bytes = std::make_shared<Bytes>();
            // STGM_CREATE replaces the old stream; streams still open on it
            // keep the old bytes.
            m_streams[key] = bytes;
            *stream = NewMemoryStream(std::move(bytes), key, mode);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return *stream != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT OpenStream(LPCOLESTR name, void*, DWORD mode, DWORD, IStream** stream) override {
        if (stream == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        *stream = nullptr;
        std::u16string key;
        if (!ValidName(name, &key)) {
            return STG_E_INVALIDNAME;
        }
        if (!ValidStreamMode(mode) || (mode & STGM_CREATE) != 0) {
            return STG_E_INVALIDFLAG;
        }
        auto found = m_streams.find(key);
        if (found == m_streams.end()) {
            return STG_E_FILENOTFOUND;
        }
        try {
            *stream = NewMemoryStream(found->second, found->first, mode);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return *stream != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT CreateStorage(LPCOLESTR, DWORD, DWORD, DWORD, IStorage** storage) override {
        if (storage != nullptr) {
            *storage = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT OpenStorage(LPCOLESTR, IStorage*, DWORD, SNB, DWORD, IStorage** storage) override {
        if (storage != nullptr) {
            *storage = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
    HRESULT MoveElementTo(LPCOLESTR, IStorage*, LPCOLESTR, DWORD) override { return E_NOTIMPL; }

    // Direct mode: changes are in place, there is nothing to commit or undo.
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }

    HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** elements) override {
        if (elements != nullptr) {
            *elements = nullptr;
        }
        return E_NOTIMPL;
    }

    HRESULT DestroyElement(LPCOLESTR name) override {
        std::u16string key;
        if (!ValidName(name, &key)) {
            return STG_E_INVALIDNAME;
        }
        return m_streams.erase(key) != 0 ? S_OK : STG_E_FILENOTFOUND;
    }

    HRESULT RenameElement(LPCOLESTR old_name, LPCOLESTR new_name) override {
        std::u16string from;
        std::u16string to;
        if (!ValidName(old_name, &from) || !ValidName(new_name, &to)) {
            return STG_E_INVALIDNAME;
        }
        auto found = m_streams.find(from);
        if (found == m_streams.end()) {
            return STG_E_FILENOTFOUND;
        }
        if (m_streams.count(to) != 0) {
            return STG_E_FILEALREADYEXISTS;
        }
        try {
            auto bytes = found->second;
            m_streams.erase(found);
            m_streams.emplace(std::move(to), std::move(bytes));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT SetElementTimes(LPCOLESTR, const FILETIME*, const FILETIME*, const FILETIME*) override {
        return E_NOTIMPL;
    }

    HRESULT SetClass(REFCLSID clsid) override {
        m_clsid = clsid;
        return S_OK;
    }

    HRESULT SetStateBits(DWORD bits, DWORD mask) override {
        m_state_bits = (m_state_bits & ~mask) | (bits & mask);
        return S_OK;
    }

    HRESULT Stat(STATSTG* stat, DWORD flags) override {
        HRESULT hr = FillStat(stat, flags, u"", STGTY_STORAGE, 0, m_mode);
        if (SUCCEEDED(hr)) {
            stat->clsid = m_clsid;
            stat->grfStateBits = m_state_bits;
        }
        return hr;
    }

private:
    DWORD m_mode;
    std::map<std::u16string, std::shared_ptr<Bytes>, NoCaseLess> m_streams;
    CLSID m_clsid{};
    DWORD m_state_bits = 0;
};

}  // namespace
}  // namespace vt::ole

VT_EXTERN_C VT_PLATFORM_API HRESULT StgCreateDocfile(LPCOLESTR name, DWORD mode, DWORD,
                                                     IStorage** storage) {
    if (storage == nullptr) {
        return STG_E_INVALIDPOINTER;
    }
    *storage = nullptr;
    if (name != nullptr) {
        return STG_E_INVALIDNAME;
    }
    auto* object = new (std::nothrow) vt::ole::MemoryStorage(mode);
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    object->AddRef();
    *storage = object;
    return S_OK;
}
