// The renderer: any dialog drawn on a character grid by one set of rules,
// whatever page it is. Used by the terminal front end and VtRenderToText.
#include "render.h"

#include <algorithm>
#include <cstring>

namespace vt::ui {
namespace {

bool OneLine(const Window& window) {
    switch (window.kind) {
    case Kind::Edit:
    case Kind::ComboBox: return true;
    case Kind::Button: return window.button_type() != BS_GROUPBOX;
    default: return false;
    }
}

// Row of a one-line control: its vertical centre, rounded to the nearest
// row boundary. A combo box's height is that of its open list; its closed
// field is the usual 14 units.
int OneLineRow(const Window& window) {
    int height = window.kind == Kind::ComboBox ? 14 : window.units.bottom - window.units.top;
    return (window.units.top + height / 2 + 4) / 8;
}

// The part of a one-line control that shows when closed.
RECT FieldUnits(const Window& window) {
    RECT r = window.units;
    if (window.kind == Kind::ComboBox) r.bottom = r.top + 14;
    return r;
}

// Beside: on the same lines and not over each other.
bool Beside(const RECT& a, const RECT& b) {
    bool same_lines = a.top < b.bottom && b.top < a.bottom;
    bool apart = a.right <= b.left || b.right <= a.left;
    return same_lines && apart;
}

int LabelRow(const Window& label) {
    // Labels sit a few units lower than the edit beside them on most pages;
    // they take the row of the one-line control beside them.
    const Window* best = nullptr;
    int label_centre = (label.units.top + label.units.bottom) / 2;
    if (label.parent != nullptr) {
        for (const Window* other : label.parent->children) {
            if (other == &label || !OneLine(*other) || !Beside(label.units, FieldUnits(*other))) continue;
            RECT field = FieldUnits(*other);
            RECT best_field = best != nullptr ? FieldUnits(*best) : field;
            if (best == nullptr || std::abs((field.top + field.bottom) / 2 - label_centre) <
                                       std::abs((best_field.top + best_field.bottom) / 2 - label_centre)) {
                best = other;
            }
        }
    }
    return best != nullptr ? OneLineRow(*best) : label_centre / 8;
}

std::string Masked(const Window& edit) {
    return (edit.style & ES_PASSWORD) != 0 ? std::string(edit.text.size(), '*') : edit.text;
}

uint8_t StateAttributes(const Window& window, bool focused) {
    uint8_t attributes = focused ? kReverse : kPlain;
    return window.enabled ? attributes : static_cast<uint8_t>(attributes | kDim);
}

// "[text   ]" with the text scrolled so the caret shows.
void DrawField(Canvas& canvas, Window& window, const VtCellRect& cells, const std::string& shown,
               bool focused, char arrow, RenderedFrame* frame) {
    int inner = std::max(1, cells.columns - (arrow != 0 ? 3 : 2));
    size_t caret = std::min(window.caret, shown.size());
    if (caret < window.scroll) window.scroll = caret;
    if (caret >= window.scroll + static_cast<size_t>(inner)) window.scroll = caret - static_cast<size_t>(inner) + 1;
    if (shown.size() < static_cast<size_t>(inner)) window.scroll = 0;
    canvas.Put(cells.column, cells.row, '[');
    canvas.Fill(cells.column + 1, cells.row, inner, 1, ' ', StateAttributes(window, focused) | kUnderline);
    canvas.Text(cells.column + 1, cells.row, std::string_view(shown).substr(std::min(window.scroll, shown.size())),
                StateAttributes(window, focused) | kUnderline, inner);
    if (focused) {
        // The selection shows inverted against the focused field.
        size_t from = std::max(std::min(window.anchor, caret), window.scroll);
        size_t to = std::min({std::max(window.anchor, caret), shown.size(),
                              window.scroll + static_cast<size_t>(inner)});
        for (size_t i = from; i < to; ++i) {
            canvas.Put(cells.column + 1 + static_cast<int>(i - window.scroll), cells.row, shown[i], kUnderline);
        }
    }
    if (arrow != 0) canvas.Put(cells.column + 1 + inner, cells.row, arrow);
    canvas.Put(cells.column + cells.columns - 1, cells.row, ']');
    if (focused && frame != nullptr) {
        frame->caret_column = cells.column + 1 + static_cast<int>(caret - window.scroll);
        frame->caret_row = cells.row;
    }
}

void DrawList(Canvas& canvas, const Window& window, int column, int row, int columns, int rows,
              bool focused) {
    int count = static_cast<int>(window.items.size());
    for (int r = 0; r < rows; ++r) {
        int index = window.top_index + r;
        bool selected = index == window.selection && index < count;
        canvas.Put(column, row + r, selected ? '>' : '|');
        canvas.Fill(column + 1, row + r, columns - 2, 1, ' ', selected && focused ? kReverse : kPlain);
        if (index < count) {
            canvas.Text(column + 1, row + r, window.items[static_cast<size_t>(index)],
                        selected ? (focused ? kReverse : kBold) : kPlain, columns - 2);
        }
        char edge = '|';
        if (r == 0 && window.top_index > 0) edge = '^';
        if (r == rows - 1 && window.top_index + rows < count) edge = 'v';
        canvas.Put(column + columns - 1, row + r, edge);
    }
}

void DrawButton(Canvas& canvas, const Window& window, const VtCellRect& cells, bool focused) {
    std::string label = StripMnemonic(window.text);
    uint8_t attributes = StateAttributes(window, focused);
    switch (window.button_type()) {
    case BS_GROUPBOX:
        canvas.Frame(cells.column, cells.row, cells.columns, cells.rows);
        if (!label.empty()) canvas.Text(cells.column + 2, cells.row, " " + label + " ");
        return;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        bool radio = window.button_type() == BS_RADIOBUTTON || window.button_type() == BS_AUTORADIOBUTTON;
        char mark = window.check == BST_CHECKED ? (radio ? '*' : 'x') : window.check == BST_INDETERMINATE ? '-' : ' ';
        std::string box = radio ? std::string("( )") : std::string("[ ]");
        box[1] = mark;
        // The text may run past the control's cells rather than be cut.
        std::string whole = (window.style & BS_LEFTTEXT) != 0 ? label + " " + box : box + " " + label;
        canvas.Text(cells.column, cells.row, whole, attributes);
        return;
    }
    default: {
        int width = std::max<int>(cells.columns, static_cast<int>(label.size()) + 2);
        if (window.button_type() == BS_DEFPUSHBUTTON) attributes |= kBold;
        canvas.Fill(cells.column, cells.row, width, 1, ' ', attributes);
        canvas.Put(cells.column, cells.row, '<', attributes);
        canvas.Put(cells.column + width - 1, cells.row, '>', attributes);
        canvas.Text(cells.column + (width - static_cast<int>(label.size())) / 2, cells.row, label, attributes);
        return;
    }
    }
}

void DrawStatic(Canvas& canvas, const Window& window, const VtCellRect& cells) {
    std::string text = (window.style & SS_NOPREFIX) != 0 ? window.text : StripMnemonic(window.text);
    int column = cells.column;
    int length = static_cast<int>(text.size());
    if ((window.style & 3) == SS_CENTER && length < cells.columns) column += (cells.columns - length) / 2;
    if ((window.style & 3) == SS_RIGHT && length < cells.columns) column += cells.columns - length;
    canvas.Text(column, cells.row, text, window.enabled ? kPlain : kDim);
}

int Layer(const Window& window) {
    if (window.kind == Kind::Button && window.button_type() == BS_GROUPBOX) return 0;
    return window.kind == Kind::Static ? 1 : 2;
}

}  // namespace

