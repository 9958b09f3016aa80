// Button control: push and default push buttons, check boxes, radio
// buttons and group boxes.
#include "ui_internal.h"

namespace vt::ui {

void GroupBounds(const Window& dialog, size_t i, size_t* first, size_t* end) {
    // A group starts at a control with WS_GROUP and runs to the next one.
    size_t start = i;
    while (start > 0 && (dialog.children[start]->style & WS_GROUP) == 0) {
        --start;
    }
    size_t stop = i + 1;
    while (stop < dialog.children.size() && (dialog.children[stop]->style & WS_GROUP) == 0) {
        ++stop;
    }
    *first = start;
    *end = stop;
}

void CheckAutoRadio(Window& button) {
    button.check = BST_CHECKED;
    Window* dialog = button.parent;
    if (dialog == nullptr) {
        return;
    }
    size_t index = 0;
    while (index < dialog->children.size() && dialog->children[index] != &button) {
        ++index;
    }
    size_t first = 0;
    size_t end = 0;
    GroupBounds(*dialog, index, &first, &end);
    for (size_t i = first; i < end; ++i) {
        Window* other = dialog->children[i];
        if (other != &button && other->kind == Kind::Button &&
            other->button_type() == BS_AUTORADIOBUTTON) {
            other->check = BST_UNCHECKED;
        }
    }
}

namespace {

void Click(Window& window) {
    if (!window.enabled) {
        return;
    }
    switch (window.button_type()) {
    case BS_GROUPBOX: return;
    case BS_AUTOCHECKBOX: window.check = window.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
    case BS_AUTO3STATE: window.check = (window.check + 1) % 3; break;
    case BS_AUTORADIOBUTTON: CheckAutoRadio(window); break;
    default: break;
    }
    Notify(window, BN_CLICKED);
}

LRESULT DialogCode(const Window& window) {
    switch (window.button_type()) {
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX: return DLGC_STATIC;
    default: return DLGC_BUTTON;
    }
}

bool HasCheck(const Window& window) {
    DWORD type = window.button_type();
    return type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_GROUPBOX;
}

}  // namespace

LRESULT ButtonProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case BM_CLICK: Click(window); return 0;
    case BM_GETCHECK: return HasCheck(window) ? window.check : BST_UNCHECKED;
    case BM_SETCHECK:
        // A push button has no check state; Windows ignores the message.
        if (HasCheck(window)) {
            window.check = static_cast<UINT>(wparam) & 3;
        }
        return 0;
    case WM_CHAR:
        if (wparam == ' ') {
            Click(window);
        }
        return 0;
    case WM_GETDLGCODE: return DialogCode(window);
    default: return StaticProc(window, message, wparam, lparam);
    }
}

}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr) {
        return FALSE;
    }
    SendMessageA(button, BM_SETCHECK, check, 0);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}

VT_EXTERN_C VT_PLATFORM_API BOOL CheckRadioButton(HWND dialog, int first_id, int last_id,
                                                  int check_id) {
    Window* object = FromHandle(dialog);
    if (object == nullptr) {
        return FALSE;
    }
    // Every child whose id is in the range is set, whatever its group.
    for (Window* child : object->children) {
        if (child->id >= first_id && child->id <= last_id) {
            Send(*child, BM_SETCHECK, child->id == check_id ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    return TRUE;
}
