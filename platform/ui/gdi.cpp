// GDI subset: device contexts over a window's character canvas, brushes,
// pens and the one font.
#include "ui_internal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <utility>

struct VtGdiObject {
    enum class Type { Brush, Pen, Font } type;
    COLORREF color = 0;
    LONG em = 11;  // font: em height in pixels (8 points at 96 dpi)
    bool stock = false;
    bool null_brush = false;
};

struct VtDC {
    vt::ui::Window* window = nullptr;  // null for the screen
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ font = nullptr;
    int background_mode = OPAQUE;
    COLORREF text_color = 0;
};

namespace vt::ui {
namespace {

constexpr int kScreenColumns = 80;
constexpr int kScreenRows = 24;
constexpr int kLogPixels = 96;

// GDI objects belong to the process, not to a thread.
class ObjectTable {
public:
    void Insert(VtGdiObject* object) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_live.insert(object);
    }
    bool Erase(VtGdiObject* object) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_live.erase(object) != 0;
    }
    bool Contains(VtGdiObject* object) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_live.count(object) != 0;
    }

private:
    std::mutex m_mutex;
    std::unordered_set<VtGdiObject*> m_live;
};

ObjectTable& LiveObjects() {
    static ObjectTable live;
    return live;
}
thread_local std::unordered_set<VtDC*> t_live_dcs;

VtGdiObject* Stock(int index) {
    static VtGdiObject white{VtGdiObject::Type::Brush, RGB(255, 255, 255), 11, true, false};
    static VtGdiObject light{VtGdiObject::Type::Brush, RGB(192, 192, 192), 11, true, false};
    static VtGdiObject gray{VtGdiObject::Type::Brush, RGB(128, 128, 128), 11, true, false};
    static VtGdiObject black{VtGdiObject::Type::Brush, RGB(0, 0, 0), 11, true, false};
    static VtGdiObject hollow{VtGdiObject::Type::Brush, 0, 11, true, true};
    static VtGdiObject white_pen{VtGdiObject::Type::Pen, RGB(255, 255, 255), 11, true, false};
    static VtGdiObject black_pen{VtGdiObject::Type::Pen, RGB(0, 0, 0), 11, true, false};
    static VtGdiObject font{VtGdiObject::Type::Font, 0, 11, true, false};
    switch (index) {
    case WHITE_BRUSH: return &white;
    case LTGRAY_BRUSH: return &light;
    case GRAY_BRUSH: return &gray;
    case BLACK_BRUSH: return &black;
    case NULL_BRUSH: return &hollow;
    case WHITE_PEN: return &white_pen;
    case BLACK_PEN: return &black_pen;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: return &font;
    default: return nullptr;
    }
}

VtGdiObject* Object(HGDIOBJ handle) {
    if (handle == nullptr) return nullptr;
    if (LiveObjects().Contains(handle)) return handle;
    for (int i = 0; i <= DEFAULT_GUI_FONT; ++i) {
        if (Stock(i) == handle) return handle;
    }
    return nullptr;
}

VtDC* Dc(HDC dc) { return t_live_dcs.count(dc) != 0 ? dc : nullptr; }

HGDIOBJ Make(VtGdiObject::Type type, COLORREF color, LONG em) {
    auto* object = new VtGdiObject{type, color, em, false, false};
    LiveObjects().Insert(object);
    return object;
}

// The canvas a DC draws on; null for the screen.
Canvas* Surface(VtDC* dc) {
    if (dc == nullptr || dc->window == nullptr || FromHandle(dc->window->handle()) == nullptr) {
        return nullptr;
    }
    Window& window = *dc->window;
    if (window.canvas == nullptr) {
        VtCellRect cells = DialogCells(window);
        window.canvas = std::make_unique<Canvas>(cells.columns, cells.rows);
    }
    return window.canvas.get();
}

struct CellBox {
    int column;
    int row;
    int columns;
    int rows;
};

