#include "providers/gnudip/gnudip_protocol.h"

#include <cstring>

namespace vantrel::gnudip {

namespace {

constexpr size_t kSaltLength = 10;

const char* CodeText(RequestCode code) {
    switch (code) {
    case RequestCode::kUpdate:
        return "0";
    case RequestCode::kOffline:
        return "1";
    case RequestCode::kServerAddress:
        return "2";
    }
    return "";
}

// An update is accepted with "0", going offline with "2".
char AcceptingReply(RequestCode code) {
    return code == RequestCode::kOffline ? '2' : '0';
}

void Append(Text& text, std::string_view part) {
    text.Append(part.data(), static_cast<int>(part.size()));
}

}  // namespace

std::optional<RequestCode> RequestCodeFrom(int32_t value) {
    if (value < 0 || value > 2) {
        return std::nullopt;
    }
    return static_cast<RequestCode>(value);
}

std::string_view SaltOf(std::string_view line) {
    return line.substr(0, kSaltLength);
}

Text RequestLine(const Request& request, const Text& digest) {
    Text line(request.user);
    line.Append(':');
    line.Append(digest);
    line.Append(':');
    line.Append(request.domain);
    line.Append(':');
    line.Append(CodeText(request.code));
    if (request.code == RequestCode::kUpdate) {
        line.Append(':');
        line.Append(request.address);
    }
    line.Append('\n');
    return line;
}

Text UpdateUrl(const Text& url, const Request& request, std::string_view salt,
               std::string_view time, std::string_view sign, const Text& digest) {
    Text extended(url);
    extended.Append("?salt=");
    Append(extended, salt);
    extended.Append("&time=");
    Append(extended, time);
    extended.Append("&sign=");
    Append(extended, sign);
    extended.Append("&user=");
    extended.Append(request.user);
    extended.Append("&domn=");
    extended.Append(request.domain);
    extended.Append("&pass=");
    extended.Append(digest);
    extended.Append("&reqc=");
    extended.Append(CodeText(request.code));
    if (request.code == RequestCode::kUpdate) {
        extended.Append("&addr=");
        extended.Append(request.address);
    }
    return extended;
}

Verdict ReplyLineVerdict(std::string_view line, RequestCode code) {
    return !line.empty() && line.front() == AcceptingReply(code) ? Verdict::kAccepted
                                                                 : Verdict::kRefused;
}

Verdict ReturnCodeVerdict(std::string_view retc, RequestCode code) {
    return retc.size() == 1 && retc.front() == AcceptingReply(code) ? Verdict::kAccepted
                                                                    : Verdict::kRefused;
}

std::optional<std::string_view> ExtractMetaContent(std::string_view page,
                                                   std::string_view prefix) {
    size_t found = page.find(prefix);
    if (found == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = page.substr(found + prefix.size());
    size_t quote = rest.find('"');
    size_t close = rest.find('>');
    if (quote == std::string_view::npos || close == std::string_view::npos || quote > close) {
        return std::nullopt;
    }
    return rest.substr(0, quote);
}

LineBuffer::State LineBuffer::Commit(int count) {
    char* fresh = m_bytes + m_received;
    if (void* feed = std::memchr(fresh, '\n', static_cast<size_t>(count))) {
        char* end = static_cast<char*>(feed);
        std::memset(end, 0, static_cast<size_t>(m_bytes + kCapacity - end));
        return State::kComplete;
    }
    m_received += count;
    return m_received >= kCapacity ? State::kFull : State::kIncomplete;
}

std::string_view LineBuffer::Line() const {
    return std::string_view(m_bytes, strnlen(m_bytes, kCapacity));
}

void LineBuffer::Clear() {
    std::memset(m_bytes, 0, sizeof m_bytes);
    m_received = 0;
}

}  // namespace vantrel::gnudip
