#include "views/page_fields.h"

#include <vector>

namespace vantrel {

namespace {

constexpr int kEditBuffer = 256;

}  // namespace

Text EditText(HWND page, int control) {
    char buffer[kEditBuffer] = {};
    UINT length = GetDlgItemTextA(page, control, buffer, kEditBuffer);
    return Text(buffer, static_cast<int>(length < kEditBuffer ? length : kEditBuffer - 1));
}

Text WholeText(HWND page, int control) {
    HWND window = GetDlgItem(page, control);
    int length = window != nullptr ? GetWindowTextLengthA(window) : 0;
    if (length <= 0) {
        return Text();
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, buffer.data(), length + 1);
    return Text(buffer.data(), got > 0 ? got : 0);
}

void SetControlText(HWND page, int control, const Text& text) {
    SetDlgItemTextA(page, control, text.CStr());
}

}  // namespace vantrel
