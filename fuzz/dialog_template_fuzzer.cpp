// Dialog template text: parse, make the dialog, draw it, destroy it.
#include <platform/vtui.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DLGTEMPLATE* parsed = VtParseDialogTemplateA(reinterpret_cast<const char*>(data), size);
    if (parsed == nullptr) {
        return 0;
    }
    HWND dialog = CreateDialogIndirectParamA(nullptr, parsed, nullptr, nullptr, 0);
    if (dialog != nullptr) {
        // Tab through every stop once, so navigation sees odd layouts too.
        for (int i = 0; i < 8; ++i) {
            VtKeyEvent tab{WM_KEYDOWN, VK_TAB, 0};
            VtDispatchKey(dialog, &tab);
        }
        char text[4096];
        VtRenderToText(dialog, TRUE, text, sizeof text);
        DestroyWindow(dialog);
    }
    VtFreeDialogTemplate(parsed);
    return 0;
}
