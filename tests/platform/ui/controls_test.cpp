// Conformance of the standard controls: return values as Windows gives them.
#include "ui_test_support.h"

#include <algorithm>

namespace vt::test {
namespace {

const char kControls[] = R"(1 DIALOG 0, 0, 200, 120
STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    LISTBOX 10, 5, 5, 80, 40, LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP
    LISTBOX 11, 90, 5, 80, 40, NOT LBS_NOTIFY | WS_TABSTOP
    EDITTEXT 20, 5, 50, 80, 14, ES_NUMBER
    EDITTEXT 21, 90, 50, 80, 14, ES_PASSWORD | ES_AUTOHSCROLL
    COMBOBOX 30, 5, 70, 80, 50, CBS_DROPDOWNLIST | WS_TABSTOP
    COMBOBOX 31, 90, 70, 80, 50, CBS_DROPDOWN | WS_TABSTOP
    AUTOCHECKBOX "Box", 40, 5, 90, 40, 10
    PUSHBUTTON "Push", 41, 50, 90, 40, 14
END
)";

TEST(ListBox, SortedInsertionIgnoresCaseAndReturnsIndex) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    ASSERT_NE(dialog.hwnd(), nullptr);
    // Windows places each new entry before the first that does not sort
    // below it, comparing without case.
    struct Case {
        const char* text;
        LRESULT index;
    } const cases[] = {{"b.example", 0}, {"a.example", 0}, {"C.example", 2},
                       {"B.example", 1}, {"", 0},          {"zz", 5}};
    for (const Case& c : cases) {
        EXPECT_EQ(dialog.Add(10, c.text), c.index) << c.text;
    }
    std::vector<std::string> shown;
    for (LRESULT i = 0; i < dialog.Send(10, LB_GETCOUNT); ++i) {
        char text[64] = "sentinel";
        LRESULT length = dialog.Send(10, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(length, static_cast<LRESULT>(std::strlen(text)));
        shown.push_back(text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"", "a.example", "B.example", "b.example", "C.example", "zz"}));
    // An unsorted list box appends.
    EXPECT_EQ(dialog.Add(11, "b"), 0);
    EXPECT_EQ(dialog.Add(11, "a"), 1);
    EXPECT_TRUE(recorder.commands.empty()) << "adding strings notifies nothing";
}

TEST(ListBox, ErrorCasesAnswerLbErrAndLeaveBuffers) {
    Dialog dialog(kControls);
    dialog.Add(11, "one");
    dialog.Add(11, "two");
    char buffer[16] = "sentinel";
    struct Case {
        const char* what;
        UINT message;
        WPARAM wparam;
        LRESULT expected;
    } const cases[] = {
        {"text of index 2", LB_GETTEXT, 2, LB_ERR},
        {"text of index -1", LB_GETTEXT, static_cast<WPARAM>(-1), LB_ERR},
        {"length of index 2", LB_GETTEXTLEN, 2, LB_ERR},
        {"delete index 5", LB_DELETESTRING, 5, LB_ERR},
        {"insert at 3 of 2", LB_INSERTSTRING, 3, LB_ERR},
        {"select index 9", LB_SETCURSEL, 9, LB_ERR},
        // -1 clears the selection and still answers LB_ERR.
        {"select -1", LB_SETCURSEL, static_cast<WPARAM>(-1), LB_ERR},
        {"no selection", LB_GETCURSEL, 0, LB_ERR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dialog.Send(11, c.message, c.wparam, reinterpret_cast<LPARAM>(buffer)), c.expected)
            << c.what;
    }
    EXPECT_STREQ(buffer, "sentinel");
    EXPECT_EQ(dialog.Send(11, LB_GETCOUNT), 2);
}

TEST(ListBox, DeleteAndInsertMoveTheSelection) {
    Dialog dialog(kControls);
    for (const char* text : {"a", "b", "c", "d"}) dialog.Add(11, text);
    EXPECT_EQ(dialog.Send(11, LB_SETCURSEL, 2), 2);
    EXPECT_EQ(dialog.Send(11, LB_DELETESTRING, 0), 3);  // remaining count
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), 1);
    EXPECT_EQ(dialog.Send(11, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("z")), 0);
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), 2);
    EXPECT_EQ(dialog.Send(11, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("y")), 4);
    EXPECT_EQ(dialog.Send(11, LB_DELETESTRING, 2), 4);
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), LB_ERR) << "deleting the selected entry clears it";
    EXPECT_EQ(dialog.Send(11, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Y")), 3);
    dialog.Send(11, LB_RESETCONTENT);
    EXPECT_EQ(dialog.Send(11, LB_GETCOUNT), 0);
}

TEST(ListBox, KeysSelectAndNotifyOnlyWithLbsNotify) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    for (const char* text : {"a", "b", "c"}) {
        dialog.Add(10, text);
        dialog.Add(11, text);
    }
    // LB_SETCURSEL by program sends no LBN_SELCHANGE.
    dialog.Send(10, LB_SETCURSEL, 0);
    EXPECT_TRUE(recorder.commands.empty());
    SetFocus(dialog.item(10));
    dialog.Key(VK_DOWN);
    dialog.Key(VK_DOWN);
    dialog.Key(VK_DOWN);  // already at the end: no change, no notification
    EXPECT_EQ(dialog.Send(10, LB_GETCURSEL), 2);
    EXPECT_EQ(recorder.commands, (std::vector<std::pair<int, int>>{{10, LBN_SELCHANGE}, {10, LBN_SELCHANGE}}));
    recorder.commands.clear();
    SetFocus(dialog.item(11));
    dialog.Key(VK_DOWN);
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), 0);
    EXPECT_TRUE(recorder.commands.empty()) << "no LBS_NOTIFY, no notification";
}

