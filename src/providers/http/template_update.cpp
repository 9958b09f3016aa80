#include "providers/http/template_update.h"

#include "http/http_client.h"
#include "providers/http/layouts.h"

#include <cstring>

namespace vantrel {

Text FillTemplate(const char* host, const char* path_and_query,
                  std::initializer_list<Substitution> substitutions) {
    Text url("http://");
    url.Append(host);
    url.Append(path_and_query);
    for (const Substitution& s : substitutions) {
        url.ReplaceAll(s.placeholder, s.value.CStr());
    }
    return url;
}

Text JoinHosts(TextList& hosts) {
    Text joined;
    for (int i = 0; i < hosts.Count(); ++i) {
        if (i > 0) {
            joined.Append(',');
        }
        joined.Append(hosts.At(i).Trim());
    }
    return joined;
}

void BasicCredentials::Build(const Text& user, const Text& password) {
    Text plain(user);
    plain.Append(':');
    plain.Append(password);
    int length = kCapacity;
    if (Base64Encode(reinterpret_cast<const BYTE*>(plain.CStr()), plain.Length(), m_text, &length,
                     kBase64NoLineBreaks)) {
        m_length = length;
    } else {
        std::memset(m_text, 0, sizeof m_text);
        m_length = -1;
    }
}

Text BasicCredentials::Header() const {
    Text header("Authorization: Basic ###CREDENTIALS###\r\n");
    Text credentials(m_text, m_length < 0 ? 0 : m_length);
    header.ReplaceAll("###CREDENTIALS###", credentials.CStr());
    return header;
}

void HostLogin::Read(BlobReader& reader) {
    ReadLayout(reader, kHostLoginLayout, {{"host", host}, {"user", user}, {"password", password}});
}

Text HostLogin::FillTemplate(const char* update_host, const char* path_and_query,
                             const Text& address) const {
    return vantrel::FillTemplate(update_host, path_and_query,
                                 {{"###IP###", address},
                                  {"###HOST###", host},
                                  {"###LOGIN###", user},
                                  {"###PASSWORD###", password}});
}

void HostListAccount::KeepCredentials(const std::optional<Text>& user,
                                      const std::optional<Text>& password) {
    if (user && password) {
        credentials.Build(*user, *password);
    }
}

// The message was emptied and the status set to 3 before this runs, so
// every early return leaves status 3, an empty message and E_FAIL.
HRESULT TemplateUpdater::RunUpdate(const Text& address) {
    std::optional<UpdateRequest> request = BuildRequest(address);
    if (!request) {
        return E_FAIL;
    }
    http::HttpClient client;
    if (HasProxy()) {
        client.SetProxy(m_proxy_host.CStr(), static_cast<uint16_t>(m_proxy_port));
    }
    http::HttpRequestOptions options;
    options.SetMethod("GET");
    options.max_response_size = http::kServiceReplyLimit;
    if (!request->extra_headers.IsEmpty()) {
        options.SetExtraHeaders(request->extra_headers.CStr());
    }
    if (!client.SendRequest(request->url.CStr(), &options)) {
        return E_FAIL;
    }
    HRESULT result = E_FAIL;
    const bool status_read = request->reply_status == ReplyStatus::Only200
                                 ? client.GetStatus() == 200
                                 : client.GetStatus() != -1;
    if (status_read && client.GetBodyLength() > 0) {
        // The parsers see the body as a C string: nothing after a NUL.
        const char* body = client.GetBody();
        Text reply(body,
                   static_cast<int>(strnlen(body, static_cast<size_t>(client.GetBodyLength()))));
        m_status = reply.IsEmpty() ? SHORT{VANTREL_STATUS_NOT_DONE} : ParseReply(reply);
        result = S_OK;
    }
    client.Close();
    return result;
}

}  // namespace vantrel
