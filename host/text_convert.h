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

std::string HResultText(HRESULT hr);

}  // namespace host
