// The frame every configuration view is built on: the page (a dialog of the
// module's resources) and the blob codec around it. A provider's view
// derives from PageView and supplies only its fields and its page messages.
#pragma once

#include <platform/winuser.h>

#include "contract/blob.h"
#include "contract/view.h"

namespace vantrel {

class PageView : public View {
public:
    // GetData: E_FAIL for a null result; otherwise the page's fields as a
    // blob (nothing but S_OK is needed from a page that does not exist yet:
    // the hooks then read empty controls).
    HRESULT GetData(VARIANT* value) override;
    // SetData: the fields go straight into the controls, so before the page
    // exists it has no effect. Always S_OK.
    HRESULT SetData(VARIANT value) override;

protected:
    // display_name: UTF-8, static storage; page_template: the RT_DIALOG id.
    PageView(const ClassInfo& info, const char* display_name, WORD page_template);
    ~PageView() override;

    // GetData: append the page's fields in blob order.
    virtual void WriteFields(BlobWriter& writer) = 0;
    // SetData: fill the controls from a blob; called only while the page exists.
    virtual void ReadFields(BlobReader& reader) = 0;
    // The page's own dialog messages (WM_INITDIALOG, WM_COMMAND, ...); FALSE = not handled.
    virtual INT_PTR OnPageMessage(UINT message, WPARAM wparam, LPARAM lparam);

    // The page's window; null while the view is not active in place.
    HWND Page() const { return m_page; }
    WORD PageTemplate() const { return m_page_template; }

private:
    WORD m_page_template;
    HWND m_page = nullptr;
};

}  // namespace vantrel
