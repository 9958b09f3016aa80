// Dialogs: creation from templates, the default dialog procedure, modal
// loops and dialog units.
#include "template_parser.h"

#include <climits>
#include <cstring>
#include <deque>
#include <strings.h>

namespace vt::ui {
namespace {

constexpr DWORD kErrorInvalidWindowHandle = 1400;
constexpr DWORD kErrorResourceNotFound = 1814;

thread_local std::deque<MSG> t_posted;
thread_local VtModalHook t_hook{};

bool ClassKind(const char* name, Kind* kind) {
    struct Entry {
        const char* name;
        Kind kind;
    };
    static const Entry kKinds[] = {{"Button", Kind::Button},   {"Edit", Kind::Edit},
                                   {"Static", Kind::Static},   {"ListBox", Kind::ListBox},
                                   {"ComboBox", Kind::ComboBox}, {"#32770", Kind::Dialog}};
    for (const Entry& entry : kKinds) {
        if (name != nullptr && strcasecmp(name, entry.name) == 0) {
            *kind = entry.kind;
            return true;
        }
    }
    return false;
}

void SetupControl(Window& control, DWORD style, DWORD ex_style, int id, RECT units,
                  const char* text) {
    control.style = style;
    control.ex_style = ex_style;
    control.id = id;
    control.units = units;
    control.enabled = (style & WS_DISABLED) == 0;
    control.visible = (style & WS_VISIBLE) != 0;
    // Creation text is not a change: no EN_CHANGE, as on Windows.
    bool has_text = control.kind != Kind::ListBox &&
                    !(control.kind == Kind::ComboBox && control.combo_type() == CBS_DROPDOWNLIST);
    control.text = (has_text && text != nullptr) ? text : "";
    control.caret = control.anchor = control.text.size();
}

HWND CreateDialogFrom(HINSTANCE instance, LPCDLGTEMPLATEA source, HWND parent, DLGPROC proc,
                      LPARAM param, bool modal) {
    if (source == nullptr || (source->cdit != 0 && source->items == nullptr)) {
        return nullptr;
    }
    Kind kinds[1024];
    if (source->cdit > sizeof kinds / sizeof kinds[0]) {
        return nullptr;
    }
    for (WORD i = 0; i < source->cdit; ++i) {
        // Windows fails the whole dialog when a control class does not exist.
        if (!ClassKind(source->items[i].windowClass, &kinds[i])) {
            return nullptr;
        }
    }
    Window* parent_object = FromHandle(parent);
    bool child = (source->style & WS_CHILD) != 0 && parent_object != nullptr;
    Window* dialog = CreateWindowObject(Kind::Dialog, child ? parent_object : nullptr);
    dialog->owner = child ? nullptr : parent_object;
    SetupControl(*dialog, source->style, source->dwExtendedStyle, 0,
                 RECT{source->x, source->y, source->x + source->cx, source->y + source->cy},
                 source->caption);
    dialog->visible = modal || (source->style & WS_VISIBLE) != 0;
    dialog->instance = instance;
    dialog->dialog_proc = proc;
    dialog->modal = modal;
    for (WORD i = 0; i < source->cdit; ++i) {
        const DLGITEMTEMPLATE& item = source->items[i];
        Window* control = CreateWindowObject(kinds[i], dialog);
        control->instance = instance;
        SetupControl(*control, item.style, item.dwExtendedStyle, item.id,
                     RECT{item.x, item.y, item.x + item.cx, item.y + item.cy}, item.title);
    }
    HWND handle = dialog->handle();
    HWND first = GetNextDlgTabItem(handle, nullptr, FALSE);
    LRESULT set_focus = Send(*dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
    if (!IsWindow(handle)) {
        return nullptr;
    }
    // TRUE from WM_INITDIALOG asks the system to focus the first tab stop.
    if (set_focus != 0 && first != nullptr) {
        FocusControl(first);
    }
    return handle;
}

// Finds, parses and hands over a template resource; the caller frees it.
std::unique_ptr<ParsedTemplate> LoadTemplate(HINSTANCE instance, LPCSTR name) {
    HRSRC resource = FindResourceA(instance, name, RT_DIALOG);
    if (resource == nullptr) {
        SetLastError(kErrorResourceNotFound);
        return nullptr;
    }
    HGLOBAL data = LoadResource(instance, resource);
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    if (bytes == nullptr) {
        return nullptr;
    }
    DWORD size = SizeofResource(instance, resource);
    return ParseDialogTemplate(std::string_view(static_cast<const char*>(bytes), size));
}

bool DispatchOne(MSG& message) {
    Window* target = FromHandle(message.hwnd);
    if (target == nullptr) {
        return false;
    }
    bool key = message.message == WM_KEYDOWN || message.message == WM_CHAR;
    Window* top = target;
    while (top->parent != nullptr) top = top->parent;
    if (!key || IsDialogMessageA(top->handle(), &message) == FALSE) {
        Send(*target, message.message, message.wParam, message.lParam);
    }
    return true;
}

INT_PTR RunModal(HWND dialog, Window* owner, HWND previous_focus) {
    bool owner_was_enabled = owner != nullptr && owner->enabled;
    if (owner_was_enabled) {
        EnableWindow(owner->handle(), FALSE);
    }
    ModalStack().push_back(FromHandle(dialog));
    bool cancel_sent = false;
    INT_PTR result = -1;
    for (;;) {
        Window* object = FromHandle(dialog);
        if (object == nullptr) {
            break;
        }
        if (object->ended) {
            result = object->end_result;
            break;
        }
        if (DispatchPostedMessage()) {
            continue;
        }
        if (t_hook.pump != nullptr && t_hook.pump(dialog, t_hook.context) != FALSE) {
            continue;
        }
        if (cancel_sent) {
            break;  // nothing more will come and the dialog did not end
        }
        // No more input: as if the user pressed Esc.
        cancel_sent = true;
        Send(*object, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }
    auto& stack = ModalStack();
    if (!stack.empty() && stack.back() == FromHandle(dialog)) {
        stack.pop_back();
    }
    if (owner_was_enabled && IsWindow(owner->handle())) {
        EnableWindow(owner->handle(), TRUE);
    }
    if (IsWindow(dialog)) {
        DestroyWindow(dialog);
    }
    if (IsWindow(previous_focus)) {
        SetFocus(previous_focus);
    }
    return result;
}

// Messages whose answer the dialog procedure returns directly.
bool ReturnsDirectly(UINT message) {
    return message == WM_INITDIALOG || (message >= WM_CTLCOLOREDIT && message <= WM_CTLCOLORSTATIC);
}

}  // namespace

bool DispatchPostedMessage() {
    if (t_posted.empty()) {
        return false;
    }
    MSG message = t_posted.front();
    t_posted.pop_front();
    DispatchOne(message);
    return true;
}

LRESULT DialogDefProc(Window& window, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND handle = window.handle();
    if (window.dialog_proc != nullptr) {
        window.msg_result = 0;
        INT_PTR handled = window.dialog_proc(handle, message, wparam, lparam);
        Window* alive = FromHandle(handle);
        if (handled != 0) {
            return ReturnsDirectly(message) ? handled : (alive != nullptr ? alive->msg_result : 0);
        }
        if (alive == nullptr) {
            return 0;
        }
    }
    switch (message) {
    case DM_GETDEFID:
        for (Window* child : window.children) {
            if (child->kind == Kind::Button && child->button_type() == BS_DEFPUSHBUTTON) {
                return MAKELONG(child->id, DC_HASDEFID);
            }
        }
        return 0;
    case WM_CTLCOLORDLG: return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CLOSE:
        // The close box acts as Cancel.
        return Send(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(handle, IDCANCEL)));
    case WM_INITDIALOG:
    case WM_COMMAND:
    case WM_DESTROY:
    case WM_GETDLGCODE: return 0;
    default: return StaticProc(window, message, wparam, lparam);
    }
}

}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API HWND CreateDialogIndirectParamA(HINSTANCE instance,
                                                            LPCDLGTEMPLATEA dialog_template,
                                                            HWND parent, DLGPROC proc,
                                                            LPARAM init_param) {
    return CreateDialogFrom(instance, dialog_template, parent, proc, init_param, false);
}

VT_EXTERN_C VT_PLATFORM_API HWND CreateDialogParamA(HINSTANCE instance, LPCSTR template_name,
                                                    HWND parent, DLGPROC proc, LPARAM init_param) {
    std::unique_ptr<ParsedTemplate> parsed = LoadTemplate(instance, template_name);
    return parsed != nullptr ? CreateDialogFrom(instance, parsed.get(), parent, proc, init_param, false)
                             : nullptr;
}

VT_EXTERN_C VT_PLATFORM_API INT_PTR DialogBoxIndirectParamA(HINSTANCE instance,
                                                            LPCDLGTEMPLATEA dialog_template,
                                                            HWND owner, DLGPROC proc,
                                                            LPARAM init_param) {
    HWND focus = GetFocus();
    HWND dialog = CreateDialogFrom(instance, dialog_template, owner, proc, init_param, true);
    return dialog != nullptr ? RunModal(dialog, FromHandle(owner), focus) : -1;
}

VT_EXTERN_C VT_PLATFORM_API INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR template_name,
                                                    HWND owner, DLGPROC proc, LPARAM init_param) {
    std::unique_ptr<ParsedTemplate> parsed = LoadTemplate(instance, template_name);
    return parsed != nullptr
               ? DialogBoxIndirectParamA(instance, parsed.get(), owner, proc, init_param)
               : -1;
}

