// Rendering a page to the character grid: what every key press in the
// terminal costs.
#include <platform/vtui.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The module's own DyFi page, read once outside the timed loops.
const std::string kPage = [] {
    std::ifstream in(VANTREL_DIALOG_DIR "/page_140.rc", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}();

void BM_ParseTemplate(benchmark::State& state) {
    for (auto _ : state) {
        DLGTEMPLATE* parsed = VtParseDialogTemplateA(kPage.c_str(), kPage.size());
        benchmark::DoNotOptimize(parsed);
        VtFreeDialogTemplate(parsed);
    }
}
BENCHMARK(BM_ParseTemplate);

void BM_RenderPage(benchmark::State& state) {
    DLGTEMPLATE* parsed = VtParseDialogTemplateA(kPage.c_str(), kPage.size());
    HWND page = CreateDialogIndirectParamA(nullptr, parsed, nullptr, nullptr, 0);
    if (page == nullptr) {
        state.SkipWithError("the page template did not load");
        VtFreeDialogTemplate(parsed);
        return;
    }
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
