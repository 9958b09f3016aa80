// Conformance of the standard controls: return values as Windows gives them.
#include "ui_test_support.h"

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

using Commands = std::vector<std::pair<int, int>>;

// Windows places each new entry before the first that does not sort below
// it, comparing without case; an unsorted list box appends. Only keys
// notify, and only with LBS_NOTIFY.
TEST(ListBox, SortedInsertionAndKeyNotifications) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    ASSERT_NE(dialog.hwnd(), nullptr);
    const std::pair<const char*, LRESULT> cases[] = {
        {"b.example", 0}, {"a.example", 0}, {"C.example", 2}, {"B.example", 1}, {"", 0}};
    for (const auto& [text, index] : cases) {
        EXPECT_EQ(dialog.Add(10, text), index) << text;
    }
    EXPECT_EQ(ListItems(dialog.hwnd(), 10),
              (std::vector<std::string>{"", "a.example", "B.example", "b.example", "C.example"}));
    EXPECT_EQ(dialog.Add(11, "b"), 0);
    EXPECT_EQ(dialog.Add(11, "a"), 1);
    dialog.Send(10, LB_SETCURSEL, 3);
    EXPECT_TRUE(recorder.commands.empty()) << "changes by program notify nothing";
    SetFocus(dialog.item(10));
    for (int i = 0; i < 3; ++i) {
        dialog.Key(VK_DOWN);  // the last one is at the end: no change
    }
    EXPECT_EQ(dialog.Send(10, LB_GETCURSEL), 4);
    EXPECT_EQ(recorder.commands, (Commands{{10, LBN_SELCHANGE}}));
    SetFocus(dialog.item(11));
    dialog.Key(VK_DOWN);
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), 0);
    EXPECT_EQ(recorder.commands.size(), 1u) << "no LBS_NOTIFY, no notification";
}

// The host-list editor's Delete removes the selected entry by index.
TEST(ListBox, ErrorsAnswerLbErrAndDeleteMovesTheSelection) {
    Dialog dialog(kControls);
    for (const char* text : {"one", "two", "c", "d"}) {
        dialog.Add(11, text);
    }
    char buffer[16] = "sentinel";
    // Out-of-range indexes, and no selection, answer LB_ERR.
    const std::pair<UINT, WPARAM> errors[] = {
        {LB_GETTEXT, 4}, {LB_GETTEXTLEN, 4}, {LB_DELETESTRING, 5}, {LB_GETCURSEL, 0}};
    for (const auto& [message, wparam] : errors) {
        EXPECT_EQ(dialog.SendText(11, message, wparam, buffer), LB_ERR) << message << " " << wparam;
    }
    EXPECT_STREQ(buffer, "sentinel");
    EXPECT_EQ(dialog.Send(11, LB_SETCURSEL, 2), 2);
    EXPECT_EQ(dialog.Send(11, LB_DELETESTRING, 0), 3);  // remaining count
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), 1);
    EXPECT_EQ(dialog.Send(11, LB_DELETESTRING, 1), 2);
    EXPECT_EQ(dialog.Send(11, LB_GETCURSEL), LB_ERR) << "deleting the selected entry clears it";
}

TEST(Edit, NumberStyleWidthAndCaretKeys) {
    Dialog dialog(kControls);
    SetFocus(dialog.item(20));
    dialog.Type("1a2-3 ");
    EXPECT_EQ(dialog.Text(20), "123");
    // Text set by program is not checked, as on Windows.
    EXPECT_TRUE(SetDlgItemTextA(dialog.hwnd(), 20, "-45x"));
    EXPECT_EQ(dialog.Text(20), "-45x");
    // Without ES_AUTOHSCROLL typing stops at the width shown: 18 cells.
    SetDlgItemTextA(dialog.hwnd(), 20, "");
    dialog.Type("1234567890123456789012345");
    EXPECT_EQ(dialog.Text(20), "123456789012345678");
    // Tabbing in selects the whole text (EM_SETSEL(0, -1)): typing replaces it.
    SetDlgItemTextA(dialog.hwnd(), 21, "old");
    dialog.Key(VK_TAB);
    ASSERT_EQ(dialog.Focused(), 21);
    dialog.Type("abcd");
    // A movement key drops the selection; Backspace then takes one character.
    dialog.Key(VK_HOME);
    dialog.Key(VK_DELETE);
    dialog.Key(VK_END);
    dialog.Type("\b");
    EXPECT_EQ(dialog.Text(21), "bc");
}

