// Keyboard navigation of dialogs: tab stops, groups and the keys that the
// dialog manager takes before the focused control sees them.
#include "ui_internal.h"

#include <algorithm>

namespace vt::ui {
namespace {

bool IsRadio(const Window& window) {
    return window.kind == Kind::Button && (window.button_type() == BS_RADIOBUTTON ||
                                           window.button_type() == BS_AUTORADIOBUTTON);
}

bool Usable(const Window& window) { return window.visible && window.enabled; }

size_t IndexOf(const Window& dialog, const Window* child) {
    auto at = std::find(dialog.children.begin(), dialog.children.end(), child);
    return static_cast<size_t>(at - dialog.children.begin());
}

// The tab stops in template order. A radio group is one stop: Windows moves
// to its checked button, or to its first one with WS_TABSTOP.
std::vector<Window*> TabStops(const Window& dialog) {
    std::vector<Window*> stops;
    size_t group_end = 0;
    for (size_t i = 0; i < dialog.children.size(); ++i) {
        Window* child = dialog.children[i];
        if (!Usable(*child)) {
            continue;
        }
        if (!IsRadio(*child)) {
            if ((child->style & WS_TABSTOP) != 0) stops.push_back(child);
            continue;
        }
        if (i < group_end) {
            continue;  // its group already has its stop
        }
        size_t first = 0;
        GroupBounds(dialog, i, &first, &group_end);
        Window* checked = nullptr;
        Window* tab = nullptr;
        for (size_t j = i; j < group_end; ++j) {
            Window* radio = dialog.children[j];
            if (!IsRadio(*radio) || !Usable(*radio)) continue;
            if (radio->check == BST_CHECKED && checked == nullptr) checked = radio;
            if ((radio->style & WS_TABSTOP) != 0 && tab == nullptr) tab = radio;
        }
        if (tab != nullptr) stops.push_back(checked != nullptr ? checked : tab);
    }
    return stops;
}

bool SameRadioGroup(const Window& dialog, const Window* a, const Window* b) {
    if (!IsRadio(*a) || !IsRadio(*b)) {
        return false;
    }
    size_t first = 0;
    size_t end = 0;
    GroupBounds(dialog, IndexOf(dialog, a), &first, &end);
    size_t other = IndexOf(dialog, b);
    return other >= first && other < end;
}

void SendCommand(Window& dialog, int id) {
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
         reinterpret_cast<LPARAM>(GetDlgItem(dialog.handle(), id)));
}

// Enter: a focused button is pressed; elsewhere the default button's id
// (IDOK when there is none) goes to the dialog.
void PressEnter(Window& dialog, Window& target, LRESULT code) {
    if ((code & DLGC_BUTTON) != 0) {
        Send(target, BM_CLICK);
        return;
    }
    LRESULT def = Send(dialog, DM_GETDEFID);
    int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
    HWND button = GetDlgItem(dialog.handle(), id);
    if (button == nullptr || IsWindowEnabled(button)) {
        SendCommand(dialog, id);
    }
}

bool ArrowKey(WPARAM key) {
    return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
}

}  // namespace

void FocusControl(HWND control) {
    if (control == nullptr) {
        return;
    }
    SetFocus(control);
    // The dialog manager selects the whole text of an edit it moves to.
    if ((SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    Window* object = FromHandle(dialog);
    if (object == nullptr) {
        return nullptr;
    }
    std::vector<Window*> stops = TabStops(*object);
    if (stops.empty()) {
        return nullptr;
    }
    Window* current = FromHandle(control);
    auto count = static_cast<ptrdiff_t>(stops.size());
    ptrdiff_t at = -1;
    for (ptrdiff_t i = 0; current != nullptr && i < count; ++i) {
        if (stops[static_cast<size_t>(i)] == current ||
            SameRadioGroup(*object, stops[static_cast<size_t>(i)], current)) {
            at = i;
        }
    }
    if (at < 0) {
        return (previous ? stops.back() : stops.front())->handle();
    }
    ptrdiff_t next = previous ? (at + count - 1) % count : (at + 1) % count;
    return stops[static_cast<size_t>(next)]->handle();
}

VT_EXTERN_C VT_PLATFORM_API HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    Window* object = FromHandle(dialog);
    Window* current = FromHandle(control);
    if (object == nullptr || current == nullptr || current->parent != object) {
        return nullptr;
    }
    size_t first = 0;
    size_t end = 0;
    size_t index = IndexOf(*object, current);
    GroupBounds(*object, index, &first, &end);
    size_t size = end - first;
    for (size_t step = 1; step < size; ++step) {
        size_t offset = previous ? (index - first + size - step) % size : (index - first + step) % size;
        Window* candidate = object->children[first + offset];
        if (Usable(*candidate)) {
            return candidate->handle();
        }
    }
    return control;
}

VT_EXTERN_C VT_PLATFORM_API BOOL IsDialogMessageA(HWND dialog, MSG* message) {
    Window* object = FromHandle(dialog);
    if (object == nullptr || message == nullptr) {
        return FALSE;
    }
    Window* target = FromHandle(message->hwnd);
    if (target == nullptr || (target != object && IsChild(dialog, message->hwnd) == FALSE)) {
        return FALSE;
    }
    UINT kind = message->message;
    WPARAM key = message->wParam;
    LRESULT code = target != object ? Send(*target, WM_GETDLGCODE, key,
                                           reinterpret_cast<LPARAM>(message))
                                    : 0;
    if (kind == WM_KEYDOWN && (code & DLGC_WANTALLKEYS) == 0) {
        bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (key == VK_TAB && (code & DLGC_WANTTAB) == 0) {
            HWND next = GetNextDlgTabItem(dialog, target != object ? target->handle() : nullptr,
                                          shift ? TRUE : FALSE);
            FocusControl(next);
            return TRUE;
        }
        if (key == VK_RETURN) {
            PressEnter(*object, *target, target != object ? code : 0);
            return TRUE;
        }
        if (key == VK_ESCAPE) {
            SendCommand(*object, IDCANCEL);
            return TRUE;
        }
        if (ArrowKey(key) && (code & DLGC_WANTARROWS) == 0 && target != object) {
            BOOL back = (key == VK_UP || key == VK_LEFT) ? TRUE : FALSE;
            HWND next = GetNextDlgGroupItem(dialog, target->handle(), back);
            Window* next_object = FromHandle(next);
            if (next_object != nullptr && next_object != target) {
                SetFocus(next);
                // Moving onto an automatic radio button selects it.
                if (next_object->kind == Kind::Button &&
                    next_object->button_type() == BS_AUTORADIOBUTTON) {
                    Send(*next_object, BM_CLICK);
                }
            }
            return TRUE;
        }
    }
    Send(*target, kind, key, message->lParam);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL VtDispatchKey(HWND dialog, const VtKeyEvent* key) {
    Window* object = FromHandle(dialog);
    if (object == nullptr || key == nullptr) {
        return FALSE;
    }
    HWND focus = GetFocus();
    HWND target = (focus != nullptr && IsChild(dialog, focus)) ? focus : dialog;
    MSG message{target, key->message, key->key, 0, 0, POINT{0, 0}};
    SetKeyModifiers(key->modifiers);
    BOOL used = IsDialogMessageA(dialog, &message);
    SetKeyModifiers(0);
    return used;
}
