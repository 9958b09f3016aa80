// Settings blobs as a host hands them over: VARIANTs over byte arrays, the
// bytes a GetData gave back, and SetData with fields written on the spot.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "contract/blob.h"

namespace vantrel::test {

using Bytes = std::vector<BYTE>;
using BlobFields = std::function<void(BlobWriter&)>;

// A VARIANT of the given type over a VT_UI1 array of the bytes.
class BlobValue {
public:
    explicit BlobValue(const Bytes& bytes, VARTYPE type = VT_ARRAY) {
        VariantInit(&m_value);
        m_value.parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
        void* data = nullptr;
        if (!bytes.empty() && SUCCEEDED(SafeArrayAccessData(m_value.parray, &data))) {
            std::memcpy(data, bytes.data(), bytes.size());
            SafeArrayUnaccessData(m_value.parray);
        }
        m_value.vt = type;
    }
    ~BlobValue() { VariantClear(&m_value); }
    BlobValue(const BlobValue&) = delete;
    BlobValue& operator=(const BlobValue&) = delete;
    const VARIANT& Get() const { return m_value; }

private:
    VARIANT m_value;
};

inline Bytes BytesOf(const VARIANT& value) {
    EXPECT_EQ(value.vt, VT_ARRAY);
    void* data = nullptr;
    if (value.vt != VT_ARRAY || value.parray == nullptr ||
        FAILED(SafeArrayAccessData(value.parray, &data))) {
        return {};
    }
    Bytes bytes(static_cast<BYTE*>(data),
                static_cast<BYTE*>(data) + value.parray->rgsabound[0].cElements);
    SafeArrayUnaccessData(value.parray);
    return bytes;
}

template <typename View>
Bytes GetDataBytes(View* view) {
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(view->GetData(&value), S_OK);
    Bytes bytes = BytesOf(value);
    VariantClear(&value);
    return bytes;
}

// SetData of a view or an updater with the blob the fields make.
template <typename Target>
HRESULT GiveBlob(Target* target, const BlobFields& fields) {
    BlobWriter writer;
    fields(writer);
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(writer.ToVariant(&value), S_OK);
    HRESULT hr = target->SetData(value);
    VariantClear(&value);
    return hr;
}

}  // namespace vantrel::test
