// Terminal input decoding: VT100/xterm byte sequences to key messages.
// Kept apart from drawing so it can be tested on bytes alone.
#include "ui_internal.h"

#include <algorithm>

namespace vt::ui {
namespace {

VtKeyEvent Down(WPARAM key, UINT modifiers = 0) { return VtKeyEvent{WM_KEYDOWN, key, modifiers}; }

// xterm's modifier parameter: 1 + (shift 1, alt 2, ctrl 4).
UINT Modifiers(int parameter) {
    if (parameter < 2) return 0;
    int bits = parameter - 1;
    return ((bits & 1) != 0 ? VT_MOD_SHIFT : 0u) | ((bits & 2) != 0 ? VT_MOD_ALT : 0u) |
           ((bits & 4) != 0 ? VT_MOD_CONTROL : 0u);
}

WPARAM FinalKey(unsigned char final_byte) {
    switch (final_byte) {
    case 'A': return VK_UP;
    case 'B': return VK_DOWN;
    case 'C': return VK_RIGHT;
    case 'D': return VK_LEFT;
    case 'H': return VK_HOME;
    case 'F': return VK_END;
    case 'P': return VK_F1;
    case 'Q': return VK_F2;
    case 'R': return VK_F1 + 2;
    case 'S': return VK_F4;
    default: return 0;
    }
}

WPARAM TildeKey(int number) {
    switch (number) {
    case 1:
    case 7: return VK_HOME;
    case 3: return VK_DELETE;
    case 4:
    case 8: return VK_END;
    case 5: return VK_PRIOR;
    case 6: return VK_NEXT;
    case 11: return VK_F1;
    case 12: return VK_F2;
    case 13: return VK_F1 + 2;
    case 14: return VK_F4;
    case 21: return VK_F10;
    default: return 0;
    }
}

// ESC [ params final. Returns bytes used, 0 when incomplete.
size_t DecodeCsi(const unsigned char* bytes, size_t length, VtKeyEvent* key) {
    int parameters[4] = {0, 0, 0, 0};
    int count = 0;
    for (size_t i = 2; i < length && i < 32; ++i) {
        unsigned char c = bytes[i];
        if (c >= '0' && c <= '9') {
            if (count == 0) count = 1;
            parameters[count - 1] = std::min(parameters[count - 1] * 10 + (c - '0'), 1000);
        } else if (c == ';') {
            if (count == 0) count = 1;
            if (count < 4) ++count;
        } else if (c >= 0x40 && c <= 0x7E) {
            UINT modifiers = Modifiers(count >= 2 ? parameters[1] : 0);
            if (c == 'Z') {
                *key = Down(VK_TAB, VT_MOD_SHIFT);
            } else if (c == '~') {
                *key = Down(TildeKey(parameters[0]), modifiers);
            } else {
                *key = Down(FinalKey(c), modifiers);
            }
            if (key->key == 0) key->message = 0;
            return i + 1;
        } else if (c < 0x20 || c > 0x7E) {
            *key = VtKeyEvent{0, 0, 0};  // broken sequence: drop what we have
            return i;
        }
    }
    return length >= 32 ? 32 : 0;
}

}  // namespace
}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API size_t VtDecodeKey(const unsigned char* bytes, size_t length,
                                               BOOL at_end, VtKeyEvent* key) {
    if (bytes == nullptr || key == nullptr || length == 0) {
        return 0;
    }
    *key = VtKeyEvent{0, 0, 0};
    unsigned char c = bytes[0];
    if (c == 0x1B) {
        if (length >= 2 && bytes[1] == '[') {
            size_t used = DecodeCsi(bytes, length, key);
            if (used != 0 || !at_end) return used;
        } else if (length >= 2 && bytes[1] == 'O') {
            if (length >= 3) {
                WPARAM code = FinalKey(bytes[2]);
                *key = code != 0 ? Down(code) : VtKeyEvent{0, 0, 0};
                return 3;
            }
            if (!at_end) return 0;
        } else if (length == 1 && !at_end) {
            return 0;  // Esc, or the start of a sequence still on its way
        }
        *key = Down(VK_ESCAPE);
        return 1;
    }
    switch (c) {
    case '\t': *key = Down(VK_TAB); return 1;
    case '\r':
    case '\n': *key = Down(VK_RETURN); return 1;
    case 0x7F:
    case 0x08: *key = VtKeyEvent{WM_CHAR, VK_BACK, 0}; return 1;
    case 0x13: *key = Down('S', VT_MOD_CONTROL); return 1;  // Ctrl+S
    default: break;
    }
    if (c >= 0x20) {
        *key = VtKeyEvent{WM_CHAR, c, 0};
    }
    return 1;
}
