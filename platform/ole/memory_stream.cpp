// The memory stream of CreateStreamOnHGlobal: a seek pointer over bytes that
// grow on write. Clones share the bytes and start at the same position.
#include "ole_internal.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vt::ole {
namespace {

class MemoryStream final : public UnknownImpl<MemoryStream, IStream> {
public:
    MemoryStream(std::shared_ptr<Bytes> bytes, std::u16string name, DWORD mode)
        : m_bytes(std::move(bytes)), m_name(std::move(name)), m_mode(mode) {}

    static bool Answers(REFIID riid) {
        return IsEqualGUID(riid, IID_ISequentialStream) || IsEqualGUID(riid, IID_IStream);
    }

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
        if (read != nullptr) {
            *read = 0;
        }
        if (buffer == nullptr && count != 0) {
            return STG_E_INVALIDPOINTER;
        }
        uint64_t size = m_bytes->size();
        ULONG available = m_position >= size
                              ? 0
                              : static_cast<ULONG>(std::min<uint64_t>(count, size - m_position));
        if (available != 0) {
            std::memcpy(buffer, m_bytes->data() + m_position, available);
        }
        m_position += available;
        if (read != nullptr) {
            *read = available;
        }
        // A short read is S_OK for a memory stream; the count tells.
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override {
        if (written != nullptr) {
            *written = 0;
        }
        if (buffer == nullptr && count != 0) {
            return STG_E_INVALIDPOINTER;
        }
        if ((m_mode & (STGM_WRITE | STGM_READWRITE)) == 0) {
            return STG_E_ACCESSDENIED;
        }
        try {
            if (m_position + count > m_bytes->size()) {
                m_bytes->resize(m_position + count);
            }
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        if (count != 0) {
            std::memcpy(m_bytes->data() + m_position, buffer, count);
        }
        m_position += count;
        if (written != nullptr) {
            *written = count;
        }
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
        int64_t base = 0;
        switch (origin) {
            case STREAM_SEEK_SET:
                base = 0;
                break;
            case STREAM_SEEK_CUR:
                base = static_cast<int64_t>(m_position);
                break;
            case STREAM_SEEK_END:
                base = static_cast<int64_t>(m_bytes->size());
                break;
            default:
                return STG_E_INVALIDFUNCTION;
        }
        int64_t target = base + move.QuadPart;
        // Before the start is an error; past the end is allowed, a later
        // write fills the gap with zeros.
        if (target < 0) {
            return STG_E_INVALIDFUNCTION;
        }
        m_position = static_cast<uint64_t>(target);
        if (position != nullptr) {
            position->QuadPart = m_position;
        }
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override {
        if ((m_mode & (STGM_WRITE | STGM_READWRITE)) == 0) {
            return STG_E_ACCESSDENIED;
        }
        try {
            m_bytes->resize(static_cast<size_t>(size.QuadPart));
        } catch (const std::exception&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                   ULARGE_INTEGER* written) override {
        if (read != nullptr) {
            read->QuadPart = 0;
        }
        if (written != nullptr) {
            written->QuadPart = 0;
        }
        if (target == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        uint64_t size = m_bytes->size();
        uint64_t available =
            m_position >= size ? 0 : std::min<uint64_t>(count.QuadPart, size - m_position);
        // Copied through a buffer of its own: the target may share our bytes.
        Bytes chunk(m_bytes->begin() + static_cast<ptrdiff_t>(m_position),
                    m_bytes->begin() + static_cast<ptrdiff_t>(m_position + available));
        m_position += available;
        ULONG done = 0;
        HRESULT hr = target->Write(chunk.data(), static_cast<ULONG>(chunk.size()), &done);
        if (read != nullptr) {
            read->QuadPart = available;
        }
        if (written != nullptr) {
            written->QuadPart = done;
        }
        return hr;
    }

    // Memory streams are never transacted.
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT Stat(STATSTG* stat, DWORD flags) override {
        return FillStat(stat, flags, m_name, STGTY_STREAM, m_bytes->size(), m_mode);
    }

    HRESULT Clone(IStream** copy) override {
        if (copy == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        *copy = nullptr;
        auto* clone = new (std::nothrow) MemoryStream(m_bytes, m_name, m_mode);
        if (clone == nullptr) {
            return E_OUTOFMEMORY;
        }
        clone->m_position = m_position;
        clone->AddRef();
        *copy = clone;
        return S_OK;
    }

private:
    std::shared_ptr<Bytes> m_bytes;
    std::u16string m_name;
    DWORD m_mode;
    uint64_t m_position = 0;
};

}  // namespace

IStream* NewMemoryStream(std::shared_ptr<Bytes> bytes, std::u16string name, DWORD mode) {
    auto* stream = new (std::nothrow) MemoryStream(std::move(bytes), std::move(name), mode);
    if (stream != nullptr) {
        stream->AddRef();
    }
    return stream;
}

HRESULT FillStat(STATSTG* stat, DWORD flags, const std::u16string& name, DWORD type, uint64_t size,
                 DWORD mode) {
    if (stat == nullptr) {
        return STG_E_INVALIDPOINTER;
    }
    if (flags != STATFLAG_DEFAULT && flags != STATFLAG_NONAME) {
        return STG_E_INVALIDFLAG;
    }
    *stat = STATSTG{};
    stat->type = type;
    stat->cbSize.QuadPart = size;
    stat->grfMode = mode;
    if (flags == STATFLAG_DEFAULT && !name.empty()) {
        size_t bytes = (name.size() + 1) * sizeof(OLECHAR);
        auto* copy = static_cast<OLECHAR*>(CoTaskMemAlloc(bytes));
        if (copy == nullptr) {
            return E_OUTOFMEMORY;
        }
        std::memcpy(copy, name.c_str(), bytes);
        stat->pwcsName = copy;
    }
    return S_OK;
}

}  // namespace vt::ole

VT_EXTERN_C VT_PLATFORM_API HRESULT CreateStreamOnHGlobal(HGLOBAL global, BOOL, IStream** stream) {
    if (stream == nullptr) {
        return E_INVALIDARG;
    }
    *stream = nullptr;
    if (global != nullptr) {
        return E_INVALIDARG;
    }
    try {
        *stream = vt::ole::NewMemoryStream(std::make_shared<vt::ole::Bytes>(), u"", STGM_READWRITE);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return *stream != nullptr ? S_OK : E_OUTOFMEMORY;
}