VtCellRect ControlCells(const Window& control) {
    const RECT& r = control.units;
    VtCellRect cells{r.left / 4, 0, std::max<int>(1, r.right / 4 - r.left / 4), 1};
    if (control.kind == Kind::Static) {
        cells.row = LabelRow(control);
    } else if (OneLine(control)) {
        cells.row = OneLineRow(control);
    } else {
        cells.row = r.top / 8;
        cells.rows = std::max<int>(1, (r.bottom - 1) / 8 - cells.row + 1);
    }
    if (control.kind == Kind::ComboBox) {
        // Rows of the open list, below the field.
        cells.rows = std::max<int>(1, (r.bottom - r.top) / 8 - 1);
    }
    return cells;
}

VtCellRect DialogCells(const Window& dialog) {
    const RECT& r = dialog.units;
    return VtCellRect{0, 0, static_cast<int>((r.right - r.left + 3) / 4),
                      static_cast<int>((r.bottom - r.top + 7) / 8)};
}

Canvas DrawDialog(Window& dialog, RenderedFrame* frame) {
    VtCellRect size = DialogCells(dialog);
    Canvas canvas(size.columns, size.rows);
    if (dialog.canvas != nullptr) canvas.Blit(*dialog.canvas, 0, 0);
    Window* focus = FocusSlot();
    Window* dropped = nullptr;
    for (int layer = 0; layer < 3; ++layer) {
        for (Window* child : dialog.children) {
            if (!child->visible || Layer(*child) != layer) continue;
            VtCellRect cells = ControlCells(*child);
            bool focused = child == focus;
            switch (child->kind) {
            case Kind::Static: DrawStatic(canvas, *child, cells); break;
            case Kind::Button: DrawButton(canvas, *child, cells, focused); break;
            case Kind::Edit: DrawField(canvas, *child, cells, Masked(*child), focused, 0, frame); break;
            case Kind::ListBox:
                DrawList(canvas, *child, cells.column, cells.row, cells.columns, cells.rows, focused);
                break;
            case Kind::ComboBox:
                DrawField(canvas, *child, cells, child->text, focused, 'v',
                          child->combo_type() != CBS_DROPDOWNLIST ? frame : nullptr);
                if (child->dropped) dropped = child;
                break;
            case Kind::Dialog: canvas.Blit(DrawDialog(*child, nullptr), cells.column, cells.row); break;
            }
        }
    }
    if (dropped != nullptr) {
        // The open list covers whatever lies below the field.
        VtCellRect cells = ControlCells(*dropped);
        int rows = std::min<int>(cells.rows, std::max<int>(1, static_cast<int>(dropped->items.size())));
        DrawList(canvas, *dropped, cells.column, cells.row + 1, cells.columns, rows, true);
    }
    return canvas;
}

