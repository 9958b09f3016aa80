// Arbitrary bytes walked strictly against every provider's layout, as the
// host does before it hands a blob over: the parts tile the input from its
// first byte, and end where the problem is, or at the end when there is none.
#include <vantrel/vantrel.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "host/blob_walk.h"
#include "providers/layouts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    for (LONG id = VANTREL_ID_DYNAM; id <= VANTREL_ID_DYFI; ++id) {
        const host::BlobWalk walk = host::WalkBlob(bytes, vantrel::LayoutOf(id));
        size_t at = 0;
        for (const host::BlobPart& part : walk.parts) {
            if (part.offset != at || part.size > size - at)
                __builtin_trap();
            at += part.size;
        }
        if (walk.problem ? walk.problem->offset != at : at != size)
            __builtin_trap();
    }
    return 0;
}