VT_EXTERN_C VT_PLATFORM_API BOOL EndDialog(HWND dialog, INT_PTR result) {
    Window* object = FromHandle(dialog);
    if (object == nullptr || object->kind != Kind::Dialog) {
        SetLastError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    object->ended = true;
    object->end_result = result;
    // A modeless dialog is only hidden; its owner destroys it.
    if (!object->modal) {
        object->visible = false;
    }
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL DestroyWindow(HWND window) {
    Window* object = FromHandle(window);
    if (object == nullptr) {
        SetLastError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    DestroyWindowTree(object);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL PostMessageA(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    if (FromHandle(window) == nullptr) {
        SetLastError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    t_posted.push_back(MSG{window, message, wparam, lparam, 0, POINT{0, 0}});
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API VtModalHook VtSetModalHook(VtModalHook hook) {
    VtModalHook previous = t_hook;
    t_hook = hook;
    return previous;
}

VT_EXTERN_C VT_PLATFORM_API LONG GetDialogBaseUnits(void) {
    // The stand-in's system font is the template font.
    return MAKELONG(kBaseUnitX, kBaseUnitY);
}

VT_EXTERN_C VT_PLATFORM_API int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    // Rounded half away from zero; -1 when the result does not fit.
    long long product = static_cast<long long>(number) * numerator;
    long long magnitude = (product < 0 ? -product : product);
    long long divisor = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
    long long quotient = (magnitude + divisor / 2) / divisor;
    bool negative = (product < 0) != (denominator < 0);
    long long result = negative ? -quotient : quotient;
    return (result > INT_MAX || result < INT_MIN) ? -1 : static_cast<int>(result);
}

VT_EXTERN_C VT_PLATFORM_API HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title,
                                                 DWORD style, int x, int y, int width, int height,
                                                 HWND parent, HMENU menu, HINSTANCE instance,
                                                 void*) {
    Kind kind = Kind::Static;
    if (!ClassKind(class_name, &kind)) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    Window* parent_object = FromHandle(parent);
    Window* window = CreateWindowObject(kind, (style & WS_CHILD) != 0 ? parent_object : nullptr);
    if ((style & WS_CHILD) == 0) {
        window->owner = parent_object;
    }
    // Pixels back to dialog units, so the window lands on the cell grid.
    RECT units{MulDiv(x, 4, kBaseUnitX), MulDiv(y, 8, kBaseUnitY),
               MulDiv(x + width, 4, kBaseUnitX), MulDiv(y + height, 8, kBaseUnitY)};
    SetupControl(*window, style, ex_style, static_cast<int>(reinterpret_cast<intptr_t>(menu)),
                 units, title);
    window->instance = instance;
    return window->handle();
}
