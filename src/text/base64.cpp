// Base64 with the line layout of MIME: 76-character lines split by CR LF.
#include "text/text.h"

#include <climits>
#include <cstdint>

namespace vantrel {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kGroupsPerLine = 19;  // 19 groups of 4 characters: 76
constexpr int kLineLength = 76;

// Writes one group from up to three bytes; `count` characters of it.
char* EncodeGroup(const BYTE* source, int bytes, int count, char* out) {
    uint32_t bits = static_cast<uint32_t>(source[0]) << 16;
    if (bytes > 1) {
        bits |= static_cast<uint32_t>(source[1]) << 8;
    }
    if (bytes > 2) {
        bits |= source[2];
    }
    for (int i = 0; i < count; ++i) {
        *out++ = kAlphabet[(bits >> (18 - 6 * i)) & 0x3F];
    }
    return out;
}

}  // namespace

// -1 for a negative length or one whose room would not fit an int.
int Base64EncodedLength(int n, unsigned options) {
    if (n < 0) {
        return -1;
    }
    int64_t reserved = static_cast<int64_t>(n) * 4 / 3;
    if ((options & kBase64NoPadding) == 0) {
        reserved += n % 3;
    }
    int64_t lines = reserved / kLineLength + 1;
    if ((reserved % kLineLength) % 4 != 0) {
        reserved += 4 - reserved % 4;
    }
    if ((options & kBase64NoLineBreaks) == 0) {
        reserved += 2 * lines;
    }
    return reserved > INT_MAX ? -1 : static_cast<int>(reserved);
}

bool Base64Encode(const BYTE* source, int n, char* destination, int* destination_length,
                  unsigned options) {
    if (source == nullptr || destination == nullptr || destination_length == nullptr) {
        return false;
    }
    int reserved = Base64EncodedLength(n, options);
    if (reserved < 0 || *destination_length < reserved) {
        return false;
    }
    const bool line_breaks = (options & kBase64NoLineBreaks) == 0;
    const int full = n / 3 * 4;
    const int full_lines = full / kLineLength;
    char* out = destination;
    for (int piece = 0; piece <= full_lines; ++piece) {
        int groups = piece < full_lines ? kGroupsPerLine : (full % kLineLength) / 4;
        for (int g = 0; g < groups; ++g, source += 3) {
            out = EncodeGroup(source, 3, 4, out);
        }
        if (line_breaks) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    // Only the break after the last piece goes back, so exactly full lines
    // keep theirs.
    if (out != destination && line_breaks) {
        out -= 2;
    }
    int rest = n % 3;
    if (rest != 0) {
        out = EncodeGroup(source, rest, rest + 1, out);
        if ((options & kBase64NoPadding) == 0) {
            for (int i = rest + 1; i < 4; ++i) {
                *out++ = '=';
            }
        }
    }
    *destination_length = static_cast<int>(out - destination);
    return true;
}

}  // namespace vantrel
