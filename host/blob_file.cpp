#include "host/blob_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace host {

std::optional<std::vector<BYTE>> ReadBlobFile(const std::string& path, std::string& why) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        why = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

bool WriteBlobFile(const std::string& path, const std::vector<BYTE>& bytes, std::string& why) {
    // A name of its own, so two writers never share the temporary file.
    const std::string temporary = path + ".tmp" + std::to_string(std::random_device{}());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            why = "cannot write " + path + ": " + std::strerror(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        why = "cannot write " + path + ": " + error.message();
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

BlobVariant::BlobVariant(const std::vector<BYTE>& bytes) {
    VariantInit(&m_value);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    if (array == nullptr || FAILED(SafeArrayAccessData(array, &data))) {
        SafeArrayDestroy(array);
        return;
    }
    if (!bytes.empty()) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
    SafeArrayUnaccessData(array);
    m_value.vt = VT_ARRAY;
    m_value.parray = array;
}

std::optional<std::vector<BYTE>> BlobBytes(const VARIANT& value) {
    if (value.vt != VT_ARRAY || value.parray == nullptr) {
        return std::nullopt;
    }
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(value.parray, &data))) {
        return std::nullopt;
    }
    const ULONG count = value.parray->rgsabound[0].cElements;
    const BYTE* first = static_cast<const BYTE*>(data);
    std::vector<BYTE> bytes(first, first + count);
    SafeArrayUnaccessData(value.parray);
    return bytes;
}

}  // namespace host
