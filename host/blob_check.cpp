#include "host/blob_check.h"

#include "host/blob_walk.h"
#include "host/options.h"
#include "providers/layouts.h"

namespace host {

vantrel::BlobLayout LayoutOf(const Provider& provider) {
    return vantrel::LayoutOf(provider.id);
}

bool CheckBlob(const char* command, const Provider& provider, const std::string& path,
               std::span<const uint8_t> bytes) {
    const BlobWalk walk = WalkBlob(bytes, LayoutOf(provider));
    if (!walk.problem) {
        return true;
    }
    Fail(command, "%s is not a valid %s settings blob: %s; --force uses it as it is", path.c_str(),
         provider.short_name, Describe(*walk.problem).c_str());
    return false;
}

}  // namespace host
