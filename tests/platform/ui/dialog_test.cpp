// Dialog manager: templates, radio groups, modal loops.
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

TEST(RadioGroup, ClicksAndArrowsSelectInsideTheirGroupOnly) {
    Recorder recorder;
    Dialog dialog(kRadioPage, &recorder);
    ASSERT_NE(dialog.hwnd(), nullptr);
    for (int id : {211, 208, 210}) {
        dialog.Click(id);
    }
    EXPECT_EQ(dialog.Checks({208, 209, 210, 211, 212}), "..xx.");
    // BM_SETCHECK by program does not touch the group.
    CheckDlgButton(dialog.hwnd(), 209, BST_CHECKED);
    EXPECT_EQ(dialog.Checks({209, 210}), "xx");
    // CheckRadioButton sets the whole id range, whatever the groups.
    EXPECT_TRUE(CheckRadioButton(dialog.hwnd(), 208, 210, 208));
    EXPECT_EQ(dialog.Checks({208, 209, 210}), "x..");
    EXPECT_EQ(std::count_if(recorder.commands.begin(), recorder.commands.end(),
                            [](const auto& command) { return command.second == BN_CLICKED; }),
              3);
    SetFocus(dialog.item(208));
    dialog.Key(VK_DOWN);
    EXPECT_EQ(dialog.Focused(), 209);
    EXPECT_EQ(dialog.Checks({208, 209}), ".x");
    dialog.Key(VK_UP);
    dialog.Key(VK_UP);  // wraps round inside the group
    EXPECT_EQ(dialog.Focused(), 210);
    EXPECT_EQ(dialog.Checks({209, 210}), ".x");
    // Tab enters a group at its checked button; the rest of the tab order
    // is judged by the host's configure test.
    SetFocus(dialog.item(201));
    dialog.Key(VK_TAB);
    EXPECT_EQ(dialog.Focused(), 210);
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

// A dialog on top of the page, typed into and closed with Enter, is
// judged by the host's configure test; these are the other ends.
enum class Behaviour { EndAtInit, EndOnCancel, NeverEnd };

INT_PTR ModalProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        if (static_cast<Behaviour>(lparam) == Behaviour::EndAtInit) {
            EndDialog(dialog, 42);
        }
        return TRUE;
    }
    const auto behaviour = static_cast<Behaviour>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL &&
        behaviour == Behaviour::EndOnCancel) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// A dialog on top of the page, typed into and closed with Enter, is judged
// by the host's configure test; these are the other ends of the modal loop.
TEST(ModalDialog, ReturnsTheEndDialogResult) {
    DLGTEMPLATE* parsed = VtParseDialogTemplateA(kModal, sizeof kModal - 1);
    ASSERT_NE(parsed, nullptr);
    Dialog owner(kRadioPage);
    HWND focus_before = GetFocus();
    auto run = [&](Behaviour behaviour) {
        return DialogBoxIndirectParamA(nullptr, parsed, owner.hwnd(), ModalProc,
                                       static_cast<LPARAM>(behaviour));
    };
    EXPECT_EQ(run(Behaviour::EndAtInit), 42);
    // No more input: cancelled as by Esc; one that never ends fails the call.
    EXPECT_EQ(run(Behaviour::EndOnCancel), IDCANCEL);
    EXPECT_EQ(run(Behaviour::NeverEnd), -1);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd())) << "the owner is enabled again";
    EXPECT_EQ(GetFocus(), focus_before) << "the focus goes back";
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, nullptr, ModalProc, 0), -1);
    VtFreeDialogTemplate(parsed);
}

TEST(DialogResources, CreateDialogParamFindsTheTemplateInTheModule) {
    HMODULE module = LoadLibraryExA(VT_UI_FIXTURE_MODULE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HWND page = CreateDialogParamA(module, MAKEINTRESOURCEA(140), nullptr, RecordingProc, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(page, 201));
    HWND edit = GetDlgItem(page, 201);
    EXPECT_TRUE(DestroyWindow(page));
    EXPECT_FALSE(IsWindow(edit)) << "children go with the dialog";
    EXPECT_EQ(GetFocus(), nullptr);
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(page));
    EXPECT_EQ(GetLastError(), 1400u);  // ERROR_INVALID_WINDOW_HANDLE
    // A template with an unknown control fails the create.
    EXPECT_EQ(CreateDialogParamA(module, MAKEINTRESOURCEA(141), nullptr, RecordingProc, 0),
              nullptr);
    SetLastError(0);
    EXPECT_EQ(CreateDialogParamA(module, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0),
              nullptr);
    EXPECT_EQ(GetLastError(), 1814u);  // ERROR_RESOURCE_NAME_NOT_FOUND
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), -1);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(TemplateParser, BrokenTemplatesFailWithoutCrashing) {
    const char* const broken[] = {
        "136 DIALOG 0, 0, 196, 148\nSTYLE\nBEGIN\nEND",
        "136 DIALOG 0, 0, 196, 148\nFONT 8\nBEGIN\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nLTEXT \"unterminated, -1, 1, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nEDITTEXT 201, 1, 1, 1\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nEDITTEXT 201, 1, 1, 1, 1, NO_SUCH_STYLE\nEND",
        "136 DIALOG 0, 0, 196, 148\nBEGIN\nCONTROL \"x\", 1, \"SysListView32\", 0, 1, 1, 1, 1\nEND",
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
    // Every cut of a good template before its END fails cleanly.
    const std::string good = kHostListPage;
    const size_t complete = good.rfind("END") + 3;
    for (size_t length = 0; length < good.size(); ++length) {
        DLGTEMPLATE* parsed = VtParseDialogTemplateA(good.data(), length);
        EXPECT_EQ(parsed != nullptr, length >= complete) << length;
        VtFreeDialogTemplate(parsed);
    }
    EXPECT_EQ(VtParseDialogTemplateA(nullptr, 5), nullptr);
}

// The views' natural size goes through MulDiv: it rounds half away from
// zero, and a zero divisor or an overflow is -1.
TEST(DialogUnits, MulDivRoundsAndRefuses) {
    const int cases[][4] = {
        {96, 7779, 2540, 294}, {-5, 3, 2, -8}, {5, 3, 2, 8}, {1, 1, 0, -1}, {0x7FFFFFFF, 2, 1, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(MulDiv(c[0], c[1], c[2]), c[3]) << c[0] << "*" << c[1] << "/" << c[2];
    }
}

}  // namespace
}  // namespace vt::test
