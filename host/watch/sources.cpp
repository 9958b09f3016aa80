#include "host/watch/sources.h"

#include <curl/curl.h>
#include <platform/daemon.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "host/watch/address_text.h"

namespace host::watch {

namespace {

struct CurlCloser {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

size_t KeepBody(char* data, size_t size, size_t count, void* user) {
    auto& body = *static_cast<std::string*>(user);
    const size_t bytes = size * count;
    if (body.size() + bytes > kMaxAnswerBytes) {
        return 0;  // curl ends the transfer with CURLE_WRITE_ERROR
    }
    body.append(data, bytes);
    return bytes;
}

AddressResult FromText(const std::string& text, const char* what) {
    AddressResult result;
    result.address = FirstIpv4(text);
    if (!result.address) {
        result.error = std::string(what) + " holds no IPv4 address";
    }
    return result;
}

AddressResult Failed(std::string why) {
    AddressResult result;
    result.error = std::move(why);
    return result;
}

AddressResult FetchUrl(const std::string& url, std::chrono::seconds timeout) {
    std::unique_ptr<CURL, CurlCloser> handle(curl_easy_init());
    if (!handle) {
        return Failed("cannot start a transfer");
    }
    std::string body;
    char error[CURL_ERROR_SIZE] = "";
    CURL* curl = handle.get();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 3L);
    // The whole transfer, resolving and connecting included.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count() * 1000));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "vantrel-watch");
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_WRITE_ERROR) {
        return Failed("the page is longer than " + std::to_string(kMaxAnswerBytes) + " bytes");
    }
    if (code != CURLE_OK) {
        return Failed(error[0] != '\0' ? error : curl_easy_strerror(code));
    }
    long http_status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &http_status);
    if (http_status < 200 || http_status > 299) {
        return Failed("the page answered HTTP " + std::to_string(http_status));
    }
    return FromText(body, "the page");
}

AddressResult ReadFile(const std::string& path, std::chrono::seconds timeout) {
    std::string text(kMaxAnswerBytes + 1, '\0');
    DWORD length = 0;
    const VtDaemonResult result =
        VtReadFile(path.c_str(), static_cast<DWORD>(timeout.count() * 1000), text.data(),
                   static_cast<DWORD>(text.size()), &length);
    if (result == VT_DAEMON_TIMEOUT) {
        return Failed(path + " gave nothing for " + std::to_string(timeout.count()) + " s");
    }
    if (result != VT_DAEMON_OK) {
        return Failed("cannot read " + path + ": " + std::strerror(errno));
    }
    text.resize(length);
    return FromText(text, "the file");
}

AddressResult RunCommand(const std::string& command, std::chrono::seconds timeout) {
    std::string output(kMaxAnswerBytes + 1, '\0');
    DWORD length = 0;
    INT exit_code = -1;
    const VtDaemonResult result =
        VtRunCommand(command.c_str(), static_cast<DWORD>(timeout.count() * 1000), output.data(),
                     static_cast<DWORD>(output.size()), &length, &exit_code);
    if (result == VT_DAEMON_TIMEOUT) {
        return Failed("the command took longer than " + std::to_string(timeout.count()) + " s");
    }
    if (result != VT_DAEMON_OK) {
        return Failed("cannot run the command");
    }
    if (exit_code != 0) {
        return Failed("the command exited with " + std::to_string(exit_code));
    }
    output.resize(length);
    return FromText(output, "the command's output");
}

AddressResult ReadInterface(const std::string& name) {
    char address[64] = "";
    switch (VtInterfaceIpv4(name.c_str(), address, sizeof address)) {
        case VT_DAEMON_OK:
            return FromText(address, "the interface");
        case VT_DAEMON_NOT_FOUND:
            return Failed("no interface " + name + " with an IPv4 address");
        default:
            return Failed("cannot list the interfaces");
    }
}

}  // namespace

bool StartUrlSource() {
    return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

AddressResult FetchAddress(const Source& source, std::chrono::seconds timeout) {
    switch (source.kind) {
        case SourceKind::Url:
            return FetchUrl(source.argument, timeout);
        case SourceKind::File:
            return ReadFile(source.argument, timeout);
        case SourceKind::Command:
            return RunCommand(source.argument, timeout);
        case SourceKind::Interface:
            return ReadInterface(source.argument);
    }
    return Failed("unknown source");
}

std::string DescribeSource(const Source& source) {
    switch (source.kind) {
        case SourceKind::Url: {
            std::string url = source.argument;
            const size_t scheme = url.find("://");
            const size_t at = url.find('@', scheme == std::string::npos ? 0 : scheme + 3);
            const size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
            if (scheme != std::string::npos && at != std::string::npos && at < path) {
                url.erase(scheme + 3, at + 1 - (scheme + 3));
            }
            return "url " + url;
        }
        case SourceKind::File:
            return "file " + source.argument;
        case SourceKind::Command:
            return "command " + source.argument;
        case SourceKind::Interface:
            return "interface " + source.argument;
    }
    return "?";
}

}  // namespace host::watch