TEST(Edit, NumberStyleRefusesTypedNonDigitsOnly) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    SetFocus(dialog.item(20));
    dialog.Type("1a2-3 ");
    EXPECT_EQ(dialog.Text(20), "123");
    // Text set by program is not checked, as on Windows.
    EXPECT_TRUE(SetDlgItemTextA(dialog.hwnd(), 20, "-45x"));
    EXPECT_EQ(dialog.Text(20), "-45x");
    long changes = 0;
    for (const auto& command : recorder.commands) changes += command == std::make_pair(20, int{EN_CHANGE});
    EXPECT_EQ(changes, 4) << "three digits typed and one WM_SETTEXT";
    // Without ES_AUTOHSCROLL typing stops at the width shown: 18 cells.
    SetDlgItemTextA(dialog.hwnd(), 20, "");
    dialog.Type("1234567890123456789012345");
    EXPECT_EQ(dialog.Text(20), "123456789012345678");
}

TEST(Edit, LimitBackspaceAndCaretKeys) {
    Dialog dialog(kControls);
    HWND edit = dialog.item(21);
    SendMessageA(edit, EM_LIMITTEXT, 4, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 4);
    SetFocus(edit);
    dialog.Type("abcdef");
    EXPECT_EQ(dialog.Text(21), "abcd");
    dialog.Key(VK_HOME);
    dialog.Key(VK_DELETE);
    dialog.Key(VK_END);
    dialog.Type("\b");
    EXPECT_EQ(dialog.Text(21), "bc");
    EXPECT_EQ(GetWindowTextLengthA(edit), 2);
}

TEST(Edit, TabbingInSelectsTheWholeTextAndTypingReplacesIt) {
    Dialog dialog(kControls);
    SetDlgItemTextA(dialog.hwnd(), 21, "old");
    SetFocus(dialog.item(20));
    dialog.Key(VK_TAB);
    ASSERT_EQ(GetFocus(), dialog.item(21));
    // The dialog manager sends EM_SETSEL(0, -1) to an edit it tabs to.
    DWORD from = 99;
    DWORD to = 99;
    EXPECT_EQ(dialog.Send(21, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to)),
              MAKELONG(0, 3));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);
    dialog.Type("new");
    EXPECT_EQ(dialog.Text(21), "new");
    // A movement key drops the selection; Backspace then takes one character.
    dialog.Send(21, EM_SETSEL, 0, -1);
    dialog.Key(VK_END);
    dialog.Type("\b");
    EXPECT_EQ(dialog.Text(21), "ne");
}

TEST(DialogText, GetDlgItemTextTruncatesToTheBuffer) {
    Dialog dialog(kControls);
    std::string long_text(300, 'h');
    ASSERT_TRUE(SetDlgItemTextA(dialog.hwnd(), 21, long_text.c_str()));
    // A 256-character buffer takes 255 characters and the NUL.
    char buffer[260];
    std::memset(buffer, 'S', sizeof buffer);
    EXPECT_EQ(GetDlgItemTextA(dialog.hwnd(), 21, buffer, 256), 255u);
    EXPECT_EQ(buffer[255], '\0');
    EXPECT_EQ(buffer[256], 'S');
    EXPECT_EQ(std::string(buffer), long_text.substr(0, 255));
    // No such control: 0 and an emptied buffer.
    std::strcpy(buffer, "sentinel");
    EXPECT_EQ(GetDlgItemTextA(dialog.hwnd(), 999, buffer, 256), 0u);
    EXPECT_STREQ(buffer, "");
    // A size of 0 writes nothing.
    std::strcpy(buffer, "sentinel");
    EXPECT_EQ(GetDlgItemTextA(dialog.hwnd(), 21, buffer, 0), 0u);
    EXPECT_STREQ(buffer, "sentinel");
}

