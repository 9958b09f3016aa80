#include "views/template_page.h"

#include "views/host_list_editor.h"
#include "views/page_fields.h"

namespace vantrel {

TemplatePage::TemplatePage(const ClassInfo& info, const char* display_name, WORD page_template,
                           std::span<const PageField> fields)
    : PageView(info, display_name, page_template), m_fields(fields) {
    for (const PageField& field : fields) {
        m_has_host_list = m_has_host_list || field.kind == PageField::Kind::HostList;
    }
}

void TemplatePage::WriteFields(BlobWriter& writer) {
    HWND page = Page();
    for (const PageField& field : m_fields) {
        switch (field.kind) {
            case PageField::Kind::HostList:
                HostListEditor::Write(page, writer);
                break;
            case PageField::Kind::CountedText:
                writer.CountedText(EditText(page, field.control).View());
                break;
            case PageField::Kind::Flag:
                writer.Flag(IsDlgButtonChecked(page, field.control) == BST_CHECKED);
                break;
        }
    }
}

// A field cut short by the end of the blob reads as nothing: its control
// and those of the fields after it keep what they show.
void TemplatePage::ReadFields(BlobReader& reader) {
    HWND page = Page();
    for (const PageField& field : m_fields) {
        switch (field.kind) {
            case PageField::Kind::HostList:
                HostListEditor::Read(page, reader);
                break;
            case PageField::Kind::CountedText:
                if (auto text = reader.CountedText()) {
                    SetControlText(page, field.control, *text);
                }
                break;
            case PageField::Kind::Flag:
                if (auto set = reader.Flag()) {
                    CheckDlgButton(page, field.control, *set ? BST_CHECKED : BST_UNCHECKED);
                }
                break;
        }
    }
}

INT_PTR TemplatePage::OnPageMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (m_has_host_list) {
        return HostListEditor::OnMessage(Page(), message, wparam, lparam);
    }
    return FALSE;
}

}  // namespace vantrel
