// Dialog manager: templates, radio groups, tab order, modal loops, units.
#include "ui_test_support.h"

#include <algorithm>

namespace vt::test {
namespace {

// Two automatic radio groups between edits, as on the Generic GnuDIP2 page.
const char kRadioPage[] = R"(130 DIALOG 0, 0, 196, 148
STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT 201, 80, 10, 100, 14, ES_AUTOHSCROLL
    CONTROL "Update", 208, "Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 30, 150, 10
    CONTROL "Offline", 209, "Button", BS_AUTORADIOBUTTON, 10, 42, 150, 10
    CONTROL "Server", 210, "Button", BS_AUTORADIOBUTTON, 10, 54, 150, 10
    CONTROL "TCP", 211, "Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 70, 100, 10
    PUSHBUTTON "Configure...", 204, 120, 68, 50, 14, WS_GROUP
    CONTROL "HTTP", 212, "Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 90, 100, 10
    LTEXT "", 217, 20, 80, 160, 8
    EDITTEXT 202, 80, 110, 100, 14, ES_AUTOHSCROLL | WS_DISABLED
    EDITTEXT 203, 80, 126, 100, 14, ES_AUTOHSCROLL
END
)";

TEST(RadioGroup, ClickingOneClearsTheOthersOfItsGroupOnly) {
    Recorder recorder;
    Dialog dialog(kRadioPage, &recorder);
    ASSERT_NE(dialog.hwnd(), nullptr);
    SendMessageA(dialog.item(211), BM_CLICK, 0, 0);
    SendMessageA(dialog.item(208), BM_CLICK, 0, 0);
    SendMessageA(dialog.item(210), BM_CLICK, 0, 0);
    struct Expect {
        int id;
        UINT checked;
    } const expected[] = {{208, BST_UNCHECKED}, {209, BST_UNCHECKED}, {210, BST_CHECKED}, {211, BST_CHECKED},
                          {212, BST_UNCHECKED}};
    for (const Expect& e : expected) {
        EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), e.id), e.checked) << e.id;
    }
    // BM_SETCHECK by program does not touch the group.
    CheckDlgButton(dialog.hwnd(), 209, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 210), static_cast<UINT>(BST_CHECKED));
    // CheckRadioButton sets the whole id range, whatever the groups.
    EXPECT_TRUE(CheckRadioButton(dialog.hwnd(), 208, 210, 208));
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 208), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 209), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 210), static_cast<UINT>(BST_UNCHECKED));
    long clicks = std::count_if(recorder.commands.begin(), recorder.commands.end(),
                                [](const auto& command) { return command.second == BN_CLICKED; });
    EXPECT_EQ(clicks, 3);
}

TEST(TabOrder, FollowsTheTemplateWithOneStopPerRadioGroup) {
    Recorder recorder;
    Dialog dialog(kRadioPage, &recorder);
    // WM_INITDIALOG answered TRUE: the first tab stop has the focus.
    EXPECT_EQ(GetFocus(), dialog.item(201));
    std::vector<int> forward;
    for (int i = 0; i < 6; ++i) {
        dialog.Key(VK_TAB);
        forward.push_back(GetDlgCtrlID(GetFocus()));
    }
    // The disabled edit 202 and the label are skipped; the list wraps.
    EXPECT_EQ(forward, (std::vector<int>{208, 211, 204, 212, 203, 201}));
    // A group with a checked button is entered at that button.
    SendMessageA(dialog.item(209), BM_CLICK, 0, 0);
    SetFocus(dialog.item(201));
    dialog.Key(VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 209);
    std::vector<int> backward;
    for (int i = 0; i < 3; ++i) {
        dialog.Key(VK_TAB, VT_MOD_SHIFT);
        backward.push_back(GetDlgCtrlID(GetFocus()));
    }
    EXPECT_EQ(backward, (std::vector<int>{201, 203, 212}));
}

TEST(TabOrder, ArrowsMoveInsideARadioGroupAndSelect) {
    Recorder recorder;
    Dialog dialog(kRadioPage, &recorder);
    SetFocus(dialog.item(208));
    dialog.Key(VK_DOWN);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 209);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 209), static_cast<UINT>(BST_CHECKED));
    dialog.Key(VK_UP);
    dialog.Key(VK_UP);  // wraps round inside the group
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 210);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 209), static_cast<UINT>(BST_UNCHECKED));
    dialog.Type(" ");
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 210), static_cast<UINT>(BST_CHECKED));
}

