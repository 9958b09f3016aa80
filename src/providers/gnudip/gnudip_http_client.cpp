#include "providers/gnudip/gnudip_http_client.h"

#include "http/http_client.h"
#include "providers/gnudip/gnudip_digest.h"

namespace vantrel::gnudip {

void GnuDIPHttpClient::SetProxy(const Text& host, LONG port) {
    m_proxy_host = host;
    m_proxy_port = port;
}

void GnuDIPHttpClient::Set(const Text& user, const Text& password, const Text& domain,
                           const Text& address, RequestCode code) {
    m_request = Request{user, password, domain, address, code};
}

bool GnuDIPHttpClient::FetchPage(const Text& url, std::string& page) const {
    http::HttpClient client;
    if (!m_proxy_host.IsEmpty() && m_proxy_port >= 1) {
        client.SetProxy(m_proxy_host.CStr(), static_cast<uint16_t>(m_proxy_port));
    }
    http::HttpRequestOptions options;
    options.SetMethod("GET");
    if (!client.SendRequest(url.CStr(), &options)) {
        return false;
    }
    const bool ok = client.GetStatus() == 200;
    if (ok && client.GetBodyLength() > 0) {
        page.assign(client.GetBody(), static_cast<size_t>(client.GetBodyLength()));
    }
    client.Close();
    return ok;
}

bool GnuDIPHttpClient::Run(Verdict& verdict) {
    verdict = Verdict::kNone;
    std::string first;
    if (!FetchPage(m_url, first)) {
        return false;
    }
    auto salt = ExtractMetaContent(first, kSaltTag);
    auto time = ExtractMetaContent(first, kTimeTag);
    auto sign = ExtractMetaContent(first, kSignTag);
    if (!salt || !time || !sign) {
        return false;
    }
    Text digest;
    {
        CryptContext context;
        if (!context.Acquire() ||
            !SaltedDigest(context.Get(), m_request.password, *salt, digest)) {
            return false;
        }
    }
    std::string second;
    if (!FetchPage(UpdateUrl(m_url, m_request, *salt, *time, *sign, digest), second)) {
        return false;
    }
    auto retc = ExtractMetaContent(second, kReturnCodeTag);
    if (!retc || retc->empty()) {
        return false;
    }
    verdict = ReturnCodeVerdict(*retc, m_request.code);
    return true;
}

}  // namespace vantrel::gnudip
