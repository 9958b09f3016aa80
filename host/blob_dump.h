// A settings blob's bytes annotated field by field, for `vantrel settings
// --dump`: offset, bytes in hex, and what they are.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "contract/blob_layout.h"

namespace host {

// Walks the blob against the layout (host/blob_walk.h); the bytes from the
// first problem on are shown as one run with the problem as their note.
std::string DumpBlob(vantrel::BlobLayout layout, std::span<const uint8_t> bytes);

}  // namespace host
