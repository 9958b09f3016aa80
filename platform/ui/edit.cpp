// Single-line edit control.
#include "ui_internal.h"

#include <algorithm>

namespace vt::ui {

bool EditKey(Window& window, UINT message, WPARAM key, bool digits_only) {
    std::string& text = window.text;
    window.caret = std::min(window.caret, text.size());
    if (message == WM_KEYDOWN) {
        switch (key) {
        case VK_LEFT: window.caret = window.caret > 0 ? window.caret - 1 : 0; return false;
        case VK_RIGHT: window.caret = std::min(window.caret + 1, text.size()); return false;
        case VK_HOME: window.caret = 0; return false;
        case VK_END: window.caret = text.size(); return false;
        case VK_DELETE:
            if (window.caret >= text.size() || (window.style & ES_READONLY) != 0) {
                return false;
            }
            text.erase(window.caret, 1);
            return true;
        default: return false;
        }
    }
    if (message != WM_CHAR || (window.style & ES_READONLY) != 0) {
        return false;
    }
    if (key == VK_BACK) {
        if (window.caret == 0) {
            return false;
        }
        text.erase(--window.caret, 1);
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
    // Without ES_AUTOHSCROLL a single-line edit takes no more than it can
    // show (its cells less the two brackets).
    bool full = window.kind == Kind::Edit && (window.style & ES_AUTOHSCROLL) == 0 &&
                static_cast<int>(text.size()) >= ControlCells(window).columns - 2;
    if (text.size() >= window.limit || full) {
        if (window.kind == Kind::Edit) {
            Notify(window, EN_MAXTEXT);
        }
        return false;
    }
    char c = static_cast<char>(key);
    if ((window.style & ES_UPPERCASE) != 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if ((window.style & ES_LOWERCASE) != 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    text.insert(window.caret++, 1, c);
    return true;
}

LRESULT EditProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SETTEXT: {
        const char* text = lparam != 0 ? reinterpret_cast<const char*>(lparam) : "";
        window.text = text;
        window.caret = window.text.size();
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
    case EM_LIMITTEXT:
        // 0 restores the largest limit, as on Windows.
        window.limit = wparam == 0 ? 0x7FFFFFFE : static_cast<size_t>(wparam);
        return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(window.limit);
    case EM_GETSEL: {
        auto caret = static_cast<DWORD>(window.caret);
        if (wparam != 0) *reinterpret_cast<DWORD*>(wparam) = caret;
        if (lparam != 0) *reinterpret_cast<DWORD*>(lparam) = caret;
        return MAKELONG(caret, caret);
    }
    case EM_SETSEL:
        // No selection is kept: the caret goes to the selection's end.
        window.caret = std::min(lparam < 0 ? window.text.size() : static_cast<size_t>(lparam),
                                window.text.size());
        return 0;
    case EM_SETPASSWORDCHAR:
        window.style = wparam != 0 ? (window.style | ES_PASSWORD) : (window.style & ~ES_PASSWORD);
        return 0;
    case WM_SETFOCUS:
        window.caret = window.text.size();
        Notify(window, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS: Notify(window, EN_KILLFOCUS); return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    default: return StaticProc(window, message, wparam, lparam);
    }
}

}  // namespace vt::ui