CellBox ToCells(int left, int top, int right, int bottom) {
    int column = left / kCellWidthPixels;
    int row = top / kCellHeightPixels;
    int last_column = std::max(column, (right - 1) / kCellWidthPixels);
    int last_row = std::max(row, (bottom - 1) / kCellHeightPixels);
    return CellBox{column, row, last_column - column + 1, last_row - row + 1};
}

LONG CharWidth(const VtGdiObject* font) { return MulDiv(font != nullptr ? font->em : 11, 6, 11); }
LONG CharHeight(const VtGdiObject* font) { return MulDiv(font != nullptr ? font->em : 11, 13, 11); }

}  // namespace

bool BrushColor(HBRUSH brush, COLORREF* color) {
    const VtGdiObject* object = Object(brush);
    if (object == nullptr || object->type != VtGdiObject::Type::Brush || object->null_brush) {
        return false;
    }
    *color = object->color;
    return true;
}

}  // namespace vt::ui

using namespace vt::ui;

VT_EXTERN_C VT_PLATFORM_API HDC GetDC(HWND window) {
    Window* object = FromHandle(window);
    if (window != nullptr && object == nullptr) {
        return nullptr;
    }
    auto* dc = new VtDC;
    dc->window = object;
    dc->brush = Stock(WHITE_BRUSH);
    dc->pen = Stock(BLACK_PEN);
    dc->font = Stock(SYSTEM_FONT);
    t_live_dcs.insert(dc);
    return dc;
}

VT_EXTERN_C VT_PLATFORM_API int ReleaseDC(HWND, HDC dc) {
    VtDC* object = Dc(dc);
    if (object == nullptr) {
        return 0;
    }
    t_live_dcs.erase(object);
    delete object;
    return 1;
}

VT_EXTERN_C VT_PLATFORM_API int GetDeviceCaps(HDC dc, int index) {
    if (Dc(dc) == nullptr) {
        return 0;
    }
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return kLogPixels;
    case HORZRES: return kScreenColumns * kCellWidthPixels;
    case VERTRES: return kScreenRows * kCellHeightPixels;
    default: return 0;
    }
}

VT_EXTERN_C VT_PLATFORM_API HBRUSH CreateSolidBrush(COLORREF color) {
    return Make(VtGdiObject::Type::Brush, color & 0xFFFFFF, 11);
}

// Only the height matters on a character grid: negative heights are the em
// height, positive ones the cell height.
VT_EXTERN_C VT_PLATFORM_API HFONT CreateFontA(int height, int, int, int, int, DWORD, DWORD, DWORD,
                                              DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR) {
    LONG em = height < 0 ? -height : height > 0 ? MulDiv(height, 11, 13) : 11;
    return Make(VtGdiObject::Type::Font, 0, std::max<LONG>(1, std::min<LONG>(em, 1000)));
}

VT_EXTERN_C VT_PLATFORM_API HGDIOBJ GetStockObject(int index) { return Stock(index); }

VT_EXTERN_C VT_PLATFORM_API BOOL DeleteObject(HGDIOBJ object) {
    VtGdiObject* found = Object(object);
    if (found == nullptr) {
        return FALSE;
    }
    if (!found->stock && LiveObjects().Erase(found)) {
        delete found;
    }
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    VtDC* context = Dc(dc);
    VtGdiObject* found = Object(object);
    if (context == nullptr || found == nullptr) {
        return nullptr;
    }
    HGDIOBJ* slot = found->type == VtGdiObject::Type::Brush ? &context->brush
                    : found->type == VtGdiObject::Type::Pen ? &context->pen
                                                            : &context->font;
    return std::exchange(*slot, found);
}

