// The HTTP form of the GnuDIP exchange: a first GET for a page carrying
// salt, time and sign, a second GET with them, the user, the domain and
// the salted digest in the query, and the return code of its page.
//
// The update URL is used as it is given. Its query is appended with "?",
// so a URL that already has one gets a second "?". A URL with an explicit
// port needs a path as well: the URL parser reads "http://h:8080?salt=..."
// as port 8080 and swallows what follows, so such a URL loses the query.
#pragma once

#include "providers/gnudip/gnudip_protocol.h"

#include <platform/com.h>

#include <string>

namespace vantrel::gnudip {

class GnuDIPHttpClient {
public:
    explicit GnuDIPHttpClient(const Text& url) : m_url(url) {}
    GnuDIPHttpClient(const GnuDIPHttpClient&) = delete;
    GnuDIPHttpClient& operator=(const GnuDIPHttpClient&) = delete;

    // Used by both fetches when the host is not empty and the port at least 1.
    void SetProxy(const Text& host, LONG port);
    void Set(const Text& user, const Text& password, const Text& domain, const Text& address,
             RequestCode code);
    // True when the second page carried a non-empty return code; the
    // verdict is meaningful only then.
    [[nodiscard]] bool Run(Verdict& verdict);

private:
    // One GET on a client of its own; true with the body of a 200 answer.
    bool FetchPage(const Text& url, std::string& page) const;

    Text m_url;
    Request m_request;
    Text m_proxy_host;
    LONG m_proxy_port = 0;
};

}  // namespace vantrel::gnudip
