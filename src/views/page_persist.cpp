// The view's persistent state: a version and the extent, 12 bytes
// little-endian, over a stream or in a storage's "Contents" stream. The
// settings are not part of it; they travel as the settings blob.
#include "views/page_view.h"

#include <array>

namespace vantrel {

namespace {

constexpr uint32_t kStateVersion = 0x0710;
constexpr size_t kStateSize = 12;
constexpr OLECHAR kContentsStream[] = u"Contents";

using StateBytes = std::array<BYTE, kStateSize>;

void PutUint32(BYTE* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<BYTE>(value >> (8 * i));
    }
}

uint32_t GetUint32(const BYTE* at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | at[i];
    }
    return value;
}

}  // namespace

HRESULT PageView::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = Info().identity.clsid;
    return S_OK;
}

HRESULT PageView::IsDirty() {
    return m_dirty ? S_OK : S_FALSE;
}

HRESULT PageView::Load(IStream* stream) {
    if (stream == nullptr) {
        return E_POINTER;
    }
    StateBytes state{};
    ULONG read = 0;
    HRESULT hr = stream->Read(state.data(), kStateSize, &read);
    if (FAILED(hr)) {
        return hr;
    }
    if (read != kStateSize || GetUint32(&state[0]) > kStateVersion) {
        return E_FAIL;
    }
    m_extent =
        SIZEL{static_cast<LONG>(GetUint32(&state[4])), static_cast<LONG>(GetUint32(&state[8]))};
    m_dirty = false;
    return S_OK;
}

HRESULT PageView::Save(IStream* stream, BOOL clear_dirty) {
    if (stream == nullptr) {
        return E_POINTER;
    }
    StateBytes state{};
    PutUint32(&state[0], kStateVersion);
    PutUint32(&state[4], static_cast<uint32_t>(m_extent.cx));
    PutUint32(&state[8], static_cast<uint32_t>(m_extent.cy));
    ULONG written = 0;
    HRESULT hr = stream->Write(state.data(), kStateSize, &written);
    if (FAILED(hr)) {
        return hr;
    }
    if (written != kStateSize) {
        return STG_E_MEDIUMFULL;
    }
    if (clear_dirty) {
        m_dirty = false;
    }
    return S_OK;
}

HRESULT PageView::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = kStateSize;
    return S_OK;
}

// A new view keeps the extent of its template.
HRESULT PageView::InitNew() {
    return S_OK;
}

HRESULT PageView::InitNew(IStorage* storage) {
    return storage != nullptr ? S_OK : E_POINTER;
}

HRESULT PageView::Load(IStorage* storage) {
    if (storage == nullptr) {
        return E_POINTER;
    }
    ComPtr<IStream> stream;
    HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                     stream.Put());
    if (FAILED(hr)) {
        return hr;
    }
    return Load(stream.Get());
}

HRESULT PageView::Save(IStorage* storage, BOOL same_as_load) {
    if (storage == nullptr) {
        return E_POINTER;
    }
    ComPtr<IStream> stream;
    HRESULT hr = storage->CreateStream(
        kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Put());
    if (FAILED(hr)) {
        return hr;
    }
    return Save(stream.Get(), same_as_load);
}

HRESULT PageView::SaveCompleted(IStorage*) {
    return S_OK;
}

HRESULT PageView::HandsOffStorage() {
    return S_OK;
}

HRESULT PageView::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualGUID(riid, Info().identity.own_iid) ? S_OK : S_FALSE;
}

}  // namespace vantrel
