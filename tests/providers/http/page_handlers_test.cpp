// The pages' own handlers: the host-list editor, Win2000's security combo
// box and Generic GnuDIP2's radio groups and status lines.
#include "module_pages.h"

namespace vantrel::test {
namespace {

std::string ControlText(HWND page, int id) {
    char text[512] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

std::vector<std::string> ListEntries(HWND page) {
    std::vector<std::string> entries;
    LRESULT count = SendDlgItemMessageA(page, 206, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[512] = {};
        SendDlgItemMessageA(page, 206, LB_GETTEXT, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

void Click(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

// Steps on the editor: "+text" types into 201 and presses Add, "-" presses
// Delete, "#n" selects entry n (notifying the page as a click in the list).
struct EditorCase {
    std::vector<std::string> steps;
    std::vector<std::string> list;
    std::string entry;
};

const EditorCase kEditorCases[] = {
    // Sorted, empty text ignored, duplicates and spaces kept, Delete without
    // a selection does nothing.
    {{"+b", "+a", "+", "+ x ", "+ x ", "-"}, {" x ", " x ", "a", "b"}, ""},
    {{"+a", "+b", "#1"}, {"a", "b"}, "b"},
    {{"+a", "+b", "#0", "-"}, {"b"}, "a"},
};

// One editor serves the three pages with a host list.
TEST_F(ModulePages, HostListEditor) {
    for (const EditorCase& c : kEditorCases) {
        host::ActiveView view = ActiveView(kEuroDynDnsIdentity);
        HWND page = view.Page();
        ASSERT_NE(page, nullptr);
        for (const std::string& step : c.steps) {
            if (step[0] == '+') {
                SetDlgItemTextA(page, 201, step.c_str() + 1);
                Click(page, 204);
            } else if (step[0] == '-') {
                Click(page, 205);
            } else {
                SendDlgItemMessageA(page, 206, LB_SETCURSEL, std::stoul(step.substr(1)), 0);
                SendMessageA(page, WM_COMMAND, MAKEWPARAM(206, LBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(page, 206)));
            }
        }
        EXPECT_EQ(ListEntries(page), c.list) << c.steps.back();
        EXPECT_EQ(ControlText(page, 201), c.entry) << c.steps.back();
    }
}

// A second SetData adds its host names to those shown; texts are replaced.
TEST_F(ModulePages, SetDataAddsHostNamesToTheList) {
    host::ActiveView view = ActiveView(kDipDNSIdentity);
    for (const char* host : {"c", "a"}) {
        EXPECT_EQ(GiveBlob(view.View(),
                           [&](BlobWriter& w) {
                               w.CountedTextList(std::vector<Text>{Text(host)});
                               w.CountedText(host);
                           }),
                  S_OK);
    }
    EXPECT_EQ(ListEntries(view.Page()), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(ControlText(view.Page(), 202), "a");
}

TEST_F(ModulePages, DyFiChecksTheOfflineBoxOnlyForOne) {
    host::ActiveView view = ActiveView(kDyFiViewIdentity);
    for (auto [flag, checked] :
         {std::pair{1, BST_CHECKED}, {2, BST_UNCHECKED}, {1, BST_CHECKED}, {-1, BST_UNCHECKED}}) {
        GiveBlob(view.View(), [&](BlobWriter& w) {
            w.Integer(0);
            w.CountedText("");
            w.CountedText("");
            w.Integer(flag);
        });
        EXPECT_EQ(IsDlgButtonChecked(view.Page(), 219), static_cast<UINT>(checked)) << flag;
    }
}

// Security values select: bit 0x10 the first entry, else bit 0x100 the
// second; anything else leaves the selection as it was.
TEST_F(ModulePages, Win2000SecuritySelectsTheComboEntry) {
    const std::pair<int32_t, LRESULT> cases[] = {{256, 1}, {0, 1}, {16, 0}, {0x110, 0}, {7, 0}};
    host::ActiveView view = ActiveView(kWin2000Identity);
    HWND page = view.Page();
    EXPECT_EQ(SendDlgItemMessageA(page, 214, CB_GETCURSEL, 0, 0), CB_ERR);
    for (const auto& [security, selected] : cases) {
        GiveBlob(view.View(), [&](BlobWriter& w) {
            w.BareText("");
            w.BareText("");
            w.Integer(-5);
            w.BareText("");
            w.BareText("");
            w.BareText("");
            w.Integer(security);
        });
        EXPECT_EQ(SendDlgItemMessageA(page, 214, CB_GETCURSEL, 0, 0), selected) << security;
        EXPECT_EQ(ControlText(page, 221), "-5");
    }
}

// The server settings belong to the view: a blob given before the page
// exists keeps them, and an empty address or URL keeps what is held. An
// unknown request code leaves the radio selection as it was.
TEST_F(ModulePages, GenGnuDipKeepsServerSettingsWithoutAPage) {
    host::ComRef<IUnknown> object = Create(kGenGnuDIPViewIdentity);
    host::ComRef<IGView> view;
    ASSERT_EQ(object->QueryInterface(IID_IGView, view.Put()), S_OK);
    auto give = [&](const char* server, uint16_t port, const char* url, int32_t request) {
        GiveBlob(view.Get(), [&](BlobWriter& w) {
            w.CountedText("me");
            w.CountedText("d");
            w.CountedText("pw");
            w.Integer(request);
            w.Integer(0);
            w.BareText(server);
            w.ShortInteger(port);
            w.BareText(url);
        });
    };
    give("s.example", 40000, "http://u/", 1);
    give("", 7, "", 1);
    host::ActiveView active;
    ASSERT_EQ(host::ActiveView::Activate(object.Get(), &active), S_OK);
    HWND page = active.Page();
    EXPECT_EQ(ControlText(page, 201), "");  // the page did not exist
    give("", 40000, "", 2);
    EXPECT_EQ(ControlText(page, 201), "me");
    EXPECT_EQ(ControlText(page, 217), "Server: s.example Port: 40000");
    EXPECT_EQ(ControlText(page, 218), "Update URL: http://u/");
    give("", 40000, "", 5);
    EXPECT_EQ(IsDlgButtonChecked(page, 210), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(page, 211), static_cast<UINT>(BST_CHECKED));
}

}  // namespace
}  // namespace vantrel::test
