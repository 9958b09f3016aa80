#include "views/template_page.h"

#include <cstring>

#include "text/error.h"
#include "views/host_list_editor.h"
#include "views/page_fields.h"

namespace vantrel {

namespace {

int ControlOf(const BlobField& field, std::span<const PageControl> controls) {
    for (const PageControl& control : controls) {
        if (std::strcmp(control.field, field.name) == 0) {
            return control.control;
        }
    }
    ThrowHResult(E_UNEXPECTED);
}

}  // namespace

TemplatePage::TemplatePage(const ClassInfo& info, const char* display_name, WORD page_template,
                           BlobLayout layout, std::span<const PageControl> controls)
    : PageView(info, display_name, page_template), m_layout(layout), m_controls(controls) {
    for (const BlobField& field : layout) {
        m_has_host_list = m_has_host_list || field.kind == BlobKind::CountedTextList;
    }
}

void TemplatePage::WriteFields(BlobWriter& writer) {
    HWND page = Page();
    for (const BlobField& field : m_layout) {
        const int control = ControlOf(field, m_controls);
        switch (field.kind) {
            case BlobKind::CountedTextList:
                HostListEditor::Write(page, writer);
                break;
            case BlobKind::CountedText:
                writer.CountedText(EditText(page, control).View());
                break;
            case BlobKind::Flag:
                writer.Flag(IsDlgButtonChecked(page, control) == BST_CHECKED);
                break;
            default:
                ThrowHResult(E_UNEXPECTED);  // no template page has one
        }
    }
}

// A field cut short by the end of the blob reads as nothing: its control
// and those of the fields after it keep what they show.
void TemplatePage::ReadFields(BlobReader& reader) {
    HWND page = Page();
    for (const BlobField& field : m_layout) {
        const int control = ControlOf(field, m_controls);
        switch (field.kind) {
            case BlobKind::CountedTextList:
                HostListEditor::Read(page, reader);
                break;
            case BlobKind::CountedText:
                if (auto text = reader.CountedText()) {
                    SetControlText(page, control, *text);
                }
                break;
            case BlobKind::Flag:
                if (auto set = reader.Flag()) {
                    CheckDlgButton(page, control, *set ? BST_CHECKED : BST_UNCHECKED);
                }
                break;
            default:
                ThrowHResult(E_UNEXPECTED);
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
