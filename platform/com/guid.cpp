// GUIDs: the platform's interface IDs and their text form.
#include "com_internal.h"

#include <cstring>

VT_EXTERN_C VT_PLATFORM_API const IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
VT_EXTERN_C VT_PLATFORM_API const IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
VT_EXTERN_C VT_PLATFORM_API const IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
VT_EXTERN_C VT_PLATFORM_API const IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace {

constexpr int kGuidChars = 38;  // "{8-4-4-4-12}" without the NUL

int HexValue(OLECHAR c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads digits hex digits at text[*pos]; false on a non-hex character.
bool ReadHex(LPCOLESTR text, int* pos, int digits, uint32_t* value) {
    *value = 0;
    for (int i = 0; i < digits; ++i) {
        int v = HexValue(text[*pos]);
        if (v < 0)
            return false;
        *value = (*value << 4) | static_cast<uint32_t>(v);
        ++*pos;
    }
    return true;
}

bool Expect(LPCOLESTR text, int* pos, OLECHAR c) {
    if (text[*pos] != c)
        return false;
    ++*pos;
    return true;
}

}  // namespace

namespace vtplatform {

// Parses exactly the braced form; the text must end after the brace.
bool GuidFromBracedString(LPCOLESTR text, GUID* guid) {
    uint32_t d1, d2, d3, v;
    int pos = 0;
    if (!Expect(text, &pos, '{') || !ReadHex(text, &pos, 8, &d1) || !Expect(text, &pos, '-') ||
        !ReadHex(text, &pos, 4, &d2) || !Expect(text, &pos, '-') || !ReadHex(text, &pos, 4, &d3) ||
        !Expect(text, &pos, '-'))
        return false;
    GUID result{d1, static_cast<uint16_t>(d2), static_cast<uint16_t>(d3), {}};
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, &pos, '-'))
            return false;
        if (!ReadHex(text, &pos, 2, &v))
            return false;
        result.Data4[i] = static_cast<uint8_t>(v);
    }
    if (!Expect(text, &pos, '}') || text[pos] != 0)
        return false;
    *guid = result;
    return true;
}

}  // namespace vtplatform

VT_EXTERN_C VT_PLATFORM_API BOOL IsEqualGUID(REFGUID a, REFGUID b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0 ? TRUE : FALSE;
}

VT_EXTERN_C VT_PLATFORM_API int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int count) {
    if (buffer == nullptr || count <= kGuidChars)
        return 0;
    static const char kDigits[] = "0123456789ABCDEF";
    int pos = 0;
    auto put_hex = [&](uint32_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            buffer[pos++] = static_cast<OLECHAR>(kDigits[(value >> shift) & 0xF]);
    };
    buffer[pos++] = '{';
    put_hex(guid.Data1, 8);
    buffer[pos++] = '-';
    put_hex(guid.Data2, 4);
    buffer[pos++] = '-';
    put_hex(guid.Data3, 4);
    buffer[pos++] = '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            buffer[pos++] = '-';
        put_hex(guid.Data4[i], 2);
    }
    buffer[pos++] = '}';
    buffer[pos++] = 0;
    return pos;
}

// Windows gives CLSID_NULL and S_OK for a null text; a text that is not in
// braced form is looked up as a ProgID.
VT_EXTERN_C VT_PLATFORM_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
    if (clsid == nullptr)
        return E_INVALIDARG;
    *clsid = IID_NULL;
    if (text == nullptr)
        return S_OK;
    if (vtplatform::GuidFromBracedString(text, clsid))
        return S_OK;
    if (text[0] != '{' && CLSIDFromProgID(text, clsid) == S_OK)
        return S_OK;
    *clsid = IID_NULL;
    return CO_E_CLASSSTRING;
}
