/*
 * GDI subset of the stand-in platform: device contexts, brushes, pens and
 * one font, enough for a view to measure its page and paint its bounds.
 *
 * The screen has 96 logical pixels per inch. There is one font face; its
 * character cell is 6 x 13 pixels at 8 points, so dialog base units are
 * 6 x 13 whatever face a template names. Drawing goes to a character
 * canvas: a cell is 6 x 13 pixels (4 x 8 dialog units).
 */
#ifndef PLATFORM_WINGDI_H
#define PLATFORM_WINGDI_H

#include <platform/com.h>

typedef struct VtDC* HDC;
typedef struct VtGdiObject* HGDIOBJ;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HFONT;
typedef DWORD COLORREF;
typedef DWORD OLE_COLOR;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;
typedef const RECT* LPCRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *LPSIZE;

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | (((WORD)((BYTE)(g))) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)((c) & 0xFF))
#define GetGValue(c) ((BYTE)(((c) >> 8) & 0xFF))
#define GetBValue(c) ((BYTE)(((c) >> 16) & 0xFF))
#define CLR_INVALID 0xFFFFFFFFu

/* GetDeviceCaps indexes. */
#define HORZRES 8
#define VERTRES 10
#define LOGPIXELSX 88
#define LOGPIXELSY 90

/* Stock objects. */
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

#define TRANSPARENT 1
#define OPAQUE 2

#define FW_NORMAL 400
#define DEFAULT_CHARSET 1
#define LF_FACESIZE 32

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
} TEXTMETRICA;

VT_BEGIN_C

VT_PLATFORM_API int GetDeviceCaps(HDC dc, int index);
VT_PLATFORM_API HBRUSH CreateSolidBrush(COLORREF color);
VT_PLATFORM_API HFONT CreateFontA(int height, int width, int escapement, int orientation,
                                  int weight, DWORD italic, DWORD underline, DWORD strike_out,
                                  DWORD char_set, DWORD out_precision, DWORD clip_precision,
                                  DWORD quality, DWORD pitch_and_family, LPCSTR face);
VT_PLATFORM_API HGDIOBJ GetStockObject(int index);
/* Stock objects are not deleted (TRUE, as Windows answers). */
VT_PLATFORM_API BOOL DeleteObject(HGDIOBJ object);
VT_PLATFORM_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
VT_PLATFORM_API int SetBkMode(HDC dc, int mode);
VT_PLATFORM_API COLORREF SetTextColor(HDC dc, COLORREF color);
VT_PLATFORM_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
VT_PLATFORM_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
VT_PLATFORM_API BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);

/* Automation colours: a system colour (0x800000nn) becomes its RGB value. */
VT_PLATFORM_API HRESULT OleTranslateColor(OLE_COLOR color, void* palette, COLORREF* rgb);

VT_END_C

#endif /* PLATFORM_WINGDI_H */
