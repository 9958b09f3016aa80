// Single-line edit control.
#include "ui_internal.h"

#include <algorithm>

namespace vt::ui {

namespace {

size_t SelectionStart(const Window& window) { return std::min(window.anchor, window.caret); }
size_t SelectionEnd(const Window& window) { return std::max(window.anchor, window.caret); }

// Removes the selected text; true when there was any.
bool EraseSelection(Window& window) {
    size_t from = SelectionStart(window);
    size_t to = SelectionEnd(window);
    window.caret = window.anchor = from;
    if (from == to) {
        return false;
    }
    window.text.erase(from, to - from);
    return true;
}

bool Movement(Window& window, WPARAM key) {
    size_t size = window.text.size();
    switch (key) {
    case VK_LEFT: window.caret = window.caret > 0 ? window.caret - 1 : 0; break;
    case VK_RIGHT: window.caret = std::min(window.caret + 1, size); break;
    case VK_HOME: window.caret = 0; break;
    case VK_END: window.caret = size; break;
    default: return false;
    }
    window.anchor = window.caret;
    return true;
}

}  // namespace

bool EditKey(Window& window, UINT message, WPARAM key, bool digits_only) {
    std::string& text = window.text;
    window.caret = std::min(window.caret, text.size());
    window.anchor = std::min(window.anchor, text.size());
    bool read_only = (window.style & ES_READONLY) != 0;
    if (message == WM_KEYDOWN) {
        if (Movement(window, key) || key != VK_DELETE || read_only) {
            return false;
        }
        if (EraseSelection(window)) {
            return true;
        }
        if (window.caret >= text.size()) {
            return false;
        }
        text.erase(window.caret, 1);
        return true;
    }
    if (message != WM_CHAR || read_only) {
        return false;
    }
    if (key == VK_BACK) {
        if (EraseSelection(window)) {
            return true;
        }
        if (window.caret == 0) {
            return false;
        }
        text.erase(--window.caret, 1);
        window.anchor = window.caret;
        return true;
    }
    if (key < 0x20 || key > 0xFF || key == 0x7F) {
        return false;
    }
    // ES_NUMBER refuses anything but digits typed in; text set by program
    // is not checked (Windows behaves the same).
    if (digits_only && (key < '0' || key > '9')) {
        return false;
    }
    // Typing replaces the selection.
    bool replaced = EraseSelection(window);
    // Without ES_AUTOHSCROLL a single-line edit takes no more than it can
    // show (its cells less the two brackets).
    bool full = window.kind == Kind::Edit && (window.style & ES_AUTOHSCROLL) == 0 &&
                static_cast<int>(text.size()) >= ControlCells(window).columns - 2;
    if (text.size() >= window.limit || full) {
        if (window.kind == Kind::Edit) {
            Notify(window, EN_MAXTEXT);
        }
        return replaced;
    }
    char c = static_cast<char>(key);
    if ((window.style & ES_UPPERCASE) != 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if ((window.style & ES_LOWERCASE) != 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    text.insert(window.caret++, 1, c);
    window.anchor = window.caret;
    return true;
}

LRESULT EditProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SETTEXT: {
        const char* text = lparam != 0 ? reinterpret_cast<const char*>(lparam) : "";
        window.text = text;
        window.caret = window.anchor = window.text.size();
        window.scroll = 0;
        Notify(window, EN_UPDATE);
        Notify(window, EN_CHANGE);
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_CHAR:
        if (EditKey(window, message, wparam, (window.style & ES_NUMBER) != 0)) {
            Notify(window, EN_UPDATE);
            Notify(window, EN_CHANGE);
        }
        return 0;
    case EM_GETSEL: {
        auto from = static_cast<DWORD>(SelectionStart(window));
        auto to = static_cast<DWORD>(SelectionEnd(window));
        if (wparam != 0) *reinterpret_cast<DWORD*>(wparam) = from;
        if (lparam != 0) *reinterpret_cast<DWORD*>(lparam) = to;
        return MAKELONG(from, to);
    }
    case EM_SETSEL: {
        // A start of -1 removes the selection; an end of -1 is the text's end.
        size_t size = window.text.size();
        if (static_cast<int>(wparam) == -1) {
            window.anchor = window.caret;
            return 0;
        }
        window.anchor = std::min(static_cast<size_t>(wparam), size);
        window.caret = lparam < 0 ? size : std::min(static_cast<size_t>(lparam), size);
        return 0;
    }
    case WM_SETFOCUS:
        Notify(window, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS: Notify(window, EN_KILLFOCUS); return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    default: return StaticProc(window, message, wparam, lparam);
    }
}

}  // namespace vt::ui
