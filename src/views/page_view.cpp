#include "views/page_view.h"

namespace vantrel {

PageView::PageView(const ClassInfo& info, const char* display_name, WORD page_template)
    : View(info, display_name), m_page_template(page_template) {}

PageView::~PageView() = default;

INT_PTR PageView::OnPageMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

HRESULT PageView::GetData(VARIANT* value) {
    if (value == nullptr) {
        return E_FAIL;
    }
    return Guarded([&] {
        BlobWriter writer;
        WriteFields(writer);
        return writer.ToVariant(value);
    });
}

HRESULT PageView::SetData(VARIANT value) {
    if (m_page == nullptr) {
        return S_OK;
    }
    // SetData never fails: whatever a page cannot take is left out.
    Guarded([&] {
        BlobReader reader(value);
        if (reader.IsBlob()) {
            ReadFields(reader);
        }
        return S_OK;
    });
    return S_OK;
}

}  // namespace vantrel
