// Conversions and comparisons that go through the platform's code page.
#include "text/text.h"

#include "text/text_internal.h"

#include <platform/codepage.h>
#include <platform/module.h>

namespace vantrel {

namespace {

// The last-error code as an HRESULT; a conversion that failed without
// saying why still fails.
[[noreturn]] void ThrowLastError() {
    DWORD error = GetLastError();
    ThrowHResult(error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

}  // namespace

Text::Text(const WCHAR* wide) {
    if (wide == nullptr) {
        return;
    }
    // Length -1: the count includes the terminating NUL.
    int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        ThrowLastError();
    }
    detail::GuardAllocation([&] { m_bytes.resize(static_cast<size_t>(needed)); });
    int written =
        WideCharToMultiByte(CP_ACP, 0, wide, -1, m_bytes.data(), needed, nullptr, nullptr);
    if (written <= 0) {
        m_bytes.clear();
        ThrowLastError();
    }
    m_bytes.resize(static_cast<size_t>(written - 1));
}

int Text::CompareNoCase(const char* other) const {
    return lstrcmpiA(CStr(), other != nullptr ? other : "");
}

BSTR Text::ToBstr() const {
    if (IsEmpty()) {
        BSTR empty = SysAllocStringLen(nullptr, 0);
        if (empty == nullptr) {
            ThrowHResult(E_OUTOFMEMORY);
        }
        return empty;
    }
    int needed = MultiByteToWideChar(CP_ACP, 0, CStr(), Length(), nullptr, 0);
    if (needed <= 0) {
        ThrowLastError();
    }
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(needed));
    if (result == nullptr) {
        ThrowHResult(E_OUTOFMEMORY);
    }
    if (MultiByteToWideChar(CP_ACP, 0, CStr(), Length(), result, needed) != needed) {
        SysFreeString(result);
        ThrowLastError();
    }
    return result;
}

}  // namespace vantrel
