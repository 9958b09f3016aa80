// Registration data of the class table: the keys each class writes under
// HKEY_CLASSES_ROOT, and the type library.
#pragma once

#include <platform/com.h>

#include <string>

namespace vantrel {

// module_path: the module file, as InprocServer32 and ToolboxBitmap32 name it.
HRESULT RegisterClasses(const std::string& module_path);
HRESULT UnregisterClasses();

}  // namespace vantrel
