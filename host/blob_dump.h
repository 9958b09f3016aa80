// A settings blob's bytes annotated field by field, for `vantrel settings
// --dump`: offset, bytes in hex, and what they are.
#pragma once

#include <platform/com.h>

#include <span>
#include <string>
#include <vector>

#include "host/settings_keys.h"

namespace host {

// Reads the fields of `keys` in order; a field cut short by the end of the
// blob and bytes after the last field are marked as such.
std::string DumpBlob(std::span<const SettingKey> keys, const std::vector<BYTE>& bytes);

}  // namespace host