RenderedFrame RenderDialogStack(Window& root, bool with_modals) {
    RenderedFrame frame;
    Canvas base = DrawDialog(root, &frame);
    HWND handle = root.handle();
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(handle, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(handle)));
    // The stock dialog brush means the page chose no colour of its own.
    if (brush == GetSysColorBrush(COLOR_BTNFACE) || !BrushColor(brush, &frame.background)) {
        frame.background = CLR_INVALID;
    }
    std::vector<Window*> modals;
    if (with_modals) {
        for (Window* modal : ModalStack()) {
            if (modal != &root) modals.push_back(modal);
        }
    }
    int columns = base.columns();
    int rows = base.rows();
    for (Window* modal : modals) {
        VtCellRect size = DialogCells(*modal);
        columns = std::max(columns, size.columns + 2);
        rows = std::max(rows, size.rows + 2);
    }
    frame.canvas = Canvas(columns, rows);
    frame.canvas.Blit(base, 0, 0);
    for (Window* modal : modals) {
        RenderedFrame inner;
        Canvas drawn = DrawDialog(*modal, &inner);
        int column = (columns - drawn.columns() - 2) / 2;
        int row = (rows - drawn.rows() - 2) / 2;
        frame.canvas.Fill(column, row, drawn.columns() + 2, drawn.rows() + 2, ' ');
        frame.canvas.Frame(column, row, drawn.columns() + 2, drawn.rows() + 2);
        if (!modal->text.empty()) {
            std::string caption = " " + modal->text + " ";
            frame.canvas.Text(column + std::max(1, (drawn.columns() + 2 - static_cast<int>(caption.size())) / 2),
                              row, caption, kBold, drawn.columns());
        }
        frame.canvas.Blit(drawn, column + 1, row + 1);
        frame.caret_column = inner.caret_column < 0 ? -1 : inner.caret_column + column + 1;
        frame.caret_row = inner.caret_row < 0 ? -1 : inner.caret_row + row + 1;
    }
    return frame;
}

}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API BOOL VtGetControlCells(HWND control, VtCellRect* cells) {
    Window* object = FromHandle(control);
    if (object == nullptr || cells == nullptr) {
        return FALSE;
    }
    *cells = object->kind == Kind::Dialog && object->parent == nullptr ? DialogCells(*object)
                                                                       : ControlCells(*object);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API int VtRenderToText(HWND dialog, BOOL with_modals, LPSTR buffer, int size) {
    Window* object = FromHandle(dialog);
    if (object == nullptr) {
        return -1;
    }
    RenderedFrame frame = RenderDialogStack(*object, with_modals != FALSE);
    std::string text;
    for (int row = 0; row < frame.canvas.rows(); ++row) {
        text += frame.canvas.Row(row);
        text.push_back('\n');
    }
    if (buffer != nullptr && size > 0) {
        size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = '\0';
    }
    return static_cast<int>(text.size());
}