const char kModal[] = R"(131 DIALOG 0, 0, 160, 60
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Configuration"
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT "Server update address:", -1, 7, 9, 80, 8
    EDITTEXT 201, 90, 7, 60, 14, ES_AUTOHSCROLL
    DEFPUSHBUTTON "OK", IDOK, 40, 40, 50, 14
    PUSHBUTTON "Cancel", IDCANCEL, 100, 40, 50, 14
END
)";

enum class Behaviour { EndAtInit, EndOnCommand, NeverEnd };

struct ModalState {
    Behaviour behaviour;
    std::string typed;
};

INT_PTR ModalProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        auto* state = reinterpret_cast<ModalState*>(lparam);
        if (state->behaviour == Behaviour::EndAtInit) EndDialog(dialog, 42);
        return TRUE;
    }
    auto* state = reinterpret_cast<ModalState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_COMMAND && state->behaviour == Behaviour::EndOnCommand &&
        (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        char text[256];
        GetDlgItemTextA(dialog, 201, text, sizeof text);
        state->typed = text;
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

// Types into the modal dialog's edit and presses Enter, once.
BOOL TypeAndEnter(HWND dialog, void* context) {
    auto* calls = static_cast<int*>(context);
    if ((*calls)++ > 0) return FALSE;
    for (char c : std::string("10.0.0.1")) {
        VtKeyEvent key{WM_CHAR, static_cast<unsigned char>(c), 0};
        VtDispatchKey(dialog, &key);
    }
    VtKeyEvent enter{WM_KEYDOWN, VK_RETURN, 0};
    return VtDispatchKey(dialog, &enter);
}

TEST(ModalDialog, ReturnsTheEndDialogResult) {
    DLGTEMPLATE* parsed = VtParseDialogTemplateA(kModal, sizeof kModal - 1);
    ASSERT_NE(parsed, nullptr);
    Recorder recorder;
    Dialog owner(kRadioPage, &recorder);
    HWND focus_before = GetFocus();

    ModalState at_init{Behaviour::EndAtInit, ""};
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, parsed, owner.hwnd(), ModalProc, reinterpret_cast<LPARAM>(&at_init)), 42);

    // Enter in the edit presses the default button: IDOK.
    int calls = 0;
    VtModalHook previous = VtSetModalHook(VtModalHook{TypeAndEnter, &calls});
    ModalState typed{Behaviour::EndOnCommand, ""};
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, parsed, owner.hwnd(), ModalProc, reinterpret_cast<LPARAM>(&typed)), IDOK);
    EXPECT_EQ(typed.typed, "10.0.0.1");
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd())) << "the owner is enabled again";
    EXPECT_EQ(GetFocus(), focus_before) << "the focus goes back";

    // No more input: the dialog is cancelled as by Esc.
    ModalState cancelled{Behaviour::EndOnCommand, ""};
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, parsed, owner.hwnd(), ModalProc, reinterpret_cast<LPARAM>(&cancelled)), IDCANCEL);
    // A dialog that never ends fails the call.
    ModalState stubborn{Behaviour::NeverEnd, ""};
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, parsed, owner.hwnd(), ModalProc, reinterpret_cast<LPARAM>(&stubborn)), -1);
    VtSetModalHook(previous);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, nullptr, ModalProc, 0), -1);
    VtFreeDialogTemplate(parsed);
}

TEST(DialogResources, CreateDialogParamFindsTheTemplateInTheModule) {
    HMODULE module = LoadLibraryExA(VT_UI_FIXTURE_MODULE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    Recorder recorder;
    HWND page = CreateDialogParamA(module, MAKEINTRESOURCEA(140), nullptr, RecordingProc,
                                   reinterpret_cast<LPARAM>(&recorder));
    ASSERT_NE(page, nullptr);
    char text[32] = "sentinel";
    EXPECT_EQ(GetWindowTextA(GetDlgItem(page, 219), text, sizeof text), 15);
    EXPECT_STREQ(text, "Set as offline:");
    EXPECT_EQ(GetFocus(), GetDlgItem(page, 201));
    EXPECT_TRUE(DestroyWindow(page));
    // A template with an unknown control fails the create.
    EXPECT_EQ(CreateDialogParamA(module, MAKEINTRESOURCEA(141), nullptr, RecordingProc, 0), nullptr);
    SetLastError(0);
    EXPECT_EQ(CreateDialogParamA(module, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), nullptr);
    EXPECT_EQ(GetLastError(), 1814u);  // ERROR_RESOURCE_NAME_NOT_FOUND
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), -1);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(TemplateParser, BrokenTemplatesFailWithoutCrashing) {
    const char* const broken[] = {
        "",
        "136",
        "136 DIALOG",
        "136 DIALOG 0, 0, 196",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\n",
        "136 DIALOG 0, 0, 196, 148\nSTYLE\nBEGIN\nEND",
        "136 DIALOG 0, 0, 196, 148\nFONT 8\nBEGIN\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nLTEXT \"unterminated, -1, 1, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nEDITTEXT 201, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nEDITTEXT 201, 1, 1, 1, 1, NO_SUCH_STYLE\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nCONTROL \"x\", 1, \"SysListView32\", 0, 1, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nSLIDER 1, 1, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 99999, 148\nBEGIN\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nEDITTEXT 0x1FFFFFFFFFF, 1, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nEND\ntrailing",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nLTEXT \"a\" -1, 1, 1, 1, 1\nEND",
    };
    for (const char* text : broken) {
        DLGTEMPLATE* parsed = VtParseDialogTemplateA(text, std::strlen(text));
        EXPECT_EQ(parsed, nullptr) << text;
        VtFreeDialogTemplate(parsed);
    }
    // Every cut of a good template either parses or fails cleanly.
    std::string good = kHostListPage;
    for (size_t length = 0; length < good.size(); ++length) {
        VtFreeDialogTemplate(VtParseDialogTemplateA(good.data(), length));
    }
    EXPECT_EQ(VtParseDialogTemplateA(nullptr, 5), nullptr);
}

