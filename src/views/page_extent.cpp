#include "views/page_extent.h"

#include <platform/vtui.h>

#include "views/gdi_object.h"

#include <cstring>
#include <memory>

namespace vantrel {

namespace {

constexpr int kHimetricPerInch = 2540;
constexpr int kPointsPerInch = 72;
// Windows' face names hold at most 31 characters.
constexpr size_t kMaxFaceLength = LF_FACESIZE - 1;

struct TemplateDeleter {
    void operator()(DLGTEMPLATE* parsed) const { VtFreeDialogTemplate(parsed); }
};
using ParsedTemplate = std::unique_ptr<DLGTEMPLATE, TemplateDeleter>;

ParsedTemplate LoadTemplate(HINSTANCE instance, WORD template_id) {
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(template_id), RT_DIALOG);
    if (resource == nullptr) {
        return nullptr;
    }
    HGLOBAL data = LoadResource(instance, resource);
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    if (bytes == nullptr) {
        return nullptr;
    }
    return ParsedTemplate(VtParseDialogTemplateA(static_cast<const char*>(bytes),
                                                 SizeofResource(instance, resource)));
}

// Dialog base units of a font, measured the way the dialog manager does:
// the average width of the 52 letters, rounded, and the line height.
SIZE FontBaseUnits(HDC screen, const DLGTEMPLATE& page) {
    if ((page.style & DS_SETFONT) == 0 || page.typeface == nullptr) {
        LONG units = GetDialogBaseUnits();
        return SIZE{LOWORD(units), HIWORD(units)};
    }
    char face[LF_FACESIZE] = {};
    std::strncpy(face, page.typeface, kMaxFaceLength);
    int height = -MulDiv(page.pointSize, GetDeviceCaps(screen, LOGPIXELSY), kPointsPerInch);
    GdiObject font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                               0, 0, 0, face));
    if (font == nullptr) {
        return SIZE{0, 0};
    }
    SelectedObject selected(screen, font.get());
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    constexpr int kLetterCount = sizeof kLetters - 1;
    SIZE letters{};
    TEXTMETRICA metrics{};
    if (!GetTextExtentPoint32A(screen, kLetters, kLetterCount, &letters) ||
        !GetTextMetricsA(screen, &metrics)) {
        return SIZE{0, 0};
    }
    return SIZE{(letters.cx + kLetterCount / 2) / kLetterCount,
                metrics.tmHeight + metrics.tmExternalLeading};
}

}  // namespace

SIZE TemplatePixels(HINSTANCE instance, WORD template_id) {
    ParsedTemplate page = LoadTemplate(instance, template_id);
    if (page == nullptr) {
        return SIZE{0, 0};
    }
    WindowDc screen(nullptr);
    SIZE base = FontBaseUnits(screen.Get(), *page);
    // Dialog units are a quarter of the horizontal and an eighth of the
    // vertical base unit.
    return SIZE{MulDiv(page->cx, base.cx, 4), MulDiv(page->cy, base.cy, 8)};
}

SIZEL PixelsToHimetric(SIZE pixels) {
    WindowDc screen(nullptr);
    return SIZEL{MulDiv(kHimetricPerInch, pixels.cx, GetDeviceCaps(screen.Get(), LOGPIXELSX)),
                 MulDiv(kHimetricPerInch, pixels.cy, GetDeviceCaps(screen.Get(), LOGPIXELSY))};
}

SIZE HimetricToPixels(SIZEL extent) {
    WindowDc screen(nullptr);
    return SIZE{MulDiv(GetDeviceCaps(screen.Get(), LOGPIXELSX), extent.cx, kHimetricPerInch),
                MulDiv(GetDeviceCaps(screen.Get(), LOGPIXELSY), extent.cy, kHimetricPerInch)};
}

}  // namespace vantrel
