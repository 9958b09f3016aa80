// Helpers shared by the text sources, not part of the text API.
#pragma once

#include "text/error.h"

#include <new>

namespace vantrel::detail {

// UTF-8 continuation bytes: never the start of a character, so never the
// start of a match or a cut that keeps a character whole.
inline bool IsContinuationByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 0x80 && b <= 0xBF;
}

// Runs an operation that allocates; std::bad_alloc leaves as E_OUTOFMEMORY.
template <typename F>
decltype(auto) GuardAllocation(F&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        ThrowHResult(E_OUTOFMEMORY);
    }
}

}  // namespace vantrel::detail
