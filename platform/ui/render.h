// The renderer of dialogs on the character grid.
#ifndef PLATFORM_UI_RENDER_H
#define PLATFORM_UI_RENDER_H

#include "ui_internal.h"

namespace vt::ui {

struct RenderedFrame {
    Canvas canvas{0, 0};
    // Cell of the text caret of the focused edit; -1 when there is none.
    int caret_column = -1;
    int caret_row = -1;
    // The colour of the brush the page answers WM_CTLCOLORDLG with.
    COLORREF background = CLR_INVALID;
};

// One dialog and its controls on a grid of the dialog's size.
Canvas DrawDialog(Window& dialog, RenderedFrame* frame);
// The dialog with the running modal dialogs framed and centred on top.
RenderedFrame RenderDialogStack(Window& root, bool with_modals);

}  // namespace vt::ui

#endif  // PLATFORM_UI_RENDER_H
