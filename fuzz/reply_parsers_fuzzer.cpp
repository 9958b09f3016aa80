// Every reply parser of the template providers on arbitrary reply text.
// The first byte picks how many host names the reply answers for.
#include "providers/http/reply_parsers.h"

#include <vantrel/vantrel.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using namespace vantrel;

constexpr ReplyCode kCodes[] = {
    {"good", VANTREL_STATUS_ACCEPTED},
    {"badauth", VANTREL_STATUS_SERVICE_ERROR},
    {"911", VANTREL_STATUS_SERVICE_ERROR},
};
constexpr KeywordSearch kSearch{kCodes, "<br>"};

bool IsStatus(SHORT status) {
    return status >= VANTREL_STATUS_NO_OUTCOME && status <= VANTREL_STATUS_SERVICE_ERROR;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const int hosts = data[0] % 5;
    // The parsers see the body as the providers hand it over: up to a NUL.
    const char* text = reinterpret_cast<const char*>(data + 1);
    const Text reply(text, static_cast<int>(strnlen(text, size - 1)));
    TextList list;
    for (int i = 0; i < hosts; ++i) {
        list.Add(Text(" h "));
    }
    Text message;
    bool ok = IsStatus(ParseLinePerHostReply(reply, list, kCodes, message));
    ok = IsStatus(ParseKeywordReply(reply, Text("h"), kSearch, message)) && ok;
    ok = IsStatus(ParseCodeLineReply(reply, Text("h"), message)) && ok;
    ok = IsStatus(ParseUpdatedCountReply(reply, hosts, message)) && ok;
    if (!ok) {
        __builtin_trap();
    }
    return 0;
}
