// Windows: the live-handle table, message dispatch and the window-level
// functions (text, focus, enable, long pointers).
#include "ui_internal.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_set>
#include <utility>

namespace vt::ui {
namespace {

// Windows belong to the thread that made them; the table is per thread so a
// handle from another thread is not one here.
thread_local std::unordered_set<Window*> t_live;
thread_local Window* t_focus = nullptr;
thread_local std::vector<Window*> t_modals;
thread_local UINT t_modifiers = 0;

// Sets one of a window's flags; its old value, or nothing for no window.
std::optional<bool> SwapFlag(HWND window, bool Window::*flag, bool value) {
    Window* object = FromHandle(window);
    if (object == nullptr) {
        return std::nullopt;
    }
    return std::exchange(object->*flag, value);
}

}  // namespace

Window* FromHandle(HWND window) {
    auto* object = reinterpret_cast<Window*>(window);
    return (object != nullptr && t_live.count(object) != 0) ? object : nullptr;
}

Window* CreateWindowObject(Kind kind, Window* parent) {
    auto owned = std::make_unique<Window>();
    owned->kind = kind;
    owned->parent = parent;
    Window* window = owned.release();
    t_live.insert(window);
    if (parent != nullptr) {
        parent->children.push_back(window);
    }
    return window;
}

void DestroyWindowTree(Window* window) {
    // Windows sends WM_DESTROY to the parent first, then to the children.
    Send(*window, WM_DESTROY);
    for (Window* child : std::vector<Window*>(window->children)) {
        child->parent = nullptr;
        DestroyWindowTree(child);
    }
    if (window->parent != nullptr) {
        auto& siblings = window->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    if (t_focus == window) {
        t_focus = nullptr;
    }
    t_modals.erase(std::remove(t_modals.begin(), t_modals.end(), window), t_modals.end());
    t_live.erase(window);
    delete window;
}

Window*& FocusSlot() { return t_focus; }
std::vector<Window*>& ModalStack() { return t_modals; }
void SetKeyModifiers(UINT modifiers) { t_modifiers = modifiers; }

void Notify(Window& control, WORD code) {
    if (control.parent != nullptr) {
        Send(*control.parent, WM_COMMAND, MAKEWPARAM(control.id, code),
             reinterpret_cast<LPARAM>(control.handle()));
    }
}

LRESULT Send(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (window.kind) {
    case Kind::Dialog: return DialogDefProc(window, message, wparam, lparam);
    case Kind::Button: return ButtonProc(window, message, wparam, lparam);
    case Kind::Edit: return EditProc(window, message, wparam, lparam);
    case Kind::ListBox: return ListBoxProc(window, message, wparam, lparam);
    case Kind::ComboBox: return ComboBoxProc(window, message, wparam, lparam);
    case Kind::Static: return StaticProc(window, message, wparam, lparam);
    }
    return 0;
}

LRESULT CopyTextOut(std::string_view text, WPARAM size, LPARAM buffer) {
    auto* out = reinterpret_cast<char*>(buffer);
    if (out == nullptr || size == 0) {
        return 0;
    }
    // Windows copies at most size - 1 characters and always terminates.
    size_t count = std::min<size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
    return static_cast<LRESULT>(count);
}

std::string StripMnemonic(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        out.push_back(text[i]);
    }
    return out;
}

LRESULT StaticProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SETTEXT:
        window.text = lparam != 0 ? reinterpret_cast<const char*>(lparam) : "";
        return TRUE;
    case WM_GETTEXT: return CopyTextOut(window.text, wparam, lparam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window.text.size());
    case WM_GETDLGCODE: return DLGC_STATIC;
    default: return 0;
    }
}

}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API BOOL IsWindow(HWND window) { return FromHandle(window) != nullptr; }

VT_EXTERN_C VT_PLATFORM_API LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam) {
    Window* object = FromHandle(window);
    return object != nullptr ? Send(*object, message, wparam, lparam) : 0;
}

VT_EXTERN_C VT_PLATFORM_API LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam,
                                                   LPARAM lparam) {
    Window* object = FromHandle(window);
    return object != nullptr ? StaticProc(*object, message, wparam, lparam) : 0;
}

VT_EXTERN_C VT_PLATFORM_API HWND GetDlgItem(HWND dialog, int id) {
    Window* object = FromHandle(dialog);
    if (object == nullptr) {
        return nullptr;
    }
    for (Window* child : object->children) {
        if (child->id == id) {
            return child->handle();
        }
    }
    return nullptr;
}

