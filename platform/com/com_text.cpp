// Text and registry helpers of the component runtime.
#include "com_internal.h"

#include <platform/codepage.h>
#include <platform/registry.h>

namespace vtplatform {

std::string GuidToNarrow(const GUID& guid) {
    OLECHAR wide[39];
    StringFromGUID2(guid, wide, 39);
    return std::string(wide, wide + 38);  // the braced form is ASCII
}

bool GuidFromNarrow(const std::string& text, GUID* guid) {
    return GuidFromBracedString(Widen(text).c_str(), guid);
}

std::string Narrow(const OLECHAR* text) {
    if (text == nullptr || *text == 0)
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return out;
}

std::u16string Widen(const std::string& text) {
    if (text.empty())
        return {};
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::u16string out(static_cast<size_t>(size > 0 ? size : 0), u'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
    return out;
}

LONG ReadRegistryString(const std::string& path, const char* name, std::string* value) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD size = 0;
    status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    // Another process may rewrite the hive between asking for the size and
    // reading: a value that grew meanwhile reports its new size, so ask again.
    for (int tries = 1; status == ERROR_SUCCESS; ++tries) {
        value->assign(size, '\0');
        status = RegQueryValueExA(key, name, nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(value->data()), &size);
        if (status == ERROR_SUCCESS) {
            value->resize(size > 0 ? size - 1 : 0);
            break;
        }
        if (status != ERROR_MORE_DATA || tries == 8)
            break;
        status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status;
}

std::optional<std::string> ReadRegistryString(const std::string& path, bool* failed) {
    std::string value;
    LONG status = ReadRegistryString(path, "", &value);
    if (status == ERROR_SUCCESS)
        return value;
    if (status != ERROR_FILE_NOT_FOUND)
        *failed = true;
    return std::nullopt;
}

LONG WriteRegistryString(const std::string& path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status;
}

}  // namespace vtplatform
