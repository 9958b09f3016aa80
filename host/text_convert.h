// Text between the module's UTF-16 and the host's narrow strings, and
// HRESULTs as text.
#pragma once

#include <platform/com.h>

#include <string>
#include <string_view>

namespace host {

// UTF-16 <-> the ANSI code page, through the platform.
std::u16string Widen(std::string_view text);
std::string Narrow(const WCHAR* text);

// "0x80004005".
std::string HResultText(HRESULT hr);
// "0x80004005 (E_FAIL)"; the hex alone for a code the host has no name for.
std::string HResultName(HRESULT hr);
// "0x80040154 (REGDB_E_CLASSNOTREG: the class is not registered)": the name
// and what it means to a user, for error lines.
std::string HResultExplained(HRESULT hr);

}  // namespace host
