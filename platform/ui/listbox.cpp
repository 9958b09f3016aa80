// List box and combo box controls, which share one item list.
#include "ui_internal.h"

#include <platform/codepage.h>

#include <algorithm>
#include <cstring>

namespace vt::ui {

int InsertItem(Window& window, const char* text, bool sorted) {
    if (text == nullptr) {
        text = "";
    }
    auto& items = window.items;
    auto index = static_cast<int>(items.size());
    if (sorted) {
        // Windows sorts without regard to case and puts a new entry before
        // the first one that does not sort below it.
        auto at = std::lower_bound(items.begin(), items.end(), text,
                                   [](const std::string& item, const char* value) {
                                       return lstrcmpiA(item.c_str(), value) < 0;
                                   });
        index = static_cast<int>(at - items.begin());
    }
    items.insert(items.begin() + index, text);
    if (window.selection >= index) {
        ++window.selection;
    }
    return index;
}

int FindItem(const Window& window, int start, const char* text, bool exact) {
    auto count = static_cast<int>(window.items.size());
    if (text == nullptr || count == 0) {
        return LB_ERR;
    }
    size_t length = std::strlen(text);
    // The search starts after `start` and wraps round; -1 searches all.
    int first = (start < 0 || start >= count) ? 0 : start + 1;
    for (int n = 0; n < count; ++n) {
        int i = (first + n) % count;
        const std::string& item = window.items[static_cast<size_t>(i)];
        std::string prefix = exact ? item : item.substr(0, length);
        if (lstrcmpiA(prefix.c_str(), text) == 0) {
            return i;
        }
    }
    return LB_ERR;
}

namespace {

void ScrollIntoView(Window& window) {
    int rows = std::max(1, ControlCells(window).rows);
    if (window.selection < 0) {
        return;
    }
    if (window.selection < window.top_index) {
        window.top_index = window.selection;
    } else if (window.selection >= window.top_index + rows) {
        window.top_index = window.selection - rows + 1;
    }
}

LRESULT DeleteItem(Window& window, int index) {
    auto count = static_cast<int>(window.items.size());
    if (index < 0 || index >= count) {
        return LB_ERR;
    }
    window.items.erase(window.items.begin() + index);
    if (window.selection == index) {
        window.selection = -1;
    } else if (window.selection > index) {
        --window.selection;
    }
    window.top_index = std::min(window.top_index, std::max(0, count - 2));
    return count - 1;
}

LRESULT ItemText(const Window& window, WPARAM index, LPARAM buffer, bool length_only) {
    if (index >= window.items.size()) {
        return LB_ERR;
    }
    const std::string& item = window.items[index];
    if (!length_only && buffer != 0) {
        // The caller's buffer must hold the whole text and its NUL.
        std::memcpy(reinterpret_cast<char*>(buffer), item.c_str(), item.size() + 1);
    }
    return static_cast<LRESULT>(item.size());
}

// Messages both controls answer the same way; -3 when not one of them.
constexpr LRESULT kNotShared = -3;
LRESULT SharedListMessage(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    const char* text = reinterpret_cast<const char*>(lparam);
    bool sorted = (window.style & (window.kind == Kind::ListBox ? LBS_SORT : CBS_SORT)) != 0;
    switch (message) {
    case LB_ADDSTRING:
    case CB_ADDSTRING: return InsertItem(window, text, sorted);
    case LB_DELETESTRING: return DeleteItem(window, static_cast<int>(wparam));
    case LB_GETCOUNT:
    case CB_GETCOUNT: return static_cast<LRESULT>(window.items.size());
    case LB_GETCURSEL:
    case CB_GETCURSEL: return window.selection;
    case LB_GETTEXT:
    case CB_GETLBTEXT: return ItemText(window, wparam, lparam, false);
    case LB_GETTEXTLEN: return ItemText(window, wparam, 0, true);
    default: return kNotShared;
    }
}

// Moves the selection for a navigation key; true when it changed.
bool MoveSelection(Window& window, WPARAM key, int page) {
    auto count = static_cast<int>(window.items.size());
    if (count == 0) {
        return false;
    }
    int at = window.selection;
    switch (key) {
    case VK_UP: at = at < 0 ? 0 : at - 1; break;
    case VK_DOWN: at = at + 1; break;
    case VK_PRIOR: at = at < 0 ? 0 : at - page; break;
    case VK_NEXT: at = at < 0 ? 0 : at + page; break;
    case VK_HOME: at = 0; break;
    case VK_END: at = count - 1; break;
    default: return false;
    }
    at = std::clamp(at, 0, count - 1);
    if (at == window.selection) {
        return false;
    }
    window.selection = at;
    return true;
}

}  // namespace

LRESULT ListBoxProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT shared = SharedListMessage(window, message, wparam, lparam);
    if (shared != kNotShared) {
        return shared;
    }
    int rows = std::max(1, ControlCells(window).rows);
    switch (message) {
    case LB_SETCURSEL: {
        auto index = static_cast<int>(wparam);
        if (index < 0 || index >= static_cast<int>(window.items.size())) {
            // -1 clears the selection and still answers LB_ERR.
            if (index == -1) window.selection = -1;
            return LB_ERR;
        }
        window.selection = index;
        ScrollIntoView(window);
        return index;
    }
    case WM_KEYDOWN:
        if (MoveSelection(window, wparam, rows - 1)) {
            ScrollIntoView(window);
            if ((window.style & LBS_NOTIFY) != 0) Notify(window, LBN_SELCHANGE);
        }
        return 0;
    case WM_CHAR: {
        // Type-ahead: the next entry starting with the character.
        char prefix[2] = {static_cast<char>(wparam), '\0'};
        int found = FindItem(window, window.selection, prefix, false);
        if (wparam > ' ' && found != LB_ERR && found != window.selection) {
            window.selection = found;
            ScrollIntoView(window);
            if ((window.style & LBS_NOTIFY) != 0) Notify(window, LBN_SELCHANGE);
        }
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETTEXT: return LB_ERR;
    default: return StaticProc(window, message, wparam, lparam);
    }
}

namespace {

void SelectComboItem(Window& window, int index) {
    window.selection = index;
    window.text = index >= 0 ? window.items[static_cast<size_t>(index)] : std::string();
    window.caret = window.anchor = window.text.size();
}

void CloseUp(Window& window, bool accept) {
    if (!window.dropped) {
        return;
    }
    window.dropped = false;
    if (!accept && window.selection != window.selection_at_drop) {
        SelectComboItem(window, window.selection_at_drop);
        Notify(window, CBN_SELCHANGE);
    }
    Notify(window, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    Notify(window, CBN_CLOSEUP);
}

void DropDown(Window& window) {
    if (window.dropped) {
        return;
    }
    Notify(window, CBN_DROPDOWN);
    window.dropped = true;
    window.selection_at_drop = window.selection;
    window.top_index = 0;
    ScrollIntoView(window);
}

LRESULT ComboKey(Window& window, UINT message, WPARAM key) {
    bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    if (message == WM_KEYDOWN && (key == VK_F4 || (alt && (key == VK_DOWN || key == VK_UP)))) {
        window.dropped ? CloseUp(window, true) : DropDown(window);
        return 0;
    }
    if (window.dropped) {
        if ((message == WM_KEYDOWN && key == VK_RETURN) || (message == WM_CHAR && key == '\r')) {
            CloseUp(window, true);
        } else if (message == WM_KEYDOWN && key == VK_ESCAPE) {
            CloseUp(window, false);
        } else if (message == WM_CHAR && key == ' ' && window.combo_type() == CBS_DROPDOWNLIST) {
            CloseUp(window, true);
        }
    }
    bool list_key = message == WM_KEYDOWN && (key == VK_UP || key == VK_DOWN || key == VK_PRIOR ||
                                              key == VK_NEXT ||
                                              (window.combo_type() == CBS_DROPDOWNLIST &&
                                               (key == VK_HOME || key == VK_END)));
    if (list_key && !window.dropped && key == VK_DOWN && window.combo_type() == CBS_DROPDOWNLIST) {
        DropDown(window);  // a closed list opens with Down
        return 0;
    }
    if (list_key) {
        int page = std::max(1, ControlCells(window).rows - 2);
        if (MoveSelection(window, key, page)) {
            SelectComboItem(window, window.selection);
            ScrollIntoView(window);
            Notify(window, CBN_SELCHANGE);
        }
        return 0;
    }
    if (window.combo_type() != CBS_DROPDOWNLIST && EditKey(window, message, key, false)) {
        Notify(window, CBN_EDITCHANGE);
    }
    return 0;
}

}  // namespace

LRESULT ComboBoxProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT shared = SharedListMessage(window, message, wparam, lparam);
    if (shared != kNotShared) {
        return shared;
    }
    bool editable = window.combo_type() != CBS_DROPDOWNLIST;
    switch (message) {
    case CB_SETCURSEL: {
        auto index = static_cast<int>(wparam);
        bool valid = index >= 0 && index < static_cast<int>(window.items.size());
        // Like LB_SETCURSEL: -1 clears the selection and the text.
        SelectComboItem(window, valid ? index : -1);
        return valid ? index : CB_ERR;
    }
    case CB_SHOWDROPDOWN: wparam != 0 ? DropDown(window) : CloseUp(window, true); return TRUE;
    case CB_GETDROPPEDSTATE: return window.dropped ? TRUE : FALSE;
    case WM_SETTEXT: {
        const char* text = lparam != 0 ? reinterpret_cast<const char*>(lparam) : "";
        if (editable) {
            window.text = text;
            window.caret = window.anchor = window.text.size();
            return TRUE;
        }
        // A drop-down list shows only its entries.
        int found = FindItem(window, -1, text, true);
        if (found == CB_ERR) return CB_ERR;
        SelectComboItem(window, found);
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_CHAR: return ComboKey(window, message, wparam);
    case WM_KILLFOCUS: CloseUp(window, true); return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS | (editable ? DLGC_HASSETSEL : 0);
        return window.dropped ? (code | DLGC_WANTALLKEYS) : code;
    }
    default: return StaticProc(window, message, wparam, lparam);
    }
}

}  // namespace vt::ui
