// Wide texts a host hands over. First byte: 0 a class ID for
// CLSIDFromString (a braced GUID, else a ProgID looked up in an empty
// registry), 1 an updater's proxy "host:port". The rest is UTF-16 units.
#include "contract/updater.h"

#include <platform/com.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void ClassId(const std::u16string& text) {
    CLSID clsid;
    if (CLSIDFromString(text.c_str(), &clsid) != S_OK) {
        if (!IsEqualGUID(clsid, IID_NULL)) std::abort();
        return;
    }
    // What parsed formats and reads back as the same class.
    OLECHAR formatted[40];
    CLSID again;
    if (StringFromGUID2(clsid, formatted, 40) == 0 || CLSIDFromString(formatted, &again) != S_OK ||
        !IsEqualGUID(clsid, again)) {
        std::abort();
    }
}

void Proxy(const std::u16string& text) {
    vantrel::Text narrow(text.c_str());
    vantrel::ProxyAddress address;
    if (!vantrel::ParseProxyAddress(narrow, address)) {
        return;
    }
    if (address.port < 0 || address.host.Length() >= narrow.Length() ||
        narrow.View().substr(0, static_cast<size_t>(address.host.Length())) != address.host.View()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // No ProgID is registered: the lookup reads a hive that is not there.
    static const int isolated = setenv("VANTREL_REGISTRY", "/nonexistent/vantrel-fuzz/registry.reg", 1);
    (void)isolated;
    if (size == 0) {
        return 0;
    }
    std::u16string text((size - 1) / 2, u'\0');
    std::memcpy(text.data(), data + 1, text.size() * 2);
    text.resize(std::char_traits<char16_t>::length(text.c_str()));  // up to the first NUL
    switch (data[0] % 2) {
        case 0: ClassId(text); break;
        case 1: Proxy(text); break;
    }
    return 0;
}
