// The lab's GnuDIP server, in its two forms. Both hand out a salt and
// accept md5hex(md5hex(password) "." salt) for an account's user and
// domain; the host they update is "user.domain".
//
// TCP form, on a listener of its own: the salt line (10 characters), one
// request line "user:digest:domain:reqc[:address]" back, and one reply
// line: "0" updated, "0:ADDRESS" for request code 2 (the connection's
// address), "2" offline, "1" refused.
//
// HTTP form, GET kGnuDipPath: without a salt in the query, a page with
// meta tags salt, time and sign (sign authenticates salt and time with the
// lab's secret); with them, sent back unchanged within 60 s together with
// user, domn, pass, reqc and addr, a page whose retc tag holds the answer
// digit as above (and an addr tag for request code 2).
#pragma once

#include "lab/reply.h"
#include "lab/request.h"
#include "lab/state.h"

#include <platform/tcpserver.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel::lab {

inline constexpr const char* kGnuDipPath = "/gnudip/cgi-bin/gdipupdt.cgi";
// How long the HTTP form's salt stays good.
inline constexpr int64_t kGnuDipSaltSeconds = 60;

// Ten random letters and digits.
std::string MakeSalt();
// 32 lowercase hex digits.
std::string Md5Hex(std::string_view bytes);

// The reply line, with its line feed, to one request line of the TCP form.
std::string AnswerGnuDipLine(std::string_view line, std::string_view salt, std::string_view peer,
                             LabState& state);
Reply HandleGnuDipHttp(const Request& request, std::string_view peer, LabState& state);

// One TCP exchange on an accepted connection; logged like HTTP requests.
void ServeGnuDipConnection(VTCONNECTION connection, LabState& state, std::FILE* log);

}  // namespace vantrel::lab
