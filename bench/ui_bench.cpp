// Rendering a page to the character grid: what every key press in the
// terminal costs.
#include <platform/vtui.h>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const char kPage[] = R"(140 DIALOG 0, 0, 196, 148
STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT 201, 51, 15, 131, 14, ES_AUTOHSCROLL
    PUSHBUTTON "Add", 204, 51, 31, 50, 14
    PUSHBUTTON "Delete", 205, 104, 31, 50, 14
    LISTBOX 206, 51, 49, 130, 35, LBS_SORT | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP
    EDITTEXT 202, 51, 88, 131, 14, ES_AUTOHSCROLL
    EDITTEXT 203, 51, 104, 131, 14, ES_PASSWORD | ES_AUTOHSCROLL
    LTEXT "Hostname:", -1, 12, 20, 35, 8
    GROUPBOX "", -1, 7, 7, 182, 134
    LTEXT "Username:", -1, 12, 93, 35, 8
    LTEXT "Password:", -1, 12, 109, 34, 8
    CONTROL "Set as offline:", 219, "Button", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 12, 125, 56, 10
END
)";

void BM_ParseTemplate(benchmark::State& state) {
    for (auto _ : state) {
        DLGTEMPLATE* parsed = VtParseDialogTemplateA(kPage, sizeof kPage - 1);
        benchmark::DoNotOptimize(parsed);
        VtFreeDialogTemplate(parsed);
    }
}
BENCHMARK(BM_ParseTemplate);

void BM_RenderPage(benchmark::State& state) {
    DLGTEMPLATE* parsed = VtParseDialogTemplateA(kPage, sizeof kPage - 1);
    HWND page = CreateDialogIndirectParamA(nullptr, parsed, nullptr, nullptr, 0);
    for (int i = 0; i < 50; ++i) {
        char host[32];
        std::snprintf(host, sizeof host, "host%02d.example", i);
        SendDlgItemMessageA(page, 206, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(host));
    }
    char text[4096];
    for (auto _ : state) {
        benchmark::DoNotOptimize(VtRenderToText(page, TRUE, text, sizeof text));
    }
    DestroyWindow(page);
    VtFreeDialogTemplate(parsed);
}
BENCHMARK(BM_RenderPage);

}  // namespace

BENCHMARK_MAIN();
