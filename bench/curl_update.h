// libcurl sending the GET of one DipDNS update; beside the updater's
// support rather than in it, as the platform's winsock.h and libcurl's
// socket headers do not mix in one file.
#pragma once

#include "providers/http/services.h"
#include "update_bench_support.h"

#include <curl/curl.h>

#include <string>

namespace vantrel::bench {

inline size_t CurlSink(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// The same GET: HTTP/1.0 on a fresh connection, the name routed likewise.
class CurlUpdate {
public:
    explicit CurlUpdate(uint16_t port) : m_curl(curl_easy_init()) {
        const std::string route =
            std::string(kDipDnsService.update_host) + ":80:127.0.0.1:" + std::to_string(port);
        m_route = curl_slist_append(nullptr, route.c_str());
        m_url = std::string("http://") + kDipDnsService.update_host +
                "/dynamic/upd.php?key=7d1f3c2a9b&host=home.dipdns.test&ip=" + kAddress;
        curl_easy_setopt(m_curl, CURLOPT_URL, m_url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_CONNECT_TO, m_route);
        curl_easy_setopt(m_curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
        curl_easy_setopt(m_curl, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(m_curl, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, CurlSink);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &m_body);
    }
    ~CurlUpdate() {
        curl_easy_cleanup(m_curl);
        curl_slist_free_all(m_route);
    }
    CurlUpdate(const CurlUpdate&) = delete;
    CurlUpdate& operator=(const CurlUpdate&) = delete;

    // True when the reply carries the success phrase.
    bool Run() {
        m_body.clear();
        return curl_easy_perform(m_curl) == CURLE_OK &&
               m_body.find("Updated 1 hostname") != std::string::npos;
    }

private:
    CURL* m_curl;
    curl_slist* m_route = nullptr;
    std::string m_url;
    std::string m_body;
};

}  // namespace vantrel::bench
