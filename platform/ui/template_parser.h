// Parser of dialog template text (the RT_DIALOG resource form).
#ifndef PLATFORM_UI_TEMPLATE_PARSER_H
#define PLATFORM_UI_TEMPLATE_PARSER_H

#include "ui_internal.h"

#include <deque>

namespace vt::ui {

// A DLGTEMPLATE that owns its items and texts.
struct ParsedTemplate : DLGTEMPLATE {
    ParsedTemplate() : DLGTEMPLATE{} {}
    std::vector<DLGITEMTEMPLATE> item_list;
    std::deque<std::string> strings;  // stable addresses for the text pointers
};

std::unique_ptr<ParsedTemplate> ParseDialogTemplate(std::string_view text);

}  // namespace vt::ui

#endif  // PLATFORM_UI_TEMPLATE_PARSER_H
