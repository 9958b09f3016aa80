// GnuDIP's answers on arbitrary bytes: a reply line assembled as receives
// deliver it (the first byte picks their size) and judged for each request
// code, and the same bytes as a page searched for each meta tag.
#include "providers/gnudip/gnudip_protocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace vantrel::gnudip;

bool IsVerdict(Verdict verdict) {
    return verdict == Verdict::kAccepted || verdict == Verdict::kRefused;
}

bool CheckLine(std::string_view bytes, size_t segment) {
    LineBuffer line;
    LineBuffer::State state = LineBuffer::State::kIncomplete;
    while (!bytes.empty() && state == LineBuffer::State::kIncomplete) {
        const size_t count = std::min({segment, bytes.size(), static_cast<size_t>(line.Room())});
        bytes.copy(line.Space(), count);
        bytes.remove_prefix(count);
        state = line.Commit(static_cast<int>(count));
    }
    if (state != LineBuffer::State::kComplete) {
        return true;
    }
    const std::string_view text = line.Line();
    bool ok = text.size() < LineBuffer::kCapacity && text.find('\n') == std::string_view::npos &&
              SaltOf(text).size() <= 10;
    for (RequestCode code : {RequestCode::kUpdate, RequestCode::kOffline,
                             RequestCode::kServerAddress}) {
        ok = ok && IsVerdict(ReplyLineVerdict(text, code));
    }
    return ok;
}

// A value lies inside the page, right before a double quote that comes
// before the next ">".
bool CheckPage(std::string_view page) {
    for (std::string_view prefix : {kSaltTag, kTimeTag, kSignTag, kReturnCodeTag}) {
        std::optional<std::string_view> value = ExtractMetaContent(page, prefix);
        if (!value) {
            continue;
        }
        const char* end = value->data() + value->size();
        if (value->data() < page.data() || end >= page.data() + page.size() || *end != '"' ||
            value->find_first_of("\">") != std::string_view::npos ||
            !IsVerdict(ReturnCodeVerdict(*value, RequestCode::kUpdate))) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t segment = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!CheckLine(bytes, segment) || !CheckPage(bytes)) {
        __builtin_trap();
    }
    return 0;
}