TEST(TemplateParser, DefaultStylesOfTheStatements) {
    DLGTEMPLATE* parsed = VtParseDialogTemplateA(kHostListPage, sizeof kHostListPage - 1);
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(parsed->cdit, 11);
    EXPECT_EQ(parsed->cx, 196);
    EXPECT_EQ(parsed->pointSize, 8);
    EXPECT_STREQ(parsed->typeface, "MS Sans Serif");
    EXPECT_EQ(parsed->style, static_cast<DWORD>(DS_SETFONT | DS_CONTROL | WS_CHILD));
    const DWORD base = WS_CHILD | WS_VISIBLE;
    struct Expect {
        int index;
        const char* window_class;
        DWORD style;
    } const expected[] = {
        {0, "Edit", base | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
        {1, "Button", base | BS_PUSHBUTTON | WS_TABSTOP},
        {3, "ListBox", base | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP | WS_BORDER},
        {6, "Static", base | SS_LEFT | WS_GROUP},
        {7, "Button", base | BS_GROUPBOX},
        {10, "Button", base | BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP},
    };
    for (const Expect& e : expected) {
        EXPECT_STREQ(parsed->items[e.index].windowClass, e.window_class) << e.index;
        EXPECT_EQ(parsed->items[e.index].style, e.style) << e.index;
    }
    EXPECT_EQ(parsed->items[6].id, 0xFFFF);
    EXPECT_STREQ(parsed->items[10].title, "Set as offline:");
    VtFreeDialogTemplate(parsed);
}

TEST(DialogUnits, PageSizeAndMulDiv) {
    Dialog dialog(kHostListPage);
    RECT rect{0, 0, 196, 148};
    ASSERT_TRUE(MapDialogRect(dialog.hwnd(), &rect));
    EXPECT_EQ(rect.right, 294);
    EXPECT_EQ(rect.bottom, 241);
    EXPECT_EQ(LOWORD(GetDialogBaseUnits()), 6);
    EXPECT_EQ(HIWORD(GetDialogBaseUnits()), 13);
    struct Case {
        int a, b, c, result;
    } const cases[] = {{2540, 294, 96, 7779}, {96, 7779, 2540, 294}, {-5, 3, 2, -8},
                       {5, 3, 2, 8},           {1, 1, 0, -1},         {0x7FFFFFFF, 2, 1, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
    }
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
}

TEST(DialogMessages, BackgroundBrushAndDestroy) {
    Recorder recorder;
    recorder.background = CreateSolidBrush(RGB(1, 2, 3));
    Dialog dialog(kHostListPage, &recorder);
    EXPECT_EQ(SendMessageA(dialog.hwnd(), WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(dialog.hwnd())),
              reinterpret_cast<LRESULT>(recorder.background));
    HWND edit = dialog.item(201);
    EXPECT_EQ(GetParent(edit), dialog.hwnd());
    EXPECT_EQ(GetDlgCtrlID(edit), 201);
    EXPECT_TRUE(DestroyWindow(dialog.hwnd()));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(GetFocus(), nullptr);
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(dialog.hwnd()));
    EXPECT_EQ(GetLastError(), 1400u);  // ERROR_INVALID_WINDOW_HANDLE
    EXPECT_TRUE(DeleteObject(recorder.background));
}

}  // namespace
}  // namespace vt::test
