/*
 * user32 subset of the stand-in platform: windows, dialogs and the standard
 * controls (edit, list box, combo box, buttons, static), with the messages
 * and return values Windows documents. Messages are delivered synchronously
 * on the calling thread; windows belong to the thread that made them.
 *
 * Dialog templates: an RT_DIALOG resource holds the text of a resource-script
 * DIALOG statement (see platform/vtui.h); DLGTEMPLATE below is the same
 * template built in memory. Windows lays the caption, font and items out
 * after the header; here they are explicit members.
 */
#ifndef PLATFORM_WINUSER_H
#define PLATFORM_WINUSER_H

#include <platform/module.h>
#include <platform/wingdi.h>

typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef struct VtWindow* HWND;
typedef void* HMENU;

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
typedef INT_PTR (*DLGPROC)(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG;

#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xFFFF))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xFFFF))
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))

/* Window messages. */
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_GETDLGCODE 0x0087
#define WM_KEYDOWN 0x0100
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORDLG 0x0136
#define WM_CTLCOLORSTATIC 0x0138
#define WM_USER 0x0400
#define DM_GETDEFID (WM_USER + 0)
#define DC_HASDEFID 0x534B

/* WM_GETDLGCODE answers. */
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

/* Window styles. */
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_CONTROLPARENT 0x00010000L

#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L

#define ES_LEFT 0x0000L
#define ES_CENTER 0x0001L
#define ES_RIGHT 0x0002L
#define ES_MULTILINE 0x0004L
#define ES_UPPERCASE 0x0008L
#define ES_LOWERCASE 0x0010L
#define ES_PASSWORD 0x0020L
#define ES_AUTOVSCROLL 0x0040L
#define ES_AUTOHSCROLL 0x0080L
#define ES_NOHIDESEL 0x0100L
#define ES_READONLY 0x0800L
#define ES_WANTRETURN 0x1000L
#define ES_NUMBER 0x2000L

#define BS_PUSHBUTTON 0x0000L
#define BS_DEFPUSHBUTTON 0x0001L
#define BS_CHECKBOX 0x0002L
#define BS_AUTOCHECKBOX 0x0003L
#define BS_RADIOBUTTON 0x0004L
#define BS_3STATE 0x0005L
#define BS_AUTO3STATE 0x0006L
#define BS_GROUPBOX 0x0007L
#define BS_AUTORADIOBUTTON 0x0009L
#define BS_TYPEMASK 0x000FL
#define BS_LEFTTEXT 0x0020L

#define SS_LEFT 0x0000L
#define SS_CENTER 0x0001L
#define SS_RIGHT 0x0002L
#define SS_NOPREFIX 0x0080L

#define LBS_NOTIFY 0x0001L
#define LBS_SORT 0x0002L
#define LBS_NOREDRAW 0x0004L
#define LBS_HASSTRINGS 0x0040L
#define LBS_NOINTEGRALHEIGHT 0x0100L
#define LBS_DISABLENOSCROLL 0x1000L

#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_AUTOHSCROLL 0x0040L
#define CBS_SORT 0x0100L
#define CBS_HASSTRINGS 0x0200L
#define CBS_NOINTEGRALHEIGHT 0x0400L

/* Buttons. */
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BN_CLICKED 0

/* Edits. */
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_MAXTEXT 0x0501

/* List boxes. */
#define LB_ADDSTRING 0x0180
#define LB_DELETESTRING 0x0182
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_ERR (-1)
#define LBN_SELCHANGE 1

/* Combo boxes. */
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETDROPPEDSTATE 0x0157
#define CB_ERR (-1)
#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

/* Dialog box command ids. */
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDC_STATIC (-1)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC ((LONG_PTR)sizeof(LRESULT))
#define DWLP_USER (DWLP_DLGPROC + (LONG_PTR)sizeof(DLGPROC))

/* Virtual keys. */
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F4 0x73
#define VK_F10 0x79

/* System colours. */
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18

/* DrawTextA formats. */
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_BOTTOM 0x0008
#define DT_WORDBREAK 0x0010
#define DT_SINGLELINE 0x0020
#define DT_NOPREFIX 0x0800

typedef struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x;
    short y;
    short cx;
    short cy;
    WORD id;
    LPCSTR windowClass; /* "Button", "Edit", "Static", "ListBox", "ComboBox" */
    LPCSTR title;       /* NULL or "" for none */
} DLGITEMTEMPLATE;

