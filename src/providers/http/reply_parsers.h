// The reply parsers of the template providers: pure functions of the reply
// text (the body up to its first NUL) and the host names, which append to
// the message and return the status (1 no outcome, 2 accepted, 3 no usable
// reply, 4 refused). They never fail.
//
// Every part of a message that names a host starts with the host name and
// " ::\t".
#pragma once

#include "text/text.h"

#include <platform/com.h>

#include <span>

namespace vantrel {

inline constexpr char kHostSeparator[] = " ::\t";

// A fixed phrase or first word and the status it stands for.
struct ReplyCode {
    const char* text;
    SHORT status;
};

// Case-sensitive substring searches in table order; the first phrase found
// decides, none found gives 1. The message is the host, the separator and
// the whole reply, with every `removed_tag` cut out of it first.
struct KeywordSearch {
    std::span<const ReplyCode> phrases;
    const char* removed_tag = nullptr;
};
SHORT ParseKeywordReply(Text reply, const Text& host, const KeywordSearch& search, Text& message);

// One line per host name, in list order, each host's part joined by "\n".
// The first word of a line (up to the first space, unless the line starts
// with one) is compared with the codes ignoring case; the status is the
// highest recognised, 4 sticks, and 1 stays when nothing is recognised.
// The stored host names are trimmed in place.
SHORT ParseLinePerHostReply(const Text& reply, TextList& hosts, std::span<const ReplyCode> codes,
                            Text& message);

// A first line, then "CODE=TEXT": the text is appended; codes 0 and 1 are
// success, any other number a refusal, and a reply of another form 1.
SHORT ParseCodeLineReply(const Text& reply, const Text& host, Text& message);

// "Updated N hostnames" for all N names sent ("Updated 1 hostname" for
// one), else "Error Occurred". The message is one fixed phrase; it names
// no host.
SHORT ParseUpdatedCountReply(const Text& reply, int host_count, Text& message);

}  // namespace vantrel
