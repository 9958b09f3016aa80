// Settings blobs as files for the host's page commands: the bytes of a
// file as the VARIANT a host hands to SetData, and GetData's VARIANT
// written to a file atomically.
#pragma once

#include <platform/com.h>

#include <optional>
#include <string>
#include <vector>

namespace host {

// The file's bytes; nullopt with the reason when it cannot be read.
std::optional<std::vector<BYTE>> ReadBlobFile(const std::string& path, std::string& why);

// Written beside the target and renamed over it, so a reader never sees
// half a blob and a failed write leaves the old file.
bool WriteBlobFile(const std::string& path, const std::vector<BYTE>& bytes, std::string& why);

// A VT_ARRAY VARIANT over a VT_UI1 array of the bytes; cleared at the end
// of scope.
class BlobVariant {
public:
    explicit BlobVariant(const std::vector<BYTE>& bytes);
    ~BlobVariant() { VariantClear(&m_value); }
    BlobVariant(const BlobVariant&) = delete;
    BlobVariant& operator=(const BlobVariant&) = delete;

    bool IsValid() const { return m_value.vt == VT_ARRAY; }
    const VARIANT& Value() const { return m_value; }

private:
    VARIANT m_value;
};

// The bytes of GetData's result; nullopt when it is not a settings blob.
std::optional<std::vector<BYTE>> BlobBytes(const VARIANT& value);

}  // namespace host
