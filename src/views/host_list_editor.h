// The host-name list editor of the pages that keep a list of host names:
// edit 201 for the entry, "Add" 204, "Delete" 205 and the sorted list box
// 206 that holds the list.
#pragma once

#include <platform/winuser.h>

#include "contract/blob.h"

namespace vantrel {

class HostListEditor {
public:
    static constexpr int kEntry = 201;
    static constexpr int kAdd = 204;
    static constexpr int kDelete = 205;
    static constexpr int kList = 206;

    // A page message for the editor; FALSE when it is not one.
    static INT_PTR OnMessage(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

    // The list box's entries in list order: count, then counted texts.
    static void Write(HWND page, BlobWriter& writer);
    // Adds a blob's host names; entries already shown stay and the list box
    // sorts the new ones in.
    static void Read(HWND page, BlobReader& reader);

private:
    static void Add(HWND page);
    static void DeleteSelected(HWND page);
    static void CopySelection(HWND page);
};

}  // namespace vantrel
