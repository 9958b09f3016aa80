#include "host/text_convert.h"

#include <platform/codepage.h>
#include <platform/registry.h>

#include <cstdio>

namespace host {

std::u16string Widen(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::u16string wide(static_cast<size_t>(size > 0 ? size : 0), u'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    }
    return wide;
}

std::string Narrow(const WCHAR* text) {
    if (text == nullptr || *text == 0) {
        return {};
    }
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

std::string HResultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

namespace {

struct KnownResult {
    HRESULT code;
    const char* name;
    const char* meaning;
};

// Win32 codes come wrapped as 0x8007xxxx (HRESULT_FROM_WIN32).
constexpr HRESULT FromWin32(unsigned code) {
    return static_cast<HRESULT>(0x80070000u | code);
}

// The codes the module and the platform answer the host's calls with.
constexpr KnownResult kKnownResults[] = {
    {S_OK, "S_OK", "success"},
    {S_FALSE, "S_FALSE", "success, with nothing to do"},
    {E_FAIL, "E_FAIL", "the call failed"},
    {E_NOTIMPL, "E_NOTIMPL", "not implemented"},
    {E_NOINTERFACE, "E_NOINTERFACE", "the object does not offer that interface"},
    {E_POINTER, "E_POINTER", "a pointer argument was null"},
    {E_UNEXPECTED, "E_UNEXPECTED", "an unexpected failure inside the module"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    {E_INVALIDARG, "E_INVALIDARG", "an argument was not valid"},
    {E_ACCESSDENIED, "E_ACCESSDENIED", "access denied"},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG", "the class is not registered in the hive"},
    {REGDB_E_READREGDB, "REGDB_E_READREGDB", "the registry hive could not be read"},
    {REGDB_E_WRITEREGDB, "REGDB_E_WRITEREGDB", "the registry hive could not be written"},
    {CO_E_CLASSSTRING, "CO_E_CLASSSTRING", "no class of that name is registered in the hive"},
    {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND", "the registered module file was not found"},
    {CO_E_ERRORINDLL, "CO_E_ERRORINDLL", "the registered module file could not be loaded"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION", "the class cannot be aggregated"},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE", "the module has no such class"},
    {TYPE_E_LIBNOTREGISTERED, "TYPE_E_LIBNOTREGISTERED",
     "the module's type library is not registered in the hive"},
    {TYPE_E_CANTLOADLIBRARY, "TYPE_E_CANTLOADLIBRARY", "the type library could not be loaded"},
    {FromWin32(ERROR_FILE_NOT_FOUND), "ERROR_FILE_NOT_FOUND", "a file or key was not found"},
    {FromWin32(ERROR_ACCESS_DENIED), "ERROR_ACCESS_DENIED", "access denied"},
    {FromWin32(1009), "ERROR_BADDB", "the registry hive is corrupt"},
    {FromWin32(1012), "ERROR_CANTREAD", "the registry hive could not be read"},
    {FromWin32(1013), "ERROR_CANTWRITE", "the registry hive could not be written"},
};

const KnownResult* Find(HRESULT hr) {
    for (const KnownResult& known : kKnownResults) {
        if (known.code == hr) {
            return &known;
        }
    }
    return nullptr;
}

}  // namespace

std::string HResultName(HRESULT hr) {
    const KnownResult* known = Find(hr);
    return HResultText(hr) + (known != nullptr ? std::string(" (") + known->name + ")" : "");
}

std::string HResultExplained(HRESULT hr) {
    const KnownResult* known = Find(hr);
    return known == nullptr ? HResultText(hr)
                            : HResultText(hr) + " (" + known->name + ": " + known->meaning + ")";
}

}  // namespace host
