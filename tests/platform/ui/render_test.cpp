// The renderer's cell mapping, GDI on the canvas, key decoding, and the
// terminal front end's refusals (typing into a page in a real terminal is
// covered by the host's configure test).
#include "ui_test_support.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <tuple>

namespace vt::test {
namespace {

// A column is 4 horizontal units, a row 8 vertical ones; one-line controls
// sit on the row nearest their centre, labels beside them.
TEST(Renderer, DrawsEveryControlKindInItsCells) {
    Dialog dialog(kHostListPage);
    dialog.Add(206, "b.example");
    dialog.Add(206, "a.example");
    dialog.Send(206, LB_SETCURSEL, 1);
    SetDlgItemTextA(dialog.hwnd(), 203, "secret");
    SetDlgItemTextA(dialog.hwnd(), 202, "user");
    CheckDlgButton(dialog.hwnd(), 219, BST_CHECKED);
    std::vector<std::string> rows = dialog.Render();
    ASSERT_EQ(rows.size(), 19u);
    EXPECT_EQ(rows[0].substr(1, 3), "+--");
    EXPECT_EQ(rows[3].substr(1, 12), "| Hostname:[");
    EXPECT_EQ(rows[5].substr(12, 26), "<    Add    > <  Delete  >");
    EXPECT_EQ(rows[6].substr(12, 11), "|a.example ");
    EXPECT_EQ(rows[7].substr(12, 11), ">b.example ");
    EXPECT_EQ(rows[12].substr(3, 14), "Username:[user");
    EXPECT_EQ(rows[14].substr(12, 8), "[****** ") << "password edits show masks";
    EXPECT_EQ(rows[16].substr(3, 19), "Set as offline: [x]");
    EXPECT_EQ(rows[17].substr(1, 3), "+--");
}

TEST(Renderer, EditScrollsToTheCaretAndOpenComboCoversBelow) {
    const char page[] = R"(1 DIALOG 0, 0, 80, 60
BEGIN
    EDITTEXT 1, 0, 0, 40, 14, ES_AUTOHSCROLL
    COMBOBOX 2, 0, 16, 40, 40, CBS_DROPDOWNLIST | WS_TABSTOP
    LTEXT "under", -1, 0, 26, 40, 8
END
)";
    Dialog dialog(page);
    SetFocus(dialog.item(1));
    dialog.Type("abcdefghijkl");
    std::vector<std::string> rows = dialog.Render();
    EXPECT_EQ(rows[1].substr(0, 10), "[fghijkl ]") << "8 cells show the caret's end";
    for (const char* entry : {"one", "two"}) {
        dialog.SendText(2, CB_ADDSTRING, 0, entry);
    }
    dialog.Send(2, CB_SHOWDROPDOWN, TRUE);
    rows = dialog.Render();
    EXPECT_EQ(rows[4].substr(0, 5), "|one ");
    EXPECT_EQ(rows[5].substr(0, 5), "|two ");
}

TEST(Gdi, ObjectsAndColours) {
    HFONT font =
        CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font)) << "a deleted object is no longer one";
    EXPECT_TRUE(DeleteObject(GetStockObject(GRAY_BRUSH))) << "stock objects stay";
    COLORREF rgb = 12345;
    EXPECT_EQ(OleTranslateColor(0x80000000u | COLOR_BTNFACE, nullptr, &rgb), S_OK);
    EXPECT_EQ(rgb, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(OleTranslateColor(RGB(1, 2, 3), nullptr, &rgb), S_OK);
    EXPECT_EQ(rgb, RGB(1, 2, 3));
    EXPECT_EQ(OleTranslateColor(0x80000050u, nullptr, &rgb), E_INVALIDARG);
    EXPECT_EQ(rgb, RGB(1, 2, 3));
}

// Plain keys, Tab, Enter and the vt100 F2 are judged by the host's
// configure test; these are the other forms a terminal sends.
TEST(KeyDecoder, TerminalSequencesBecomeKeyMessages) {
    const struct {
        const char* bytes;
        BOOL at_end;
        size_t used;
        UINT message;
        WPARAM key;
        UINT modifiers;
    } cases[] = {
        {"\x1b[Z", FALSE, 3, WM_KEYDOWN, VK_TAB, VT_MOD_SHIFT},
        {"\x7f", FALSE, 1, WM_CHAR, VK_BACK, 0},
        {"\x13", FALSE, 1, WM_KEYDOWN, 'S', VT_MOD_CONTROL},
        {"\x1b[12~", FALSE, 5, WM_KEYDOWN, VK_F2, 0},
        {"\x1bOA", FALSE, 3, WM_KEYDOWN, VK_UP, 0},
        {"\x1b[1;3B", FALSE, 6, WM_KEYDOWN, VK_DOWN, VT_MOD_ALT},
        {"\x1b[3~", FALSE, 4, WM_KEYDOWN, VK_DELETE, 0},
        {"\x1b[H", FALSE, 3, WM_KEYDOWN, VK_HOME, 0},
        {"\x1b", FALSE, 0, 0, 0, 0},  // maybe the start of a sequence
        {"\x1b", TRUE, 1, WM_KEYDOWN, VK_ESCAPE, 0},
        {"\x1b[", FALSE, 0, 0, 0, 0},
        {"\x1b[", TRUE, 1, WM_KEYDOWN, VK_ESCAPE, 0},
        {"\x1b[99~", FALSE, 5, 0, 0, 0},  // unknown: skipped
        {"\x01", FALSE, 1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        VtKeyEvent key{0xDEAD, 0xDEAD, 0xDEAD};
        size_t used = VtDecodeKey(reinterpret_cast<const unsigned char*>(c.bytes),
                                  std::strlen(c.bytes), c.at_end, &key);
        EXPECT_EQ(used, c.used);
        if (used != 0) {
            EXPECT_EQ(std::tie(key.message, key.key, key.modifiers),
                      std::tie(c.message, c.key, c.modifiers));
        }
    }
}

TEST(TerminalFrontEnd, RefusesSmallTerminalsAndNonTerminals) {
    setenv("TERM", "xterm", 1);
    Dialog dialog(kHostListPage);
    int master = -1;
    int slave = -1;
    winsize size{20, 70, 0, 0};
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
    int null_device = open("/dev/null", O_RDWR);
    const struct {
        int fd;
        const char* message;
    } cases[] = {
        {slave, "the terminal is 70 x 20; the page needs at least 80 x 24"},
        {null_device, "the page needs a terminal"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(VtRunTerminalFd(dialog.hwnd(), "DyFi", c.fd, c.fd), VT_TERMINAL_ERROR);
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.message), std::string::npos);
    }
    for (int fd : {master, slave, null_device}) {
        close(fd);
    }
}

}  // namespace
}  // namespace vt::test
