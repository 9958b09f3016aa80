// Where the module's own file is, learnt from the platform.
#pragma once

#include <string>

namespace vantrel {

// The full path of the loaded module file; empty when the platform cannot
// tell.
std::string ModulePath();

}  // namespace vantrel
