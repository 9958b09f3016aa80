#include "providers/http/reply_parsers.h"

#include <vantrel/vantrel.h>

#include <cstdlib>

namespace vantrel {

namespace {

constexpr SHORT kNoOutcome = VANTREL_STATUS_NO_OUTCOME;
constexpr SHORT kAccepted = VANTREL_STATUS_ACCEPTED;
constexpr SHORT kRefused = VANTREL_STATUS_SERVICE_ERROR;

void AppendHostPrefix(const Text& host, Text& message) {
    message.Append(host);
    message.Append(kHostSeparator);
}

// The text before the first space, unless the line starts with one: then
// the whole line, which matches no code.
Text FirstWord(const Text& line) {
    int space = line.FindChar(' ');
    return space >= 1 ? line.Left(space) : line;
}

SHORT StatusOfWord(const Text& word, std::span<const ReplyCode> codes) {
    for (const ReplyCode& code : codes) {
        if (word.CompareNoCase(code.text) == 0) {
            return code.status;
        }
    }
    return kNoOutcome;
}

}  // namespace

SHORT ParseKeywordReply(Text reply, const Text& host, const KeywordSearch& search, Text& message) {
    AppendHostPrefix(host, message);
    if (search.removed_tag != nullptr) {
        reply.ReplaceAll(search.removed_tag, "");
    }
    message.Append(reply);
    for (const ReplyCode& phrase : search.phrases) {
        if (reply.Find(phrase.text) >= 0) {
            return phrase.status;
        }
    }
    return kNoOutcome;
}

SHORT ParseLinePerHostReply(const Text& reply, TextList& hosts, std::span<const ReplyCode> codes,
                            Text& message) {
    SHORT status = kNoOutcome;
    int position = 0;
    for (int i = 0; i < hosts.Count(); ++i) {
        AppendHostPrefix(hosts.At(i).Trim(), message);
        int feed = reply.FindChar('\n', position);
        if (feed >= 0 || position < reply.Length()) {
            // A CR before the LF stays part of the line.
            int end = feed >= 0 ? feed : reply.Length();
            Text line = reply.Mid(position, end - position);
            position = feed >= 0 ? feed + 1 : reply.Length();
            message.Append(line);
            if (status != kRefused) {
                SHORT line_status = StatusOfWord(FirstWord(line), codes);
                status = line_status > status ? line_status : status;
            }
        }
        if (i + 1 < hosts.Count()) {
            message.Append('\n');
        }
    }
    return status;
}

SHORT ParseCodeLineReply(const Text& reply, const Text& host, Text& message) {
    AppendHostPrefix(host, message);
    int feed = reply.FindChar('\n');
    if (feed < 0) {
        message.Append(reply);
        return kNoOutcome;
    }
    Text rest = reply.Mid(feed + 1);
    if (rest.IsEmpty()) {
        return kNoOutcome;
    }
    int equals = rest.FindChar('=');
    if (equals < 0) {
        message.Append(rest);
        return kNoOutcome;
    }
    message.Append(rest.Mid(equals + 1));
    Text code = rest.Left(equals);
    if (code.Trim().IsEmpty()) {
        return kNoOutcome;
    }
    // As atoi reads it: sign and leading digits, letters read as 0.
    long number = std::strtol(code.CStr(), nullptr, 10);
    return number == 0 || number == 1 ? kAccepted : kRefused;
}

SHORT ParseUpdatedCountReply(const Text& reply, int host_count, Text& message) {
    Text success;
    if (host_count == 1) {
        success.Assign("Updated 1 hostname");
    } else {
        success.Format("Updated %d hostnames", host_count);
    }
    if (reply.Find(success.CStr()) >= 0) {
        message.Append(success);
        return kAccepted;
    }
    if (reply.Find("Error Occurred") >= 0) {
        message.Append(
            "Error Occurred While Processing Request - Check your configuration parameters!");
        return kRefused;
    }
    message.Append("Check your configuration parameters!");
    return kNoOutcome;
}

}  // namespace vantrel
