// Helpers for the dialog tests: a dialog made from template text, owned for
// the test's length, and a key sender.
#ifndef TESTS_PLATFORM_UI_UI_TEST_SUPPORT_H
#define TESTS_PLATFORM_UI_UI_TEST_SUPPORT_H

#include <platform/vtui.h>
#include <platform/winuser.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace vt::test {

// The DyFi-shaped page: host-list editor, two edits, an offline box.
inline const char kHostListPage[] = R"(140 DIALOG 0, 0, 196, 148
STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT 201, 51, 15, 131, 14, ES_AUTOHSCROLL
    PUSHBUTTON "Add", 204, 51, 31, 50, 14
    PUSHBUTTON "Delete", 205, 104, 31, 50, 14
    LISTBOX 206, 51, 49, 130, 35, LBS_SORT | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP
    EDITTEXT 202, 51, 88, 131, 14, ES_AUTOHSCROLL
    EDITTEXT 203, 51, 104, 131, 14, ES_PASSWORD | ES_AUTOHSCROLL
    LTEXT "Hostname:", -1, 12, 20, 35, 8
    GROUPBOX "", -1, 7, 7, 182, 134
    LTEXT "Username:", -1, 12, 93, 35, 8
    LTEXT "Password:", -1, 12, 109, 34, 8
    CONTROL "Set as offline:", 219, "Button", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 12, 125, 56, 10
END
)";

// Records every WM_COMMAND a dialog gets.
struct Recorder {
    std::vector<std::pair<int, int>> commands;  // (id, notification)
};

inline INT_PTR RecordingProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        return TRUE;
    }
    auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (recorder == nullptr) {
        return FALSE;
    }
    if (message == WM_COMMAND) {
        recorder->commands.emplace_back(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

// The entries of a list box, each read with LB_GETTEXT.
inline std::vector<std::string> ListItems(HWND dialog, int id) {
    std::vector<std::string> items;
    for (LRESULT i = 0; i < SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0); ++i) {
        char text[256] = "sentinel";
        LRESULT length = SendDlgItemMessageA(dialog, id, LB_GETTEXT, static_cast<WPARAM>(i),
                                             reinterpret_cast<LPARAM>(text));
        items.push_back(length == static_cast<LRESULT>(std::strlen(text)) ? text : "<bad length>");
    }
    return items;
}

class Dialog {
public:
    explicit Dialog(const char* text, Recorder* recorder = nullptr) {
        m_template = VtParseDialogTemplateA(text, std::strlen(text));
        if (m_template != nullptr) {
            m_window = CreateDialogIndirectParamA(nullptr, m_template, nullptr,
                                                  recorder != nullptr ? RecordingProc : nullptr,
                                                  reinterpret_cast<LPARAM>(recorder));
        }
    }
    ~Dialog() {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        VtFreeDialogTemplate(m_template);
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND hwnd() const { return m_window; }
    HWND item(int id) const { return GetDlgItem(m_window, id); }
    LRESULT Send(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
        return SendDlgItemMessageA(m_window, id, message, wparam, lparam);
    }
    LRESULT SendText(int id, UINT message, WPARAM wparam, const char* text) const {
        return Send(id, message, wparam, reinterpret_cast<LPARAM>(text));
    }
    LRESULT Add(int id, const char* text) const { return SendText(id, LB_ADDSTRING, 0, text); }
    void Click(int id) const { SendMessageA(item(id), BM_CLICK, 0, 0); }
    // One character per button: 'x' checked, '.' not.
    std::string Checks(std::initializer_list<int> ids) const {
        std::string marks;
        for (int id : ids)
            marks += IsDlgButtonChecked(m_window, id) == BST_CHECKED ? 'x' : '.';
        return marks;
    }
    int Focused() const { return GetDlgCtrlID(GetFocus()); }
    void Key(WPARAM key, UINT modifiers = 0) const {
        VtKeyEvent event{WM_KEYDOWN, key, modifiers};
        VtDispatchKey(m_window, &event);
    }
    void Type(const char* text) const {
        for (const char* p = text; *p != '\0'; ++p) {
            VtKeyEvent event{WM_CHAR, static_cast<unsigned char>(*p), 0};
            VtDispatchKey(m_window, &event);
        }
    }
    std::string Text(int id) const {
        char buffer[1024];
        GetDlgItemTextA(m_window, id, buffer, sizeof buffer);
        return buffer;
    }
    std::vector<std::string> Render() const {
        char buffer[8192];
        VtRenderToText(m_window, TRUE, buffer, sizeof buffer);
        std::vector<std::string> rows;
        std::istringstream text(buffer);
        for (std::string row; std::getline(text, row);)
            rows.push_back(row);
        return rows;
    }

private:
    DLGTEMPLATE* m_template = nullptr;
    HWND m_window = nullptr;
};

}  // namespace vt::test

#endif  // TESTS_PLATFORM_UI_UI_TEST_SUPPORT_H
