// The GnuDIP exchange as data: request codes and verdicts, the request
// line of the TCP form, the query of the HTTP form, and the reading of the
// server's answers. Nothing here touches a socket.
#pragma once

#include "text/text.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel::gnudip {

// What the client asks of the server (the protocol's "reqc").
enum class RequestCode : int16_t {
    kUpdate = 0,         // register the address the caller gives
    kOffline = 1,        // take the host offline
    kServerAddress = 2,  // register the address the server sees
};

// Settings carry the code as a 32-bit field; only 0, 1 and 2 are codes.
std::optional<RequestCode> RequestCodeFrom(int32_t value);

enum class Verdict : int32_t { kNone = -1, kAccepted = 0, kRefused = 1 };

// Everything one exchange sends, as Set receives it.
struct Request {
    Text user;
    Text password;
    Text domain;
    Text address;  // dotted IPv4, sent with kUpdate only
    RequestCode code = RequestCode::kUpdate;
};

// The TCP form's salt: the first 10 characters of the salt line, or the
// whole line when shorter. The line is not trimmed, so a short line that
// ended in CR LF keeps its CR in the salt, and the server's digest differs.
std::string_view SaltOf(std::string_view line);

// user ":" digest ":" domain ":" code [":" address], then a line feed alone.
Text RequestLine(const Request& request, const Text& digest);

// The second URL of the HTTP form: the update URL with "?salt=" and the
// rest appended as they are, unescaped, so a URL that has a query already
// ends up with two "?".
Text UpdateUrl(const Text& url, const Request& request, std::string_view salt,
               std::string_view time, std::string_view sign, const Text& digest);

// TCP form: only the first character of the reply line counts ("0:ADDR"
// answers a code 2 request and is accepted).
Verdict ReplyLineVerdict(std::string_view line, RequestCode code);
// HTTP form: the whole return code counts, so "00" is refused.
Verdict ReturnCodeVerdict(std::string_view retc, RequestCode code);

// The meta tag prefixes of the HTTP form's pages.
inline constexpr std::string_view kSaltTag = "name=\"salt\" content=\"";
inline constexpr std::string_view kTimeTag = "name=\"time\" content=\"";
inline constexpr std::string_view kSignTag = "name=\"sign\" content=\"";
inline constexpr std::string_view kReturnCodeTag = "name=\"retc\" content=\"";

// The value after the first occurrence of `prefix` (which ends with the
// attribute's opening quote), up to the next double quote. Missing when
// the prefix is absent, or when no quote comes before the next ">" (or no
// ">" follows at all): a value that would run past its tag is not taken.
std::optional<std::string_view> ExtractMetaContent(std::string_view page,
                                                   std::string_view prefix);

// One line of the TCP form, assembled from receives into a fixed buffer.
class LineBuffer {
public:
    static constexpr int kCapacity = 100;

    enum class State { kIncomplete, kComplete, kFull };

    // Where the next receive goes, and how much it may take.
    char* Space() { return m_bytes + m_received; }
    int Room() const { return kCapacity - m_received; }
    // Takes `count` bytes just received into Space(). At the first line
    // feed the line is complete and the bytes after it are dropped. A
    // buffer filled without a line feed refuses the line.
    State Commit(int count);
    // The line without its line feed, up to a NUL it may hold.
    std::string_view Line() const;
    void Clear();

private:
    char m_bytes[kCapacity] = {};
    int m_received = 0;
};

}  // namespace vantrel::gnudip
