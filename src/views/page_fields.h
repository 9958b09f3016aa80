// Reading and writing a page's controls the way every page does.
#pragma once

#include <platform/winuser.h>

#include "text/text.h"

namespace vantrel {

// Every page reads an edit into a zeroed 256-character buffer, so at most
// 255 characters come back. Empty when the page or control is missing.
Text EditText(HWND page, int control);
// The whole text of a control, however long (the modal dialogs' fields).
Text WholeText(HWND page, int control);
void SetControlText(HWND page, int control, const Text& text);

}  // namespace vantrel
