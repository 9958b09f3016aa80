#include "contract/com_object.h"

namespace vantrel {
namespace {
std::atomic<LONG> g_lock_count{0};
}

void LockModule() {
    ++g_lock_count;
}
void UnlockModule() {
    --g_lock_count;
}
LONG ModuleLockCount() {
    return g_lock_count.load();
}

}  // namespace vantrel