TEST(DialogText, GetDlgItemTextTruncatesToTheBuffer) {
    Dialog dialog(kControls);
    std::string long_text(300, 'h');
    ASSERT_TRUE(SetDlgItemTextA(dialog.hwnd(), 21, long_text.c_str()));
    // A 256-character buffer takes 255 characters and the NUL.
    char buffer[260];
    std::memset(buffer, 'S', sizeof buffer);
    EXPECT_EQ(GetDlgItemTextA(dialog.hwnd(), 21, buffer, 256), 255u);
    EXPECT_EQ(buffer[256], 'S');
    EXPECT_EQ(std::string(buffer), long_text.substr(0, 255));
    // No such control: 0 and an emptied buffer; a size of 0 writes nothing.
    EXPECT_EQ(GetDlgItemTextA(dialog.hwnd(), 999, buffer, 256), 0u);
    EXPECT_STREQ(buffer, "");
    std::strcpy(buffer, "sentinel");
    EXPECT_EQ(GetDlgItemTextA(dialog.hwnd(), 21, buffer, 0), 0u);
    EXPECT_STREQ(buffer, "sentinel");
}

TEST(DialogText, GetDlgItemIntParsesLikeWindows) {
    Dialog dialog(kControls);
    const struct {
        const char* text;
        BOOL is_signed;
        UINT value;
        BOOL translated;
    } cases[] = {
        {"  42  ", TRUE, 42, TRUE},      {"-7", TRUE, UINT(-7), TRUE},
        {"-7", FALSE, 0, FALSE},         {"", TRUE, 0, FALSE},
        {"12a", TRUE, 0, FALSE},         {"4294967295", FALSE, 4294967295u, TRUE},
        {"4294967296", FALSE, 0, FALSE}, {"2147483648", TRUE, 0, FALSE},
    };
    for (const auto& c : cases) {
        SetDlgItemTextA(dialog.hwnd(), 21, c.text);
        BOOL translated = 99;
        EXPECT_EQ(GetDlgItemInt(dialog.hwnd(), 21, &translated, c.is_signed), c.value) << c.text;
        EXPECT_EQ(translated, c.translated) << c.text;
    }
    EXPECT_TRUE(SetDlgItemInt(dialog.hwnd(), 21, UINT(-5), TRUE));
    EXPECT_EQ(dialog.Text(21), "-5");
}

TEST(ComboBox, DropDownListSelectsOnlyItsEntriesAndDropDownKeepsText) {
    Dialog dialog(kControls);
    const char* entries[] = {"Does not attempt secure dynamic updates.",
                             "Attempts secure dynamic updates only."};
    EXPECT_EQ(dialog.SendText(30, CB_ADDSTRING, 0, entries[0]), 0);
    EXPECT_EQ(dialog.SendText(30, CB_ADDSTRING, 0, entries[1]), 1);
    EXPECT_EQ(dialog.Send(30, CB_GETCURSEL), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_SETCURSEL, 1), 1);
    EXPECT_EQ(dialog.Text(30), entries[1]);
    EXPECT_EQ(dialog.SendText(30, WM_SETTEXT, 0, "other"), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_SETCURSEL, 5), CB_ERR);
    EXPECT_EQ(dialog.Send(30, CB_GETCURSEL), CB_ERR);
    // Keyboard: Down opens the list, Down moves, Enter closes.
    SetFocus(dialog.item(30));
    dialog.Key(VK_DOWN);
    dialog.Key(VK_DOWN);
    dialog.Key(VK_RETURN);
    EXPECT_EQ(dialog.Send(30, CB_GETCURSEL), 0);

    EXPECT_TRUE(SetDlgItemTextA(dialog.hwnd(), 31, "linuxrc.example"));
    EXPECT_EQ(dialog.Send(31, CB_GETCOUNT), 0) << "setting the text adds no entry";
    SetFocus(dialog.item(31));
    dialog.Type("x");
    EXPECT_EQ(dialog.Text(31), "linuxrc.examplex");
}

TEST(Button, CheckBoxAndPushButton) {
    Recorder recorder;
    Dialog dialog(kControls, &recorder);
    dialog.Click(40);
    EXPECT_EQ(dialog.Checks({40}), "x");
    SetFocus(dialog.item(40));
    dialog.Type(" ");
    EXPECT_EQ(dialog.Checks({40}), ".");
    dialog.Key(VK_RETURN);
    EXPECT_EQ(dialog.Checks({40}), "x");
    EXPECT_TRUE(CheckDlgButton(dialog.hwnd(), 40, BST_UNCHECKED));
    // A push button has no check state.
    CheckDlgButton(dialog.hwnd(), 41, BST_CHECKED);
    EXPECT_EQ(dialog.Checks({40, 41}), "..");
    EXPECT_FALSE(CheckDlgButton(dialog.hwnd(), 999, BST_CHECKED));
    EXPECT_EQ(recorder.commands, Commands(3, {40, BN_CLICKED}));
}

}  // namespace
}  // namespace vt::test
