/*
 * Stand-in only: what the platform's dialogs need to meet a person (or a
 * test) without Windows. Not part of the Windows-shaped API.
 *
 * Dialog template text (the RT_DIALOG resource data): a resource-script
 * DIALOG or DIALOGEX statement,
 *
 *   136 DIALOG 0, 0, 196, 148
 *   STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
 *   CAPTION "Configuration"
 *   FONT 8, "MS Sans Serif"
 *   BEGIN
 *       LTEXT "Hostname:", -1, 12, 20, 35, 8
 *       EDITTEXT 201, 51, 15, 131, 14, ES_AUTOHSCROLL
 *       CONTROL "Offline", 219, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 50, 10
 *   END
 *
 * Statements: LTEXT RTEXT CTEXT EDITTEXT PUSHBUTTON DEFPUSHBUTTON CHECKBOX
 * AUTOCHECKBOX RADIOBUTTON AUTORADIOBUTTON GROUPBOX LISTBOX COMBOBOX CONTROL,
 * each with the resource compiler's default styles; a style list ORs names
 * and numbers with "|" and removes one with "NOT name". "{" and "}" may
 * stand for BEGIN and END; "//" starts a comment.
 *
 * Character cells: a column is 4 horizontal dialog units, a row 8 vertical
 * ones. A one-line control (edit, button, closed combo box) sits on the
 * row of its vertical centre rounded to the nearest row boundary; a label
 * takes the row of a one-line control beside it on the same lines, or else
 * the row that holds its centre. List boxes and group boxes cover the rows
 * from their top to their bottom.
 */
#ifndef PLATFORM_VTUI_H
#define PLATFORM_VTUI_H

#include <platform/winuser.h>

#define VT_MOD_SHIFT 0x1u
#define VT_MOD_CONTROL 0x2u
#define VT_MOD_ALT 0x4u

/* One key press as the dialog manager sees it: WM_KEYDOWN with a VK_ code
 * (navigation, editing and function keys) or WM_CHAR with a character. */
typedef struct VtKeyEvent {
    UINT message;
    WPARAM key;
    UINT modifiers;
} VtKeyEvent;

/* While a modal dialog has nothing queued, its loop calls the hook, which
 * delivers input (keys, commands). A hook that returns FALSE has no more
 * input: the dialog gets IDCANCEL as from Esc, and if it still does not
 * end, the modal call returns -1. Without a hook the same happens at once. */
typedef BOOL (*VtModalPump)(HWND dialog, void* context);
typedef struct VtModalHook {
    VtModalPump pump;
    void* context;
} VtModalHook;

typedef struct VtCellRect {
    int column;
    int row;
    int columns;
    int rows;
} VtCellRect;

#define VT_TERMINAL_SAVED 1
#define VT_TERMINAL_CANCELLED 0
#define VT_TERMINAL_ERROR (-1)

VT_BEGIN_C

/* Parses template text; NULL when it is not a well-formed template. The
 * result is one block, freed with VtFreeDialogTemplate. */
VT_PLATFORM_API DLGTEMPLATE* VtParseDialogTemplateA(const char* text, size_t length);
VT_PLATFORM_API void VtFreeDialogTemplate(DLGTEMPLATE* dialog_template);

/* Hands one key to a dialog: the focused control gets it after the dialog
 * manager's navigation (IsDialogMessageA). TRUE when the key was used. */
VT_PLATFORM_API BOOL VtDispatchKey(HWND dialog, const VtKeyEvent* key);
/* Decodes terminal input bytes (VT100/xterm sequences). Returns the bytes
 * used, 0 when a sequence is incomplete (more may come; with at_end set a
 * lone ESC is Esc), and skips unknown sequences with a key of 0. */
VT_PLATFORM_API size_t VtDecodeKey(const unsigned char* bytes, size_t length, BOOL at_end,
                                   VtKeyEvent* key);

/* Sets the hook used by modal loops; returns the one it replaces. */
VT_PLATFORM_API VtModalHook VtSetModalHook(VtModalHook hook);

/* Where a control of a dialog lands on the character grid of its dialog. */
VT_PLATFORM_API BOOL VtGetControlCells(HWND control, VtCellRect* cells);
/* Draws the dialog (with its modal dialogs on top when with_modals) as
 * text: rows of the dialog's cell grid, each ended by '\n'. Returns the
 * length of the whole text (without NUL); writes at most size - 1
 * characters and a NUL. */
VT_PLATFORM_API int VtRenderToText(HWND dialog, BOOL with_modals, LPSTR buffer, int size);

/* Runs the dialog in the terminal on the given descriptors (TERM names the
 * terminal) until the user saves (F2 or Ctrl+S) or cancels (Esc; the end of
 * input cancels too). Modal dialogs opened meanwhile run on top (Enter or F2
 * confirms, Esc cancels). VT_TERMINAL_SAVED, VT_TERMINAL_CANCELLED, or
 * VT_TERMINAL_ERROR with a reason on stderr (no terminal, or one smaller
 * than 80 x 24 at the start; shrunk later, it says so until made larger). */
VT_PLATFORM_API int VtRunTerminalFd(HWND dialog, const char* title, int in_fd, int out_fd);
VT_PLATFORM_API int VtRunTerminal(HWND dialog, const char* title);

VT_END_C

#endif /* PLATFORM_VTUI_H */