typedef struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
    LPCSTR caption;    /* NULL or "" for none */
    WORD pointSize;    /* with DS_SETFONT */
    LPCSTR typeface;   /* with DS_SETFONT */
    const DLGITEMTEMPLATE* items; /* cdit entries */
} DLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEA;

VT_BEGIN_C

VT_PLATFORM_API HWND CreateDialogParamA(HINSTANCE instance, LPCSTR template_name, HWND parent,
                                        DLGPROC proc, LPARAM init_param);
VT_PLATFORM_API HWND CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialog_template,
                                                HWND parent, DLGPROC proc, LPARAM init_param);
/* Modal: runs until EndDialog; -1 when the dialog cannot be made. */
VT_PLATFORM_API INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner,
                                        DLGPROC proc, LPARAM init_param);
VT_PLATFORM_API INT_PTR DialogBoxIndirectParamA(HINSTANCE instance,
                                                LPCDLGTEMPLATEA dialog_template, HWND owner,
                                                DLGPROC proc, LPARAM init_param);
/* Classes: "Button", "Edit", "Static", "ListBox", "ComboBox", "#32770";
 * coordinates in pixels. */
VT_PLATFORM_API HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style,
                                     int x, int y, int width, int height, HWND parent, HMENU menu,
                                     HINSTANCE instance, void* param);
VT_PLATFORM_API BOOL EndDialog(HWND dialog, INT_PTR result);
VT_PLATFORM_API BOOL DestroyWindow(HWND window);
VT_PLATFORM_API BOOL IsWindow(HWND window);

VT_PLATFORM_API LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
VT_PLATFORM_API BOOL PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
VT_PLATFORM_API LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wparam,
                                            LPARAM lparam);
VT_PLATFORM_API LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
VT_PLATFORM_API BOOL IsDialogMessageA(HWND dialog, MSG* message);

VT_PLATFORM_API HWND GetDlgItem(HWND dialog, int id);
VT_PLATFORM_API int GetDlgCtrlID(HWND window);
VT_PLATFORM_API HWND GetParent(HWND window);
VT_PLATFORM_API BOOL IsChild(HWND parent, HWND window);
VT_PLATFORM_API HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
VT_PLATFORM_API HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);

VT_PLATFORM_API BOOL SetWindowTextA(HWND window, LPCSTR text);
VT_PLATFORM_API int GetWindowTextA(HWND window, LPSTR buffer, int size);
VT_PLATFORM_API int GetWindowTextLengthA(HWND window);
VT_PLATFORM_API BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
VT_PLATFORM_API UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
VT_PLATFORM_API BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed);
VT_PLATFORM_API UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL is_signed);
VT_PLATFORM_API BOOL CheckDlgButton(HWND dialog, int id, UINT check);
VT_PLATFORM_API UINT IsDlgButtonChecked(HWND dialog, int id);
VT_PLATFORM_API BOOL CheckRadioButton(HWND dialog, int first_id, int last_id, int check_id);

VT_PLATFORM_API BOOL EnableWindow(HWND window, BOOL enable);
VT_PLATFORM_API BOOL IsWindowEnabled(HWND window);
VT_PLATFORM_API BOOL ShowWindow(HWND window, int command);
VT_PLATFORM_API BOOL IsWindowVisible(HWND window);
VT_PLATFORM_API HWND SetFocus(HWND window);
VT_PLATFORM_API HWND GetFocus(void);
VT_PLATFORM_API HWND GetActiveWindow(void);
VT_PLATFORM_API SHORT GetKeyState(int virtual_key);
VT_PLATFORM_API BOOL GetClientRect(HWND window, LPRECT rect);
VT_PLATFORM_API BOOL InvalidateRect(HWND window, LPCRECT rect, BOOL erase);

VT_PLATFORM_API LONG_PTR GetWindowLongPtrA(HWND window, int index);
VT_PLATFORM_API LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);

VT_PLATFORM_API LONG GetDialogBaseUnits(void);
VT_PLATFORM_API int MulDiv(int number, int numerator, int denominator);

/* Device contexts: a window's DC draws on the window's canvas; GetDC(NULL)
 * is the screen, which only answers questions (GetDeviceCaps). */
VT_PLATFORM_API HDC GetDC(HWND window);
VT_PLATFORM_API int ReleaseDC(HWND window, HDC dc);
VT_PLATFORM_API int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
VT_PLATFORM_API DWORD GetSysColor(int index);
VT_PLATFORM_API HBRUSH GetSysColorBrush(int index);

VT_END_C

#endif /* PLATFORM_WINUSER_H */
