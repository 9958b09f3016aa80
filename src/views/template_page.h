// The page of a template provider: the fields of its blob layout, each bound
// by name to one control, written and read in blob order. A text is an edit
// control, a flag a check box (1 when checked), a text list the host-list
// editor; the pages with a host-name list also run that editor.
#pragma once

#include <span>

#include "contract/blob_layout.h"
#include "views/page_view.h"

namespace vantrel {

struct PageControl {
    const char* field;
    int control;
};

// The page of DnsExit and Dynam: host name, user name, password.
inline constexpr PageControl kHostUserPasswordControls[] = {
    {"host", 201},
    {"user", 202},
    {"password", 203},
};

class TemplatePage : public PageView {
protected:
    // layout and controls: static storage; every field has a control.
    TemplatePage(const ClassInfo& info, const char* display_name, WORD page_template,
                 BlobLayout layout, std::span<const PageControl> controls);

    void WriteFields(BlobWriter& writer) override;
    void ReadFields(BlobReader& reader) override;
    INT_PTR OnPageMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    BlobLayout m_layout;
    std::span<const PageControl> m_controls;
    bool m_has_host_list = false;
};

}  // namespace vantrel