VT_EXTERN_C VT_PLATFORM_API int SetBkMode(HDC dc, int mode) {
    VtDC* context = Dc(dc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    return std::exchange(context->background_mode, mode);
}

VT_EXTERN_C VT_PLATFORM_API COLORREF SetTextColor(HDC dc, COLORREF color) {
    VtDC* context = Dc(dc);
    return context != nullptr ? std::exchange(context->text_color, color) : CLR_INVALID;
}

VT_EXTERN_C VT_PLATFORM_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    VtDC* context = Dc(dc);
    if (context == nullptr) {
        return FALSE;
    }
    if (Canvas* canvas = Surface(context)) {
        CellBox box = ToCells(left, top, right, bottom);
        const VtGdiObject* brush = Object(context->brush);
        if (brush == nullptr || !brush->null_brush) {
            canvas->Fill(box.column, box.row, box.columns, box.rows, ' ');
        }
        canvas->Frame(box.column, box.row, box.columns, box.rows);
    }
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
    VtDC* context = Dc(dc);
    if (context == nullptr || text == nullptr || rect == nullptr) {
        return 0;
    }
    std::string line(text, length < 0 ? std::strlen(text) : static_cast<size_t>(length));
    if ((format & DT_NOPREFIX) == 0) {
        line = StripMnemonic(line);
    }
    if ((format & DT_SINGLELINE) != 0) {
        std::replace(line.begin(), line.end(), '\n', ' ');
    }
    CellBox box = ToCells(rect->left, rect->top, rect->right, rect->bottom);
    if (Canvas* canvas = Surface(context)) {
        int size = static_cast<int>(line.size());
        int column = box.column;
        if ((format & DT_CENTER) != 0) column += std::max(0, (box.columns - size) / 2);
        if ((format & DT_RIGHT) != 0) column += std::max(0, box.columns - size);
        int row = box.row;
        if ((format & DT_SINGLELINE) != 0 && (format & DT_VCENTER) != 0) row += (box.rows - 1) / 2;
        if ((format & DT_SINGLELINE) != 0 && (format & DT_BOTTOM) != 0) row += box.rows - 1;
        canvas->Text(column, row, line, kPlain, box.column + box.columns - column);
    }
    return CharHeight(Object(context->font));
}

VT_EXTERN_C VT_PLATFORM_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
    VtDC* context = Dc(dc);
    if (context == nullptr || size == nullptr || length < 0 || (text == nullptr && length > 0)) {
        return FALSE;
    }
    const VtGdiObject* font = Object(context->font);
    size->cx = CharWidth(font) * length;
    size->cy = CharHeight(font);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    VtDC* context = Dc(dc);
    if (context == nullptr || metrics == nullptr) {
        return FALSE;
    }
    const VtGdiObject* font = Object(context->font);
    LONG height = CharHeight(font);
    LONG em = font != nullptr ? font->em : 11;
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = height;
    metrics->tmAscent = height - height / 5;
    metrics->tmDescent = height / 5;
    metrics->tmInternalLeading = height - em;
    metrics->tmExternalLeading = 0;
    metrics->tmAveCharWidth = CharWidth(font);
    metrics->tmMaxCharWidth = CharWidth(font);
    metrics->tmWeight = FW_NORMAL;
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API DWORD GetSysColor(int index) {
    // The classic scheme of Windows 2000.
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
    case COLOR_BTNFACE: return RGB(212, 208, 200);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    default: return 0;
    }
}

VT_EXTERN_C VT_PLATFORM_API HBRUSH GetSysColorBrush(int index) {
    constexpr int kColors = 31;
    static VtGdiObject* const brushes = [] {
        auto* made = new VtGdiObject[kColors];
        for (int i = 0; i < kColors; ++i) {
            made[i] = VtGdiObject{VtGdiObject::Type::Brush, GetSysColor(i), 11, true, false};
            LiveObjects().Insert(&made[i]);
        }
        return made;
    }();
    return (index >= 0 && index < kColors) ? &brushes[index] : nullptr;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT OleTranslateColor(OLE_COLOR color, void*, COLORREF* rgb) {
    COLORREF result = 0;
    switch (color >> 24) {
    case 0x00:
    case 0x02: result = color & 0xFFFFFF; break;
    case 0x80:
        if ((color & 0xFFFFFF) > 30) return E_INVALIDARG;
        result = GetSysColor(static_cast<int>(color & 0xFF));
        break;
    default: return E_INVALIDARG;
    }
    if (rgb != nullptr) {
        *rgb = result;
    }
    return S_OK;
}