VT_EXTERN_C VT_PLATFORM_API LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message,
                                                        WPARAM wparam, LPARAM lparam) {
    return SendMessageA(GetDlgItem(dialog, id), message, wparam, lparam);
}

VT_EXTERN_C VT_PLATFORM_API int GetDlgCtrlID(HWND window) {
    Window* object = FromHandle(window);
    return object != nullptr ? object->id : 0;
}

VT_EXTERN_C VT_PLATFORM_API HWND GetParent(HWND window) {
    Window* object = FromHandle(window);
    Window* up = object != nullptr ? (object->parent != nullptr ? object->parent : object->owner)
                                   : nullptr;
    return (up != nullptr && FromHandle(up->handle()) != nullptr) ? up->handle() : nullptr;
}

VT_EXTERN_C VT_PLATFORM_API BOOL IsChild(HWND parent, HWND window) {
    Window* object = FromHandle(window);
    for (Window* up = object != nullptr ? object->parent : nullptr; up != nullptr; up = up->parent) {
        if (up->handle() == parent) {
            return TRUE;
        }
    }
    return FALSE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL SetWindowTextA(HWND window, LPCSTR text) {
    Window* object = FromHandle(window);
    return object != nullptr ? static_cast<BOOL>(Send(*object, WM_SETTEXT, 0,
                                                      reinterpret_cast<LPARAM>(text)) != 0)
                             : FALSE;
}

VT_EXTERN_C VT_PLATFORM_API int GetWindowTextA(HWND window, LPSTR buffer, int size) {
    if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    Window* object = FromHandle(window);
    if (object == nullptr || buffer == nullptr || size <= 0) {
        return 0;
    }
    return static_cast<int>(Send(*object, WM_GETTEXT, static_cast<WPARAM>(size),
                                 reinterpret_cast<LPARAM>(buffer)));
}

VT_EXTERN_C VT_PLATFORM_API int GetWindowTextLengthA(HWND window) {
    Window* object = FromHandle(window);
    return object != nullptr ? static_cast<int>(Send(*object, WM_GETTEXTLENGTH)) : 0;
}

VT_EXTERN_C VT_PLATFORM_API BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    return SetWindowTextA(GetDlgItem(dialog, id), text);
}

VT_EXTERN_C VT_PLATFORM_API UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    return static_cast<UINT>(GetWindowTextA(GetDlgItem(dialog, id), buffer, size));
}

VT_EXTERN_C VT_PLATFORM_API BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed) {
    std::string text = is_signed ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemTextA(dialog, id, text.c_str());
}

VT_EXTERN_C VT_PLATFORM_API UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated,
                                               BOOL is_signed) {
    if (translated != nullptr) {
        *translated = FALSE;
    }
    char text[64];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    // Windows skips spaces around the number, takes a '-' only when signed,
    // and fails on anything else or on overflow.
    const char* p = text;
    while (*p == ' ') ++p;
    bool negative = false;
    if (is_signed && *p == '-') {
        negative = true;
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return 0;
    }
    unsigned long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull) {
            return 0;
        }
        ++p;
    }
    while (*p == ' ') ++p;
    if (*p != '\0') {
        return 0;
    }
    if (is_signed && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) {
        return 0;
    }
    if (translated != nullptr) {
        *translated = TRUE;
    }
    return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

