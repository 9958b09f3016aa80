#include "module/module_path.h"

#include <platform/module.h>

#include <vector>

namespace vantrel {

namespace {

// Any address inside the module names it.
void AnchorInsideModule() {}

}  // namespace

std::string ModulePath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&AnchorInsideModule), &self)) {
        return {};
    }
    // GetModuleFileNameA fills the buffer and truncates when the path does
    // not fit, so grow until the answer is shorter than the room.
    std::vector<char> buffer(260);
    for (;;) {
        DWORD length = GetModuleFileNameA(self, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace vantrel