TEST(DialogText, GetDlgItemIntParsesLikeWindows) {
    Dialog dialog(kControls);
    struct Case {
        const char* text;
        BOOL is_signed;
        UINT value;
        BOOL translated;
    } const cases[] = {
        {"300", FALSE, 300, TRUE},      {"  42  ", TRUE, 42, TRUE},
        {"-7", TRUE, static_cast<UINT>(-7), TRUE}, {"-7", FALSE, 0, FALSE},
        {"", TRUE, 0, FALSE},           {"12a", TRUE, 0, FALSE},
        {"4294967295", FALSE, 4294967295u, TRUE}, {"4294967296", FALSE, 0, FALSE},
        {"2147483648", TRUE, 0, FALSE},
    };
    for (const Case& c : cases) {
        SetDlgItemTextA(dialog.hwnd(), 21, c.text);
        BOOL translated = 99;
        EXPECT_EQ(GetDlgItemInt(dialog.hwnd(), 21, &translated, c.is_signed), c.value) << c.text;
        EXPECT_EQ(translated, c.translated) << c.text;
    }
    EXPECT_TRUE(SetDlgItemInt(dialog.hwnd(), 21, static_cast<UINT>(-5), TRUE));
    EXPECT_EQ(dialog.Text(21), "-5");
    EXPECT_TRUE(SetDlgItemInt(dialog.hwnd(), 21, 40000, FALSE));
    EXPECT_EQ(dialog.Text(21), "40000");
}

TEST(ComboBox, DropDownListSelectsOnlyItsEntries) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    const char* entries[] = {"Does not attempt secure dynamic updates.",
                             "Attempts secure dynamic updates only."};
    EXPECT_EQ(dialog.Send(30, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[0])), 0);
    EXPECT_EQ(dialog.Send(30, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[1])), 1);
    EXPECT_EQ(dialog.Send(30, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>("attempts secure dynamic updates only.")), 1);
    EXPECT_EQ(dialog.Send(30, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Attempts")), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_SETCURSEL, 1), 1);
    EXPECT_EQ(dialog.Text(30), entries[1]);
    EXPECT_EQ(dialog.Send(30, CB_GETLBTEXTLEN, 0), static_cast<LRESULT>(std::strlen(entries[0])));
    EXPECT_EQ(dialog.Send(30, CB_GETLBTEXTLEN, 2), CB_ERR);
    EXPECT_EQ(SendMessageA(dialog.item(30), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other")), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_SETCURSEL, 5), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_GETCURSEL), CB_ERR);
    EXPECT_TRUE(recorder.commands.empty()) << "selection by program notifies nothing";
    // Keyboard: Down opens the list, Down moves, Enter closes.
    SetFocus(dialog.item(30));
    dialog.Key(VK_DOWN);
    EXPECT_EQ(dialog.Send(30, CB_GETDROPPEDSTATE), TRUE);
    dialog.Key(VK_DOWN);
    dialog.Key(VK_RETURN);
    EXPECT_EQ(dialog.Send(30, CB_GETDROPPEDSTATE), FALSE);
    EXPECT_EQ(dialog.Send(30, CB_GETCURSEL), 0);
    EXPECT_NE(std::find(recorder.commands.begin(), recorder.commands.end(), std::make_pair(30, int{CBN_SELCHANGE})),
              recorder.commands.end());
}

TEST(ComboBox, EditableComboKeepsTypedText) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    EXPECT_TRUE(SetDlgItemTextA(dialog.hwnd(), 31, "linuxrc.example"));
    EXPECT_EQ(dialog.Text(31), "linuxrc.example");
    EXPECT_EQ(dialog.Send(31, CB_GETCOUNT), 0) << "setting the text adds no entry";
    SetFocus(dialog.item(31));
    dialog.Type("x");
    EXPECT_EQ(dialog.Text(31), "linuxrc.examplex");
    EXPECT_EQ(recorder.commands.back(), std::make_pair(31, int{CBN_EDITCHANGE}));
}

TEST(Button, CheckBoxAndPushButton) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 40), static_cast<UINT>(BST_UNCHECKED));
    SendMessageA(dialog.item(40), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 40), static_cast<UINT>(BST_CHECKED));
    SetFocus(dialog.item(40));
    dialog.Type(" ");
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 40), static_cast<UINT>(BST_UNCHECKED));
    dialog.Key(VK_RETURN);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 40), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(CheckDlgButton(dialog.hwnd(), 40, BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 40), static_cast<UINT>(BST_UNCHECKED));
    // A push button has no check state.
    CheckDlgButton(dialog.hwnd(), 41, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 41), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_FALSE(CheckDlgButton(dialog.hwnd(), 999, BST_CHECKED));
    EXPECT_EQ(recorder.commands, (std::vector<std::pair<int, int>>{{40, BN_CLICKED}, {40, BN_CLICKED}, {40, BN_CLICKED}}));
    // A disabled button ignores clicks.
    EXPECT_FALSE(EnableWindow(dialog.item(40), FALSE));
    SendMessageA(dialog.item(40), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), 40), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(EnableWindow(dialog.item(40), TRUE)) << "answers that it was disabled";
}

}  // namespace
}  // namespace vt::test
