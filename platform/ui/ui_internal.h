// Window objects of the stand-in user32. One struct for every kind of
// window; each control kind has its own procedure in its own file.
#ifndef PLATFORM_UI_UI_INTERNAL_H
#define PLATFORM_UI_UI_INTERNAL_H

#include "canvas.h"

#include <platform/vtui.h>
#include <platform/winuser.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vt::ui {

enum class Kind { Dialog, Button, Edit, Static, ListBox, ComboBox };

// Dialog base units of the one stand-in font.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
// Windows' default edit limit.
constexpr size_t kDefaultEditLimit = 30000;

struct Window {
    Kind kind = Kind::Static;
    Window* parent = nullptr;
    Window* owner = nullptr;  // of a popup: GetParent answers it
    std::vector<Window*> children;  // template order, which is the tab order
    DWORD style = 0;
    DWORD ex_style = 0;
    int id = 0;
    RECT units{};  // dialog units, relative to the parent dialog
    std::string text;
    bool enabled = true;
    bool visible = true;
    LONG_PTR user_data = 0;
    HINSTANCE instance = nullptr;
    std::unique_ptr<Canvas> canvas;  // what GDI drew on the window, if anything

    // Dialogs.
    DLGPROC dialog_proc = nullptr;
    LONG_PTR msg_result = 0;
    LONG_PTR dialog_user = 0;
    bool modal = false;
    bool ended = false;
    INT_PTR end_result = 0;
    HBRUSH background = nullptr;

    // Buttons.
    UINT check = BST_UNCHECKED;

    // Edits, and the edit part of an editable combo box.
    size_t caret = 0;
    size_t anchor = 0;  // the other end of the selection; == caret for none
    size_t scroll = 0;
    size_t limit = kDefaultEditLimit;

    // List boxes and combo boxes.
    std::vector<std::string> items;
    int selection = -1;
    int top_index = 0;
    bool dropped = false;
    int selection_at_drop = -1;

    HWND handle() { return reinterpret_cast<HWND>(this); }
    DWORD button_type() const { return style & BS_TYPEMASK; }
    DWORD combo_type() const { return style & 3; }
};

// Checked handle to object; nullptr for anything not a live window.
Window* FromHandle(HWND window);
// Makes a window; parent may be null. The window is registered as live.
Window* CreateWindowObject(Kind kind, Window* parent);
void DestroyWindowTree(Window* window);

// Sends WM_COMMAND with the notification code to the control's parent.
void Notify(Window& control, WORD code);
LRESULT Send(Window& window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

LRESULT ButtonProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT EditProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT ListBoxProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT ComboBoxProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT StaticProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT DialogDefProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam);

// WM_GETTEXT / WM_SETTEXT on a plain text member, with Windows' truncation.
LRESULT CopyTextOut(std::string_view text, WPARAM size, LPARAM buffer);

// Single-line editing shared by edits and editable combo boxes; true when
// the text changed.
bool EditKey(Window& window, UINT message, WPARAM key, bool digits_only);

// Sorted-item helpers shared by list boxes and combo boxes.
int InsertItem(Window& window, const char* text, bool sorted);
int FindItem(const Window& window, int start, const char* text, bool exact);

// Radio groups: the first and one-past-last child index of the group that
// holds child i, in template order.
void GroupBounds(const Window& dialog, size_t i, size_t* first, size_t* end);
// Checks one auto radio button and clears the others of its group.
void CheckAutoRadio(Window& button);

// Focus as the dialog manager gives it: an edit's text gets selected.
void FocusControl(HWND control);

// Thread state: focus and the stack of running modal dialogs.
Window*& FocusSlot();
std::vector<Window*>& ModalStack();
void SetKeyModifiers(UINT modifiers);
// Delivers one message from PostMessageA's queue; false when it is empty.
bool DispatchPostedMessage();

// Cell geometry of a control on its dialog's grid.
VtCellRect ControlCells(const Window& control);
VtCellRect DialogCells(const Window& dialog);

// The colour of a solid brush; false for anything else.
bool BrushColor(HBRUSH brush, COLORREF* color);

// Strips '&' mnemonics ("&&" stays one '&').
std::string StripMnemonic(std::string_view text);

}  // namespace vt::ui

#endif  // PLATFORM_UI_UI_INTERNAL_H
