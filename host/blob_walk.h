// A settings blob walked strictly against its provider's layout (the
// module's own table, providers/layouts.h): every field whole and of its
// kind, nothing after the last. `settings --dump` shows the walk; update,
// configure and settings --show refuse a blob whose walk finds a problem
// rather than hand the module bytes it would read as something else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "contract/blob_layout.h"

namespace host {

// Bytes the walk took whole, and what they are ("host[1]: length 10").
struct BlobPart {
    size_t offset;
    size_t size;
    std::string note;
};

// The first place the blob stops matching its layout.
struct BlobProblem {
    std::string field;  // "host", "host[2]", or "after password" for bytes left over
    size_t offset;
    std::string what;
};

struct BlobWalk {
    std::vector<BlobPart> parts;
    std::optional<BlobProblem> problem;
};

// A counted text is its length L >= 1 and L bytes ending in its only NUL;
// a bare text has no NUL; a flag is 0 or 1; a list's count must leave room
// for that many counted texts.
BlobWalk WalkBlob(std::span<const uint8_t> bytes, vantrel::BlobLayout layout);

// "host at offset 0: count 2147483647 runs past the end (20 bytes left)".
std::string Describe(const BlobProblem& problem);

}  // namespace host
