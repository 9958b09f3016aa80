// Helpers shared by the component runtime's source files.
#pragma once

#include <platform/com.h>

#include <optional>
#include <string>

namespace vtplatform {

// Parses exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (either case).
bool GuidFromBracedString(LPCOLESTR text, GUID* guid);
// The upper-case braced form as narrow text.
std::string GuidToNarrow(const GUID& guid);
bool GuidFromNarrow(const std::string& text, GUID* guid);
// UTF-16 to UTF-8 and back through the platform's code-page functions.
std::string Narrow(const OLECHAR* text);
std::u16string Widen(const std::string& text);

// HKCR\path's value (the default value for an empty name): ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND when the key or value is absent, or the registry's
// own failure (ERROR_BADDB for a damaged hive).
LONG ReadRegistryString(const std::string& path, const char* name, std::string* value);
// The default value; absent as nullopt, any other failure sets *failed.
std::optional<std::string> ReadRegistryString(const std::string& path, bool* failed);
// Creates HKCR\path and sets one value; a Win32 error code.
LONG WriteRegistryString(const std::string& path, const char* name, const std::string& value);

}  // namespace vtplatform