VT_EXTERN_C VT_PLATFORM_API BOOL EnableWindow(HWND window, BOOL enable) {
    std::optional<bool> was_enabled = SwapFlag(window, &Window::enabled, enable != FALSE);
    if (!was_enabled) {
        return FALSE;
    }
    if (enable == FALSE && FocusSlot() == FromHandle(window)) {
        FocusSlot() = nullptr;
    }
    // Returns whether the window was disabled before.
    return *was_enabled ? FALSE : TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL IsWindowEnabled(HWND window) {
    Window* object = FromHandle(window);
    return (object != nullptr && object->enabled) ? TRUE : FALSE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL ShowWindow(HWND window, int command) {
    // Returns whether the window was visible before.
    return SwapFlag(window, &Window::visible, command != SW_HIDE).value_or(false) ? TRUE : FALSE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL IsWindowVisible(HWND window) {
    Window* object = FromHandle(window);
    for (Window* w = object; w != nullptr; w = w->parent) {
        if (!w->visible) {
            return FALSE;
        }
    }
    return object != nullptr ? TRUE : FALSE;
}

VT_EXTERN_C VT_PLATFORM_API HWND SetFocus(HWND window) {
    Window* previous = FocusSlot();
    Window* object = FromHandle(window);
    if (window != nullptr && (object == nullptr || !object->enabled)) {
        return nullptr;
    }
    if (previous == object) {
        return previous != nullptr ? previous->handle() : nullptr;
    }
    FocusSlot() = object;
    if (previous != nullptr) {
        Send(*previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window));
    }
    if (object != nullptr && FocusSlot() == object) {
        Send(*object, WM_SETFOCUS,
             reinterpret_cast<WPARAM>(previous != nullptr ? previous->handle() : nullptr));
    }
    return previous != nullptr ? previous->handle() : nullptr;
}

VT_EXTERN_C VT_PLATFORM_API HWND GetFocus(void) {
    Window* focus = FocusSlot();
    return focus != nullptr ? focus->handle() : nullptr;
}

VT_EXTERN_C VT_PLATFORM_API HWND GetActiveWindow(void) {
    if (!ModalStack().empty()) {
        return ModalStack().back()->handle();
    }
    Window* top = FocusSlot();
    while (top != nullptr && top->parent != nullptr) {
        top = top->parent;
    }
    return top != nullptr ? top->handle() : nullptr;
}

VT_EXTERN_C VT_PLATFORM_API SHORT GetKeyState(int virtual_key) {
    // The high bit marks a key held down.
    UINT mask = virtual_key == VK_SHIFT     ? VT_MOD_SHIFT
                : virtual_key == VK_CONTROL ? VT_MOD_CONTROL
                : virtual_key == VK_MENU    ? VT_MOD_ALT
                                            : 0;
    return (mask & t_modifiers) != 0 ? static_cast<SHORT>(0x8000 - 0x10000) : 0;
}

VT_EXTERN_C VT_PLATFORM_API LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    Window* object = FromHandle(window);
    if (object == nullptr) {
        return 0;
    }
    bool dialog = object->kind == Kind::Dialog;
    if (dialog && index == DWLP_MSGRESULT) return object->msg_result;
    if (dialog && index == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(object->dialog_proc);
    if (dialog && index == DWLP_USER) return object->dialog_user;
    switch (index) {
    case GWLP_USERDATA: return object->user_data;
    case GWLP_ID: return object->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(object->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(object->ex_style);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(object->instance);
    default: SetLastError(1413); return 0;  // ERROR_INVALID_INDEX
    }
}

VT_EXTERN_C VT_PLATFORM_API LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    Window* object = FromHandle(window);
    if (object == nullptr) {
        return 0;
    }
    LONG_PTR previous = GetWindowLongPtrA(window, index);
    bool dialog = object->kind == Kind::Dialog;
    if (dialog && index == DWLP_MSGRESULT) {
        object->msg_result = value;
    } else if (dialog && index == DWLP_DLGPROC) {
        object->dialog_proc = reinterpret_cast<DLGPROC>(value);
    } else if (dialog && index == DWLP_USER) {
        object->dialog_user = value;
    } else if (index == GWLP_USERDATA) {
        object->user_data = value;
    } else if (index == GWLP_ID) {
        object->id = static_cast<int>(value);
    } else if (index == GWL_STYLE) {
        object->style = static_cast<DWORD>(value);
    } else if (index == GWL_EXSTYLE) {
        object->ex_style = static_cast<DWORD>(value);
    } else {
        return 0;
    }
    return previous;
}

VT_EXTERN_C VT_PLATFORM_API BOOL GetClientRect(HWND window, LPRECT rect) {
    Window* object = FromHandle(window);
    if (object == nullptr || rect == nullptr) {
        return FALSE;
    }
    RECT units = object->units;
    *rect = RECT{0, 0, MulDiv(units.right - units.left, kBaseUnitX, 4),
                 MulDiv(units.bottom - units.top, kBaseUnitY, 8)};
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL InvalidateRect(HWND window, LPCRECT, BOOL) {
    // Every frame is drawn whole, so there is nothing to mark.
    return window == nullptr || FromHandle(window) != nullptr ? TRUE : FALSE;
}
