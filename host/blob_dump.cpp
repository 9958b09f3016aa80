#include "host/blob_dump.h"

#include <cstdio>

#include "host/blob_walk.h"

namespace host {

namespace {

constexpr size_t kBytesPerLine = 16;

// The bytes of [offset, offset + count), 16 to a line, the note on the first.
void Lines(std::string& out, std::span<const uint8_t> bytes, size_t offset, size_t count,
           const std::string& note) {
    for (size_t done = 0; done < count || done == 0; done += kBytesPerLine) {
        char position[16];
        std::snprintf(position, sizeof position, "%6zu ", offset + done);
        std::string hex;
        for (size_t i = done; i < count && i < done + kBytesPerLine; ++i) {
            char pair[4];
            std::snprintf(pair, sizeof pair, " %02x", bytes[offset + i]);
            hex += pair;
        }
        if (done == 0) {
            hex.resize(kBytesPerLine * 3, ' ');
            hex += "  " + note;
        }
        out += position + hex + "\n";
        if (count == 0)
            break;
    }
}

}  // namespace

std::string DumpBlob(vantrel::BlobLayout layout, std::span<const uint8_t> bytes) {
    const BlobWalk walk = WalkBlob(bytes, layout);
    std::string out;
    for (const BlobPart& part : walk.parts) {
        Lines(out, bytes, part.offset, part.size, part.note);
    }
    if (walk.problem) {
        const BlobProblem& problem = *walk.problem;
        Lines(out, bytes, problem.offset, bytes.size() - problem.offset,
              problem.field + ": " + problem.what);
    }
    return out;
}

}  // namespace host
