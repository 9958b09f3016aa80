// The page of a template provider: a fixed list of fields, each bound to
// one control, written and read in blob order. The pages with a host-name
// list also run the host-list editor.
#pragma once

#include <span>

#include "views/page_view.h"

namespace vantrel {

struct PageField {
    enum class Kind {
        HostList,     // list box 206 with its editor
        CountedText,  // an edit control
        Flag,         // a check box: 1 when checked
    };
    Kind kind;
    int control;
};

// The page of DnsExit and Dynam: host name, user name, password.
inline constexpr PageField kHostUserPasswordFields[] = {
    {PageField::Kind::CountedText, 201},
    {PageField::Kind::CountedText, 202},
    {PageField::Kind::CountedText, 203},
};

class TemplatePage : public PageView {
protected:
    // fields: static storage, in blob order.
    TemplatePage(const ClassInfo& info, const char* display_name, WORD page_template,
                 std::span<const PageField> fields);

    void WriteFields(BlobWriter& writer) override;
    void ReadFields(BlobReader& reader) override;
    INT_PTR OnPageMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    std::span<const PageField> m_fields;
    bool m_has_host_list = false;
};

}  // namespace vantrel
