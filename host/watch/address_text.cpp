#include "host/watch/address_text.h"

namespace host::watch {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDottedQuad(std::string_view run) {
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        const size_t start = i;
        int value = 0;
        while (i < run.size() && IsDigit(run[i]) && i - start < 3) {
            value = value * 10 + (run[i] - '0');
            ++i;
        }
        const size_t digits = i - start;
        if (digits == 0 || value > 255 || (digits > 1 && run[start] == '0') ||
            (i < run.size() && IsDigit(run[i]))) {
            return false;
        }
        if (++parts < 4) {
            if (i >= run.size() || run[i] != '.') {
                return false;
            }
            ++i;
        }
    }
    return i == run.size();
}

}  // namespace

std::optional<std::string> FirstIpv4(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && (IsDigit(text[end]) || text[end] == '.')) {
            ++end;
        }
        std::string_view run = text.substr(i, end - i);
        if (!run.empty() && run.back() == '.') {
            run.remove_suffix(1);
        }
        if (IsDottedQuad(run)) {
            return std::string(run);
        }
        i = end;
    }
    return std::nullopt;
}

}  // namespace host::watch
