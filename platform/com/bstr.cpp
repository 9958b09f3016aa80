// BSTR: a 4-byte byte count, then the UTF-16 text, then a NUL character.
// The pointer handed out points at the text, as on Windows.
#include <platform/com.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// Keeps the byte count and the allocation size well inside 32 bits.
constexpr UINT kMaxBytes = 0x7FFFFFF0u;

BSTR AllocateBytes(const void* data, UINT bytes) {
    if (bytes > kMaxBytes)
        return nullptr;
    // One NUL character after the text, plus a pad byte for odd byte lengths.
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR) + 1));
    if (block == nullptr)
        return nullptr;
    uint32_t count = bytes;
    std::memcpy(block, &count, kPrefix);
    if (data != nullptr)
        std::memcpy(block + kPrefix, data, bytes);
    else
        std::memset(block + kPrefix, 0, bytes);
    std::memset(block + kPrefix + bytes, 0, sizeof(OLECHAR) + 1);
    return reinterpret_cast<BSTR>(block + kPrefix);
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (length > kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    return AllocateBytes(text, length * static_cast<UINT>(sizeof(OLECHAR)));
}

VT_EXTERN_C VT_PLATFORM_API BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr)
        return nullptr;
    size_t length = 0;
    while (text[length] != 0)
        ++length;
    if (length > kMaxBytes / sizeof(OLECHAR))
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(length));
}

VT_EXTERN_C VT_PLATFORM_API void SysFreeString(BSTR text) {
    if (text != nullptr)
        std::free(reinterpret_cast<unsigned char*>(text) - kPrefix);
}

VT_EXTERN_C VT_PLATFORM_API UINT SysStringByteLen(BSTR text) {
    if (text == nullptr)
        return 0;
    uint32_t count;
    std::memcpy(&count, reinterpret_cast<unsigned char*>(text) - kPrefix, kPrefix);
    return count;
}

VT_EXTERN_C VT_PLATFORM_API UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / static_cast<UINT>(sizeof(OLECHAR));
}

VT_EXTERN_C VT_PLATFORM_API void* CoTaskMemAlloc(size_t size) { return std::malloc(size); }

VT_EXTERN_C VT_PLATFORM_API void CoTaskMemFree(void* p) { std::free(p); }
