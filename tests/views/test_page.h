// A view on the frame with a two-field page (edit 201, check box 219), its
// dialog template carried in the test program's own resources, and helpers
// to create it.
#pragma once

#include <gtest/gtest.h>
#include <platform/ole2.h>

#include "contract/com_object.h"
#include "views/page_view.h"

namespace vantrel::test {

constexpr WORD kTestTemplate = 200;
constexpr WORD kMissingTemplate = 201;
constexpr int kHostEdit = 201;
constexpr int kOfflineBox = 219;

inline constexpr ClassIdentity kTestPageIdentity{
    "TestPage",
    ClassKind::View,
    {0x0a5e1c11, 0x3e5f, 0x4c1b, {0x9d, 0x31, 0x55, 0x0f, 0x62, 0x10, 0x7a, 0x01}},
    {0x0a5e1c12, 0x3e5f, 0x4c1b, {0x9d, 0x31, 0x55, 0x0f, 0x62, 0x10, 0x7a, 0x01}}};

extern const ClassInfo kTestPageClass;

// What the page hooks saw, for the tests to check.
struct PageLog {
    int init_dialogs = 0;
    bool throw_in_write = false;
};

class TestPage : public PageView {
public:
    TestPage() : TestPage(kTestTemplate) {}

    static PageLog& Log() {
        static PageLog log;
        return log;
    }

protected:
    explicit TestPage(WORD page_template) : PageView(kTestPageClass, "Test page", page_template) {}

    void WriteFields(BlobWriter& writer) override {
        if (Log().throw_in_write) {
            throw HResultError(E_OUTOFMEMORY);
        }
        char text[256] = {};
        GetDlgItemTextA(Page(), kHostEdit, text, sizeof text);
        writer.CountedText(text);
        writer.Flag(IsDlgButtonChecked(Page(), kOfflineBox) == BST_CHECKED);
    }
    void ReadFields(BlobReader& reader) override {
        if (auto host = reader.CountedText()) {
            SetDlgItemTextA(Page(), kHostEdit, std::string(host->View()).c_str());
        }
        if (auto offline = reader.Flag()) {
            CheckDlgButton(Page(), kOfflineBox, *offline ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    INT_PTR OnPageMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_INITDIALOG) {
            ++Log().init_dialogs;
            EXPECT_NE(Page(), nullptr);
        }
        return FALSE;
    }
};

// The same page under a template the resources do not have.
class OrphanPage : public TestPage {
public:
    OrphanPage() : TestPage(kMissingTemplate) {}
};

template <typename Page, typename T>
ComPtr<T> CreatePage(REFIID riid) {
    ComPtr<T> object;
    EXPECT_EQ((CreateObject<Page, Aggregation::Refused>(nullptr, riid, object.PutVoid())), S_OK);
    return object;
}

}  // namespace vantrel::test
