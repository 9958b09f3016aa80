#include "views/host_list_editor.h"

#include "views/page_fields.h"

#include <optional>
#include <utility>
#include <vector>

namespace vantrel {

namespace {

// The text of list entry `index`; nullopt when the list box cannot tell
// its length.
std::optional<Text> EntryText(HWND page, LRESULT index) {
    const auto entry = static_cast<WPARAM>(index);
    LRESULT length = SendDlgItemMessageA(page, HostListEditor::kList, LB_GETTEXTLEN, entry, 0);
    if (length == LB_ERR) {
        return std::nullopt;
    }
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendDlgItemMessageA(page, HostListEditor::kList, LB_GETTEXT, entry,
                        reinterpret_cast<LPARAM>(text.data()));
    return Text(text.data());
}

}  // namespace

INT_PTR HostListEditor::OnMessage(HWND page, UINT message, WPARAM wparam, LPARAM) {
    if (message != WM_COMMAND) {
        return FALSE;
    }
    const int control = LOWORD(wparam);
    const int notification = HIWORD(wparam);
    if (control == kAdd && notification == BN_CLICKED) {
        Add(page);
    } else if (control == kDelete && notification == BN_CLICKED) {
        DeleteSelected(page);
    } else if (control == kList && notification == LBN_SELCHANGE) {
        CopySelection(page);
    } else {
        return FALSE;
    }
    return TRUE;
}

// Added exactly as typed: no trimming and no check for duplicates.
void HostListEditor::Add(HWND page) {
    Text entry = EditText(page, kEntry);
    if (entry.IsEmpty()) {
        return;
    }
    SendDlgItemMessageA(page, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.CStr()));
    SetControlText(page, kEntry, Text());
}

void HostListEditor::DeleteSelected(HWND page) {
    LRESULT selected = SendDlgItemMessageA(page, kList, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) {
        SendDlgItemMessageA(page, kList, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    }
}

// The entry stays in the list, so a following "Add" makes a second copy.
void HostListEditor::CopySelection(HWND page) {
    LRESULT selected = SendDlgItemMessageA(page, kList, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        return;
    }
    if (auto text = EntryText(page, selected)) {
        SetControlText(page, kEntry, *text);
    }
}

// An entry whose length the list box cannot report is left out, and the
// count says how many were written, so the blob stays readable.
void HostListEditor::Write(HWND page, BlobWriter& writer) {
    LRESULT count = SendDlgItemMessageA(page, kList, LB_GETCOUNT, 0, 0);
    std::vector<Text> entries;
    for (LRESULT i = 0; i < count; ++i) {
        if (auto text = EntryText(page, i)) {
            entries.push_back(std::move(*text));
        }
    }
    writer.CountedTextList(entries);
}

void HostListEditor::Read(HWND page, BlobReader& reader) {
    for (const Text& host : reader.CountedTextList()) {
        SendDlgItemMessageA(page, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(host.CStr()));
    }
}

}  // namespace vantrel
